#pragma once
// The filter over a whole outline: every entry of the file, at any level, whose
// declaration contains a text, letter case ignored, each with the path of the level it
// stands in ("TInventory > Find"). Made once per outline; each keystroke then only
// matches. It keeps the declarations in one text and the level paths as links to the
// holding entries, so that an outline of a million entries costs tens of MB; the
// declarations as written are read from the entries. No widgets; any one thread at a time.

#include "scan/OutlineRecord.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TOutlineFilter {
public:
    // Indexes the entries: the scanner's result records.
    explicit TOutlineFilter(const TLineStore& entries);

    // The entry indexes (the positions of their headers) of the entries whose declaration
    // contains text, ignoring the case of ASCII letters, in document order. An empty
    // text matches every entry.
    std::vector<int> Match(std::string_view text) const;
    // The declarations of the entries that hold the entry, outermost first, joined by
    // " > "; empty for an entry of the top level. entries are those the filter was made of.
    std::string LevelPath(const TLineStore& entries, int entryIndex) const;
    std::size_t EntryCount() const { return m_parents.size(); }

private:
    // The declarations with ASCII letters lower-cased, each followed by a line break: entry
    // e's is m_lower[m_starts[e], m_starts[e + 1] - 1).
    std::string m_lower;
    std::vector<std::uint32_t> m_starts;
    std::vector<std::int32_t> m_parents; // per entry, the entry that holds it; -1: none
};

// The readable path separator of a level path.
inline constexpr std::string_view kLevelPathSeparator = " > ";
