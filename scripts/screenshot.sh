#!/usr/bin/env bash
# Takes the README's screenshots of the main window, English and Japanese,
# on a virtual X display: the service started from the Tools menu, a few
# real traps from net-snmp's snmptrap and snmpinform on a loopback port, and
# the cell tip over one cell. Needs xvfb, xdotool, imagemagick (import,
# convert) and the snmp package.
#   scripts/screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

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

mkdir -p docs_en/images docs_ja/images
shoot C.UTF-8 docs_en/images/main-window.png
shoot ja_JP.UTF-8 docs_ja/images/main-window.png
