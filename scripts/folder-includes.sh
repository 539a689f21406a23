#!/usr/bin/env bash
# Lists which folder of src/ includes which: one line "FROM -> TO (N)" per pair of folders,
# N the #include lines behind it; then any loop among the folders (a folder that, directly or
# through others, includes a folder that includes it back). Exit status 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/../src"
edges=$(grep -rE --include='*.cpp' --include='*.h' '^#include "[^"]+/[^"/]+"' . |
    sed -E 's#^\./(.*)/[^/]+:\#include "(.*)/[^/]+".*#\1 \2#' |
    awk '$1 != $2' | sort | uniq -c | awk '{print $2, $3, $1}')
echo "$edges" | awk '{printf "%-12s -> %-12s (%d)\n", $1, $2, $3}'
loops=$(echo "$edges" | awk '{print $1, $2}' | tsort 2>&1 >/dev/null | sed -n 's/^tsort: //p' | grep -v 'input contains a loop' || true)
if [ -n "$loops" ]; then
    echo "Folders in a loop:"
    echo "$loops"
    exit 1
fi
echo "No loops."
