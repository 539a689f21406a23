#pragma once
// Where a scanner's reports go: lines for the trace log and messages for the user, through
// an interface that the owner of a scanner hands in (the program's trace log, or a test's
// recorder), so that the scanner knows nothing else of the program around it; and the
// trace of the rules' work that [SCANDEBUG] turns on.

#include <functional>
#include <string>
#include <string_view>

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

// While on, what each rule attempt matched and what each command did, gathered and shown
// to the user after each run of commands.
class TScanTrace {
public:
    bool On() const { return m_on; }
    void SetOn(bool on) { m_on = on; }
    // Adds a line: label and value (while on).
    void Add(std::string_view label, std::string_view value = {})
    {
        if (m_on)
            Append(label, value);
    }
    // Adds the match of rule line `rule`, named `name`, in set `set` at source line `line`,
    // and the buffer it split into head, match and tail (while on).
    void AddMatch(int line, std::string_view set, std::string_view name, std::string_view rule,
                  std::string_view head, std::string_view match, std::string_view tail);
    // Shows what was gathered, if anything (while on), after calling minimize when set.
    void Show(IScanMessages& messages, const std::function<void()>& minimize)
    {
        if (m_on && m_text.size() > 1)
            ShowText(messages, minimize);
    }

private:
    void Append(std::string_view label, std::string_view value);
    void ShowText(IScanMessages& messages, const std::function<void()>& minimize);

    bool m_on = false;
    std::string m_text;
};
