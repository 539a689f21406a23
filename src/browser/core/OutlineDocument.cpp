#include "browser/core/OutlineDocument.h"

#include "scan/Regex.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

// The location patterns are matched the way the rest of the program matches rules:
// letter case ignored, "." across line breaks, greedy.
bool MatchLocationPattern(TRegex& regex, const char* pattern, const std::string& text)
{
    regex.SetModifiers("isg-mxr");
    regex.SetPattern(pattern);
    return regex.Search(text);
}

} // namespace

TLocation ParseLocation(const std::string& location)
{
    TRegex regex;
    if (MatchLocationPattern(regex, R"((^.*)\?(\d+)$)", location)) {
        // An index too large for an int names no level.
        const std::string digits = regex.MatchText(2);
        const int index = IntOrZero(digits);
        const bool tooLarge = index == 0 && digits.find_first_not_of('0') != std::string::npos;
        return {regex.MatchText(1), tooLarge ? -1 : index, {}};
    }
    // Any other text after the last "?" that is not part of a folder path names a declaration.
    if (MatchLocationPattern(regex, R"((^.*)\?([^?/]+)$)", location))
        return {regex.MatchText(1), 0, regex.MatchText(2)};
    return {location, 0, {}};
}

std::string SourceTypeOf(const std::string& path)
{
    TRegex regex;
    if (MatchLocationPattern(regex, R"(^.*\.([^\.\\\/]+)$)", path))
        return UpperCase(regex.MatchText(1));
    return {};
}

bool IsFtpPath(const std::string& path)
{
    TRegex regex;
    return MatchLocationPattern(regex, "^FTP:.*", path);
}

std::string MakeLocation(const std::string& path, int entryIndex)
{
    return path + "?" + std::to_string(entryIndex);
}

std::string CleanFolder(const std::string& folder)
{
    if (folder.empty())
        return "/";
    std::string clean = std::filesystem::path(folder).lexically_normal().generic_string();
    while (clean.size() > 1 && clean.back() == '/')
        clean.pop_back();
    return clean.empty() ? std::string("/") : clean;
}

std::string ParentFolder(const std::string& folder)
{
    const std::string clean = CleanFolder(folder);
    const std::size_t slash = clean.rfind('/');
    if (slash == std::string::npos)
        return clean;
    return slash == 0 ? std::string("/") : clean.substr(0, slash);
}

std::string ItemToward(const std::string& folder, const std::string& from)
{
    const std::string base = WithTrailingSlash(CleanFolder(folder));
    const std::string inner = CleanFolder(from);
    if (inner.size() <= base.size() || inner.compare(0, base.size(), base) != 0)
        return {};
    return inner.substr(0, inner.find('/', base.size()));
}

std::string WithTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

TOutlineEntry EntryAt(const TOutlineStore& entries, int index)
{
    TOutlineRecord record = ReadRecord(entries, index);
    return {index,
            std::move(record.line),
            record.icon,
            record.level,
            std::string(record.type),
            std::string(record.declaration),
            std::string(record.comment),
            std::move(record.file)};
}

std::string LineCellText(const TOutlineEntry& entry)
{
    return entry.file.empty() ? entry.line : FileNameOf(entry.file) + ":" + entry.line;
}

std::vector<int> LevelIndexes(const TOutlineStore& entries, int start)
{
    std::vector<int> result;
    if (!HasRecordAt(entries, start))
        return result;
    const int level = entries.Level(start);
    for (int i = start; HasRecordAt(entries, i); i += kRecordLines) {
        const int l = entries.Level(i);
        if (l < level)
            break;
        if (l == level)
            result.push_back(i);
    }
    return result;
}

bool IsLevelStart(const TOutlineStore& entries, int s)
{
    if (s == 0)
        return true;
    if (!HasRecordAt(entries, s - kRecordLines))
        return false;
    const int before = s - kRecordLines;
    return entries.Icon(before) == kContainerIcon ||
           (HasRecordAt(entries, s) && entries.Level(before) < entries.Level(s));
}

namespace {

// An entry's name as a declaration path names it: "TStockItem.Create(const AName: string)"
// gives "TStockItem.Create".
std::string DeclarationName(const std::string& declaration)
{
    const std::string text = Trim(declaration);
    std::size_t end = 0;
    while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_' ||
                                 text[end] == '.'))
        ++end;
    while (end > 0 && text[end - 1] == '.')
        --end;
    return text.substr(0, end);
}

// The names [from, to) joined by ".".
std::string JoinNames(const std::vector<std::string>& names, std::size_t from, std::size_t to)
{
    std::string joined;
    for (std::size_t i = from; i < to; ++i)
        joined += (i > from ? "." : "") + names[i];
    return joined;
}

