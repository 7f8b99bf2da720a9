#!/usr/bin/env bash
# Takes the README's screenshots of the main window, English and Japanese,
# on a virtual X display. Needs xvfb and imagemagick (import, convert).
#   scripts/screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

shoot() { # LANG OUTPUT
    local lang=$1 out=$2
    mkdir -p "$work/$lang/runtime" "$work/$lang/config" "$work/$lang/home"
    chmod 700 "$work/$lang/runtime"
    env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG="$lang" \
        XDG_RUNTIME_DIR="$work/$lang/runtime" XDG_CONFIG_HOME="$work/$lang/config" HOME="$work/$lang/home" \
        xvfb-run -a -s "-screen 0 1100x680x24" bash -c "
            '$build/app/orvelle' & pid=\$!
            sleep 3
            import -window root '$work/shot.png'
            kill \$pid; wait \$pid 2>/dev/null || true"
    convert "$work/shot.png" -crop 1000x600+0+0 +repage "$out"
    echo "wrote $out"
}

mkdir -p docs_en/images docs_ja/images
shoot C.UTF-8 docs_en/images/main-window.png
shoot ja_JP.UTF-8 docs_ja/images/main-window.png
