// The outline document's plain parts: locations, folder paths, level walks and the history.

#include "browser/core/OutlineDocument.h"

#include "OutlineTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> DeclarationsAt(const TLines& entries, const std::vector<int>& indexes)
{
    std::vector<std::string> names;
    for (int i : indexes)
        names.push_back(EntryAt(entries, i).declaration);
    return names;
}

TEST(OutlineDocument, ParsesLocations)
{
    struct Case {
        const char* name;
        std::string location;
        std::string path;
        int levelStart;
        std::string declaration;
        std::string sourceType;
    };
    const Case cases[] = {
        {"path with index", "/src/Unit1.pas?12", "/src/Unit1.pas", 12, "", "PAS"},
        {"path alone", "/src/Unit1.pas", "/src/Unit1.pas", 0, "", "PAS"},
        {"declaration", "/src/Unit1.pas?TShape", "/src/Unit1.pas", 0, "TShape", "PAS"},
        {"declaration path", "/src/U.pas?TStockItem.Create", "/src/U.pas", 0, "TStockItem.Create", "PAS"},
        {"last question mark splits", "/a?b/U.dpr?8", "/a?b/U.dpr", 8, "", "DPR"},
        {"question mark in a folder name", "/a?b/U.dpr", "/a?b/U.dpr", 0, "", "DPR"},
        {"folder", "/src/", "/src/", 0, "", ""},
        {"dot in a folder name only", "/a.dir/readme", "/a.dir/readme", 0, "", ""},
        {"index too large for a number", "/u.pas?99999999999999", "/u.pas", -1, "", "PAS"},
        {"index of zeros", "/u.pas?00", "/u.pas", 0, "", "PAS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TLocation parsed = ParseLocation(c.location);
        EXPECT_EQ(parsed.path, c.path);
        EXPECT_EQ(parsed.levelStart, c.levelStart);
        EXPECT_EQ(parsed.declaration, c.declaration);
        EXPECT_EQ(SourceTypeOf(parsed.path), c.sourceType);
    }
}

// Which entry indexes start a level, and which entry a declaration path names.
TEST(OutlineDocument, LevelStartsAndDeclarationPaths)
{
    // A section holding a class with a method, the method's implementation under a second
    // section, and a container that is the last entry.
    const TLines entries = MakeEntries({{1, 3, 1, "interface"},
                                        {2, 3, 2, "TStockItem"},
                                        {3, 1, 3, "Create(const AName: string)"},
                                        {4, 1, 3, "Take(Count: Integer): Boolean"},
                                        {5, 3, 1, "implementation"},
                                        {6, 1, 2, "TStockItem.Create(const AName: string)"},
                                        {7, 3, 2, "Last"}});
    const std::pair<int, bool> starts[] = {
        {0, true},   {4, true},    {8, true},   {12, false}, {16, false}, {20, true},
        {28, true},  {6, false},   {32, false}, {-1, false}, {24, false},
    };
    for (const auto& [s, expected] : starts)
        EXPECT_EQ(IsLevelStart(entries, s), expected) << s;

    const std::pair<std::string, int> paths[] = {
        {"TStockItem", 4},
        {"tstockitem.create", 8},              // the method inside the class comes first
        {"interface.TStockItem.Take", 12},     // every holder named
        {"implementation.TStockItem.Create", 20}, // the entry's own name holds a dot
        {"TStockItem.Create.x", -1},
        {"implementation.Take", -1},            // Take is not inside implementation
        {"Take.TStockItem", -1},
        {"", -1},
        {"TStockItem..Create", -1},
    };
    for (const auto& [path, expected] : paths)
        EXPECT_EQ(FindDeclarationPath(entries, path), expected) << path;
}

TEST(OutlineDocument, FtpPaths)
{
    EXPECT_TRUE(IsFtpPath("FTP:host/src/Unit1.pas"));
    EXPECT_TRUE(IsFtpPath("ftp:host/src/Unit1.pas"));
    EXPECT_FALSE(IsFtpPath("/srv/ftp:host/Unit1.pas"));
}

TEST(OutlineDocument, FolderPaths)
{
    struct Case {
        std::string folder;
        std::string clean;
        std::string parent;
    };
    const Case cases[] = {
        {"/a/b/", "/a/b", "/a"},   {"/a/./c/../b", "/a/b", "/a"}, {"/a", "/a", "/"},
        {"/", "/", "/"},           {"", "/", "/"},                {"//a//b", "/a/b", "/a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(CleanFolder(c.folder), c.clean);
        EXPECT_EQ(ParentFolder(c.folder), c.parent);
    }
    EXPECT_EQ(ItemToward("/a", "/a/b/c"), "/a/b");
    EXPECT_EQ(ItemToward("/", "/a/b"), "/a");
    EXPECT_EQ(ItemToward("/a/", "/a/b.pas"), "/a/b.pas");
    EXPECT_EQ(ItemToward("/a", "/a"), "");
    EXPECT_EQ(ItemToward("/a", "/ab/c"), "");
    EXPECT_EQ(WithTrailingSlash("/a"), "/a/");
    EXPECT_EQ(WithTrailingSlash("/"), "/");
}

TEST(OutlineDocument, LevelWalks)
{
    struct Case {
        const char* name;
        int start;
        std::vector<std::string> level;
        int upperStart;
    };
    const Case cases[] = {
        {"top level", 0, {"A", "B"}, 0},
        {"inside A", 4, {"A1", "A2"}, 0},
        {"inside A1", 8, {"A1a", "A1b"}, 4},
        {"second child of A1 onwards", 12, {"A1b"}, 4},
        {"past the last entry", 24, {}, 0},
        {"not an entry's first line", 6, {}, 0},
    };
    const TLines entries = WorkedExample();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DeclarationsAt(entries, LevelIndexes(entries, c.start)), c.level);
        EXPECT_EQ(UpperLevelStart(entries, c.start), c.upperStart);
    }
}