// True when the first count names are matched, in order, by entries among the first
// limit names of holders (the names of an entry's holders, outermost first), each
// holder matching one or more consecutive names.
bool HoldersMatch(const std::vector<std::string>& names, std::size_t count,
                  const std::vector<std::string>& holders, std::size_t limit)
{
    if (count == 0)
        return true;
    for (std::size_t h = limit; h-- > 0;) {
        for (std::size_t from = 0; from < count; ++from) {
            if (SameText(holders[h], JoinNames(names, from, count)) && HoldersMatch(names, from, holders, h))
                return true;
        }
    }
    return false;
}

} // namespace

int FindDeclarationPath(const TOutlineStore& entries, const std::string& path)
{
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t dot = std::min(path.find('.', start), path.size());
        names.push_back(path.substr(start, dot - start));
        start = dot + 1;
    }
    if (std::any_of(names.begin(), names.end(), [](const std::string& n) { return n.empty(); }))
        return -1;
    // The names and Levels of the entries that hold the current one, outermost first.
    std::vector<std::string> holders;
    std::vector<int> holderLevels;
    for (int i = 0; HasRecordAt(entries, i); i += kRecordLines) {
        const TOutlineEntry entry = EntryAt(entries, i);
        while (!holderLevels.empty() && holderLevels.back() >= entry.level) {
            holderLevels.pop_back();
            holders.pop_back();
        }
        const std::string name = DeclarationName(entry.declaration);
        for (std::size_t from = 0; from < names.size(); ++from) {
            if (SameText(name, JoinNames(names, from, names.size())) &&
                HoldersMatch(names, from, holders, holders.size()))
                return i;
        }
        holders.push_back(name);
        holderLevels.push_back(entry.level);
    }
    return -1;
}

int FindEntry(const TOutlineStore& entries, int line, const std::string& declaration, std::string_view file)
{
    for (int i = 0; HasRecordAt(entries, i); i += kRecordLines) {
        if (entries.LineNumber(i) == line && entries.File(i) == file &&
            entries.Declaration(i) == declaration)
            return i;
    }
    return -1;
}

int LevelEntryLeadingTo(const TOutlineStore& entries, int levelStart, int index)
{
    if (!HasRecordAt(entries, index))
        return -1;
    int found = -1;
    for (int i : LevelIndexes(entries, levelStart)) {
        if (i > index)
            break;
        found = i;
    }
    if (found < 0)
        return -1;
    // The entries from the one found up to index must all lie below it.
    const int level = entries.Level(found);
    for (int i = found + kRecordLines; i <= index; i += kRecordLines) {
        if (entries.Level(i) <= level)
            return -1;
    }
    return found;
}

int LevelStartOf(const TOutlineStore& entries, int index)
{
    if (!HasRecordAt(entries, index))
        return 0;
    const int level = entries.Level(index);
    int start = 0;
    for (int i = index - kRecordLines; i >= 0; i -= kRecordLines) {
        if (entries.Level(i) < level) {
            start = i + kRecordLines;
            break;
        }
    }
    const std::vector<int> shown = LevelIndexes(entries, start);
    return std::find(shown.begin(), shown.end(), index) != shown.end() ? start : index;
}

int UpperLevelStart(const TOutlineStore& entries, int levelStart)
{
    int level;
    if (HasRecordAt(entries, levelStart))
        level = entries.Level(levelStart);
    else if (HasRecordAt(entries, levelStart - kRecordLines))
        level = entries.Level(levelStart - kRecordLines) + 1; // an empty level below its parent
    else
        return 0;
    for (int i = levelStart - kRecordLines; i >= 0; i -= kRecordLines) {
        if (HasRecordAt(entries, i) && entries.Level(i) < level - 1)
            return i + kRecordLines;
    }
    return 0;
}

void THistory::RecordLocation(const std::string& location)
{
    if (m_pos < m_items.size() && m_items[m_pos] == location)
        return;
    m_items.erase(m_items.begin(),
                  m_items.begin() + static_cast<std::ptrdiff_t>(std::min(m_pos, m_items.size())));
    m_pos = 0;
    m_items.insert(m_items.begin(), location);
    while (m_items.size() > kMaxEntries)
        m_items.pop_back();
}

void THistory::Forward()
{
    if (m_pos > 0)
        --m_pos;
}

void THistory::Back()
{
    if (m_pos + 1 < m_items.size())
        ++m_pos;
}

void THistory::RemoveCurrent(int shownPos)
{
    if (m_pos >= m_items.size())
        return;
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(m_pos));
    const std::size_t shown = static_cast<std::size_t>(std::max(shownPos, 0));
    m_pos = shown > m_pos ? shown - 1 : shown;
    if (m_pos >= m_items.size())
        m_pos = m_items.empty() ? 0 : m_items.size() - 1;
}

std::string THistory::Current() const
{
    return m_pos < m_items.size() ? m_items[m_pos] : std::string();
}
