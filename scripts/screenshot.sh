#!/usr/bin/env bash
# Builds the project and takes a picture of the main window showing the delivered
# Example.pas, drawn offscreen (no display needed), into docs/screenshot.png.
# The settings file of the program folder is read but not written.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
mkdir -p docs
QT_QPA_PLATFORM=offscreen build/bin/quillane --screenshot docs/screenshot.png build/bin/Example.pas
echo "Wrote docs/screenshot.png"
