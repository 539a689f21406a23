#!/usr/bin/env bash
# Hostile file trees, files and outputs: builds each in a temporary folder, runs the program
# on it and checks the outcome, printing PASS or FAIL with the figures of each check (time,
# peak memory, exit status). The program runs from a copy of its program folder, so its
# settings, trace log and outline cache stay in the temporary folder.
#
#   bash bench/hostile_tree.sh [PROGRAM]       (default: build/bin/quillane)
#   KEEP=1 bash bench/hostile_tree.sh ...      keeps the temporary folder and names it
#
# Run as root, the checks of unreadable files and folders run the program as the user
# nobody (setpriv), since root reads files whatever their mode; a path longer than PATH_MAX
# stops root too. The window checks run on the offscreen platform. What needs the window's
# dialogs or a look at its labels (the HTML export over pages and links, markup in names)
# is checked by running those tests of the build folder the program lies in, when built.
# LIMIT=SECONDS ends each run after that long (60).
set -uo pipefail
prog=$(realpath "${1:-build/bin/quillane}")
bin=$(dirname "$prog")
build=$(dirname "$bin")
dir=$(mktemp -d)
chmod 755 "$dir"
if [ -n "${KEEP:-}" ]; then echo "keeping $dir"; else trap 'rm -rf "$dir"' EXIT; fi
export QT_QPA_PLATFORM=offscreen XDG_CACHE_HOME=$dir/cache XDG_CONFIG_HOME=$dir/config XDG_STATE_HOME=$dir/state \
    XDG_RUNTIME_DIR=$dir/runtime
mkdir -m 700 "$dir/runtime"
passed=0
failed=0

# A program folder of its own: the program, its data and the delivered settings.
mkdir "$dir/prog"
cp -r "$prog" "$bin/CodeScan.dll" "$bin/Example.pas" "$bin/help" "$dir/prog/"
cp "$build/../data/quillane.ini" "$dir/prog/" 2>/dev/null || cp "$bin/quillane.ini" "$dir/prog/"
q=$dir/prog/quillane
log=$dir/prog/quillane.TXT
example=$dir/prog/Example.pas

result() { # PASS-condition name figures
    if [ "$1" = 0 ]; then
        printf 'PASS  %-58s %s\n' "$2" "$3"
        passed=$((passed + 1))
    else
        printf 'FAIL  %-58s %s\n' "$2" "$3"
        failed=$((failed + 1))
    fi
}
# Runs the program under time and timeout: sets rc, secs, mb; output in $dir/out, $dir/err.
run() {
    rc=0
    /usr/bin/time -f "%e %M" -o "$dir/time" timeout -k 5 "${LIMIT:-60}" "$@" >"$dir/out" 2>"$dir/err" || rc=$?
    read -r secs kib < <(tail -n 1 "$dir/time")
    mb=$((kib / 1024))
}
figures() { echo "exit $rc, ${secs} s, ${mb} MB${1:+, $1}"; }
said() { grep -m1 '^quillane:' "$dir/err" | cut -c1-"${1:-90}"; }
has() { grep -qF -- "$1" "$2"; }
# Starts the window on a location, ends it with SIGTERM after a while, waits for its end.
window() { # location [user-prefix...]
    local location=$1
    shift
    "$@" "$q" "$location" >"$dir/out" 2>"$dir/err" &
    local pid=$!
    sleep "${WINDOW_SECONDS:-2}"
    kill -TERM "$pid" 2>/dev/null
    rc=0
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
    if kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid"
        rc=124
    fi
    wait "$pid" 2>/dev/null
    [ "$rc" = 124 ] || rc=0
}

echo "== special files and sizes"
mkdir "$dir/fifo"
cp "$example" "$dir/fifo/a.pas"
mkfifo "$dir/fifo/x.pas"
run "$q" --search Create "$dir/fifo" --no-cache
rows=$(grep -c "a.pas" "$dir/out")
[ "$rc" = 1 ] && [ "$rows" -gt 0 ] && has "1 file and 0 folders could not be read (see the trace log)" "$dir/err"
result $? "FIFO x.pas: --search ends, a.pas's rows come" "$(figures "$rows rows")"
run "$q" --outline "$dir/fifo/x.pas"
[ "$rc" = 1 ] && has "not a regular file" "$dir/err"
result $? "FIFO x.pas: --outline refuses it" "$(figures)"
touch -d '2000-01-01' "$dir/prog/quillane.ini"
window "$dir/fifo/x.pas"
[ "$rc" = 0 ] && [ "$(stat -c %Y "$dir/prog/quillane.ini")" -gt 946771200 ]
result $? "FIFO x.pas: the window ends on SIGTERM, settings written" "exit $rc"