TEST(OutlineDocument, EmptyLevelBelowTheLastEntryGoesUpToItsLevel)
{
    // B (level 1) is the last entry; the empty level below it lies at 8.
    EXPECT_EQ(UpperLevelStart(MakeEntries({{1, 1, 1, "A"}, {2, 3, 1, "B"}}), 8), 0);
    // Below A1 (level 2, the last entry) going up shows A's children again.
    EXPECT_EQ(UpperLevelStart(MakeEntries({{1, 3, 1, "A"}, {2, 3, 2, "A1"}}), 8), 4);
}

TEST(OutlineDocument, LevelEntryLeadingToAnEntry)
{
    struct Case {
        const char* name;
        int levelStart;
        int index;
        int expected;
    };
    const Case cases[] = {
        {"the entry itself", 0, 0, 0},
        {"a grandchild leads to its top-level ancestor", 0, 12, 0},
        {"a child of A1 from inside A", 4, 8, 4},
        {"an entry after the level's end", 8, 16, -1},
        {"an entry before the level", 4, 0, -1},
        {"a later entry of the level is itself", 4, 16, 16},
        {"no entry there", 0, 24, -1},
    };
    const TLines entries = WorkedExample();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LevelEntryLeadingTo(entries, c.levelStart, c.index), c.expected);
    }
}

TEST(OutlineDocument, LevelThatShowsAnEntry)
{
    struct Case {
        const char* name;
        TLines entries;
        int index;
        int start;
    };
    const Case cases[] = {
        {"top level", WorkedExample(), 20, 0},
        {"first child", WorkedExample(), 4, 4},
        {"later child", WorkedExample(), 16, 4},
        {"grandchild", WorkedExample(), 12, 8},
        // B's children carry Levels 3 and 2: the level at 8 ends before C, which is then
        // shown from itself.
        {"child the level after its parent does not show",
         MakeEntries({{1, 3, 1, "A"}, {2, 3, 1, "B"}, {3, 1, 3, "B1"}, {4, 1, 2, "C"}}), 12, 12},
        {"no entry there", WorkedExample(), 99, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LevelStartOf(c.entries, c.index), c.start);
    }
}

TEST(OutlineDocument, HistoryRecording)
{
    THistory history;
    for (int i = 0; i < 100; ++i)
        history.RecordLocation("loc" + std::to_string(i));
    EXPECT_EQ(history.Items().size(), 100u);
    history.RecordLocation("loc100");
    ASSERT_EQ(history.Items().size(), 100u);
    EXPECT_EQ(history.Items().front(), "loc100");
    EXPECT_EQ(history.Items().back(), "loc1") << "loc0 dropped";

    history.Back();
    history.Back();
    history.Back();
    EXPECT_EQ(history.Pos(), 3);
    EXPECT_EQ(history.Current(), "loc97");
    history.RecordLocation("new");
    // The three entries ahead of the position went first.
    EXPECT_EQ(history.Pos(), 0);
    ASSERT_EQ(history.Items().size(), 98u);
    EXPECT_EQ(history.Items()[0], "new");
    EXPECT_EQ(history.Items()[1], "loc97");
}

TEST(OutlineDocument, RecordingTheCurrentLocationChangesNothing)
{
    THistory history;
    history.RecordLocation("a");
    history.RecordLocation("b");
    history.Back();
    history.RecordLocation("a");
    EXPECT_EQ(history.Pos(), 1);
    EXPECT_EQ(history.Items().size(), 2u);
}

TEST(OutlineDocument, HistoryEnds)
{
    THistory history;
    history.RecordLocation("a");
    history.RecordLocation("b");
    history.Forward();
    EXPECT_EQ(history.Current(), "b");
    history.Back();
    history.Back();
    EXPECT_EQ(history.Current(), "a");
    EXPECT_FALSE(history.CanGoBack());
    EXPECT_TRUE(history.CanGoForward());
}

TEST(OutlineDocument, RemovingAFailedLocationReturnsToTheOneShown)
{
    // Newest first: d c b a. Going back from c to b, or forward from a to b, and b fails.
    struct Case {
        const char* name;
        int shownPos;
        int stepTo;
        std::string current;
        int pos;
    };
    const Case cases[] = {{"back", 1, 2, "c", 1}, {"forward", 3, 2, "a", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        THistory history;
        for (const char* l : {"a", "b", "c", "d"})
            history.RecordLocation(l);
        for (int i = 0; i < c.stepTo; ++i)
            history.Back();
        history.RemoveCurrent(c.shownPos);
        EXPECT_EQ(history.Items(), (TLines{"d", "c", "a"}));
        EXPECT_EQ(history.Current(), c.current);
        EXPECT_EQ(history.Pos(), c.pos);
    }
}

} // namespace
