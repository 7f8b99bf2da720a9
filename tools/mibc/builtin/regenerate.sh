#!/bin/sh
# Rewrites the built-in module facts in this folder from the IETF and IANA
# module files of a MIB folder (the shared corpus by default).
#   tools/mibc/builtin/regenerate.sh [MIB-FOLDER [path/to/orvelle-mibc]]
# The order of the list is the order the compiler reads them: each module
# imports only from those before it.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
mibs=${1:-$root/../shared/mibs}
mibc=${2:-$root/build/tools/mibc/orvelle-mibc}
modules="SNMPv2-SMI SNMPv2-TC SNMPv2-CONF RFC1155-SMI RFC-1212 RFC-1215 RFC1213-MIB SNMPv2-MIB
 IANAifType-MIB IF-MIB INET-ADDRESS-MIB HCNUM-TC IPV6-TC SNMP-FRAMEWORK-MIB IANA-ENTITY-MIB UUID-TC-MIB
 ENTITY-MIB ENTITY-STATE-MIB ENTITY-SENSOR-MIB BRIDGE-MIB HOST-RESOURCES-MIB"
rm -f "$here"/*.facts
i=0
for m in $modules; do
    "$mibc" -q --write-facts "$here/$(printf %02d $i)-$m.facts" -M "$mibs" "$mibs/$m.txt"
    i=$((i + 1))
done
echo "now rebuild: the facts are compiled into orvelle-mibc"
