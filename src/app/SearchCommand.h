#pragma once
// The command-line search: the search window's job without a window, printing one
// row per line (File, Line, Declaration, Comment, Type, separated by tabs) in the
// order found, on all cores and through the outline cache unless told otherwise.

#include <string>
#include <vector>

// args[0] is "--search"; returns the exit status.
int RunSearchCommand(const std::vector<std::string>& args);
