#!/usr/bin/env bash
# Installs the Debian packages the project needs (when missing) and builds it into build/.
#   scripts/setup.sh             the packages, then the build
#   scripts/setup.sh --packages  the packages only (the sanitizer builds of scripts/sanitize.sh)
#   scripts/setup.sh --fuzz      the packages and clang with its libFuzzer runtime, for
#                                scripts/fuzz.sh; no build
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-build}

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libpcre2-dev libsqlite3-dev libgtest-dev
          # the install and package tests: desktop file, metainfo and MIME type checks, cpack's
          # DEB generator (dpkg-shlibdeps, file) and the package check
          desktop-file-utils appstream shared-mime-info dpkg-dev file lintian
          # the editor tests: a real language client (Neovim) and tags reader (readtags)
          neovim universal-ctags)
[ "$mode" = --fuzz ] && packages+=(clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

[ "$mode" = build ] || exit 0

# CI builds with warnings as errors; elsewhere the build keeps whatever was configured.
werror=()
[ "${CI:-}" = "true" ] && werror=(-DQUILLANE_WERROR=ON)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${werror[@]}" >/dev/null
echo "Building into build/ (compiler output in build/build.log)..."
if ! cmake --build build --parallel "$(nproc)" >build/build.log 2>&1; then
    tail -n 60 build/build.log
    echo "The build failed; the whole output is in build/build.log." >&2
    exit 1
fi
