#!/bin/sh
# Renders the icon sources to the PNG sizes the program and the desktop
# entry use. Needs rsvg-convert (Debian: librsvg2-bin); only run it after
# changing an .svg.
set -e
cd "$(dirname "$0")"
for f in orvelle tray-stopped tray-running; do
    for s in 16 22 32 48 64; do rsvg-convert -w $s -h $s $f.svg -o $f-$s.png; done
done
for s in 128 256; do rsvg-convert -w $s -h $s orvelle.svg -o orvelle-$s.png; done
