#!/usr/bin/env bash
# Renders the application icon desktop/quillane.svg into desktop/quillane.png (256 px), the
# picture the program embeds and installs beside the SVG. Run after changing the SVG; needs
# rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
rsvg-convert -w 256 -h 256 desktop/quillane.svg -o desktop/quillane.png
echo "Wrote desktop/quillane.png"
