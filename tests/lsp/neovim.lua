-- Neovim's own client on npc-lsp: opens the file named by NPC_LSP_FILE under the server tree
-- NPC_LSP_ROOT, waits for the diagnostics Neovim shows for it and writes them to NPC_LSP_OUT, one
-- "LINE:COLUMN: severity: message" a line (line and column from 1), then quits.
local root = os.getenv("NPC_LSP_ROOT")
local out = os.getenv("NPC_LSP_OUT")
local client = vim.lsp.start_client({
  name = "npc-lsp",
  cmd = { os.getenv("NPC_LSP_PROGRAM") },
  root_dir = root,
  on_exit = function(code) if code ~= 0 then io.stderr:write("npc-lsp ended with " .. code .. "\n") end end,
})
vim.cmd("edit " .. vim.fn.fnameescape(root .. "/" .. os.getenv("NPC_LSP_FILE")))
vim.lsp.buf_attach_client(0, client)
local shown = vim.wait(20000, function() return #vim.diagnostic.get(0) > 0 end, 50)
local lines = {}
if not shown then
  table.insert(lines, "no diagnostics within 20 s")
end
for _, d in ipairs(vim.diagnostic.get(0)) do
  local severity = d.severity == vim.diagnostic.severity.ERROR and "error" or "warning"
  table.insert(lines, string.format("%d:%d: %s: %s", d.lnum + 1, d.col + 1, severity, d.message))
end
table.sort(lines)
vim.fn.writefile(lines, out)
vim.lsp.stop_client(client)
vim.wait(2000, function() return vim.lsp.client_is_stopped(client) end, 50)
vim.cmd("qall!")
