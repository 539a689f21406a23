#pragma once
// The filter over a whole outline: every entry of the file, at any level, whose
// declaration contains a text, letter case ignored, each with the path of the level it
// stands in ("TInventory > Find"). Made once per outline; each keystroke then only
// matches. It keeps the declarations lower-cased in one text and the level paths as links
// to the holding entries, so that an outline of a million entries costs tens of MB; where
// each declaration ends, and how it is written, it reads from the entries it was made of,
// which every call names. No widgets; any one thread at a time.

#include "scan/OutlineRecord.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TOutlineFilter {
public:
    // Indexes the entries: the scanner's result records.
    explicit TOutlineFilter(const TOutlineStore& entries);

    // The entry indexes (the positions of their headers) of the entries whose declaration
    // contains text, ignoring the case of ASCII letters, in document order. An empty
    // text matches every entry.
    std::vector<int> Match(const TOutlineStore& entries, std::string_view text) const;
    // The declarations of the entries that hold the entry, outermost first, joined by
    // " > "; empty for an entry of the top level.
    std::string LevelPath(const TOutlineStore& entries, int entryIndex) const;
    std::size_t EntryCount() const { return m_parents.size(); }

private:
    // The entries' Declarations with ASCII letters lower-cased.
    std::string m_lower;
    std::vector<std::int32_t> m_parents; // per entry, the entry that holds it; -1: none
};

// The readable path separator of a level path.
inline constexpr std::string_view kLevelPathSeparator = " > ";
