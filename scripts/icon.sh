#!/usr/bin/env bash
# Renders the application icon desktop/quillane.svg into the PNG icons installed beside it:
# desktop/quillane.png (256 px, which the program also embeds) and desktop/quillane-N.png for
# the menu and panel sizes 16, 32, 48 and 64 px. Run after changing the SVG; needs
# rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
rsvg-convert -w 256 -h 256 desktop/quillane.svg -o desktop/quillane.png
echo "Wrote desktop/quillane.png"
for size in 16 32 48 64; do
    rsvg-convert -w "$size" -h "$size" desktop/quillane.svg -o "desktop/quillane-$size.png"
    echo "Wrote desktop/quillane-$size.png"
done
