#!/bin/bash
# The search beside ctags, in one run over a source tree: `ctags -R --languages=Pascal`
# (and ctags over the same file types the search takes), then quillane --search cold on
# one thread, cold on every core, and warm (the outline cache filled by the run before),
# all four fields, every file type of the rule file's VAR section. Prints files, MB,
# seconds, MB/s and peak memory of each run, the machine's load, and checks that the
# three searches printed the same rows. CPU s, the user and system time of all threads,
# shows the work done, which the elapsed seconds hide when other programs share the machine.
#
#   bash bench/search_bench.sh QUILLANE [RULEFILE] [TREE] [KEYWORD]
#
# RULEFILE defaults to CodeScan.dll beside QUILLANE, TREE to the Free Pascal sources
# (Debian package fpc-source-3.2.2), KEYWORD to "Create". The outline cache lives in a
# temporary folder for the run, never in the user's.
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

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_CACHE_HOME=$WORK/cache

printf 'machine    %s cores, load %s\n' "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf 'tree       %s\nrules      %s (types: %s)\nkeyword    %s, all fields\n\n' \
    "$TREE" "$RULES" "${KEYS[*]}" "$KEYWORD"
printf '%-34s %6s %7s %7s %7s %7s %8s\n' run files MB seconds MB/s "CPU s" "peak MB"

declare -A SECONDS_OF
# measure NAME FILES BYTES COMMAND...: runs the command once, its output in $WORK/NAME.
measure() {
    local name=$1 files=$2 bytes=$3
    shift 3
    /usr/bin/time -f '%e %M %U %S' -o "$WORK/$name.time" "$@" > "$WORK/$name.out" 2> "$WORK/$name.err" || {
        echo "$name failed:" >&2; tail -5 "$WORK/$name.err" >&2; exit 1; }
    local secs kb user sys
    read -r secs kb user sys < "$WORK/$name.time"
    SECONDS_OF[$name]=$secs
    awk -v name="$name" -v files="$files" -v bytes="$bytes" -v secs="$secs" -v kb="$kb" \
        -v user="$user" -v sys="$sys" 'BEGIN {
        mb = bytes / 1e6
        printf "%-34s %6d %7.1f %7.2f %7.1f %7.2f %8.1f\n", name, files, mb, secs, (secs > 0 ? mb / secs : 0),
               user + sys, kb / 1024 }'
}

if command -v ctags > /dev/null; then
    # ctags reports the files and bytes it scanned: "N files, L lines (K kB) scanned ...".
    ctags_run() { # NAME CTAGS-OPTIONS...
        local name=$1
        shift
        ctags -R "$@" -f /dev/null --totals=yes "$TREE" > "$WORK/totals" 2>&1
        read -r files kb < <(awk '/files,.*lines/{gsub(/[(]/, ""); print $1, $5; exit}' "$WORK/totals")
        measure "$name" "$files" "$((kb * 1024))" ctags -R "$@" -f /dev/null "$TREE"
    }
    ctags_run "ctags -R --languages=Pascal" --languages=Pascal
    langmap=$(printf '.%s' "${KEYS[@]}")
    ctags_run "ctags, the search's file types" --languages=Pascal "--langmap=Pascal:+$langmap"
else
    echo "(no ctags: apt-get install universal-ctags)"
fi

search=("$QUILLANE" --search "$KEYWORD" "$TREE" --rules "$RULES")
measure "search, cold, 1 thread" "$FILES" "$BYTES" "${search[@]}" --jobs 1
rm -rf "$XDG_CACHE_HOME"
measure "search, cold, all cores" "$FILES" "$BYTES" "${search[@]}"
measure "search, warm, all cores" "$FILES" "$BYTES" "${search[@]}"

echo
same="identical in all three searches"
cmp -s "$WORK/search, cold, 1 thread.out" "$WORK/search, cold, all cores.out" &&
    cmp -s "$WORK/search, cold, 1 thread.out" "$WORK/search, warm, all cores.out" || same="DIFFERENT between the searches"
printf 'rows       %d, %s\n' "$(wc -l < "$WORK/search, cold, 1 thread.out")" "$same"
printf 'cache      %.1f MB\n' "$(du -sk "$XDG_CACHE_HOME" | awk '{print $1 / 1024}')"
if [[ -n "${SECONDS_OF[ctags -R --languages=Pascal]:-}" ]]; then
    awk -v cold="${SECONDS_OF[search, cold, all cores]}" -v ctags="${SECONDS_OF[ctags -R --languages=Pascal]}" \
        'BEGIN { printf "cold       %.1fx the time of ctags -R --languages=Pascal (target: 2.0x at most)\n", cold / ctags }'
fi
printf 'warm       %s s (target: 0.5 s at most)\n' "${SECONDS_OF[search, warm, all cores]}"
printf 'load       %s at the end\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
[[ "$same" != DIFFERENT* ]]
