#!/usr/bin/env bash
# The window's start paths through the program itself: without a display it explains
# itself instead of failing inside the toolkit; offscreen it opens the first argument
# and takes a picture of the window without writing the settings, and a signal ends it.
set -euo pipefail
program="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

printf 'unit Tiny;\n' > "$work/Tiny.pas"

status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$work/Tiny.pas" \
    > "$work/out.txt" 2> "$work/err.txt" || status=$?
[ "$status" -eq 1 ] || { echo "without a display: status $status, expected 1"; exit 1; }
grep -q -- "--outline" "$work/err.txt" || { echo "without a display: no hint"; cat "$work/err.txt"; exit 1; }

ini="$(dirname "$program")/quillane.ini"
before="$( [ -f "$ini" ] && md5sum < "$ini" || echo none)"
QT_QPA_PLATFORM=offscreen "$program" --screenshot "$work/shot.png" "$work/Tiny.pas" 2> "$work/err.txt"
[ -s "$work/shot.png" ] || { echo "no picture written"; cat "$work/err.txt"; exit 1; }
head -c 8 "$work/shot.png" | od -An -tx1 | grep -q "89 50 4e 47" || { echo "not a PNG"; exit 1; }
after="$( [ -f "$ini" ] && md5sum < "$ini" || echo none)"
[ "$before" = "$after" ] || { echo "the settings file changed"; exit 1; }

status=0
QT_QPA_PLATFORM=offscreen "$program" --screenshot 2> "$work/err.txt" || status=$?
[ "$status" -eq 2 ] || { echo "--screenshot without a file: status $status, expected 2"; exit 1; }
# A source that is a pipe nobody writes to is not waited on: the run ends by itself.
mkfifo "$work/Hang.pas"
status=0
QT_QPA_PLATFORM=offscreen timeout 20 "$program" --screenshot "$work/hang.png" "$work/Hang.pas" 2>/dev/null || status=$?
[ "$status" -eq 0 ] || { echo "--screenshot on a pipe: status $status, expected 0"; exit 1; }
[ -s "$work/hang.png" ] || { echo "--screenshot on a pipe: no picture written"; exit 1; }
echo "ok"
