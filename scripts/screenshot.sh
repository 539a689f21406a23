#!/usr/bin/env bash
# Builds the project and takes the README's pictures of the delivered Example.pas, drawn
# offscreen (no display needed), into docs/: the main window on the top level and on its
# interface section, the filter in use, and the text viewer at an entry's line; and a unit of
# the Free Pascal sources (package fpc-source-3.2.2) with its include files followed.
# The settings file of the program folder is read but not written.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
mkdir -p docs
example="$PWD/build/bin/Example.pas"
shot() { QT_QPA_PLATFORM=offscreen build/bin/quillane --screenshot "$@" 2>/dev/null; }
shot docs/screenshot.png "$example"
# The interface section stepped into: entry 1 is the section, its children start at index 8.
shot docs/screenshot-interface.png "$example?8"
shot docs/screenshot-filter.png --filter quantity "$example"
# The nested routine AddItem of TInventory.TotalQuantity.
shot docs/screenshot-viewer.png --line 189 "$example"
classes=/usr/share/fpcsrc/3.2.2/rtl/unix/classes.pp
if [ -f "$classes" ]; then
    shot docs/screenshot-includes.png "$classes?TStringList"
fi
echo "Wrote docs/screenshot.png, docs/screenshot-interface.png, docs/screenshot-filter.png," \
     "docs/screenshot-viewer.png and (with the Free Pascal sources) docs/screenshot-includes.png"
