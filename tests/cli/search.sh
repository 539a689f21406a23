#!/bin/bash
# End-to-end check of quillane --search: rows, field and type choices, errors.
set -u
QUILLANE=$1
TESTS=$2
RULES=$TESTS/search/rules.dll
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# The outline cache goes to the test's own folder, never to the user's.
export XDG_CACHE_HOME=$WORK/cache
CACHE=$XDG_CACHE_HOME/quillane/outlines.sqlite
. "$(dirname "$0")/lib/checks.sh"

mkdir -p "$WORK/src/sub"
printf '// Widget tools\nprocedure MakeWidget; // builds a Widget\nprocedure Other;\n' > "$WORK/src/a.pas"
printf 'type TWidget\n' > "$WORK/src/sub/b.PAS"
printf 'procedure WidgetMain;\n' > "$WORK/src/main.dpr"
: > "$WORK/src/empty.pas"
T=$'\t'

out=$("$QUILLANE" --search Widget "$WORK/src" --rules "$RULES" --types dpr)
check "one type" "$WORK/src/main.dpr${T}1${T}WidgetMain${T}${T}procedure" "$out"

out=$("$QUILLANE" --search Widget "$WORK/src/sub" "$WORK/src/sub" --rules "$RULES" --types pas)
check "folder listed twice" "$WORK/src/sub/b.PAS${T}1${T}TWidget${T}${T}class
$WORK/src/sub/b.PAS${T}1${T}TWidget${T}${T}class" "$out"

out=$("$QUILLANE" --search Widget "$WORK/src" --rules "$RULES" --types pas --in title,comment | sort)
check "titles and comments" "$WORK/src/a.pas${T}0${T}${T}// Widget tools${T}
$WORK/src/a.pas${T}2${T}MakeWidget${T}// builds a Widget${T}procedure" "$out"

out=$("$QUILLANE" --search Widget "$WORK/src" --rules "$RULES" | wc -l)
check "all fields, every type" "5" "$(echo $out)"

out=$("$QUILLANE" --search widget "$WORK/src" --rules "$RULES")
check "letter case counts" "" "$out"
out=$("$QUILLANE" --search wIDGET "$WORK/src" --rules "$RULES" --types dpr --ignore-case)
check "--ignore-case" "$WORK/src/main.dpr${T}1${T}WidgetMain${T}${T}procedure" "$out"

"$QUILLANE" --search Widget "$WORK/src" --rules "$RULES" --types pp > "$WORK/out" 2> "$WORK/err"
check "unknown type exit status" "2" "$?"
check "unknown type prints nothing" "" "$(cat "$WORK/out")"
grep -q "PP" "$WORK/err" || { echo "FAIL: unknown type message"; failures=$((failures + 1)); }

"$QUILLANE" --search Widget "$WORK/src" --rules "$RULES" --in names > /dev/null 2>&1
check "bad --in exit status" "2" "$?"
"$QUILLANE" --search Widget --rules "$RULES" > /dev/null 2>&1
check "no folder exit status" "2" "$?"
"$QUILLANE" --search Widget "$WORK/src" --rules "$WORK/missing.dll" > /dev/null 2>&1
check "missing rule file exit status" "1" "$?"

out=$("$QUILLANE" --search Widget "$WORK/nowhere" --rules "$RULES" 2> "$WORK/err")
check "missing folder: no rows" "" "$out"
grep -q "nowhere" "$WORK/err" || { echo "FAIL: missing folder warning"; failures=$((failures + 1)); }

# Threads and the cache change nothing in the rows.
for i in $(seq 1 40); do
    printf '// Widget %d\nprocedure Widget%d; // Widget\ntype TWidget%d\n' $i $i $i > "$WORK/src/sub/w$i.pas"
done
rm -rf "$XDG_CACHE_HOME"
"$QUILLANE" --search Widget "$WORK/src" --rules "$RULES" --jobs 1 --no-cache > "$WORK/one"
[[ -e "$CACHE" ]] && { echo "FAIL: --no-cache made the cache"; failures=$((failures + 1)); }
check "one thread finds every row" "165" "$(wc -l < "$WORK/one")"
"$QUILLANE" --search Widget "$WORK/src" --rules "$RULES" --jobs 3 > "$WORK/cold"
[[ -s "$CACHE" ]] || { echo "FAIL: no cache made"; failures=$((failures + 1)); }
"$QUILLANE" --search Widget "$WORK/src" --rules "$RULES" > "$WORK/warm"
check "three threads, cold" "$(cat "$WORK/one")" "$(cat "$WORK/cold")"
check "all cores, warm" "$(cat "$WORK/one")" "$(cat "$WORK/warm")"

for jobs in 0 x -1 257; do
    "$QUILLANE" --search Widget "$WORK/src" --rules "$RULES" --jobs $jobs > /dev/null 2>&1
    check "--jobs $jobs exit status" "2" "$?"
done

# File names with tabs, line breaks, backslashes and bytes that are not UTF-8 stay one
# recoverable cell.
mkdir "$WORK/odd"
for name in $'tab\there.pas' $'line\nbreak.pas' 'back\slash.pas' $'not\xffutf8.pas' $'cr\rhere.pas'; do
    printf 'procedure OddName;\n' > "$WORK/odd/$name"
done
out=$("$QUILLANE" --search OddName "$WORK/odd" --rules "$RULES" --no-cache | cut -f1 | LC_ALL=C sort)
check "odd names are escaped" "$WORK/odd/back\\\\slash.pas
$WORK/odd/cr\rhere.pas
$WORK/odd/line\nbreak.pas
$WORK/odd/not\xFFutf8.pas
$WORK/odd/tab\there.pas" "$out"

# A FIFO among the sources neither hangs the search nor hides the other rows.
mkdir "$WORK/fifo" && mkfifo "$WORK/fifo/x.pas" && cp "$WORK/src/a.pas" "$WORK/fifo/"
out=$(timeout 20 "$QUILLANE" --search MakeWidget "$WORK/fifo" --rules "$RULES" --no-cache 2> "$WORK/err"); rc=$?
check "FIFO: status" 1 "$rc"
check "FIFO: the other rows" "$WORK/fifo/a.pas${T}2${T}MakeWidget${T}// builds a Widget${T}procedure" "$out"
check "FIFO: said" "quillane: 1 file and 0 folders could not be read (see the trace log)" "$(cat "$WORK/err")"

finish