ln -s /dev/zero "$dir/fifo/z.pas"
run "$q" --outline "$dir/fifo/z.pas"
[ "$rc" = 1 ] && has "not a regular file" "$dir/err" && [ "$mb" -lt 100 ]
result $? "link to /dev/zero: --outline refuses it" "$(figures)"
run "$q" --search Create "$dir/fifo" --no-cache
[ "$rc" = 1 ] && has "2 files and 0 folders could not be read" "$dir/err" && [ "$mb" -lt 100 ]
result $? "link to /dev/zero: --search skips it" "$(figures)"
run "$q" --screenshot "$dir/zero.png" "$dir/fifo/z.pas"
[ "$rc" = 0 ] && [ "$mb" -lt 200 ]
result $? "link to /dev/zero: the window opens beside it" "$(figures)"
run "$q" --outline "$example" --rules /dev/zero
[ "$rc" = 1 ] && has "cannot read the rule file /dev/zero: not a regular file" "$dir/err"
result $? "--rules /dev/zero is refused" "$(figures)"
rm "$dir/fifo/z.pas" "$dir/fifo/x.pas"

mkdir "$dir/big"
truncate -s 2G "$dir/big/sparse.pas"
cp "$example" "$dir/big/a.pas"
run "$q" --outline "$dir/big/sparse.pas"
[ "$rc" = 1 ] && has "larger than the limit of 64 MB" "$dir/err" && [ "$mb" -lt 100 ]
result $? "2 GB sparse source: --outline refuses it unread" "$(figures)"
run "$q" --search Create "$dir/big" --no-cache --jobs 2
[ "$rc" = 1 ] && [ "$mb" -lt 200 ]
result $? "2 GB sparse source: --search on 2 jobs" "$(figures "$(grep -c . "$dir/out") rows")"
echo "MAX_SOURCE_MB=1" >> "$dir/prog/quillane.ini"
head -c 1100000 /dev/zero | tr '\0' ' ' > "$dir/big/blank.pas"
run "$q" --outline "$dir/big/blank.pas"
[ "$rc" = 1 ] && has "larger than the limit of 1 MB" "$dir/err"
result $? "MAX_SOURCE_MB=1 refuses a 1.1 MB source" "$(figures)"
sed -i '/^MAX_SOURCE_MB=/d' "$dir/prog/quillane.ini"
rm -rf "$dir/big"

echo "== unreadable parts"
long=$(printf 'd%.0s' $(seq 200))
mkdir -p "$dir/tree/deep"
(cd "$dir/tree/deep" && for _ in $(seq 22); do mkdir "$long" && cd "$long" || exit 1; done && cp "$example" ./deep.pas)
cp "$example" "$dir/tree/ok.pas"
run "$q" --search Create "$dir/tree" --no-cache
[ "$rc" = 1 ] && has "0 files and 1 folder could not be read (see the trace log)" "$dir/err" &&
    has "error:Search;cannot read the folder;$dir/tree/deep/" "$log"
result $? "path over PATH_MAX, as $(id -un)" "$(figures "$(grep -c . "$dir/out") rows")"
if [ "$(id -u)" = 0 ]; then
    cp "$example" "$dir/tree/secret.pas" && chmod 000 "$dir/tree/secret.pas"
    mkdir "$dir/tree/noread" "$dir/tree/nosearch"
    cp "$example" "$dir/tree/noread/in.pas" && cp "$example" "$dir/tree/nosearch/in.pas"
    chmod 300 "$dir/tree/noread"
    chmod 644 "$dir/tree/nosearch"
    mkdir -m 777 "$dir/nobody"
    as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$dir/nobody"
        XDG_CACHE_HOME="$dir/nobody/cache" XDG_CONFIG_HOME="$dir/nobody/config" XDG_STATE_HOME="$dir/nobody/state")
    run "${as_nobody[@]}" "$q" --search Create "$dir/tree" --no-cache
    nlog=$dir/nobody/state/quillane/quillane.TXT
    named=0
    for path in "file;$dir/tree/secret.pas" "file;$dir/tree/nosearch/in.pas" "folder;$dir/tree/noread/" \
        "folder;$dir/tree/deep/"; do
        has "error:Search;cannot read the $path" "$nlog" && named=$((named + 1))
    done
    [ "$rc" = 1 ] && has "2 files and 2 folders could not be read (see the trace log)" "$dir/err" && [ "$named" = 4 ]
    result $? "mode 000 file, folders without r or x, long path, as nobody" "$(figures "$named of 4 named in the log")"
    chmod 755 "$dir/tree/noread" "$dir/tree/nosearch"
