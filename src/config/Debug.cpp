#include "config/Debug.h"

#include "config/AppPaths.h"

#include <fstream>
#include <iostream>

TDebug::TDebug(std::string fileName) : m_fileName(std::move(fileName)) {}

TDebug::~TDebug()
{
    std::lock_guard lock(m_mutex);
    if (!m_lines.empty() && !m_file.is_open())
        SaveLocked();
}

void TDebug::AddLine(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_lines.push_back(text);
    if (m_autoSave)
        AppendLocked(text);
    else
        m_file.close(); // the file no longer holds every line
}

bool TDebug::SaveLog()
{
    std::lock_guard lock(m_mutex);
    return SaveLocked();
}

void TDebug::AppendLocked(const std::string& text)
{
    if (m_file.is_open()) {
        m_file << text << "\r\n";
        m_file.flush();
        if (m_file)
            return;
        m_file.close();
    }
    // The first line of the run, or the file failed before: write every line afresh.
    SaveLocked();
}

// Writes every line, replacing the file, and opens it for appending the lines to come
// (each at the file's end, whatever else writes to it). The file's folder is made here, so a
// run that logs nothing leaves no trace of its own.
bool TDebug::SaveLocked()
{
    m_file.close();
    MakeFolders(FolderOf(m_fileName));
    {
        std::ofstream out(m_fileName, std::ios::binary | std::ios::trunc);
        for (const auto& line : m_lines) {
            if (!out)
                break;
            out << line << "\r\n";
        }
        out.flush();
        if (!out)
            return false;
    }
    m_file.clear();
    m_file.open(m_fileName, std::ios::binary | std::ios::app);
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
