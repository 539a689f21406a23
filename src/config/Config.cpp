#include "config/Config.h"

#include "config/SafeFiles.h"
#include "scan/SourceText.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include <sys/stat.h>
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

// Where a save writes: the settings file itself or, for a symbolic link, the regular file
// it leads to when the user owns it (the link stays); and the mode the file keeps. problem
// says why nothing may be written.
struct TSaveTarget {
    std::string path;
    std::optional<mode_t> mode; // none for a new file
    std::string problem;
};

TSaveTarget SaveTargetOf(const std::string& file)
{
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return {file, std::nullopt, {}};
        return {file, std::nullopt, "cannot examine " + file + ": " + ErrnoText(errno)};
    }
    std::string path = file;
    if (S_ISLNK(info.st_mode)) {
        char* resolved = ::realpath(file.c_str(), nullptr);
        if (!resolved || ::stat(resolved, &info) != 0) {
            const int error = errno;
            std::free(resolved);
            return {file, std::nullopt, file + " is a symbolic link that leads nowhere (" + ErrnoText(error) + ")"};
        }
        path = resolved;
        std::free(resolved);
        if (!S_ISREG(info.st_mode))
            return {file, std::nullopt, file + " is a symbolic link to " + path + ", which is not a regular file"};
        if (info.st_uid != ::geteuid())
            return {file, std::nullopt, file + " is a symbolic link to " + path + ", which belongs to another user"};
    } else if (!S_ISREG(info.st_mode)) {
        return {file, std::nullopt, file + " is not a regular file"};
    }
    // The owner's write permission counts for the owner (root included); others are asked
    // of the system.
    const bool writable =
        info.st_uid == ::geteuid() ? (info.st_mode & S_IWUSR) != 0 : ::access(path.c_str(), W_OK) == 0;
    if (!writable)
        return {file, std::nullopt, path + " is read-only"};
    return {path, info.st_mode & 07777, {}};
}

} // namespace

TConfig::TConfig(std::string fileName) : m_fileName(std::move(fileName)) {}

void TConfig::Load(const std::string& seedFile)
{
    // A settings file holds a few dozen lines: anything that is no regular file, or is
    // over this size, is not read (and not waited for).
    constexpr std::size_t kMaxSettingsBytes = std::size_t{4} << 20;
    TLines lines;
    std::error_code ec;
    const bool seed = !seedFile.empty() && !std::filesystem::exists(m_fileName, ec);
    const TFileBytes file = ReadFileBytes(seed ? seedFile : m_fileName, kMaxSettingsBytes);
    if (file.problem.empty())
        lines = SplitLines(file.bytes);
    std::lock_guard lock(m_mutex);
    m_lines = std::move(lines);
}

std::string TConfig::SaveProblem() const
{
    return m_fileName.empty() ? "the settings have no file" : SaveTargetOf(m_fileName).problem;
}

bool TConfig::Save(std::string* problem) const
{
    std::string text;
    {
        std::lock_guard lock(m_mutex);
        if (m_lines.empty())
            return true;
        for (const auto& line : m_lines) {
            text += line;
            text += "\r\n";
        }
    }
    const auto fail = [problem](std::string why) {
        if (problem)
            *problem = std::move(why);
        return false;
    };
    if (m_fileName.empty()) // a store made in memory has no file to write
        return fail("the settings have no file");
    const TSaveTarget target = SaveTargetOf(m_fileName);
    if (!target.problem.empty())
        return fail(target.problem);
    // Made whole under a name of its own, with the old file's mode (a new file is the
    // user's alone: it holds the folders searched and the keywords), flushed to the disk and
    // then renamed over the target: two instances saving at once each publish a whole file,
    // and a failed save leaves the old one.
    std::string why = ReplaceFile(target.path, text, target.mode.value_or(0600), true);
    return why.empty() || fail(std::move(why));
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
