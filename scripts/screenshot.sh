#!/usr/bin/env bash
# Takes the screenshots of the README and the user guide, English and
# Japanese, on a virtual X display:
#   main     the main window: the service started from the Tools menu, a few
#            real traps from net-snmp's snmptrap and snmpinform on a loopback
#            port, and the cell tip over one cell (images/main-window.png)
#   dialogs  the MIB walk window after a Get Next of the system group from a
#            private snmpd on a loopback port, with the cell tip over one
#            cell (images/mib-walk.png), and the SNMP SET dialog with
#            sysLocation picked from the OID tree (images/snmp-set.png)
#   monitor  three monitor windows, one per graph mode, polling the octet
#            counters of the agent's loopback interface every second while
#            a bounded snmpwalk loop makes traffic, brought up with Tools >
#            Show monitoring data (images/monitor.png), and the monitor
#            settings dialog as filled in for the third (images/monitor-settings.png)
#   devices  Tools > Devices...: the profile dialog filled in for an SNMPv3
#            authPriv profile of the private agent (images/profile.png), then
#            a walk of the system group through that profile (images/v3-walk.png)
#   mibmodules
#            Tools > MIB Modules... after the vendor modules CISCO-SMI and
#            CISCO-ENVMON-MIB of the shared MIB corpus (../shared/mibs, or
#            $SHARED_MIBS) were added through Add... and Qt's file dialog
#            (images/mib-modules.png)
#   traps    a private rsyslogd as syslog collector on a loopback port, and
#            Orvelle forwarding to it; Tools > Devices... with an SNMPv3
#            authPriv profile added, showing the receiver's engine ID
#            (images/engine-id.png); v2c traps, an inform and an SNMPv3
#            authPriv trap of the profile's user, then a few datagrams that
#            are not listed (junk, a wrong passphrase, an unknown user) and
#            the Dropped Datagrams window opened from the status bar
#            (images/dropped.png); the filter bar (View > Find Traps...)
#            with a search that matches three traps (images/filter-bar.png).
#            Checks that the collector got the SNMPv3 trap and that the
#            journal kept every trap.
# Needs xvfb, xdotool, imagemagick (import, convert) and the packages snmp,
# snmpd and rsyslog.
#   scripts/screenshot.sh [BUILD_DIR] [main|dialogs|monitor|devices|mibmodules|traps|all]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
what=${2:-all}
case $what in
    main|dialogs|monitor|devices|mibmodules|traps|all) ;;
    *) echo "usage: scripts/screenshot.sh [BUILD_DIR] [main|dialogs|monitor|devices|mibmodules|traps|all]" >&2; exit 2 ;;
esac
shared_mibs=${SHARED_MIBS:-$root/../shared/mibs}
if [ "$what" = mibmodules ] || [ "$what" = all ]; then
    for module in CISCO-SMI CISCO-ENVMON-MIB; do
        [ -f "$shared_mibs/$module.txt" ] ||
            { echo "screenshot.sh: $shared_mibs/$module.txt not found (set SHARED_MIBS to the MIB corpus)" >&2; exit 1; }
    done
    shared_mibs=$(cd "$shared_mibs" && pwd)
