#!/usr/bin/env bash
# Builds the project and takes a picture of the main window showing the delivered
# Example.pas (its top level and its interface section), drawn offscreen (no display needed), into docs/.
# The settings file of the program folder is read but not written.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
mkdir -p docs
QT_QPA_PLATFORM=offscreen build/bin/quillane --screenshot docs/screenshot.png build/bin/Example.pas
# The interface section stepped into: entry 1 is the section, its children start at index 8.
QT_QPA_PLATFORM=offscreen build/bin/quillane --screenshot docs/screenshot-interface.png \
    "$PWD/build/bin/Example.pas?8"
echo "Wrote docs/screenshot.png and docs/screenshot-interface.png"
