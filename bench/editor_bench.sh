#!/bin/bash
# The editor modes' speed over a source tree: the tags file beside ctags, and the language
# server's answers.
#   - ctags -R --languages=Pascal, and ctags over the file types the rule file lists;
#     quillane --tags cold (the outline cache empty) and warm (filled by the run before);
#   - quillane --lsp, driven by build/bench/editor_bench: documentSymbol for a large source
#     (read from its file, then opened), workspace/symbol for QUERY, first and warm.
# Each run's elapsed seconds and CPU seconds (user and system, all threads): the CPU time
# shows the work done when other programs share the machine's cores.
#
#   bash bench/editor_bench.sh QUILLANE [EDITOR_BENCH] [TREE] [LARGE-SOURCE] [QUERY]
#
# EDITOR_BENCH defaults to build/bench/editor_bench beside QUILLANE's build folder, TREE to
# the Free Pascal sources (Debian package fpc-source-3.2.2), LARGE-SOURCE to its
# packages/odata/src/sharepoint.pp (119 000 lines), QUERY to TStringList. The outline
# cache lives in a temporary folder for the run, never in the user's.
set -euo pipefail
QUILLANE=$(readlink -f "$1")
EDITOR_BENCH=${2:-$(dirname "$QUILLANE")/../bench/editor_bench}
TREE=${3:-/usr/share/fpcsrc/3.2.2}
LARGE=${4:-$TREE/packages/odata/src/sharepoint.pp}
QUERY=${5:-TStringList}
RULES=$(dirname "$QUILLANE")/CodeScan.dll
[[ -x "$QUILLANE" ]] || { echo "no program $QUILLANE" >&2; exit 2; }
[[ -x "$EDITOR_BENCH" ]] || { echo "no $EDITOR_BENCH (cmake --build build --target editor_bench)" >&2; exit 2; }
[[ -d "$TREE" ]] || { echo "no folder $TREE (apt-get install fpc-source-3.2.2)" >&2; exit 2; }
[[ -r "$LARGE" ]] || { echo "no source $LARGE" >&2; exit 2; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_CACHE_HOME=$WORK/cache

printf 'machine    %s cores, load %s\ntree       %s\n\n' "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)" "$TREE"
printf '%-40s %8s %8s %9s %8s\n' run seconds "CPU s" tags "peak MB"
declare -A CPU_OF
measure() { # NAME COMMAND...: runs it once; its tags file is $WORK/NAME.tags
    local name=$1
    shift
    /usr/bin/time -f '%e %M %U %S' -o "$WORK/time" "$@" > /dev/null 2> "$WORK/err" || {
        echo "$name failed:" >&2; tail -5 "$WORK/err" >&2; exit 1; }
    local secs kb user sys
    read -r secs kb user sys < "$WORK/time"
    CPU_OF[$name]=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
    printf '%-40s %8.2f %8.2f %9d %8.1f\n' "$name" "$secs" "${CPU_OF[$name]}" \
        "$(grep -vc '^!_TAG_' "$WORK/tags" || true)" "$(awk -v kb="$kb" 'BEGIN { print kb / 1024 }')"
}

# The file types of the rule file's VAR section, for ctags too.
mapfile -t KEYS < <(awk 'BEGIN{IGNORECASE=1} /^[ \t]*\[\+VAR\]/{on=1; next} /^[ \t]*\[-VAR\]/{on=0} on && /=/{sub(/^[ \t]*/, ""); split($0, kv, "="); print tolower(kv[1])}' "$RULES")
if command -v ctags > /dev/null; then
    measure "ctags -R --languages=Pascal" ctags -R --languages=Pascal -f "$WORK/tags" "$TREE"
    measure "ctags, the same file types" ctags -R --languages=Pascal "--langmap=Pascal:+$(printf '.%s' "${KEYS[@]}")" \
        -f "$WORK/tags" "$TREE"
else
    echo "(no ctags: apt-get install universal-ctags)"
fi
measure "quillane --tags, cold" "$QUILLANE" --tags "$TREE" -o "$WORK/tags"
measure "quillane --tags, warm" "$QUILLANE" --tags "$TREE" -o "$WORK/tags"
measure "quillane --tags, warm, again" "$QUILLANE" --tags "$TREE" -o "$WORK/tags"
if [[ -n "${CPU_OF[ctags, the same file types]:-}" ]]; then
    awk -v q="${CPU_OF[quillane --tags, warm]}" -v c="${CPU_OF[ctags, the same file types]}" \
        'BEGIN { printf "warm --tags: %.2fx the CPU time of ctags over the same file types (target: 1.0x at most)\n", q / c }'
fi

echo
"$EDITOR_BENCH" "$QUILLANE" "$LARGE" "$TREE" "$QUERY"
echo "(targets: documentSymbol under 1 s, workspace/symbol on the warm tree under 0.5 s)"
printf '\nload       %s at the end\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
