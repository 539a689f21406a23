#!/bin/bash
# The language server through a real client: Neovim's built-in LSP client, headless, runs
# editor_lsp.lua (document symbols of Example.pas, workspace symbols over a generated tree).
set -u
QUILLANE=$1
TESTS=$2
command -v nvim > /dev/null || { echo "SKIP: no nvim (apt-get install neovim)"; exit 77; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# The outline cache, and Neovim's own files, go to the test's folder, never to the user's.
export XDG_CACHE_HOME=$WORK/cache XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data XDG_STATE_HOME=$WORK/state

# A tree of 40 units in nested folders; one of them declares the class looked for.
for i in $(seq 1 40); do
    dir="$WORK/tree/pkg$((i % 4))/sub$((i % 3))"
    mkdir -p "$dir"
    if [[ $i == 17 ]]; then name=TNeedleFinder; method=NeedleCount; else name=TWidget$i; method=Count; fi
    printf 'unit unit%d;\ninterface\ntype\n  { unit %d }\n  %s = class\n  public\n    function %s: Integer;\n  end;\nimplementation\nend.\n' \
        "$i" "$i" "$name" "$method" > "$dir/unit$i.pas"
done
cp "$(dirname "$QUILLANE")/Example.pas" "$WORK/Example.pas"

QUILLANE=$QUILLANE EXAMPLE=$WORK/Example.pas TREE=$WORK/tree \
    nvim --headless -u NONE -i NONE -n -c "luafile $TESTS/cli/editor_lsp.lua" 2>&1
status=$?
[[ $status == 0 ]] || echo "FAIL: $status checks failed in Neovim"
exit $status
