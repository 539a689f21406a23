#include "config/Debug.h"

#include <fstream>
#include <iostream>

TDebug::TDebug(std::string fileName) : m_fileName(std::move(fileName)) {}

TDebug::~TDebug()
{
    std::lock_guard lock(m_mutex);
    if (!m_lines.empty())
        SaveLocked();
}

void TDebug::AddLine(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_lines.push_back(text);
    if (m_autoSave)
        SaveLocked();
}

bool TDebug::SaveLog()
{
    std::lock_guard lock(m_mutex);
    return SaveLocked();
}

bool TDebug::SaveLocked()
{
    std::ofstream out(m_fileName, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    for (const auto& line : m_lines) {
        out << line << "\r\n";
    }
    out.flush();
    return static_cast<bool>(out);
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
