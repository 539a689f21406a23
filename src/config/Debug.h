#pragma once
// The trace log: lines of handled failures, each appended to the log file and flushed
// as it comes (the first line of a run starts the file afresh and makes its folder when
// missing; a run without lines leaves the disk as it was), so the file is complete
// even when the program ends abruptly; and ShowString, the one plain message to the user.
// Shared by the window's thread and the search worker: an append and its write are one
// step under m_mutex. Scanners report through it. The log is never written through a
// symbolic link: a link in its place (or a FIFO, a device) is refused, said once on standard
// error, and the lines stay in memory.

#include "scan/ScanMessages.h"
#include "scan/TextFields.h"

#include <functional>
#include <mutex>
#include <string>

class TDebug final : public IScanMessages {
public:
    using TMessageSink = std::function<void(const std::string&)>;

    explicit TDebug(std::string fileName);
    // Saves once more when the run logged anything.
    ~TDebug();
    TDebug(const TDebug&) = delete;
    TDebug& operator=(const TDebug&) = delete;

    // Keeps the line and, with AutoSave on, appends it to the log file. While the file
    // cannot be written the lines stay in memory, and the next line that can be written
    // writes them all.
    void AddLine(const std::string& text) override;
    // Rewrites the log file with every line of the run. A failed write keeps the lines,
    // so the next successful save writes them all; returns false then.
    bool SaveLog();
    // Shows a text to the user through the message sink (a line on standard error
    // until a window installs its own).
    void ShowString(const std::string& text) override;

    void SetMessageSink(TMessageSink sink);
    void SetAutoSave(bool on);
    TLines Lines() const;
    const std::string& FileName() const override { return m_fileName; }

private:
    // Both need m_mutex held.
    bool SaveLocked();
    void AppendLocked(const std::string& text);
    void CloseLocked();

    const std::string m_fileName;
    mutable std::mutex m_mutex;
    TLines m_lines;          // guarded by m_mutex
    bool m_autoSave = true;  // guarded by m_mutex
    TMessageSink m_sink;     // guarded by m_mutex
    int m_file = -1;         // open while it holds exactly m_lines; guarded by m_mutex
    bool m_refusalSaid = false; // the refusal of a link or a special file was written; guarded by m_mutex
};
