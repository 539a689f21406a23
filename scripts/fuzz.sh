#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (ASan and UBSan) in build-fuzz/ and runs
# each for a while:
#   scripts/fuzz.sh [SECONDS [TARGET...]]   (60 seconds; fuzz_scan_source and fuzz_scan_rules)
# The corpora grow in build-fuzz/corpus/TARGET/, seeded from the project's sources and rule
# files. A crash, a sanitizer report, an input that runs over 10 s or over 2 GB ends the
# target with its input saved in build-fuzz/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_scan_source fuzz_scan_rules)
scripts/setup.sh --fuzz

werror=()
[ "${CI:-}" = "true" ] && werror=(-DQUILLANE_WERROR=ON)
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQUILLANE_FUZZ=ON "${werror[@]}" >/dev/null
echo "Building into build-fuzz/ (compiler output in build-fuzz/build.log)..."
if ! cmake --build build-fuzz --parallel "$(nproc)" >build-fuzz/build.log 2>&1; then
    tail -n 60 build-fuzz/build.log
    echo "The build failed; the whole output is in build-fuzz/build.log." >&2
    exit 1
fi

seed() { # TARGET FILE...
    local dir=build-fuzz/corpus/$1
    shift
    mkdir -p "$dir"
    for file in "$@"; do
        cp "$file" "$dir/seed-$(echo "$file" | tr '/' '-')"
    done
}
seed fuzz_scan_source data/Example.pas tests/scan/cases/*/input.pas
seed fuzz_scan_rules data/CodeScan.dll tests/search/rules.dll

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS=detect_leaks=1
status=0
for target in "${targets[@]}"; do
    echo "Fuzzing $target for $seconds s (log in build-fuzz/$target.log)..."
    max_len=16384
    [ "$target" = fuzz_scan_rules ] && max_len=32768
    if ! "build-fuzz/fuzz/$target" "build-fuzz/corpus/$target" -dict="fuzz/${target#fuzz_scan_}.dict" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" \
        -print_final_stats=1 -artifact_prefix="build-fuzz/$target-" >"build-fuzz/$target.log" 2>&1; then
        tail -n 40 "build-fuzz/$target.log"
        echo "$target found a fault; its input is in build-fuzz/" >&2
        status=1
    fi
    grep -E "^#[0-9]+.*DONE|stat::number_of_executed_units|cov:" "build-fuzz/$target.log" | tail -n 2 || true
done
exit $status
