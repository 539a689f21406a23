#pragma once
// The modes for editors: --lsp, the language server on standard input and output, and
// --tags, a tags file of the outlines of folder trees.

#include <string>
#include <vector>

// args[0] is "--lsp"; returns the exit status.
int RunLspCommand(const std::vector<std::string>& args);
// args[0] is "--tags"; returns the exit status.
int RunTagsCommand(const std::vector<std::string>& args);
