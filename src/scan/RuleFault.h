#pragma once
// How a scan fails, and the faults of the rules a scan meets: their texts, the collection
// of a scan's faults (each rule line's first) and their report to the user.

#include "scan/ScanMessages.h"

#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class TScanError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A size cap of the scan reached: what the rules build, or all that a scan writes.
class TScanLimit : public TScanError {
public:
    using TScanError::TScanError;
};

// A scan ended by a stop request.
class TScanStopped : public TScanError {
public:
    TScanStopped() : TScanError("scan stopped") {}
};

// A fault of the rules met during a scan: a pattern the matcher rejects or gives up on,
// a command that fails, rules that make no progress, a limit reached, a block without
// rules. The scan goes on past it (unless it happened outside a rule attempt).
struct TRuleFault {
    int sourceLine = -1;   // index (from 0) of the source line the scan was at; -1 none
    std::string ruleFile;  // the rule file's path; empty for rules given as a list
    int ruleLine = 0;      // the faulty line's number in the rule file; 0 when no one line
    std::string set;       // the rule set it belongs to
    std::string rule;      // the faulty line as the rule file has it
    std::string message;   // what went wrong, in the matcher's own words where it has them

    // One line for the user: "There may be an exception at N: MESSAGE (CodeScan.dll
    // line L, set S: RULE)".
    std::string Text() const;
};

// The faults one scan met, in the order met, each once: a fault is kept unless one of
// the same set and key came before it. The key is the index of the faulty line in its
// set, or a negative number for a fault of the set as a whole.
class TRuleFaults {
public:
    void Clear();
    // Keeps the fault unless it repeats one; returns its text either way.
    std::string Add(TRuleFault fault, int key);
    const std::vector<TRuleFault>& List() const { return m_faults; }

private:
    std::vector<TRuleFault> m_faults;
    std::set<std::pair<std::string, int>> m_keys;
};

// Hands a scan's rule faults on: each to the trace log and, when show is set, the first
// as a message to the user that tells how many more the log holds. Nothing when empty.
void ReportRuleFaults(const std::vector<TRuleFault>& faults, IScanMessages& messages, bool show);
