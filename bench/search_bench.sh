#!/bin/bash
# Throughput of the search job through the command line: quillane --search over a
# source tree, all four fields, every file type of the rule file's VAR section.
# Prints files, MB, seconds, MB/s and the peak memory.
#
#   bash bench/search_bench.sh QUILLANE [RULEFILE] [TREE] [KEYWORD]
#
# RULEFILE defaults to CodeScan.dll beside QUILLANE, TREE to the Free Pascal sources
# (Debian package fpc-source-3.2.2), KEYWORD to "Create".
set -euo pipefail
QUILLANE=$(readlink -f "$1")
RULES=${2:-$(dirname "$QUILLANE")/CodeScan.dll}
TREE=${3:-/usr/share/fpcsrc/3.2.2}
KEYWORD=${4:-Create}
[[ -x "$QUILLANE" ]] || { echo "no program $QUILLANE" >&2; exit 2; }
[[ -r "$RULES" ]] || { echo "no rule file $RULES" >&2; exit 2; }
[[ -d "$TREE" ]] || { echo "no folder $TREE (apt-get install fpc-source-3.2.2)" >&2; exit 2; }

# The file types the search takes: the keys of the VAR section.
mapfile -t KEYS < <(awk 'BEGIN{IGNORECASE=1} /^[ \t]*\[\+VAR\]/{on=1; next} /^[ \t]*\[-VAR\]/{on=0} on && /=/{sub(/^[ \t]*/, ""); split($0, kv, "="); print tolower(kv[1])}' "$RULES")
[[ ${#KEYS[@]} -gt 0 ]] || { echo "the rule file lists no file types" >&2; exit 2; }

# The same files the search gathers: every regular file whose extension is one of the
# keys, in any letter case, without following links to folders.
find_args=()
for key in "${KEYS[@]}"; do
    find_args+=(-o -iname "*.$key")
done
read -r FILES BYTES < <(find "$TREE" -type f \( "${find_args[@]:1}" \) -printf '%s\n' |
                        awk '{n++; b+=$1} END{print n+0, b+0}')

LOG=$(mktemp)
ROWS=$(mktemp)
trap 'rm -f "$LOG" "$ROWS"' EXIT
/usr/bin/time -v "$QUILLANE" --search "$KEYWORD" "$TREE" --rules "$RULES" > "$ROWS" 2> "$LOG" || {
    echo "quillane --search failed:" >&2; tail -5 "$LOG" >&2; exit 1; }

ELAPSED=$(awk -F': ' '/Elapsed \(wall clock\)/{print $2}' "$LOG")
SECONDS_TAKEN=$(echo "$ELAPSED" | awk -F: '{s=0; for (i=1; i<=NF; i++) s=s*60+$i; print s}')
PEAK_KB=$(awk -F': ' '/Maximum resident set size/{print $2}' "$LOG")
awk -v files="$FILES" -v bytes="$BYTES" -v secs="$SECONDS_TAKEN" -v kb="$PEAK_KB" \
    -v rows="$(wc -l < "$ROWS")" -v rules="$RULES" -v types="${KEYS[*]}" -v keyword="$KEYWORD" 'BEGIN {
    mb = bytes / 1e6
    printf "rules      %s (types: %s)\n", rules, types
    printf "keyword    %s, all fields\n", keyword
    printf "files      %d\n", files
    printf "MB         %.1f\n", mb
    printf "seconds    %.2f\n", secs
    printf "MB/s       %.2f\n", (secs > 0 ? mb / secs : 0)
    printf "rows       %d\n", rows
    printf "peak RSS   %.1f MB\n", kb / 1024
}'
