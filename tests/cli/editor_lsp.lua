-- Run by editor_lsp.sh in a headless Neovim: its built-in LSP client starts quillane --lsp
-- as a user's configuration would, asks for the document symbols of Example.pas, before
-- and after an edit that is not saved, and for workspace symbols over a generated tree.
-- Prints each failure to standard error and quits with the number of failures.
local quillane, example, tree = os.getenv('QUILLANE'), os.getenv('EXAMPLE'), os.getenv('TREE')
local failures = 0
local function check(name, ok, detail)
  if not ok then
    failures = failures + 1
    io.stderr:write('FAIL: ' .. name .. (detail ~= nil and (': ' .. vim.inspect(detail)) or '') .. '\n')
  end
end

local progress = {}
local config = {
  name = 'quillane',
  cmd = { quillane, '--lsp' },
  root_dir = tree,
  flags = { debounce_text_changes = 0 },
  handlers = {
    ['$/progress'] = function(_, result) table.insert(progress, result.value.kind) end,
  },
}
vim.cmd('edit ' .. vim.fn.fnameescape(example))
-- Neovim 0.8 and later start and attach in one call; 0.7 needs the two steps.
local id
if vim.lsp.start then
  id = vim.lsp.start(config)
else
  id = vim.lsp.start_client(config)
  vim.lsp.buf_attach_client(0, id)
end
local client = vim.lsp.get_client_by_id(id)
-- The waits end as soon as the answer is there; their limits only guard against a hang.
check('the server starts', vim.wait(60000, function() return client.initialized end, 10))

local function request(method, params)
  local answer, problem = client.request_sync(method, params, 300000, 0)
  check(method .. ' is answered', answer and not answer.err, problem or (answer and answer.err))
  return answer and answer.result or {}
end

local function find(symbols, name)
  for _, symbol in ipairs(symbols or {}) do
    if symbol.name == name then return symbol end
  end
end

-- Kind numbers of the protocol.
local Module, Namespace, Package, Class, Method, Property, Field, Constructor, Enum, Function, Variable, Constant, Struct =
  2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 23

local function expect(where, name, kind, line, children)
  local symbol = find(where, name)
  check(name .. ' is there', symbol ~= nil, vim.tbl_map(function(s) return s.name end, where or {}))
  if not symbol then return nil end
  check(name .. ' kind', symbol.kind == kind, symbol.kind)
  check(name .. ' line', symbol.range.start.line == line and symbol.selectionRange.start.line == line, symbol.range)
  for _, child in ipairs(children or {}) do
    expect(symbol.children, unpack(child))
  end
  return symbol
end

local document = { textDocument = vim.lsp.util.make_text_document_params() }
local symbols = request('textDocument/documentSymbol', document)
expect(symbols, 'Example', Module, 8)
expect(symbols, 'interface', Namespace, 12, {
  { 'Classes, SysUtils', Package, 14 },
  { 'MaxStock', Constant, 18 },
  { 'TStockUnit', Enum, 24 },
  { 'TShelfPos', Struct, 27, { { 'Row', Field, 28 }, { 'Column', Field, 28 }, { 'ToText', Method, 29 } } },
  { 'TStockItem', Class, 37, {
    { 'FQuantity', Field, 40 },
    { 'Create', Constructor, 48 },
    { 'Take', Method, 50 },
    { 'Quantity', Property, 53 },
  } },
  { 'Inventory', Variable, 75 },
  { 'FormatQuantity', Function, 77 },
})
expect(symbols, 'implementation', Namespace, 79, {
  { 'TInventory.TotalQuantity', Method, 185, { { 'AddItem', Function, 188 } } },
})
local item = find(find(symbols, 'interface').children, 'TStockItem')
check('a class runs to the line before the next entry of its level', item.range['end'].line == 58, item.range)
check('the name is selected', item.selectionRange.start.character == 2 and item.selectionRange['end'].character == 12,
  item.selectionRange)

-- An edit the user has not saved counts.
vim.api.nvim_buf_set_lines(0, 37, 38, false, { '  TStockThing = class' })
symbols = request('textDocument/documentSymbol', document)
check('the unsaved edit counts', find(find(symbols, 'interface').children, 'TStockThing') ~= nil)

local found = request('workspace/symbol', { query = 'needle' })
local names = {}
for _, symbol in ipairs(found) do
  names[#names + 1] = symbol.name .. ' ' .. symbol.kind .. ' ' .. (symbol.containerName or '') .. ' '
    .. vim.fn.fnamemodify(vim.uri_to_fname(symbol.location.uri), ':t') .. ':' .. symbol.location.range.start.line
end
table.sort(names)
check('workspace symbols', vim.deep_equal(names, {
  'NeedleCount 6 TNeedleFinder unit17.pas:6',
  'TNeedleFinder 5 unit17 unit17.pas:4',
}), names)
check('the first search reports its progress', vim.deep_equal(progress, { 'begin', 'report', 'end' })
  or (progress[1] == 'begin' and progress[#progress] == 'end'), progress)
local reported = #progress
check('a search on the warm tree finds the same', #request('workspace/symbol', { query = 'NEEDLE' }) == 2)
check('and reports no progress', #progress == reported, progress)

vim.lsp.stop_client(id)
vim.wait(10000, function() return client.is_stopped() end, 10)
if failures == 0 then
  vim.cmd('qall!')
else
  vim.cmd('cquit ' .. failures)
end
