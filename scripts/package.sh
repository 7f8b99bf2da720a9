#!/usr/bin/env bash
# Builds the Debian package (orvelle_<version>_amd64.deb in build-deb/) and
# checks it: lintian without errors, appstreamcli and desktop-file-validate
# on what it installs, its contents and control data; then starts the
# packaged program once, offscreen, from its installed tree. With --chroot
# (as root, with debootstrap and network access to a Debian mirror) it is
# installed with apt into a fresh Debian 12 root instead and started there.
#   scripts/package.sh [--chroot]
# scripts/dev.sh package installs what this needs and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
chroot_test=false
[ "${1:-}" = --chroot ] && chroot_test=true
build=$root/build-deb
jobs=$(nproc 2>/dev/null || echo 2)

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DORVELLE_BUILD_TESTS=OFF
fi
cmake --build "$build" -j "$jobs"
rm -f "$build"/orvelle_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/orvelle_*_amd64.deb)
echo "package: $deb"

fail() { echo "package check FAILED: $*" >&2; exit 1; }

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"

echo "== contents"
dpkg-deb -I "$deb"
for path in usr/bin/orvelle usr/bin/orvelle-mibc usr/share/orvelle/DATA/MIBTable.xml usr/share/orvelle/DATA/Config.xml \
            usr/share/orvelle/docs_en/read1st.htm usr/share/orvelle/docs_ja/read1st.htm \
            usr/share/applications/com.halvorn.Orvelle.desktop usr/share/metainfo/com.halvorn.Orvelle.metainfo.xml \
            usr/share/icons/hicolor/48x48/apps/orvelle.png usr/share/icons/hicolor/scalable/apps/orvelle.svg \
            usr/share/man/man1/orvelle.1.gz usr/share/man/man1/orvelle-mibc.1.gz usr/share/doc/orvelle/copyright; do
    [ -e "$tree/$path" ] || fail "$path is not in the package"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "the dependencies were not computed from the libraries"

echo "== appstreamcli"
appstreamcli validate --no-net "$tree/usr/share/metainfo/com.halvorn.Orvelle.metainfo.xml" || fail "appstreamcli"
echo "== desktop-file-validate"
desktop-file-validate "$tree/usr/share/applications/com.halvorn.Orvelle.desktop" || fail "desktop-file-validate"

# Started once: it must come up, find its data and stay up until told to end.
smoke() { # COMMAND...
    local log
    log=$(mktemp)
    "$@" >"$log" 2>&1 &
    local pid=$!
    sleep 4
    if ! kill -0 "$pid" 2>/dev/null; then
        cat "$log" >&2
        fail "the packaged program ended at start"
    fi
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    if grep -q "load error\|no DATA folder" "$log"; then
        cat "$log" >&2
        fail "the packaged program did not find its data"
    fi
    rm -f "$log"
}

if $chroot_test; then
    echo "== install into a fresh Debian 12 root"
    debian=$(mktemp -d)
    debootstrap --variant=minbase bookworm "$debian" http://deb.debian.org/debian >/dev/null
    cp "$deb" "$debian/tmp/"
    mount -t proc proc "$debian/proc"
    trap 'umount "$debian/proc" 2>/dev/null || true; rm -rf "$tree" "$debian"' EXIT
    chroot "$debian" sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/$(basename "$deb")"
    smoke chroot "$debian" env QT_QPA_PLATFORM=offscreen HOME=/root XDG_RUNTIME_DIR=/tmp /usr/bin/orvelle
    # a module the user added stays when the package goes
    mkdir -p "$debian/root/.local/share/Halvorn/Orvelle/mibs"
    echo "USER-MIB DEFINITIONS ::= BEGIN END" > "$debian/root/.local/share/Halvorn/Orvelle/mibs/USER-MIB.txt"
    chroot "$debian" sh -c "DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq orvelle"
    [ ! -e "$debian/usr/bin/orvelle" ] || fail "removing the package left its program"
    [ -e "$debian/root/.local/share/Halvorn/Orvelle/mibs/USER-MIB.txt" ] || fail "removing the package took the user's files"
else
    echo "== start from the unpacked tree (no chroot: run with --chroot as root for the full install)"
    home=$(mktemp -d)
    smoke env QT_QPA_PLATFORM=offscreen HOME="$home" XDG_RUNTIME_DIR="$home" XDG_CONFIG_HOME="$home/.config" \
        XDG_DATA_HOME="$home/.local/share" "$tree/usr/bin/orvelle"
    rm -rf "$home"
fi
echo "package checks passed: $deb"
