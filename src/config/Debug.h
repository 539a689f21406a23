#pragma once
// The trace log: lines of handled failures, rewritten whole to the log file after
// every line, and ShowString, the one plain message to the user. Shared by the
// window's thread and the search worker: an append and its save are one step
// under m_mutex.

#include "scan/TextFields.h"

#include <functional>
#include <mutex>
#include <string>

class TDebug {
public:
    using TMessageSink = std::function<void(const std::string&)>;

    explicit TDebug(std::string fileName);
    // Saves once more when the run logged anything.
    ~TDebug();
    TDebug(const TDebug&) = delete;
    TDebug& operator=(const TDebug&) = delete;

    void AddLine(const std::string& text);
    // Rewrites the log file with every line of the run. A failed write keeps the lines,
    // so the next successful save writes them all; returns false then.
    bool SaveLog();
    // Shows a text to the user through the message sink (a line on standard error
    // until a window installs its own).
    void ShowString(const std::string& text);

    void SetMessageSink(TMessageSink sink);
    void SetAutoSave(bool on);
    TLines Lines() const;
    const std::string& FileName() const { return m_fileName; }

private:
    bool SaveLocked(); // needs m_mutex held

    const std::string m_fileName;
    mutable std::mutex m_mutex;
    TLines m_lines;          // guarded by m_mutex
    bool m_autoSave = true;  // guarded by m_mutex
    TMessageSink m_sink;     // guarded by m_mutex
};
