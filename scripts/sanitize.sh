#!/usr/bin/env bash
# Builds the project with sanitizers and runs its tests there:
#   scripts/sanitize.sh [address]   AddressSanitizer and UndefinedBehaviorSanitizer: every test,
#                                   built in build-asan/
#   scripts/sanitize.sh thread      ThreadSanitizer: every test, built in build-tsan/; Debian's Qt
#                                   is not built with it, so races with a Qt frame on the stack
#                                   are suppressed (tests/tsan-qt.supp)
# Any sanitizer report fails the test that made it.
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-address}
case "$kind" in
address) dir=build-asan ;;
thread) dir=build-tsan ;;
*)
    echo "usage: scripts/sanitize.sh [address|thread]" >&2
    exit 2
    ;;
esac
scripts/setup.sh --packages

werror=()
[ "${CI:-}" = "true" ] && werror=(-DQUILLANE_WERROR=ON)
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLANE_SANITIZE="$kind" "${werror[@]}" >/dev/null
echo "Building into $dir/ (compiler output in $dir/build.log)..."
if ! cmake --build "$dir" --parallel "$(nproc)" >"$dir/build.log" 2>&1; then
    tail -n 60 "$dir/build.log"
    echo "The build failed; the whole output is in $dir/build.log." >&2
    exit 1
fi

export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan-qt.supp
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 900 -j "$(nproc)"
