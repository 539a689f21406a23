#include "config/Config.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool MatchesMarker(const std::string& line, const std::string& marker)
{
    return TagText(line, 0) == marker;
}

// NAME=VALUE with a name of letters, digits and "_": a scalar entry, which no folder path is.
bool LooksLikeKey(const std::string& line)
{
    const auto eq = line.find('=');
    if (eq == 0 || eq == std::string::npos)
        return false;
    return std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(eq), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// A list's block in the lines: its opening marker, and where its entries end (its closing
// marker; for a block never closed, the next marker of any list or the next key).
struct TListBlock {
    std::size_t open;
    std::size_t end;
    bool closed;
};

std::vector<TListBlock> FindListBlocks(const TLines& lines, const std::string& open, const std::string& close)
{
    std::vector<TListBlock> blocks;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!MatchesMarker(lines[i], open))
            continue;
        std::size_t j = i + 1;
        for (; j < lines.size(); ++j) {
            const std::string group = TagText(lines[j], 0);
            if (group == close || (!group.empty() && (group[0] == '+' || group[0] == '-')) ||
                LooksLikeKey(lines[j]))
                break;
        }
        const bool closed = j < lines.size() && MatchesMarker(lines[j], close);
        blocks.push_back({i, j, closed});
        i = closed ? j : j - 1;
    }
    return blocks;
}

// Writes the whole text to a new file of this save's own beside the target (the process
// id and a count make its name), flushed to the disk; the file's name, or empty on failure.
std::string WriteTemporary(const std::string& target, const std::string& text)
{
    static std::atomic<unsigned> count{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name =
            target + "." + std::to_string(::getpid()) + "." + std::to_string(count.fetch_add(1)) + ".new";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue; // left by an earlier process of the same id
            return {};
        }
        bool written = true;
        for (std::size_t done = 0; written && done < text.size();) {
            const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            written = n > 0;
            if (written)
                done += static_cast<std::size_t>(n);
        }
        written = ::fsync(fd) == 0 && written;
        written = ::close(fd) == 0 && written;
        if (written)
            return name;
        std::remove(name.c_str());
        return {};
    }
    return {};
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
    // Made whole under a name of its own and then renamed over the target: two instances
    // saving at once each publish a whole file, and a failed save leaves the old one.
    const std::string temp = WriteTemporary(m_fileName, text);
    if (temp.empty())
        return false;
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

// The first block of the list; a closing marker outside a block is ignored.
TLines TConfig::ReadList(std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    const auto blocks = FindListBlocks(m_lines, "+" + std::string(name), "-" + std::string(name));
    if (blocks.empty())
        return {};
    const auto first = m_lines.begin() + static_cast<std::ptrdiff_t>(blocks.front().open);
    return TLines(first + 1, m_lines.begin() + static_cast<std::ptrdiff_t>(blocks.front().end));
}

// The new block takes the place of the first one (the very top when there is none); later
// blocks of the list and its stray closing markers are dropped, so the list is read back
// as written.
void TConfig::WriteList(std::string_view name, const TLines& entries)
{
    const std::string open = "+" + std::string(name);
    const std::string close = "-" + std::string(name);
    std::lock_guard lock(m_mutex);
    const auto blocks = FindListBlocks(m_lines, open, close);
    std::vector<bool> drop(m_lines.size(), false);
    for (const auto& block : blocks)
        std::fill(drop.begin() + static_cast<std::ptrdiff_t>(block.open),
                  drop.begin() + static_cast<std::ptrdiff_t>(block.closed ? block.end + 1 : block.end), true);
    TLines kept;
    kept.reserve(m_lines.size() + entries.size() + 2);
    std::size_t at = 0;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (!blocks.empty() && i == blocks.front().open)
            at = kept.size();
        if (!drop[i] && !MatchesMarker(m_lines[i], close))
            kept.push_back(std::move(m_lines[i]));
    }
    if (!entries.empty()) {
        TLines block;
        block.reserve(entries.size() + 2);
        block.push_back("[" + open + "]");
        block.insert(block.end(), entries.begin(), entries.end());
        block.push_back("[" + close + "]");
        kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(at), block.begin(), block.end());
    }
    m_lines = std::move(kept);
}

TLines TConfig::Lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}
