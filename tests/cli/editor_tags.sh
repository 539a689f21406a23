#!/bin/bash
# End-to-end check of quillane --tags and --json: readtags (universal-ctags) and Vim
# (Neovim, headless) find tags in the file written and land on the right line; the etags
# format; JSON lines of --records, --outline and --search; errors.
set -u
QUILLANE=$1
TESTS=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_CACHE_HOME=$WORK/cache XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data XDG_STATE_HOME=$WORK/state
. "$(dirname "$0")/lib/checks.sh"

mkdir -p "$WORK/src/sub" "$WORK/out" "$WORK/elsewhere"
cp "$(dirname "$QUILLANE")/Example.pas" "$WORK/src/Example.pas"
printf 'unit Other;\ninterface\ntype\n  TOther = class\n    procedure Create;\n  end;\nimplementation\nend.\n' \
    > "$WORK/src/sub/Other.pp"
T=$'\t'

# The tags file beside the sources' parent, given with relative paths.
(cd "$WORK" && "$QUILLANE" --tags src -o out/tags)
check "--tags exit status" "0" "$?"
tags=$WORK/out/tags
check "header" '!_TAG_FILE_FORMAT	2	/extended format; --format=1 will not append ;" to lines/
!_TAG_FILE_SORTED	1	/0=unsorted, 1=sorted, 2=foldcase/' "$(head -2 "$tags")"
grep -v '^!_TAG_' "$tags" | cut -f1 | LC_ALL=C sort -c || { echo "FAIL: tags not sorted by name"; failures=$((failures + 1)); }
check "a class member with its scope" "FQuantity${T}../src/Example.pas${T}41;\"${T}kind:d${T}line:41${T}class:TStockItem" \
    "$(grep "^FQuantity$T" "$tags")"
check "a nested routine" "AddItem${T}../src/Example.pas${T}189;\"${T}kind:f${T}line:189${T}method:TInventory.TotalQuantity" \
    "$(grep "^AddItem$T" "$tags")"
check "no sections and no uses clauses" "" "$(grep -E "^(interface|implementation|Classes, SysUtils)$T" "$tags")"

if command -v readtags > /dev/null; then
    check "readtags" "TStockItem${T}../src/Example.pas${T}38;\"${T}kind:c" "$(readtags -t "$tags" -e TStockItem)"
    check "readtags, every Create" "../src/Example.pas:49 ../src/Example.pas:66 ../src/Example.pas:95 ../src/Example.pas:141 ../src/sub/Other.pp:5" \
        "$(readtags -t "$tags" -e Create | awk -F'\t' '{sub(/;".*/, "", $3); printf "%s%s:%s", sep, $2, $3; sep=" "}')"
else
    echo "(no readtags: apt-get install universal-ctags)"
fi

if command -v nvim > /dev/null; then
    # Vim's :tag from another folder: the paths are relative to the tags file.
    jump() { # NAME: the file and line :tag lands on
        (cd "$WORK/elsewhere" && nvim --headless -u NONE -i NONE -n -c "set tags=$tags" -c "tag $1" \
            -c "call writefile([expand('%:t') . ':' . line('.') . ':' . getline('.')], '$WORK/jump')" -c 'qall!' \
            > /dev/null 2>&1)
        cat "$WORK/jump"
    }
    check "Vim jumps to a class" "Example.pas:60:  TInventory = class" "$(jump TInventory)"
    check "Vim jumps to a record field" "Example.pas:29:    Row, Column: Integer;       // zero-based" "$(jump Column)"
    check "Vim jumps to another file" "Other.pp:4:  TOther = class" "$(jump TOther)"
    # The README's set-up: a tags file in the project folder, found from a file in it.
    (cd "$WORK/src" && "$QUILLANE" --tags . &&
        nvim --headless -u NONE -i NONE -n sub/Other.pp -c 'set tags=./tags;,tags' -c 'tag TShelfPos' \
            -c "call writefile([expand('%:t') . ':' . line('.')], '$WORK/jump')" -c 'qall!' > /dev/null 2>&1)
    check "the README's Vim set-up" "Example.pas:28" "$(cat "$WORK/jump")"
else
    echo "(no nvim: apt-get install neovim)"
fi

# A second run over the unchanged tree takes the outlines from the cache: the same file.
cp "$tags" "$WORK/first"
"$QUILLANE" --tags "$WORK/src" -o - > "$WORK/absolute"
check "standard output, absolute paths" "TOther${T}$WORK/src/sub/Other.pp${T}4;\"${T}kind:c${T}line:4" \
    "$(grep "^TOther$T" "$WORK/absolute")"
(cd "$WORK" && "$QUILLANE" --tags src -o out/tags)
cmp -s "$tags" "$WORK/first" || { echo "FAIL: a second run wrote another file"; failures=$((failures + 1)); }

# etags: a section per file, each tag's text its line up to the name.
(cd "$WORK/out" && "$QUILLANE" --tags ../src -e)
check "etags file and section" $'\x0c\n../src/Example.pas' "$(head -c 20 "$WORK/out/TAGS")"
grep -qa $'^  TStockItem\x7fTStockItem\x0138,$' "$WORK/out/TAGS" ||
    { echo "FAIL: etags line of TStockItem"; failures=$((failures + 1)); }

# Errors: nothing to do, an unknown option, a file that cannot be written (the old one stays).
"$QUILLANE" --tags > /dev/null 2>&1
check "no folder exit status" "2" "$?"
"$QUILLANE" --tags "$WORK/src" --bogus > /dev/null 2>&1
check "unknown option exit status" "2" "$?"
"$QUILLANE" --tags "$WORK/src" -o "$WORK/no/such/folder/tags" > /dev/null 2>&1
check "unwritable tags file exit status" "1" "$?"

# JSON lines.
check "--outline --json" '{"file":"'"$WORK"'/src/sub/Other.pp","line":4,"level":2,"kind":"class","declaration":"TOther","comment":""}' \
    "$("$QUILLANE" --outline "$WORK/src/sub/Other.pp" --json | sed -n 3p)"
check "--records --json is the same" "$("$QUILLANE" --outline "$WORK/src/sub/Other.pp" --json)" \
    "$("$QUILLANE" --records "$WORK/src/sub/Other.pp" --json)"
check "--search --json" '{"file":"'"$WORK"'/src/Example.pas","line":41,"level":3,"kind":"strict private field","declaration":"FQuantity: Integer","comment":"how many there are"}' \
    "$("$QUILLANE" --search FQuantity "$WORK/src" --in decl --json)"
check "--search --json, a title row" '{"file":"'"$WORK"'/src/Example.pas","line":0,"level":0,"kind":"","declaration":"","comment":"Example.pas - a small inventory unit to show what the outline browser finds.","title":true}' \
    "$("$QUILLANE" --search "small inventory" "$WORK/src" --in title --json)"
"$QUILLANE" --title "$WORK/src/Example.pas" --json > /dev/null 2>&1
check "--title takes no --json" "2" "$?"

finish
