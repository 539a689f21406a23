#!/usr/bin/env bash
# Sets up and builds the project, then runs every test (unit, GUI offscreen, command line).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j "$(nproc)"
