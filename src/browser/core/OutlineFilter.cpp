#include "browser/core/OutlineFilter.h"

TOutlineFilter::TOutlineFilter(const TLines& entries)
{
    const std::size_t count = RecordCount(entries);
    m_declarations.reserve(count);
    m_levelPaths.reserve(count);
    // The entries that hold the current one, innermost last: an entry holds the later
    // entries of a greater Level up to the next one whose Level is not greater.
    struct THolder {
        int level;
        std::size_t entry;
    };
    std::vector<THolder> holders;
    std::vector<std::string_view> names; // per entry, as written
    names.reserve(count);
    for (std::size_t e = 0; e < count; ++e) {
        const TOutlineRecord record = ReadRecord(entries, static_cast<int>(kRecordLines * e));
        const int level = record.level;
        while (!holders.empty() && holders.back().level >= level)
            holders.pop_back();
        if (holders.empty()) {
            m_levelPaths.emplace_back();
        } else {
            const std::size_t parent = holders.back().entry;
            std::string path = m_levelPaths[parent];
            if (!path.empty())
                path += kLevelPathSeparator;
            path += names[parent];
            m_levelPaths.push_back(std::move(path));
        }
        holders.push_back({level, e});
        names.push_back(record.declaration);
        m_declarations.push_back(LowerCase(record.declaration));
    }
}

std::vector<int> TOutlineFilter::Match(std::string_view text) const
{
    const std::string wanted = LowerCase(text);
    std::vector<int> found;
    for (std::size_t e = 0; e < m_declarations.size(); ++e) {
        if (m_declarations[e].find(wanted) != std::string::npos)
            found.push_back(static_cast<int>(kRecordLines * e));
    }
    return found;
}

const std::string& TOutlineFilter::LevelPath(int entryIndex) const
{
    static const std::string kNone;
    const std::size_t e = static_cast<std::size_t>(entryIndex / kRecordLines);
    return entryIndex >= 0 && e < m_levelPaths.size() ? m_levelPaths[e] : kNone;
}
