#!/bin/sh
# Rebuilds DATA/MIBTable.xml from the facts files in this folder.
#   DATA/src/regenerate.sh [path/to/orvelle-mibc]
# Without an argument it uses $ORVELLE_MIBC, then orvelle-mibc from a build
# folder beside the repository or on PATH. The test tst_bundledmib fails
# when DATA/MIBTable.xml differs from what this script writes.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
mibc=${1:-${ORVELLE_MIBC:-}}
if [ -z "$mibc" ]; then
    for candidate in "$root/build/tools/mibc/orvelle-mibc" "$root"/../build*/tools/mibc/orvelle-mibc; do
        if [ -x "$candidate" ]; then mibc=$candidate; break; fi
    done
fi
if [ -z "$mibc" ]; then
    mibc=$(command -v orvelle-mibc || true)
fi
if [ -z "$mibc" ] || [ ! -x "$mibc" ]; then
    echo "regenerate.sh: orvelle-mibc not found; build it (cmake --build BUILD --target orvelle-mibc) and give its path" >&2
    exit 2
fi
exec "$mibc" -o "$root/DATA/MIBTable.xml" "$here"
