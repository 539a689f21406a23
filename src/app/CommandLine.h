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

// The end of every command-line mode: flushes standard output (the C++ stream and C's
// stdio alike) and checks that everything was written. A failed write (a full disk, a
// closed pipe) is said on standard error and makes the status 1 when it was 0.
int FinishOutput(int status);

class TStructureTexts;
// "cannot read the rule file PATH: REASON", for a rule file given on the command line that
// gave no lines.
std::string RuleFileProblem(const TStructureTexts& rules);
