#include "scan/OutlineStore.h"

#include "scan/OutlineRecord.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <stdexcept>
#include <unordered_map>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The text of record r in texts, where record r's ends at ends[r].
std::string_view TextOf(const std::string& texts, const std::vector<std::uint32_t>& ends, std::size_t r)
{
    const std::uint32_t start = r == 0 ? 0 : ends[r - 1];
    return std::string_view(texts).substr(start, ends[r] - start);
}

std::string HeaderText(std::string_view line, int icon, int level, std::string_view file)
{
    std::string header = "[LINE]";
    header.append(line);
    header += "[ICON]" + std::to_string(icon) + "[LEVEL]" + std::to_string(level);
    if (!file.empty()) {
        header += "[FILE]";
        header.append(file);
    }
    return header;
}

// LINE as a number that writes it again exactly: digits, no leading zero; false otherwise.
bool LineNumberOf(const std::string& text, std::uint32_t& number)
{
    if (text.empty() || (text.size() > 1 && text[0] == '0'))
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size();
}

bool FitsShort(int value)
{
    return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
}

} // namespace

TOutlineStore::TOutlineStore(const TLines& results)
{
    const std::size_t count = RecordCount(results);
    std::size_t declarationBytes = 0;
    std::size_t commentBytes = 0;
    for (std::size_t r = 0; r < count; ++r) {
        declarationBytes += results[4 * r + 2].size();
        commentBytes += results[4 * r + 3].size();
    }
    if (std::max(declarationBytes, commentBytes) > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("the outline's texts pass 4 GB");
    m_heads.reserve(count);
    m_types16.reserve(count);
    m_declarationEnds.reserve(count);
    m_commentEnds.reserve(count);
    m_declarations.reserve(declarationBytes);
    m_comments.reserve(commentBytes);
    std::unordered_map<std::string_view, std::uint32_t> types;
    std::unordered_map<std::string_view, std::uint32_t> files{{std::string_view(), 0}};
    std::uint32_t lastFile = 0;
    for (std::size_t r = 0; r < count; ++r) {
        const int index = static_cast<int>(4 * r);
        const TOutlineRecord record = ReadRecord(results, index);
        THead head{0, 0, 0};
        const bool packed = LineNumberOf(record.line, head.line) && FitsShort(record.icon) &&
                            FitsShort(record.level) &&
                            HeaderText(record.line, record.icon, record.level, record.file) == results[4 * r];
        if (packed) {
            head.icon = static_cast<std::int16_t>(record.icon);
            head.level = static_cast<std::int16_t>(record.level);
        } else {
            m_oddHeaders.emplace(r, results[4 * r]);
        }
        m_heads.push_back(head);

        // The views that key the tables point into results, which outlive this loop.
        const std::string_view type = results[4 * r + 1];
        const auto [typeAt, newType] = types.try_emplace(type, static_cast<std::uint32_t>(m_typeNames.size()));
        if (newType)
            m_typeNames.emplace_back(type);
        if (m_types32.empty() && typeAt->second > std::numeric_limits<std::uint16_t>::max()) {
            m_types32.assign(m_types16.begin(), m_types16.end());
            m_types16 = {};
        }
        if (m_types32.empty())
            m_types16.push_back(static_cast<std::uint16_t>(typeAt->second));
        else
            m_types32.push_back(typeAt->second);

        const std::string_view file = RecordFile(results[4 * r]);
        const auto [fileAt, newFile] = files.try_emplace(file, static_cast<std::uint32_t>(m_files.size()));
        if (newFile)
            m_files.emplace_back(file);
        if (fileAt->second != lastFile)
            m_fileRuns.push_back({static_cast<std::uint32_t>(r), fileAt->second});
        lastFile = fileAt->second;

        m_declarations.append(record.declaration);
        m_declarationEnds.push_back(static_cast<std::uint32_t>(m_declarations.size()));
        m_comments.append(record.comment);
        m_commentEnds.push_back(static_cast<std::uint32_t>(m_comments.size()));
    }
    m_typeNames.shrink_to_fit();
    m_files.shrink_to_fit();
    m_fileRuns.shrink_to_fit();
}

const std::string* TOutlineStore::OddHeader(std::size_t record) const
{
    if (m_oddHeaders.empty())
        return nullptr;
    const auto odd = m_oddHeaders.find(record);
    return odd == m_oddHeaders.end() ? nullptr : &odd->second;
}

std::string TOutlineStore::Line(int index) const
{
    const std::size_t r = RecordOf(index);
    if (const std::string* header = OddHeader(r))
        return RecordLine(*header);
    return std::to_string(m_heads[r].line);
}

int TOutlineStore::LineNumber(int index) const
{
    const std::size_t r = RecordOf(index);
    if (const std::string* header = OddHeader(r))
        return IntOrZero(RecordLine(*header));
    const std::uint32_t line = m_heads[r].line;
    return line <= std::numeric_limits<int>::max() ? static_cast<int>(line) : IntOrZero(std::to_string(line));
}

int TOutlineStore::Icon(int index) const
{
    const std::size_t r = RecordOf(index);
    if (const std::string* header = OddHeader(r))
        return RecordIcon(*header);
    return m_heads[r].icon;
}

int TOutlineStore::Level(int index) const
{
    const std::size_t r = RecordOf(index);
    if (const std::string* header = OddHeader(r))
        return RecordLevel(*header);
    return m_heads[r].level;
}

std::string_view TOutlineStore::File(int index) const
{
    const std::size_t r = RecordOf(index);
    if (const std::string* header = OddHeader(r))
        return RecordFile(*header);
    const auto after = std::upper_bound(m_fileRuns.begin(), m_fileRuns.end(), r,
                                        [](std::size_t record, const TFileRun& run) { return record < run.firstRecord; });
    return after == m_fileRuns.begin() ? std::string_view() : std::string_view(m_files[std::prev(after)->file]);
}

std::string_view TOutlineStore::Type(int index) const
{
    const std::size_t r = RecordOf(index);
    return m_typeNames[m_types32.empty() ? m_types16[r] : m_types32[r]];
}

std::string_view TOutlineStore::Declaration(int index) const
{
    return TextOf(m_declarations, m_declarationEnds, RecordOf(index));
}

std::string_view TOutlineStore::Comment(int index) const
{
    return TextOf(m_comments, m_commentEnds, RecordOf(index));
}

TLines TOutlineStore::Lines() const
{
    TLines lines;
    lines.reserve(size());
    for (int i = 0; static_cast<std::size_t>(i) < size(); i += 4) {
        const std::string* odd = OddHeader(RecordOf(i));
        lines.push_back(odd ? *odd : HeaderText(Line(i), Icon(i), Level(i), File(i)));
        lines.emplace_back(Type(i));
        lines.emplace_back(Declaration(i));
        lines.emplace_back(Comment(i));
    }
    return lines;
}

void ReleaseFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
