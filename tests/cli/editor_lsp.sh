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

# The README's set-up for Neovim 0.7, as a user's init.lua, with quillane on the PATH.
awk '/<!-- tested: neovim 0.7 -->/{on=1} on && /^```$/{exit} on && code{print} on && /^```lua/{code=1}' \
    "$TESTS/../README.md" > "$WORK/init.lua"
grep -q buf_attach_client "$WORK/init.lua" || { echo "FAIL: no Neovim 0.7 set-up in the README"; exit 1; }
if [[ -z "$(nvim --headless -u NONE -c 'lua io.stdout:write(tostring(vim.lsp.start ~= nil))' -c 'qall!' 2>&1 |
            grep true)" ]]; then
    (cd "$WORK" && PATH="$(dirname "$QUILLANE"):$PATH" nvim --headless -u "$WORK/init.lua" -i NONE -n Example.pas \
        -c 'lua vim.wait(60000, function() local _, c = next(vim.lsp.buf_get_clients(0)) return c and c.initialized end, 10)
            local answers = vim.lsp.buf_request_sync(0, "textDocument/documentSymbol",
                {textDocument = vim.lsp.util.make_text_document_params()}, 60000) or {}
            local _, answer = next(answers)
            io.stderr:write("symbols: " .. #((answer or {}).result or {}) .. "\n")' -c 'qall!' 2> "$WORK/snippet")
    grep -q "symbols: 5" "$WORK/snippet" || { echo "FAIL: the README's Neovim set-up"; cat "$WORK/snippet"; status=1; }
fi
exit $status
