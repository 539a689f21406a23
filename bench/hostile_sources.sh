#!/usr/bin/env bash
# Hostile sources for the scanner: placeholders written in the source, string literals
# that look like placeholders, an endless uses clause and very long lines. Writes each
# source, runs `quillane --records` on it with the delivered rules and prints the time,
# the peak memory, the exit status and the number of records.
#
#   bash bench/hostile_sources.sh [PROGRAM [RULEFILE]]   (defaults: build/bin/quillane)
#   KEEP=FOLDER bash bench/hostile_sources.sh ...         keeps the sources in FOLDER
#   LIMIT=SECONDS ...                                      stops a run after that long (600)
set -euo pipefail
prog=${1:-build/bin/quillane}
rules=${2:-$(dirname "$prog")/CodeScan.dll}
if [ -n "${KEEP:-}" ]; then
    dir=$KEEP
    mkdir -p "$dir"
else
    dir=$(mktemp -d)
    trap 'rm -rf "$dir"' EXIT
fi

repeat() { head -c "$2" /dev/zero | tr '\0' "$1"; }

# One line of declarations and routines of about $1 bytes.
long_line() {
    awk -v size="$1" 'BEGIN {
        printf "{ One line } unit LongLine; interface "
        q = sprintf("%c", 39); half = size / 2; out = 38
        for (n = 0; out < half; n++)
            out += printf_decl(n)
        printf "implementation "
        for (i = 0; i < n; i++)
            printf "procedure P%d(const S: string; var N: Integer); var T: string; begin T := S + %s-%s + #13#10; if N > 0 then N := Length(T) else N := 0; end; ", i, q, q
        printf "end.\n"
    }
    function printf_decl(n,   text) {
        text = sprintf("type TRec%d = record A, B: Integer; end; const C%d = %svalue %d%s; procedure P%d(const S: string; var N: Integer); ", n, n, q, n, q, n)
        printf "%s", text
        return length(text)
    }'
}

printf "unit u;\ninterface\nconst A = 'abc'; { see _!5_ here }\nimplementation\nend.\n" >"$dir/placeholder_in_comment.pas"
printf "unit u;\ninterface\nconst A = 'secret'; { see _!0_ }\nimplementation\nend.\n" >"$dir/placeholder_zero.pas"
printf "unit u;\ninterface\nconst S = '_!0_%s';\nimplementation\nend.\n" "$(repeat x 20000)" >"$dir/literal_20k.pas"
printf "unit u;\ninterface\nconst S = '_!0_%s';\nimplementation\nend.\n" "$(repeat x 100000)" >"$dir/literal_100k.pas"
awk 'BEGIN { print "unit u; interface uses a"; for (i = 0; i < 50000; i++) print "  x, y" }' \
    >"$dir/uses_50000_lines.pas"
long_line 1048576 >"$dir/line_1mb.pas"
long_line 10485760 >"$dir/line_10mb.pas"

printf "%-26s %9s %9s %7s %8s  %s\n" source seconds "peak MB" status records "first message"
for source in placeholder_in_comment placeholder_zero literal_20k literal_100k uses_50000_lines line_1mb line_10mb; do
    file="$dir/$source.pas"
    status=0
    /usr/bin/time -f "%e %M" -o "$dir/time" timeout "${LIMIT:-600}" "$prog" --records "$file" --rules "$rules" \
        >"$dir/out" 2>"$dir/err" || status=$?
    read -r seconds kib < <(tail -n 1 "$dir/time")
    records=$(($(wc -l <"$dir/out") / 4))
    printf "%-26s %9s %9d %7d %8d  %s\n" "$source" "$seconds" $((kib / 1024)) "$status" "$records" \
        "$(head -n 1 "$dir/err" | cut -c1-60)"
done
