#include "browser/core/OutlineFilter.h"

#include <algorithm>

TOutlineFilter::TOutlineFilter(const TOutlineStore& entries) : m_lower(LowerCase(entries.Declarations()))
{
    const std::size_t count = RecordCount(entries);
    m_parents.reserve(count);
    // The entries that hold the current one, innermost last: an entry holds the later
    // entries of a greater Level up to the next one whose Level is not greater.
    struct THolder {
        int level;
        std::int32_t entry;
    };
    std::vector<THolder> holders;
    for (std::size_t e = 0; e < count; ++e) {
        const int level = entries.Level(static_cast<int>(kRecordLines * e));
        while (!holders.empty() && holders.back().level >= level)
            holders.pop_back();
        m_parents.push_back(holders.empty() ? -1 : holders.back().entry);
        holders.push_back({level, static_cast<std::int32_t>(e)});
    }
}

std::vector<int> TOutlineFilter::Match(const TOutlineStore& entries, std::string_view text) const
{
    std::vector<int> found;
    if (text.empty() || text.find('\n') != std::string_view::npos) {
        if (text.empty())
            for (std::size_t e = 0; e < m_parents.size(); ++e)
                found.push_back(static_cast<int>(kRecordLines * e));
        return found;
    }
    const std::string wanted = LowerCase(text);
    const std::vector<std::uint32_t>& ends = entries.DeclarationEnds();
    // A hit names the entry whose declaration it starts in when it ends there too; one that
    // runs on into the next declaration rules out every later one in the same entry. The
    // search goes on after that entry either way.
    std::size_t at = 0;
    while ((at = m_lower.find(wanted, at)) != std::string::npos) {
        const auto end = std::upper_bound(ends.begin(), ends.end(), static_cast<std::uint32_t>(at));
        if (at + wanted.size() <= *end)
            found.push_back(static_cast<int>(kRecordLines * static_cast<std::size_t>(end - ends.begin())));
        at = *end;
    }
    return found;
}

std::string TOutlineFilter::LevelPath(const TOutlineStore& entries, int entryIndex) const
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
        path.append(entries.Declaration(static_cast<int>(kRecordLines * *h)));
    }
    return path;
}
