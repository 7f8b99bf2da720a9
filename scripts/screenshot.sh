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
# Needs xvfb, xdotool, imagemagick (import, convert) and the packages snmp
# and snmpd.
#   scripts/screenshot.sh [BUILD_DIR] [main|dialogs|all]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
what=${2:-all}
case $what in
    main|dialogs|all) ;;
    *) echo "usage: scripts/screenshot.sh [BUILD_DIR] [main|dialogs|all]" >&2; exit 2 ;;
esac
work=$(mktemp -d)
agent_pid=''
agent_port=''
cleanup() {
    if [ -n "$agent_pid" ]; then
        kill "$agent_pid" 2>/dev/null || true
        wait "$agent_pid" 2>/dev/null || true
    fi
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

# Runs SCRIPT under xvfb-run for one language, with its own runtime, config
# and home folders (the current folder is that home) and the DATA copy; the
# script finds the program in $ORVELLE, the agent's port in $AGENT_PORT and
# leaves its pictures in $SHOTS.
#   run_orvelle LANG SCRIPT
run_orvelle() {
    local lang=$1 script=$2
    local dir
    dir="$work/$lang-$(basename "$script" .sh)"
    mkdir -p "$dir/runtime" "$dir/config" "$dir/home"
    chmod 700 "$dir/runtime"
    (cd "$dir/home" &&
        env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG="$lang" ORVELLE_DATA_DIR="$work/DATA" \
            ORVELLE_TRAP_ADDRESSES=127.0.0.1 ORVELLE="$root/$build/app/orvelle" \
            SHOTS="$work" AGENT_PORT="$agent_port" \
            XDG_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/config" HOME="$dir/home" \
            xvfb-run -a -s "-screen 0 1100x680x24" bash "$script")
}

shoot() { # LANG OUTPUT
    local lang=$1 out=$2
    mkdir -p "$work/$lang/runtime" "$work/$lang/config" "$work/$lang/home"
    chmod 700 "$work/$lang/runtime"
    env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG="$lang" ORVELLE_DATA_DIR="$work/DATA" \
        ORVELLE_TRAP_ADDRESSES=127.0.0.1 \
        XDG_RUNTIME_DIR="$work/$lang/runtime" XDG_CONFIG_HOME="$work/$lang/config" HOME="$work/$lang/home" \
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

# A private snmpd on a loopback high port: community public reads the whole
# tree; the system group has fixed texts, so that the pictures do not show
# this machine's name and kernel. Sets agent_port and agent_pid.
start_agent() {
    local dir="$work/agent" snmpd
    snmpd=$(command -v snmpd || echo /usr/sbin/snmpd)
    mkdir -p "$dir/persist"
    cat > "$dir/snmpd.conf" <<'CONF'
rocommunity public 127.0.0.1
sysDescr    Edge router EX-200, firmware 4.2.1
sysName     edge-router-7
sysContact  Network operations <noc@example.net>
sysLocation Lab 7, rack 3
dontLogTCPWrappersConnects yes
CONF
    for _ in 1 2 3 4 5; do
        agent_port=$((20000 + RANDOM % 20000))
        SNMP_PERSISTENT_DIR="$dir/persist" "$snmpd" -f -C -c "$dir/snmpd.conf" -m "" -I -smux \
            -LF n "$dir/snmpd.log" "udp:127.0.0.1:$agent_port" < /dev/null > "$dir/snmpd.out" 2>&1 &
        agent_pid=$!
        for _ in $(seq 100); do
            kill -0 "$agent_pid" 2>/dev/null || break # the port was taken: try another
            if snmpget -v1 -c public -m "" -t 1 -r 0 "udp:127.0.0.1:$agent_port" .1.3.6.1.2.1.1.5.0 \
                   > /dev/null 2>&1; then
                return 0
            fi
            sleep 0.1
        done
        kill "$agent_pid" 2>/dev/null || true
        wait "$agent_pid" 2>/dev/null || true
        agent_pid=
    done
    echo "screenshot.sh: snmpd did not start; see $dir/snmpd.log" >&2
    exit 1
}

# Inside the virtual display: opens Tools > MIB Walk, walks the system
# group, rests the pointer on a cell, then opens Tools > SNMP SET and picks
# sysLocation from the OID tree with the keyboard. Leaves walk.png (the
# screen), walk.geometry (the dialog's place) and set.png in $SHOTS.
cat > "$work/dialogs.sh" <<'DIALOGS'
"$ORVELLE" & pid=$!
sleep 3
w=$(xdotool search --name '^Orvelle - ' | head -1)
xdotool mousemove 1090 670
xdotool windowfocus --sync "$w"
xdotool key --window "$w" alt+t
sleep 0.5
xdotool key w
sleep 1.5
d=$(xdotool search --name '^MIB ' | head -1)
xdotool windowfocus --sync "$d"
# the device field has the focus; the labels' mnemonics reach the others
xdotool key ctrl+a
xdotool type "127.0.0.1:$AGENT_PORT"
xdotool key alt+m ctrl+a
xdotool type public
xdotool key alt+o ctrl+a
xdotool type 1.3.6.1.2.1.1
xdotool key alt+n
sleep 2
# the Syntax cell of sysUpTime.0, too narrow for "(timeticks)"
xdotool mousemove --window "$d" 360 186
sleep 0.2
xdotool mousemove --window "$d" 362 187
sleep 1.3
import -window root "$SHOTS/walk.png"
xdotool getwindowgeometry --shell "$d" > "$SHOTS/walk.geometry"
xdotool mousemove 1090 670
sleep 0.3

xdotool windowfocus --sync "$w"
xdotool key --window "$w" alt+t
sleep 0.5
xdotool key n
sleep 1.5
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

mkdir -p docs_en/images docs_ja/images
if [ "$what" != dialogs ]; then
    shoot C.UTF-8 docs_en/images/main-window.png
    shoot ja_JP.UTF-8 docs_ja/images/main-window.png
fi
if [ "$what" != main ]; then
    start_agent
    shoot_dialogs C.UTF-8 docs_en
    shoot_dialogs ja_JP.UTF-8 docs_ja
fi