fi
work=$(mktemp -d)
agent_pid=''
agent_port=''
collector_pid=''
cleanup() {
    for p in "$agent_pid" "$collector_pid"; do
        [ -n "$p" ] || continue
        kill "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

port=$((20000 + RANDOM % 20000))
mkdir -p "$work/DATA"
cp DATA/MIBTable.xml "$work/DATA/"
printf '<config><trap_port>%s</trap_port></config>\n' "$port" > "$work/DATA/Config.xml"

cat > "$work/send-traps.sh" <<TRAPS
to=127.0.0.1:$port
export SNMPCONFPATH=$work MIBS= MIBDIRS=
snmptrap -v 2c -c public "\$to" '' 1.3.6.1.6.3.1.1.5.3 \\
    1.3.6.1.2.1.2.2.1.1.2 i 2 1.3.6.1.2.1.2.2.1.7.2 i 1 1.3.6.1.2.1.2.2.1.8.2 i 2
snmptrap -v 1 -c public "\$to" 1.3.6.1.4.1.2021.251 127.0.0.1 6 1 ''
snmpinform -v 2c -c private "\$to" '' 1.3.6.1.6.3.1.1.5.1
snmptrap -v 2c -c public "\$to" '' 1.3.6.1.6.3.1.1.5.4 \\
    1.3.6.1.2.1.2.2.1.1.2 i 2 1.3.6.1.2.1.2.2.1.2.2 s "uplink to core switch"
TRAPS

# Runs SCRIPT under xvfb-run for one language, with its own runtime, config,
# data and home folders (the current folder is that home; the user's MIB
# database and modules go below its .local/share) and the DATA copy (or the
# data folder DATA_DIR); the script finds the program in $ORVELLE, the
# agent's port in $AGENT_PORT, Orvelle's trap port in $TRAP_PORT, the shared
# MIB corpus in $SHARED_MIBS and leaves its pictures in $SHOTS.
#   run_orvelle LANG SCRIPT [DATA_DIR]
run_orvelle() {
    local lang=$1 script=$2 data=${3:-$work/DATA}
    local dir
    dir="$work/$lang-$(basename "$script" .sh)"
    mkdir -p "$dir/runtime" "$dir/config" "$dir/home/.local/share"
    chmod 700 "$dir/runtime"
    (cd "$dir/home" &&
        env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG="$lang" ORVELLE_DATA_DIR="$data" \
            ORVELLE_TRAP_ADDRESSES=127.0.0.1 ORVELLE="$root/$build/app/orvelle" TRAP_PORT="$port" \
            ORVELLE_MIBC="$root/$build/tools/mibc/orvelle-mibc" SHARED_MIBS="$shared_mibs" \
            SHOTS="$work" AGENT_PORT="$agent_port" TRAFFIC="$work/traffic.sh" \
            XDG_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/config" \
            XDG_DATA_HOME="$dir/home/.local/share" HOME="$dir/home" \
            xvfb-run -a -s "-screen 0 1100x680x24" bash "$script")
}

shoot() { # LANG OUTPUT
    local lang=$1 out=$2
    mkdir -p "$work/$lang/runtime" "$work/$lang/config" "$work/$lang/home/.local/share"
    chmod 700 "$work/$lang/runtime"
    env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG="$lang" ORVELLE_DATA_DIR="$work/DATA" \
        ORVELLE_TRAP_ADDRESSES=127.0.0.1 \
        XDG_RUNTIME_DIR="$work/$lang/runtime" XDG_CONFIG_HOME="$work/$lang/config" \
        XDG_DATA_HOME="$work/$lang/home/.local/share" HOME="$work/$lang/home" \
        xvfb-run -a -s "-screen 0 1100x680x24" bash -c "
            '$root/$build/app/orvelle' & pid=\$!
            sleep 3
            w=\$(xdotool search --name '^Orvelle - ' | head -1)
            xdotool windowfocus --sync \$w
            xdotool key --window \$w alt+t
            sleep 0.5
            xdotool key s
            sleep 1
            bash '$work/send-traps.sh'
            sleep 1
            xdotool mousemove 760 50
            sleep 1.5
            import -window root '$work/shot.png'
            kill \$pid; wait \$pid 2>/dev/null || true"
    convert "$work/shot.png" -crop 1000x600+0+0 +repage "$out"
    echo "wrote $out"
}

# Waits until the daemon PID answers the command CHECK...; false, with the
# daemon stopped, when it ended first (its port was taken: the caller tries
# another) or did not answer within 10 seconds.
await_daemon() {
    local pid=$1
    shift
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        "$@" > /dev/null 2>&1 && return 0
        sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    return 1
}

# A private snmpd on a loopback high port: community public reads the whole
# tree; the system group has fixed texts, so that the pictures do not show
# this machine's name and kernel. Community loopback sees only the
# loopback interface's row of the interface table (whatever other interfaces
# this machine has, the walk has the same rows) and the ip group, so that a
# walk of the table ends quietly where the ip group begins. Sets agent_port
# and agent_pid.
start_agent() {
    local dir="$work/agent" snmpd
    snmpd=$(command -v snmpd || echo /usr/sbin/snmpd)
    mkdir -p "$dir/persist"
    cat > "$dir/snmpd.conf" <<'CONF'
rocommunity public 127.0.0.1
view loopback included .1.3.6.1.2.1.2.2.1.1.1 ff:a0
view loopback included .1.3.6.1.2.1.4
rocommunity loopback 127.0.0.1 -V loopback
sysDescr    Edge router EX-200, firmware 4.2.1
sysName     edge-router-7
sysContact  Network operations <noc@example.net>
sysLocation Lab 7, rack 3
dontLogTCPWrappersConnects yes
createUser noc-viewer SHA-256 "doc-pass-8x" AES "doc-pass-8x"
rouser noc-viewer priv
CONF
    for _ in 1 2 3 4 5; do
        agent_port=$((20000 + RANDOM % 20000))
        SNMP_PERSISTENT_DIR="$dir/persist" "$snmpd" -f -C -c "$dir/snmpd.conf" -m "" -I -smux \
            -LF n "$dir/snmpd.log" "udp:127.0.0.1:$agent_port" < /dev/null > "$dir/snmpd.out" 2>&1 &
        agent_pid=$!
        await_daemon "$agent_pid" snmpget -v1 -c public -m "" -t 1 -r 0 "udp:127.0.0.1:$agent_port" .1.3.6.1.2.1.1.5.0 &&
            return 0
        agent_pid=
    done
    echo "screenshot.sh: snmpd did not start; see $dir/snmpd.log" >&2
    exit 1
}

# Sourced by the scripts below, inside the virtual display.
#   start            starts Orvelle (pid, main window w)
#   tools KEY        chooses the Tools menu item with mnemonic KEY in the
#                    main window w
#   newest BEFORE    the visible window that is not in the list BEFORE
#                    (window titles are translated)
#   type_oid OID     types OID into the OID field that has the focus; the
#                    list of matching objects it offers goes again, the
#                    text stays
#   walk COMMUNITY OID
#                    starts Orvelle (pid, main window w), opens Tools > MIB
#                    Walk (window d) and walks the agent's subtree OID with
#                    community COMMUNITY
cat > "$work/walk.sh" <<'WALK'
tools() {
    xdotool windowfocus --sync "$w"
    xdotool key --window "$w" alt+t
    sleep 0.5
    xdotool key "$1"
    sleep 1.5
}
start() {
    "$ORVELLE" & pid=$!
    sleep 3
    w=$(xdotool search --name '^Orvelle - ' | head -1)
    xdotool mousemove 1090 670
}
newest() {
    comm -13 <(echo "$1") <(xdotool search --onlyvisible --name '' | sort) | head -1
}
type_oid() {
    local before
    before=$(xdotool search --onlyvisible --name '' | sort)
    xdotool type "$1"
    sleep 0.5
    # Esc with no list open would hide the dialog
    if [ -n "$(newest "$before")" ]; then
        xdotool key Escape
        sleep 0.2
    fi
}
walk() {
    start
    tools w
    d=$(xdotool search --name '^MIB ' | head -1)
    xdotool windowfocus --sync "$d"
    # the device field has the focus; the labels' mnemonics reach the others
    xdotool key ctrl+a
    xdotool type "127.0.0.1:$AGENT_PORT"
    xdotool key alt+m ctrl+a
    xdotool type "$1"
    xdotool key alt+o ctrl+a
    type_oid "$2"
    xdotool key alt+n
    sleep 2
}
WALK

# Inside the virtual display: opens Tools > MIB Walk, walks the system
# group, rests the pointer on a cell, then opens Tools > SNMP SET and picks
# sysLocation from the OID tree with the keyboard. Leaves walk.png (the
# screen), walk.geometry (the dialog's place) and set.png in $SHOTS.
cat > "$work/dialogs.sh" <<'DIALOGS'
. "$SHOTS/walk.sh"
walk public 1.3.6.1.2.1.1
# the Syntax cell of sysUpTime.0, too narrow for "(timeticks)"
xdotool mousemove --window "$d" 360 186
sleep 0.2
xdotool mousemove --window "$d" 362 187
sleep 1.3
import -window root "$SHOTS/walk.png"
xdotool getwindowgeometry --shell "$d" > "$SHOTS/walk.geometry"
xdotool mousemove 1090 670
sleep 0.3

tools n
s=$(xdotool search --name '^SNMP SET' | head -1)
xdotool windowfocus --sync "$s"
xdotool key ctrl+a
xdotool type "127.0.0.1:$AGENT_PORT"
xdotool key Tab
xdotool type private
# the OID tree: internet > mgmt > mib-2 > system > sysLocation, then Enter
xdotool key Tab alt+Down
sleep 0.5
xdotool key Down Down Right Down Right Down Right Down Down Down Down Down Down
sleep 0.3
xdotool key Return
sleep 0.3
xdotool key Tab Tab
xdotool type "Lab 8, rack 1"
sleep 0.5
import -window "$s" "$SHOTS/set.png"
kill "$pid"; wait "$pid" 2>/dev/null || true
DIALOGS

shoot_dialogs() { # LANG DOCS_DIR
    local lang=$1 docs=$2
    local X Y WIDTH HEIGHT
    rm -f "$work/walk.png" "$work/walk.geometry" "$work/set.png"
    run_orvelle "$lang" "$work/dialogs.sh"
    # shellcheck disable=SC1091
    . "$work/walk.geometry"
    convert "$work/walk.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$docs/images/mib-walk.png"
    echo "wrote $docs/images/mib-walk.png"
    cp "$work/set.png" "$docs/images/snmp-set.png"
    echo "wrote $docs/images/snmp-set.png"
}

# Inside the virtual display: walks the loopback interface's row of the
# interface table in the MIB walk window, selects ifInOctets.1 (row 10) and
# ifOutOctets.1 (row 16), and starts three monitors on them with a 1-second
# interval, one per graph mode (the third also saving to its default file in
# the home folder); lets them poll for about 25 seconds while $TRAFFIC makes
# traffic, then shows them with Tools > Show monitoring data. Leaves
# monitor.png (the screen), monitor.geometry (the monitors' places),
# settings-v.png, settings-n.png and settings-d.png (the dialog as filled in
# for each) and monitor.csv (the third one's data file) in $SHOTS.
cat > "$work/monitor.sh" <<'MONITOR'
. "$SHOTS/walk.sh"
walk loopback 1.3.6.1.2.1.2.2.1
# Rows by keyboard, as their height depends on the language's font: a click
# in the list, then the first row, down to row 10 (selected), on to row 16
# and Ctrl+Space to add it.
xdotool mousemove --window "$d" 60 148 click 1
xdotool key Home
xdotool key --delay 50 Down Down Down Down Down Down Down Down Down
xdotool key --delay 50 ctrl+Down ctrl+Down ctrl+Down ctrl+Down ctrl+Down ctrl+Down ctrl+space
sleep 0.5
# the lowest pixel of the selection's colour in a column of the list lies in
# row 16
import -window "$d" selection.png
eval "$(xdotool getwindowgeometry --shell "$d")"
last=$(convert selection.png -crop "1x${HEIGHT}+60+0" +repage txt:- |
    awk -F'[,:]' 'tolower($0) ~ /#308cc6/ { y = $2 } END { print y }')
[ -n "$last" ] || { echo "monitor.sh: no selected row" >&2; kill "$pid"; exit 1; }
bash "$TRAFFIC" & traffic=$!
for mode in v n d; do
    # a right click on a selected row keeps the selection; the dialog is
    # the window that was not there before (its title is translated)
    before=$(xdotool search --onlyvisible --name '' | sort)
    xdotool mousemove --window "$d" 60 $((last - 5)) click 3
    sleep 0.5
    xdotool key o
    sleep 1.5
    s=$(newest "$before")
    [ -n "$s" ] || { echo "monitor.sh: no settings dialog" >&2; kill "$pid"; exit 1; }
    xdotool windowfocus --sync "$s"
    xdotool key alt+i ctrl+a
    xdotool type 1
    sleep 0.3
    xdotool key "alt+$mode"
    if [ $mode = d ]; then
        xdotool key alt+f
    fi
    sleep 0.5
    import -window "$s" "$SHOTS/settings-$mode.png"
    xdotool key Return
    sleep 1
done
sleep 25
tools m
import -window root "$SHOTS/monitor.png"
# the monitors' places: X Y WIDTH HEIGHT, one window a line
for m in $(xdotool search --onlyvisible --name ''); do
    [ "$(xdotool getwindowname "$m")" = Orvelle ] || continue
    (eval "$(xdotool getwindowgeometry --shell "$m")"; echo "$X $Y $WIDTH $HEIGHT")
done > "$SHOTS/monitor.geometry"
cp ./*.csv "$SHOTS/monitor.csv"
wait "$traffic" 2>/dev/null || true
kill "$pid"; wait "$pid" 2>/dev/null || true
MONITOR

# Traffic on the loopback interface for the monitors to see: walks of the
# agent's interface and ip groups in bursts of changing size, with rests
# between them, for 40 seconds at most.
cat > "$work/traffic.sh" <<'TRAFFIC'
end=$((SECONDS + 40))
n=1
while [ $SECONDS -lt $end ]; do
    for _ in $(seq $n); do
        snmpwalk -v2c -c public -m "" -t 1 -r 0 "udp:127.0.0.1:$AGENT_PORT" .1.3.6.1.2.1.2 > /dev/null 2>&1 || true
    done
    sleep $((n % 3 + 1))
    n=$((n % 5 + 1))
done
TRAFFIC

# Inside the virtual display: Tools > Devices..., Add..., an SNMPv3 authPriv
# profile of the agent typed into the profile dialog (profile.png), OK and
# Close; then the MIB walk window walks the system group through the
# profile picked by its name (v3-walk.png, with v3-walk.geometry).
cat > "$work/devices.sh" <<'DEVICES'
. "$SHOTS/walk.sh"
start
before=$(xdotool search --onlyvisible --name '' | sort)
tools d
list=$(newest "$before")
xdotool windowfocus --sync "$list"
before=$(xdotool search --onlyvisible --name '' | sort)
xdotool key alt+a
sleep 1.5
p=$(newest "$before")
xdotool windowfocus --sync "$p"
xdotool key alt+n
xdotool type "core-switch-3"
xdotool key alt+h ctrl+a
xdotool type "127.0.0.1"
xdotool key alt+p ctrl+a
xdotool type "$AGENT_PORT"
xdotool key alt+v End
sleep 0.5
xdotool key alt+u
xdotool type "noc-viewer"
xdotool key alt+l End alt+s
xdotool type "doc-pass-8x"
xdotool key alt+y
xdotool type "doc-pass-8x"
sleep 0.5
import -window "$p" "$SHOTS/profile.png"
xdotool key Return
sleep 2
xdotool windowfocus --sync "$list"
xdotool key alt+l
sleep 1
# a desktop without a secret store says so once: that box goes
for box in $(xdotool search --onlyvisible --name '^Orvelle$'); do
    xdotool windowfocus --sync "$box"
    xdotool key Return
    sleep 0.5
done
xdotool windowfocus --sync "$list"
xdotool key alt+l
sleep 1
tools w
d=$(xdotool search --name '^MIB ' | head -1)
xdotool windowfocus --sync "$d"
xdotool key ctrl+a
xdotool type "core-switch-3"
xdotool key alt+o ctrl+a
type_oid 1.3.6.1.2.1.1
xdotool key alt+n
sleep 3
import -window root "$SHOTS/v3-walk.png"
xdotool getwindowgeometry --shell "$d" > "$SHOTS/v3-walk.geometry"
kill "$pid"; wait "$pid" 2>/dev/null || true
DEVICES

shoot_devices() { # LANG DOCS_DIR
    local lang=$1 docs=$2
    local X Y WIDTH HEIGHT
    rm -f "$work/profile.png" "$work/v3-walk.png" "$work/v3-walk.geometry"
    run_orvelle "$lang" "$work/devices.sh"
    cp "$work/profile.png" "$docs/images/profile.png"
    echo "wrote $docs/images/profile.png"
    # shellcheck disable=SC1091
    . "$work/v3-walk.geometry"
    convert "$work/v3-walk.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$docs/images/v3-walk.png"
    echo "wrote $docs/images/v3-walk.png"
}

# Inside the virtual display: Tools > MIB Modules..., Add..., and in Qt's
# file dialog the folder of the shared MIB corpus and the two Cisco modules
# typed by name; waits until the compile has kept both module files in the
# user's MIB folder and the list shows them, selects the first row
# (CISCO-ENVMON-MIB) and leaves the dialog as modules.png in $SHOTS, and
# the user's database as user-MIBTable.xml.
cat > "$work/mibmodules.sh" <<'MIBMODULES'
. "$SHOTS/walk.sh"
user="$XDG_DATA_HOME/Halvorn/Orvelle"
start
before=$(xdotool search --onlyvisible --name '' | sort)
tools o
m=$(newest "$before")
[ -n "$m" ] || { echo "mibmodules.sh: no MIB Modules dialog" >&2; kill "$pid"; exit 1; }
xdotool windowfocus --sync "$m"
before=$(xdotool search --onlyvisible --name '' | sort)
xdotool key alt+a
sleep 1.5
f=$(newest "$before")
[ -n "$f" ] || { echo "mibmodules.sh: no file dialog" >&2; kill "$pid"; exit 1; }
xdotool windowfocus --sync "$f"
# the file name field has the focus: a folder and Return go there, then
# both modules at once, each in quotes
xdotool type "$SHARED_MIBS/"
xdotool key Return
sleep 1
xdotool type '"CISCO-SMI.txt" "CISCO-ENVMON-MIB.txt"'
xdotool key Return
for _ in $(seq 100); do
    [ -f "$user/mibs/CISCO-SMI.txt" ] && [ -f "$user/mibs/CISCO-ENVMON-MIB.txt" ] && break
    sleep 0.2
done
[ -f "$user/mibs/CISCO-ENVMON-MIB.txt" ] || { echo "mibmodules.sh: the modules were not added" >&2; kill "$pid"; exit 1; }
sleep 1.5
cp "$user/DATA/MIBTable.xml" "$SHOTS/user-MIBTable.xml"
xdotool windowfocus --sync "$m"
# a click in the list (rows are as high as the language's font), then the
# first row
xdotool mousemove --window "$m" 120 48 click 1
xdotool key Home
xdotool mousemove 1090 670
sleep 0.5
import -window "$m" "$SHOTS/modules.png"
kill "$pid"; wait "$pid" 2>/dev/null || true
MIBMODULES

shoot_mibmodules() { # LANG DOCS_DIR
    local lang=$1 docs=$2
    rm -f "$work/modules.png" "$work/user-MIBTable.xml"
    run_orvelle "$lang" "$work/mibmodules.sh"
    # the user's database holds the vendor modules; the bundled copy does not
    if ! grep -q '<module>CISCO-ENVMON-MIB</module>' "$work/user-MIBTable.xml" ||
        grep -q '<module>CISCO-' "$work/DATA/MIBTable.xml"; then
        echo "screenshot.sh: the user's MIB database does not hold CISCO-ENVMON-MIB" >&2
        exit 1
    fi
    cp "$work/modules.png" "$docs/images/mib-modules.png"
    echo "wrote $docs/images/mib-modules.png"
}

# A private rsyslogd on a loopback high port, set up as the user guide's
# example (traps.htm): the messages of app-name orvelle go to a file of
# their own, in the syslog protocol's format. Sets collector_port and
# collector_pid; the file is $work/collector/orvelle-traps.log.
start_collector() {
    local dir="$work/collector" rsyslogd hex
    rsyslogd=$(command -v rsyslogd || echo /usr/sbin/rsyslogd)
    mkdir -p "$dir"
    for _ in 1 2 3 4 5; do
        collector_port=$((20000 + RANDOM % 20000))
        hex=$(printf ':%04X ' "$collector_port")
        grep -q "$hex" /proc/net/udp /proc/net/udp6 2>/dev/null && continue # taken
        cat > "$dir/rsyslog.conf" <<CONF
global(workDirectory="$dir")
module(load="imudp")
input(type="imudp" address="127.0.0.1" port="$collector_port")
if \$app-name == "orvelle" then {
    action(type="omfile" file="$dir/orvelle-traps.log" template="RSYSLOG_SyslogProtocol23Format")
    stop
}
CONF
        "$rsyslogd" -n -f "$dir/rsyslog.conf" -i "$dir/rsyslogd.pid" < /dev/null > "$dir/rsyslogd.out" 2>&1 &
        collector_pid=$!
        await_daemon "$collector_pid" grep -q "$hex" /proc/net/udp && return 0
        collector_pid=
    done
    echo "screenshot.sh: rsyslogd did not start; see $dir/rsyslogd.out" >&2
    exit 1
}

# Inside the virtual display: starts the service; Tools > Devices..., Add...,
# an SNMPv3 authPriv profile (user noc-trap, SHA-256 and AES-128, the
# passphrases $V3_AUTH and $V3_PRIV) typed into the profile dialog, OK; with
# no secret store the passphrases are kept for the run, so its traps are
# received. The Devices dialog with the engine ID (engine-id.png). Then the
# traps: linkDown (v2c), an SNMPv1 enterprise trap, linkDown from the
# profile's user (SNMPv3 authPriv), an inform, linkUp (v2c); and datagrams
# that are not listed: not SNMP, broken BER, a wrong passphrase, an unknown
# user. A click on the status bar's counts opens the Dropped Datagrams
# window (dropped.png); then Ctrl+F and the search "uplink", which three of
# the traps match (filter.png, filter.geometry: the main window's place).
cat > "$work/traps.sh" <<'TRAPSMODE'
. "$SHOTS/walk.sh"
fail() { echo "traps.sh: $1" >&2; kill "$pid"; exit 1; }
export SNMPCONFPATH="$HOME" SNMP_PERSISTENT_DIR="$HOME/.snmp-persist" MIBS= MIBDIRS=
to="127.0.0.1:$TRAP_PORT"
start
tools s
before=$(xdotool search --onlyvisible --name '' | sort)
tools d
list=$(newest "$before")
[ -n "$list" ] || fail "no Devices dialog"
xdotool windowfocus --sync "$list"
before=$(xdotool search --onlyvisible --name '' | sort)
xdotool key alt+a
sleep 1.5
p=$(newest "$before")
[ -n "$p" ] || fail "no profile dialog"
xdotool windowfocus --sync "$p"
xdotool key alt+n
xdotool type "edge-router-7"
xdotool key alt+h ctrl+a
xdotool type "127.0.0.1"
xdotool key alt+v End
sleep 0.5
xdotool key alt+u
xdotool type "noc-trap"
xdotool key alt+l End alt+s
xdotool type "$V3_AUTH"
xdotool key alt+y
xdotool type "$V3_PRIV"
sleep 0.3
xdotool key Return
sleep 2
# a desktop without a secret store says so once: that box goes
for box in $(xdotool search --onlyvisible --name '^Orvelle$'); do
    xdotool windowfocus --sync "$box"
    xdotool key Return
    sleep 0.5
done
xdotool windowfocus --sync "$list"
xdotool mousemove 1090 670
sleep 0.5
import -window "$list" "$SHOTS/engine-id.png"
xdotool key alt+l
sleep 1

snmptrap -v 2c -c public "$to" '' 1.3.6.1.6.3.1.1.5.3 \
    1.3.6.1.2.1.2.2.1.1.2 i 2 1.3.6.1.2.1.2.2.1.2.2 s "uplink to core switch" 1.3.6.1.2.1.2.2.1.8.2 i 2
snmptrap -v 1 -c public "$to" 1.3.6.1.4.1.2021.251 127.0.0.1 6 1 ''
snmptrap -v3 -u noc-trap -l authPriv -a SHA-256 -A "$V3_AUTH" -x AES -X "$V3_PRIV" -e 0x8000000001020304 "$to" '' \
    1.3.6.1.6.3.1.1.5.3 1.3.6.1.2.1.2.2.1.1.7 i 7 1.3.6.1.2.1.2.2.1.2.7 s "uplink to edge router" 1.3.6.1.2.1.2.2.1.8.7 i 2
snmpinform -v 2c -c private "$to" '' 1.3.6.1.6.3.1.1.5.1
snmptrap -v 2c -c public "$to" '' 1.3.6.1.6.3.1.1.5.4 \
    1.3.6.1.2.1.2.2.1.1.2 i 2 1.3.6.1.2.1.2.2.1.2.2 s "uplink to core switch" 1.3.6.1.2.1.2.2.1.8.2 i 1
printf 'hello' > "/dev/udp/127.0.0.1/$TRAP_PORT"
printf '\x30\x03\x02\x01' > "/dev/udp/127.0.0.1/$TRAP_PORT"
snmptrap -v3 -u noc-trap -l authPriv -a SHA-256 -A "wrong-passphrase" -x AES -X "$V3_PRIV" -e 0x8000000001020305 "$to" '' \
    1.3.6.1.6.3.1.1.5.3
snmptrap -v3 -u ops-backup -l authPriv -a SHA-256 -A "$V3_AUTH" -x AES -X "$V3_PRIV" -e 0x8000000001020306 "$to" '' \
    1.3.6.1.6.3.1.1.5.3
sleep 1.5

# the counts sit on the status bar's right, before the lock key panes
eval "$(xdotool getwindowgeometry --shell "$w")"
before=$(xdotool search --onlyvisible --name '' | sort)
xdotool mousemove $((X + WIDTH - 175)) $((Y + HEIGHT - 10)) click 1
sleep 1.5
dropped=$(newest "$before")
[ -n "$dropped" ] || fail "no Dropped Datagrams window"
xdotool mousemove 1090 670
sleep 0.3
import -window "$dropped" "$SHOTS/dropped.png"
xdotool windowfocus --sync "$dropped"
xdotool key Escape
sleep 0.5

xdotool windowfocus --sync "$w"
xdotool key ctrl+f
sleep 0.5
xdotool type uplink
sleep 1.5
import -window root "$SHOTS/filter.png"
xdotool getwindowgeometry --shell "$w" > "$SHOTS/filter.geometry"
kill "$pid"; wait "$pid" 2>/dev/null || true
TRAPSMODE

shoot_traps() { # LANG DOCS_DIR
    local lang=$1 docs=$2
    local X Y WIDTH HEIGHT
    local journal="$work/$lang-traps/home/.local/share/Halvorn/Orvelle/traps.db"
    local collected="$work/collector/orvelle-traps.log"
    local before=0 kept
    rm -f "$work/engine-id.png" "$work/dropped.png" "$work/filter.png" "$work/filter.geometry"
    [ -f "$collected" ] && before=$(grep -c 'community="noc-trap"' "$collected" || true)
    V3_AUTH=example-auth-pass V3_PRIV=example-priv-pass run_orvelle "$lang" "$work/traps.sh" "$work/DATA-traps"
    # the collector got the SNMPv3 trap, under its user; the journal kept
    # all five traps (and was written when the program was told to end)
    sleep 1
    kept=$(grep -c 'community="noc-trap"' "$collected" 2>/dev/null || true)
    if [ "${kept:-0}" -ne $((before + 1)) ] || ! grep -q 'trap@32473' "$collected"; then
        echo "screenshot.sh: the collector did not get the SNMPv3 trap (see $collected)" >&2
        exit 1
    fi
    # SQLite removes the write-ahead log when the last connection closes
    if [ ! -s "$journal" ] || [ -s "$journal-wal" ]; then
        echo "screenshot.sh: the trap journal $journal was not written and closed" >&2
        exit 1
    fi
    if command -v sqlite3 > /dev/null &&
        [ "$(sqlite3 "$journal" 'SELECT sum(traps) FROM trap_group')" != 5 ]; then
        echo "screenshot.sh: the trap journal $journal does not hold the five traps" >&2
        exit 1
    fi
    cp "$work/engine-id.png" "$docs/images/engine-id.png"
    echo "wrote $docs/images/engine-id.png"
    cp "$work/dropped.png" "$docs/images/dropped.png"
    echo "wrote $docs/images/dropped.png"
    # shellcheck disable=SC1091
    . "$work/filter.geometry"
    convert "$work/filter.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$docs/images/filter-bar.png"
    echo "wrote $docs/images/filter-bar.png"
}

shoot_monitor() { # LANG DOCS_DIR
    local lang=$1 docs=$2
    rm -f "$work/monitor.png" "$work"/settings-?.png "$work/monitor.csv"
    run_orvelle "$lang" "$work/monitor.sh"
    # the right rows were picked and polled: the data file names them and
    # has a line for each second
    if [ "$(sed -n 2p "$work/monitor.csv")" != $'sampling time, 1.3.6.1.2.1.2.2.1.10.1, 1.3.6.1.2.1.2.2.1.16.1\r' ] ||
        [ "$(wc -l < "$work/monitor.csv")" -lt 22 ]; then
        echo "screenshot.sh: the monitor did not poll ifInOctets.1 and ifOutOctets.1:" >&2
        head -3 "$work/monitor.csv" >&2
        exit 1
    fi
    # the smallest rectangle that holds the monitors
    local crop
    crop=$(awk 'NR == 1 { l = $1; t = $2; r = $1 + $3; b = $2 + $4 }
                { if ($1 < l) l = $1; if ($2 < t) t = $2
                  if ($1 + $3 > r) r = $1 + $3; if ($2 + $4 > b) b = $2 + $4 }
                END { if (NR != 3) exit 1; printf "%dx%d+%d+%d", r - l, b - t, l, t }' "$work/monitor.geometry") ||
        { echo "screenshot.sh: expected three monitor windows" >&2; cat "$work/monitor.geometry" >&2; exit 1; }
    convert "$work/monitor.png" -crop "$crop" +repage "$docs/images/monitor.png"
    echo "wrote $docs/images/monitor.png"
    cp "$work/settings-d.png" "$docs/images/monitor-settings.png"
    echo "wrote $docs/images/monitor-settings.png"
}

mkdir -p docs_en/images docs_ja/images
if [ "$what" = main ] || [ "$what" = all ]; then
    shoot C.UTF-8 docs_en/images/main-window.png
    shoot ja_JP.UTF-8 docs_ja/images/main-window.png
fi
if [ "$what" != main ] && [ "$what" != mibmodules ] && [ "$what" != traps ]; then
    start_agent
fi
if [ "$what" = dialogs ] || [ "$what" = all ]; then
    shoot_dialogs C.UTF-8 docs_en
    shoot_dialogs ja_JP.UTF-8 docs_ja
fi
if [ "$what" = devices ] || [ "$what" = all ]; then
    shoot_devices C.UTF-8 docs_en
    shoot_devices ja_JP.UTF-8 docs_ja
fi
if [ "$what" = monitor ] || [ "$what" = all ]; then
    shoot_monitor C.UTF-8 docs_en
    shoot_monitor ja_JP.UTF-8 docs_ja
fi
if [ "$what" = mibmodules ] || [ "$what" = all ]; then
    shoot_mibmodules C.UTF-8 docs_en
    shoot_mibmodules ja_JP.UTF-8 docs_ja
fi
if [ "$what" = traps ] || [ "$what" = all ]; then
    start_collector
    mkdir -p "$work/DATA-traps"
    cp DATA/MIBTable.xml "$work/DATA-traps/"
    printf '<config><trap_port>%s</trap_port><forward><host>127.0.0.1</host><port>%s</port></forward></config>\n' \
        "$port" "$collector_port" > "$work/DATA-traps/Config.xml"
    shoot_traps C.UTF-8 docs_en
    shoot_traps ja_JP.UTF-8 docs_ja
fi
