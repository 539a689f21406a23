#!/usr/bin/env bash
# The scan modes with --includes: records from include files carry [FILE] and their own
# line, the outline names their file, and without --includes nothing changes.
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
S0=\bunit\s+(\w+)\s*;
D=$1
I=1
T=unit
?
B=
.
S1=\bprocedure\s+(\w+)\s*;
D=$1
I=0
T=procedure
?
B=
.
[-CYC0]
[END]
[END]
RULES
mkdir "$dir/inc folder"
printf 'unit Demo;\n{$I parts}\nprocedure Own;\n{$I missing.inc}\n' > "$dir/demo.pas"
printf '{ parts }\nprocedure FromInc;\n' > "$dir/inc folder/parts.inc"
inc="$dir/inc folder/parts.inc"

out=$("$prog" --records "$dir/demo.pas" --includes --include-path "$dir/inc folder" --rules "$dir/rules.dll"); rc=$?
check "records: status" 0 "$rc"
check "records" "[LINE]1[ICON]1[LEVEL]1
unit
Demo

[LINE]2[ICON]0[LEVEL]1[FILE]$inc
procedure
FromInc

[LINE]3[ICON]0[LEVEL]1
procedure
Own

[LINE]4[ICON]2[LEVEL]1
include
missing.inc
not found" "$out"

out=$("$prog" --outline "$dir/demo.pas" --rules "$dir/rules.dll" --include-path "$dir/inc folder" --includes)
check "outline" "Demo  (unit, line 1)
FromInc  (procedure, parts.inc line 2)
Own  (procedure, line 3)
missing.inc  (include, line 4)  not found" "$out"

out=$("$prog" --outline "$dir/demo.pas" --rules "$dir/rules.dll")
check "outline without --includes" "Demo  (unit, line 1)
Own  (procedure, line 3)" "$out"

# An include folder that does not exist is no failure; the include is still found below the
# unit's folder.
out=$("$prog" --outline "$dir/demo.pas" --rules "$dir/rules.dll" --includes --include-path "$dir/none" 2>&1); rc=$?
check "a missing include folder: status" 0 "$rc"
check "a missing include folder: the include found below" "Demo  (unit, line 1)
FromInc  (procedure, parts.inc line 2)
Own  (procedure, line 3)
missing.inc  (include, line 4)  not found" "$out"

finish
