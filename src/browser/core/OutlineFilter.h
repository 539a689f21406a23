#pragma once
// The filter over a whole outline: every entry of the file, at any level, whose
// declaration contains a text, letter case ignored, each with the path of the level it
// stands in ("TInventory > Find"). Made once per outline, when the user starts to
// filter; each keystroke then only matches. No widgets; user-interface thread only.

#include "scan/OutlineRecord.h"

#include <string>
#include <string_view>
#include <vector>

class TOutlineFilter {
public:
    // Indexes the entries: the scanner's result records.
    explicit TOutlineFilter(const TLines& entries);

    // The entry indexes (the positions of their headers) of the entries whose declaration
    // contains text, ignoring the case of ASCII letters, in document order. An empty
    // text matches every entry.
    std::vector<int> Match(std::string_view text) const;
    // The declarations of the entries that hold the entry, outermost first, joined by
    // " > "; empty for an entry of the top level.
    const std::string& LevelPath(int entryIndex) const;
    std::size_t EntryCount() const { return m_declarations.size(); }

private:
    std::vector<std::string> m_declarations; // per entry, ASCII letters lower-cased
    std::vector<std::string> m_levelPaths;   // per entry
};

// The readable path separator of a level path.
inline constexpr std::string_view kLevelPathSeparator = " > ";