else
    result 0 "mode 000 file, folders without r or x (needs root for setpriv)" "skipped"
fi
rm -rf "$dir/tree"

echo "== odd names and NUL"
mkdir "$dir/odd"
names=($'tab\there.pas' $'line\nbreak.pas' $'cr\rhere.pas' 'back\slash.pas' $'bad\xffutf8.pas' '<font size=7 color=red>BIG.pas')
for name in "${names[@]}"; do
    printf 'unit Odd;\ninterface\nprocedure OddOne;\nimplementation\nprocedure OddOne;\nbegin\nend;\nend.\n' >"$dir/odd/$name"
done
run "$q" --search OddOne "$dir/odd" --no-cache --in decl
lines=$(wc -l <"$dir/out")
bad=$(awk -F'\t' 'NF != 5' "$dir/out" | wc -l)
decoded=$(cut -f1 "$dir/out" | sort -u | while IFS= read -r cell; do printf '%b\0' "$cell"; done | tr '\0' '|')
expected=$(for name in "${names[@]}"; do printf '%s\0' "$dir/odd/$name"; done | sort -z | tr '\0' '|')
decoded=$(printf '%s' "$decoded" | tr '|' '\0' | sort -z | tr '\0' '|')
[ "$rc" = 0 ] && [ "$bad" = 0 ] && [ "$decoded" = "$expected" ] && iconv -f UTF-8 -t UTF-8 "$dir/out" >/dev/null
result $? "tab, LF, CR, backslash, invalid UTF-8, markup in names" "$(figures "$lines lines, $bad not of 5 cells")"
if [ -x "$build/tests/MainFormTest" ]; then
    rc=0
    "$build/tests/MainFormTest" markupInNamesIsShownAsWritten >"$dir/out" 2>&1 || rc=$?
    result "$rc" "markup in names: the status bar and path label show it as written" "MainFormTest, exit $rc"
fi
run "$q" --screenshot "$dir/markup.png" "$dir/odd/<font size=7 color=red>BIG.pas"
echo "      the window on the markup name: $(figures)${KEEP:+, picture $dir/markup.png}"
{
    printf '{ Title }\nunit Cut;\ninterface\n'
    for i in $(seq 4 13); do printf 'procedure P%d;\n' "$i"; done
    printf '\0procedure Lost;\nimplementation\nprocedure Lost; begin end;\nend.\n'
} >"$dir/odd/nul.pas"
run "$q" --outline "$dir/odd/nul.pas"
[ "$rc" = 0 ] && has "the text ends at a NUL character on line 14" "$dir/err" && ! has "Lost" "$dir/out"
result $? "NUL on line 14: said, status unchanged" "$(figures "$(grep -c . "$dir/out") entries")"
rm -rf "$dir/odd"

echo "== exports over existing pages and links"
if [ -x "$build/tests/ExportTest" ] && [ -x "$build/tests/quillane_core_tests" ]; then
    rc=0
    "$build/tests/ExportTest" htmlExportAsksBeforeReplacingPages >"$dir/out" 2>&1 || rc=$?
    result "$rc" "HTML export: asks once, replaces a link, not its file" "ExportTest, exit $rc"
    rc=0
    "$build/tests/quillane_core_tests" --gtest_filter='TextExport.*ThroughALink:HtmlExport.Walks*' >"$dir/out" 2>&1 || rc=$?
    [ "$rc" = 0 ] && has "[  PASSED  ] 2 tests." "$dir/out"
    result $? "TempFile.txt and pages through links, unpublished pages" "core tests, exit $rc"
else
    result 0 "exports (need the tests of the build folder)" "skipped"
fi

