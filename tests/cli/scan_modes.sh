#!/usr/bin/env bash
# The command-line scan modes end to end: output, messages and exit statuses.
set -u
prog=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
. "$(dirname "$0")/lib/checks.sh"

cat > "$dir/rules.dll" <<'RULES'
[BEGIN]
[+VAR]
PAS=P
[-VAR]
[BEGIN] NAME=P
[+CYC0]
.
S0=//.*
*=#1
B=#0
.
S1=\S.*
<=#1
B=
.
[-CYC0]
[+CYC1]
.
S0=\bunit\s+(\w+)\s*;
D=$1
I=1
T=unit
?
<=#1
B=#2
.
S1=\bprocedure\s+(\w+)\s*;
D=$1
I=0
T=procedure
?
B=#2
.
S2=\bfail\b
[MSG] failing at #1
S9=
[-CYC1]
[END]
[END]
RULES
printf '// The head\r\nunit Demo; // the unit\r\nprocedure Run;\r\n' > "$dir/demo.pas"

out=$("$prog" --records "$dir/demo.pas" --rules "$dir/rules.dll"); rc=$?
check "records exit status" 0 "$rc"
check "records output" $'[LINE]2[ICON]1[LEVEL]1\nunit\nDemo\n// the unit\n[LINE]3[ICON]0[LEVEL]1\nprocedure\nRun\n' "$out"$'\n'

out=$("$prog" --title "$dir/demo.pas" --rules "$dir/rules.dll")
check "title" "// The head" "$out"

out=$("$prog" --outline "$dir/demo.pas" --rules "$dir/rules.dll" --indicator -1)
check "outline with the comment of the line above" $'Demo  (unit, line 2)  // The head\nRun  (procedure, line 3)  // the unit' "$out"

printf 'x\n' > "$dir/other.txt"
out=$("$prog" --records "$dir/other.txt" --rules "$dir/rules.dll" 2>"$dir/err"); rc=$?
check "unknown type status" 2 "$rc"
check "unknown type prints nothing" "" "$out"
check_ok "unknown type message" grep -q "TXT" "$dir/err"

"$prog" --records "$dir/missing.pas" --rules "$dir/rules.dll" >/dev/null 2>&1; rc=$?
check "unreadable source status" 1 "$rc"

: > "$dir/empty.pas"
"$prog" --records "$dir/empty.pas" --rules "$dir/rules.dll" >/dev/null 2>"$dir/err"; rc=$?
check "failed scan status" 1 "$rc"

printf 'fail\n' > "$dir/msg.pas"
"$prog" --records "$dir/msg.pas" --rules "$dir/rules.dll" >/dev/null 2>"$dir/err"; rc=$?
check "messages go to standard error, a fault of the rules once, with its line and rule" \
    $'failing at fail\nfailing at fail\nquillane: There may be an exception at 0: empty regular expression (rules.dll line 36, set CYC1: S9=)' \
    "$(head -c 2000 "$dir/err")"
check "a fault of the rules fails the run" 1 "$rc"

# A rule file cut short after the block's begin line.
head -n 5 "$dir/rules.dll" > "$dir/cut.dll"
out=$("$prog" --records "$dir/demo.pas" --rules "$dir/cut.dll" 2>"$dir/err"); rc=$?
check "a block without rules is named" \
    "quillane: the rule block P has no rules: its set CYC0 is missing or empty (cut.dll line 5, set P: [BEGIN] NAME=P)" \
    "$(cat "$dir/err")"
check "a block without rules fails the run" 1 "$rc"

"$prog" --records "$dir/demo.pas" --indicator x >/dev/null 2>&1; rc=$?
check "bad option value" 2 "$rc"
out=$("$prog" --help)
check_ok "help" grep -q -- "--records" <<<"$out"

# Special files are refused at once, not waited on or read without end; a NUL is said.
mkfifo "$dir/fifo.pas"
ln -s /dev/zero "$dir/zero.pas"
for args in "--outline $dir/fifo.pas --rules $dir/rules.dll" "--outline $dir/zero.pas --rules $dir/rules.dll" \
    "--outline $dir/demo.pas --rules /dev/zero"; do
    # shellcheck disable=SC2086
    timeout 10 "$prog" $args >/dev/null 2>"$dir/err"; rc=$?
    check "$args: status" 1 "$rc"
    grep -q "not a regular file" "$dir/err" || { echo "FAIL: $args: $(cat "$dir/err")"; failures=$((failures + 1)); }
done
printf 'unit Demo;\nprocedure Run;\n\0procedure Lost;\n' > "$dir/nul.pas"
out=$("$prog" --outline "$dir/nul.pas" --rules "$dir/rules.dll" 2>"$dir/err"); rc=$?
check "NUL: status" 0 "$rc"
check "NUL: the outline ends there" $'Demo  (unit, line 1)\nRun  (procedure, line 2)' "$out"
check "NUL: said" "quillane: $dir/nul.pas: the text ends at a NUL character on line 3" "$(cat "$dir/err")"

# Output that cannot be written fails the run, whatever the mode.
if [ -w /dev/full ]; then
    mkdir "$dir/tree" && cp "$dir/demo.pas" "$dir/tree/"
    for mode in "--records $dir/demo.pas" "--title $dir/demo.pas" "--outline $dir/demo.pas" \
        "--search Run $dir/tree --no-cache" --help --version; do
        # shellcheck disable=SC2086 # (--help and --version take no notice of --rules)
        "$prog" $mode --rules "$dir/rules.dll" >/dev/full 2>"$dir/err"; rc=$?
        check "$mode into a full disk: status" 1 "$rc"
        check "$mode into a full disk: message" "quillane: cannot write the output" "$(cut -c1-33 "$dir/err")"
    done
fi

finish
