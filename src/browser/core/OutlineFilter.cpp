#include "browser/core/OutlineFilter.h"

#include <algorithm>
#include <stdexcept>

TOutlineFilter::TOutlineFilter(const TLineStore& entries)
{
    const std::size_t count = RecordCount(entries);
    m_starts.reserve(count + 1);
    m_parents.reserve(count);
    // The entries that hold the current one, innermost last: an entry holds the later
    // entries of a greater Level up to the next one whose Level is not greater.
    struct THolder {
        int level;
        std::int32_t entry;
    };
    std::vector<THolder> holders;
    for (std::size_t e = 0; e < count; ++e) {
        const TOutlineRecord record = ReadRecord(entries, static_cast<int>(kRecordLines * e));
        while (!holders.empty() && holders.back().level >= record.level)
            holders.pop_back();
        m_parents.push_back(holders.empty() ? -1 : holders.back().entry);
        holders.push_back({record.level, static_cast<std::int32_t>(e)});
        m_starts.push_back(static_cast<std::uint32_t>(m_lower.size()));
        // A declaration is one line; the break keeps a match inside one.
        m_lower.append(LowerCase(record.declaration));
        m_lower += '\n';
        if (m_lower.size() > UINT32_MAX)
            throw std::length_error("the outline's declarations are too long to index");
    }
    m_starts.push_back(static_cast<std::uint32_t>(m_lower.size()));
    m_lower.shrink_to_fit();
}

std::vector<int> TOutlineFilter::Match(std::string_view text) const
{
    std::vector<int> found;
    if (text.empty() || text.find('\n') != std::string_view::npos) {
        if (text.empty())
            for (std::size_t e = 0; e < m_parents.size(); ++e)
                found.push_back(static_cast<int>(kRecordLines * e));
        return found;
    }
    const std::string wanted = LowerCase(text);
    // Each hit names the entry whose text holds it; the search goes on after that entry.
    std::size_t at = 0;
    while ((at = m_lower.find(wanted, at)) != std::string::npos) {
        const auto next = std::upper_bound(m_starts.begin(), m_starts.end(), static_cast<std::uint32_t>(at));
        const std::size_t e = static_cast<std::size_t>(next - m_starts.begin()) - 1;
        found.push_back(static_cast<int>(kRecordLines * e));
        at = *next;
    }
    return found;
}

std::string TOutlineFilter::LevelPath(const TLineStore& entries, int entryIndex) const
{
    const std::size_t e = static_cast<std::size_t>(entryIndex / kRecordLines);
    if (entryIndex < 0 || e >= m_parents.size())
        return {};
    std::vector<std::int32_t> holders;
    for (std::int32_t p = m_parents[e]; p >= 0; p = m_parents[static_cast<std::size_t>(p)])
        holders.push_back(p);
    std::string path;
    for (auto h = holders.rbegin(); h != holders.rend(); ++h) {
        if (!path.empty())
            path += kLevelPathSeparator;
        path.append(ReadRecord(entries, static_cast<int>(kRecordLines * *h)).declaration);
    }
    return path;
}
