#include "config/Debug.h"

#include "config/AppPaths.h"
#include "config/SafeFiles.h"

#include <cerrno>
#include <iostream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TDebug::TDebug(std::string fileName) : m_fileName(std::move(fileName)) {}

TDebug::~TDebug()
{
    std::lock_guard lock(m_mutex);
    if (!m_lines.empty() && m_file < 0)
        SaveLocked();
    CloseLocked();
}

void TDebug::CloseLocked()
{
    if (m_file >= 0)
        ::close(m_file);
    m_file = -1;
}

void TDebug::AddLine(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_lines.push_back(text);
    if (m_autoSave)
        AppendLocked(text);
    else
        CloseLocked(); // the file no longer holds every line
}

bool TDebug::SaveLog()
{
    std::lock_guard lock(m_mutex);
    return SaveLocked();
}

void TDebug::AppendLocked(const std::string& text)
{
    if (m_file >= 0) {
        if (WriteAll(m_file, text + "\r\n"))
            return;
        CloseLocked();
    }
    // The first line of the run, or the file failed before: write every line afresh.
    SaveLocked();
}

// Writes every line, replacing the file, and keeps it open for appending the lines to come
// (each at the file's end, whatever else writes to it). The file's folder is made here, so a
// run that logs nothing leaves no trace of its own.
bool TDebug::SaveLocked()
{
    CloseLocked();
    MakeFolders(FolderOf(m_fileName));
    // Not through a link, and never waiting for a reader of a FIFO.
    const int fd = ::open(m_fileName.c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    const int error = errno;
    struct stat info {};
    const bool regular = fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (!regular) {
        if (fd >= 0)
            ::close(fd);
        if ((fd >= 0 || error == ELOOP || error == ENXIO) && !m_refusalSaid) {
            m_refusalSaid = true;
            std::cerr << "quillane: the trace log " << m_fileName
                      << (fd < 0 && error == ELOOP ? " is a symbolic link" : " is not a regular file")
                      << "; it is not written\n";
        }
        return false;
    }
    std::string text;
    for (const auto& line : m_lines)
        text.append(line).append("\r\n");
    if (!WriteAll(fd, text)) {
        ::close(fd);
        return false;
    }
    m_file = fd;
    return true;
}

void TDebug::ShowString(const std::string& text)
{
    TMessageSink sink;
    {
        std::lock_guard lock(m_mutex);
        sink = m_sink;
    }
    // The sink may block (a message box), so it runs outside the lock.
    if (sink)
        sink(text);
    else
        std::cerr << text << '\n';
}

void TDebug::SetMessageSink(TMessageSink sink)
{
    std::lock_guard lock(m_mutex);
    m_sink = std::move(sink);
}

void TDebug::SetAutoSave(bool on)
{
    std::lock_guard lock(m_mutex);
    m_autoSave = on;
}

TLines TDebug::Lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}
