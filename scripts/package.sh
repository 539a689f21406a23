#!/usr/bin/env bash
# Makes the Debian package build-package/quillane_VERSION_ARCH.deb (install it with
# sudo apt-get install ./build-package/quillane_*.deb): the program alone, without the tests
# and benchmarks, built in build-package/ with the distribution's hardening flags as
# dpkg-buildflags gives them (all of them: fortified functions, relro and bindnow), then
# checked by lintian, which must report no errors, no warnings and no missing hardening.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --packages
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# CMake takes no CPPFLAGS (which hold _FORTIFY_SOURCE): they go in front of the compile flags.
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    "-DCMAKE_CXX_FLAGS=$CPPFLAGS $CXXFLAGS" "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" "${launcher[@]}" > /dev/null
echo "Building into build-package/ (compiler output in build-package/build.log)..."
if ! cmake --build build-package --parallel "$(nproc)" > build-package/build.log 2>&1; then
    tail -n 60 build-package/build.log
    echo "The build failed; the whole output is in build-package/build.log." >&2
    exit 1
fi
rm -f build-package/quillane_*.deb
(cd build-package && cpack -G DEB > cpack.log) || { cat build-package/cpack.log; exit 1; }
deb=$(echo build-package/quillane_*.deb)
# lintian's notes (shown) include the hardening a binary lacks, which this build must not.
if ! report=$(lintian -I --fail-on error,warning "$deb" 2>&1) || grep -q 'hardening-' <<< "$report"; then
    echo "$report"
    echo "lintian found errors, warnings or missing hardening in $deb" >&2
    exit 1
fi
echo "$report"
echo "Wrote $deb"
