#include "browser/core/OutlineFilter.h"


TOutlineFilter::TOutlineFilter(const TLines& entries)
{
    const std::size_t count = entries.size() / 4;
    m_declarations.reserve(count);
    m_levelPaths.reserve(count);
    // The entries that hold the current one, innermost last: an entry holds the later
    // entries of a greater Level up to the next one whose Level is not greater.
    struct THolder {
        int level;
        std::size_t entry;
    };
    std::vector<THolder> holders;
    for (std::size_t e = 0; e < count; ++e) {
        const int level = IntOrZero(TagValue(entries[4 * e], "LEVEL"));
        while (!holders.empty() && holders.back().level >= level)
            holders.pop_back();
        if (holders.empty()) {
            m_levelPaths.emplace_back();
        } else {
            const std::size_t parent = holders.back().entry;
            const std::string& outer = m_levelPaths[parent];
            const std::string& name = entries[4 * parent + 2];
            m_levelPaths.push_back(outer.empty() ? name
                                                 : outer + std::string(kLevelPathSeparator) + name);
        }
        holders.push_back({level, e});
        m_declarations.push_back(LowerCase(entries[4 * e + 2]));
    }
}

std::vector<int> TOutlineFilter::Match(std::string_view text) const
{
    const std::string wanted = LowerCase(text);
    std::vector<int> found;
    for (std::size_t e = 0; e < m_declarations.size(); ++e) {
        if (m_declarations[e].find(wanted) != std::string::npos)
            found.push_back(static_cast<int>(4 * e));
    }
    return found;
}

const std::string& TOutlineFilter::LevelPath(int entryIndex) const
{
    static const std::string kNone;
    const std::size_t e = static_cast<std::size_t>(entryIndex / 4);
    return entryIndex >= 0 && e < m_levelPaths.size() ? m_levelPaths[e] : kNone;
}
