// The filter over a whole outline: which entries match, in which order, and the readable
// path of the level each stands in.

#include "browser/core/OutlineFilter.h"

#include "OutlineTestSupport.h"

#include <gtest/gtest.h>

namespace {

// TInventory holds Find, which holds a local Count; FindAll is on the top level; TList
// holds FindNext and a nested record.
TLines Inventory()
{
    return MakeEntries({{1, 3, 1, "TInventory"},
                        {2, 1, 2, "Find"},
                        {3, 2, 3, "Count"},
                        {4, 1, 2, "Clear"},
                        {5, 1, 1, "FindAll"},
                        {6, 3, 1, "TList"},
                        {7, 1, 2, "FINDNEXT"},
                        {8, 3, 2, "TItem"},
                        {9, 2, 3, "Name"}});
}

TEST(OutlineFilter, MatchesAtEveryLevelIgnoringCase)
{
    struct Case {
        const char* text;
        std::vector<int> entries;
    };
    const Case cases[] = {
        {"find", {4, 16, 24}},
        {"FIND", {4, 16, 24}},
        {"nDn", {24}},
        {"t", {0, 8, 20, 24, 28}},
        {"Inventory", {0}},
        {"absent", {}},
        {"yfind", {}}, // never across two entries
        {"tt", {}},    // nor across FINDNEXT into TItem, which holds a "t" of its own
        {"", {0, 4, 8, 12, 16, 20, 24, 28, 32}},
    };
    const TOutlineStore entries = Inventory();
    const TOutlineFilter filter(entries);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(filter.Match(entries, c.text), c.entries);
    }
}

TEST(OutlineFilter, LevelPaths)
{
    struct Case {
        int entry;
        std::string path;
    };
    const Case cases[] = {
        {0, ""},           {4, "TInventory"}, {8, "TInventory > Find"}, {12, "TInventory"},
        {16, ""},          {24, "TList"},     {32, "TList > TItem"},    {99, ""},
    };
    const TOutlineStore entries = Inventory();
    const TOutlineFilter filter(entries);
    EXPECT_EQ(filter.EntryCount(), 9u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(filter.LevelPath(entries, c.entry), c.path);
    }
}

} // namespace
