#!/usr/bin/env bash
# Sets up and builds the project, then makes the Debian package build/quillane_VERSION_ARCH.deb
# (installs with: sudo apt-get install ./build/quillane_*.deb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cd build
cpack -G DEB
