#!/usr/bin/env bash
# Sets up and builds the project, then opens Example.pas in the window; on a machine
# without a display it prints the file's title and outline instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/bin/quillane build/bin/Example.pas
fi
echo "No display: printing the outline of Example.pas."
build/bin/quillane --title build/bin/Example.pas
echo
exec build/bin/quillane --outline build/bin/Example.pas
