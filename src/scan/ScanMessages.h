#pragma once
// Where a scanner's reports go: lines for the trace log and messages for the user. The
// owner of a scanner hands one in (the program's trace log, or a test's recorder); the
// scanner knows nothing else of the program around it.

#include <string>

class IScanMessages {
public:
    virtual ~IScanMessages() = default;
    // Keeps a line in the trace log.
    virtual void AddLine(const std::string& text) = 0;
    // Shows a text to the user: a message box, or a line on standard error.
    virtual void ShowString(const std::string& text) = 0;
    // The trace log's file, for a message that points the user there.
    virtual const std::string& FileName() const = 0;
};
