#include "config/Config.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

bool MatchesMarker(const std::string& line, const std::string& marker)
{
    return TagText(line, 0) == marker;
}

} // namespace

TConfig::TConfig(std::string fileName) : m_fileName(std::move(fileName)) {}

void TConfig::Load(const std::string& seedFile)
{
    TLines lines;
    std::error_code ec;
    const bool seed = !seedFile.empty() && !std::filesystem::exists(m_fileName, ec);
    std::ifstream in(seed ? seedFile : m_fileName, std::ios::binary);
    if (in) {
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.bad())
            lines = SplitLines(text);
    }
    std::lock_guard lock(m_mutex);
    m_lines = std::move(lines);
}

bool TConfig::Save() const
{
    std::string text;
    {
        std::lock_guard lock(m_mutex);
        if (m_lines.empty())
            return true;
        if (m_fileName.empty()) // a store made in memory has no file to write
            return false;
        for (const auto& line : m_lines) {
            text += line;
            text += "\r\n";
        }
    }
    const std::string temp = m_fileName + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), m_fileName.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

long TConfig::FindKey(std::string_view name) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const auto& line = m_lines[i];
        const auto eq = line.find('=');
        if (eq != std::string::npos && SameText(std::string_view(line).substr(0, eq), name))
            return static_cast<long>(i);
    }
    return -1;
}

std::string TConfig::ReadString(std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    const long i = FindKey(name);
    if (i < 0)
        return {};
    const auto& line = m_lines[static_cast<std::size_t>(i)];
    return line.substr(line.find('=') + 1);
}

int TConfig::ReadInteger(std::string_view name) const { return IntOrZero(ReadString(name)); }

bool TConfig::ReadBool(std::string_view name) const { return ReadString(name) == "T"; }

bool TConfig::WriteString(std::string_view name, std::string_view value)
{
    std::lock_guard lock(m_mutex);
    const long i = FindKey(name);
    if (value.empty()) {
        if (i >= 0)
            m_lines.erase(m_lines.begin() + i);
        return true;
    }
    std::string line = std::string(name) + "=" + std::string(value);
    if (i >= 0)
        m_lines[static_cast<std::size_t>(i)] = std::move(line);
    else
        m_lines.push_back(std::move(line));
    return true;
}

bool TConfig::WriteInteger(std::string_view name, int value)
{
    return WriteString(name, std::to_string(value));
}

bool TConfig::WriteBool(std::string_view name, bool value) { return WriteString(name, value ? "T" : "F"); }

TLines TConfig::ReadList(std::string_view name) const
{
    const std::string open = "+" + std::string(name);
    const std::string close = "-" + std::string(name);
    TLines result;
    bool inside = false;
    std::lock_guard lock(m_mutex);
    for (const auto& line : m_lines) {
        if (MatchesMarker(line, open))
            inside = true;
        else if (MatchesMarker(line, close))
            break;
        else if (inside)
            result.push_back(line);
    }
    return result;
}

void TConfig::WriteList(std::string_view name, const TLines& entries)
{
    const std::string open = "+" + std::string(name);
    const std::string close = "-" + std::string(name);
    std::lock_guard lock(m_mutex);
    long start = -1, end = -1;
    bool armed = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (MatchesMarker(m_lines[i], open)) {
            start = static_cast<long>(i);
            end = -1;
            armed = true;
        } else if (armed && MatchesMarker(m_lines[i], close)) {
            end = static_cast<long>(i);
            armed = false;
        }
    }
    // An unclosed last block stays; the new block then goes just above its opening marker.
    if (start >= 0 && end >= 0)
        m_lines.erase(m_lines.begin() + start, m_lines.begin() + end + 1);
    if (entries.empty())
        return;
    TLines block;
    block.reserve(entries.size() + 2);
    block.push_back("[" + open + "]");
    block.insert(block.end(), entries.begin(), entries.end());
    block.push_back("[" + close + "]");
    const long at = start >= 0 ? start : 0;
    m_lines.insert(m_lines.begin() + at, block.begin(), block.end());
}

TLines TConfig::Lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}