echo "== trace log and settings"
echo "precious" >"$dir/victim.txt"
ln -sf "$dir/victim.txt" "$log"
mkdir "$dir/fifo2" && mkfifo "$dir/fifo2/x.pas"
run "$q" --search Create "$dir/fifo2" --no-cache
[ "$(cat "$dir/victim.txt")" = precious ] && has "the trace log $log is a symbolic link; it is not written" "$dir/err"
result $? "quillane.TXT a link to another file: refused" "$(figures)"
rm -f "$log"
ini=$dir/prog/quillane.ini
settings_run() { window "$example"; }
chmod 600 "$ini"
settings_run
[ "$(stat -c %a "$ini")" = 600 ] && has "LASTVIEW=" "$ini"
result $? "a 600 settings file stays 600" "mode $(stat -c %a "$ini")"
chmod 444 "$ini"
before=$(md5sum <"$ini")
settings_run
[ "$(md5sum <"$ini")" = "$before" ] && has "the settings were not saved: $ini is read-only" "$dir/err"
result $? "a 444 settings file is kept and said" "$(said)"
chmod 600 "$ini"
mv "$ini" "$dir/own.ini"
ln -s "$dir/own.ini" "$ini"
touch -d '2000-01-01' "$dir/own.ini"
settings_run
[ -L "$ini" ] && [ "$(stat -c %Y "$dir/own.ini")" -gt 946771200 ]
result $? "a link to the user's own settings file: written through" "link kept: $([ -L "$ini" ] && echo yes || echo no)"
cp "$dir/own.ini" "$dir/foreign.ini" && chown 65534 "$dir/foreign.ini" 2>/dev/null
ln -sf "$dir/foreign.ini" "$ini"
before=$(md5sum <"$dir/foreign.ini")
settings_run
[ -L "$ini" ] && [ "$(md5sum <"$dir/foreign.ini")" = "$before" ] && has "which belongs to another user" "$dir/err"
result $? "a link to another user's file: nothing saved, said" "$(said)"
rm "$ini" && cp "$dir/own.ini" "$ini"
if [ "$(id -u)" = 0 ]; then
    settings_run_nobody() { window "$example" "${as_nobody[@]}"; }
    settings_run_nobody
    made=$dir/nobody/config/quillane/quillane.ini
    [ "$(stat -c %a "$made" 2>/dev/null)" = 600 ]
    result $? "a new settings file is made 600 (as nobody)" "mode $(stat -c %a "$made" 2>/dev/null)"
fi

echo "== output that cannot be written"
for mode in "--search Create $dir/prog --no-cache" "--outline $example" "--records $example" "--title $example" --help --version; do
    rc=0
    # shellcheck disable=SC2086
    "$q" $mode >/dev/full 2>"$dir/err" || rc=$?
    [ "$rc" = 1 ] && has "cannot write the output" "$dir/err"
    result $? "${mode%% *} > /dev/full" "exit $rc"
done

echo "== a damaged outline cache"
mkdir "$dir/units"
for i in $(seq 1 40); do cp "$example" "$dir/units/u$i.pas"; done
cache=$XDG_CACHE_HOME/quillane/outlines.sqlite
"$q" --search Create "$dir/units" --no-cache >"$dir/plain"
"$q" --search Create "$dir/units" >/dev/null
pages=$(($(stat -c %s "$cache") / 16384))
for page in $(seq 2 "$pages"); do
    head -c 16384 /dev/zero | tr '\0' '\377' | dd of="$cache" bs=16384 seek=$((page - 1)) conv=notrunc status=none
done
run "$q" --search Create "$dir/units"
same=$(cmp -s "$dir/out" "$dir/plain" && echo yes || echo no)
"$q" --search Create "$dir/units" >/dev/null
run "$q" --search Create "$dir/units"
count=$(sqlite3 "$cache" "SELECT COUNT(*) FROM outlines" 2>/dev/null)
[ "$same" = yes ] && [ "$(sqlite3 "$cache" "PRAGMA integrity_check" 2>/dev/null)" = ok ] && [ "$count" = 40 ] &&
    cmp -s "$dir/out" "$dir/plain"
result $? "damaged pages: rows as without cache, file made anew" "$pages pages damaged, $count entries after, warm ${secs} s"
sqlite3 "$cache" "UPDATE outlines SET outline = CAST(replace(CAST(outline AS TEXT), 'Create', 'CrXate') AS BLOB)"
run "$q" --search Create "$dir/units"
same=$(cmp -s "$dir/out" "$dir/plain" && echo yes || echo no)
mismatches=$(grep -c "does not match its checksum" "$log")
run "$q" --search CrXate "$dir/units"
[ "$same" = yes ] && [ ! -s "$dir/out" ] && [ "$mismatches" = 40 ]
result $? "a changed byte in stored outlines is never served" "rows as without cache: $same, $mismatches mismatches logged"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
