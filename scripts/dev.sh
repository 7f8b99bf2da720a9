#!/usr/bin/env bash
# Set-up, build, run and test Orvelle on Debian 12.
#   scripts/dev.sh run    install packages, build, start Orvelle with the bundled DATA/
#   scripts/dev.sh test   install packages, build, run every test (plus the
#                         engine once more under AddressSanitizer/UBSan)
#   scripts/dev.sh build  build only
#   scripts/dev.sh package  build the Debian package and check it
#                         (scripts/package.sh; --chroot installs it into
#                         a fresh Debian 12 root)
# Both are idempotent: packages already installed are not asked for again,
# and an unchanged tree rebuilds in seconds.
set -euo pipefail

cd "$(dirname "$0")/.."
root=$PWD

packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n qt6-qpa-plugins
          libx11-dev libsnmp-dev libpugixml-dev qtkeychain-qt6-dev libsqlite3-dev
          snmp snmpd snmptrapd rsyslog
          xvfb xauth fonts-ipafont-gothic util-linux trayer imagemagick)

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    # snmpd/snmptrapd start system daemons on 161/162 where systemd runs;
    # nothing here uses those ports.
    $sudo apt-get install -y -qq "${missing[@]}"
}

jobs=$(nproc 2>/dev/null || echo 2)

build() { # build DIR [cmake options...]
    local dir=$1; shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$root" -B "$dir" -G Ninja "$@"
    fi
    cmake --build "$dir" -j "$jobs"
}

case "${1:-}" in
    run)
        install_packages
        build build
        if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
            echo "No display found: starting Orvelle on a virtual X display (Xvfb)."
            exec xvfb-run -a -s "-screen 0 1280x800x24" build/app/orvelle
        fi
        exec build/app/orvelle
        ;;
    test)
        install_packages
        build build
        ctest --test-dir build -j "$jobs" --output-on-failure
        # The engine and its tests once more, under the sanitizers.
        build build-asan -DORVELLE_ENGINE_ONLY=ON -DORVELLE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
            ctest --test-dir build-asan -j "$jobs" --output-on-failure
        ;;
    build)
        install_packages
        build build
        ;;
    package)
        packages+=(lintian appstream desktop-file-utils dpkg-dev fakeroot)
        [ "${2:-}" = --chroot ] && packages+=(debootstrap)
        install_packages
        exec bash scripts/package.sh "${@:2}"
        ;;
    *)
        echo "usage: $0 run|test|build|package [--chroot]" >&2
        exit 2
        ;;
esac
