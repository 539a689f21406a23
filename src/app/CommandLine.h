#pragma once
// The modes that run without a display: --records, --title, --outline (and the
// modes other parts register). Output goes to standard output in UTF-8, messages to
// standard error.

#include <optional>
#include <string>
#include <vector>

// Runs a command-line mode when the arguments ask for one and returns its exit
// status; nullopt when the arguments are for the window.
std::optional<int> RunCommandLine(const std::vector<std::string>& args);
