// The one reader of the scanner's result records: header fields, whole records, and
// headers that carry more fields than the three read.

#include "scan/OutlineRecord.h"

#include <gtest/gtest.h>

TEST(OutlineRecord, ReadsTheHeaderFields)
{
    struct Case {
        const char* name;
        std::string header;
        std::string line;
        int icon;
        int level;
        std::string file;
    };
    const Case cases[] = {
        {"as the scanner writes it", "[LINE]12[ICON]3[LEVEL]2", "12", 3, 2, ""},
        {"empty icon", "[LINE]1[ICON][LEVEL]1", "1", 0, 1, ""},
        {"icon that is no number", "[LINE]7[ICON]x[LEVEL]4", "7", 0, 4, ""},
        {"from an included file", "[LINE]40[ICON]1[LEVEL]3[FILE]/src/inc/defs.inc", "40", 1, 3, "/src/inc/defs.inc"},
        {"an included file whose path holds tags", "[LINE]5[ICON]2[LEVEL]1[FILE]/a/[LEVEL]9/[LINE]8.inc", "5", 2, 1,
         "/a/[LEVEL]9/[LINE]8.inc"},
        {"an included file that holds the first tag", "[FILE]/x[ICON]9/y.inc", "", 0, 0, "/x[ICON]9/y.inc"},
        {"no header at all", "plain text", "", 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TLines results = {c.header, "type", "Decl", "comment"};
        const TOutlineRecord record = ReadRecord(results, 0);
        EXPECT_EQ(record.line, c.line);
        EXPECT_EQ(record.icon, c.icon);
        EXPECT_EQ(record.level, c.level);
        EXPECT_EQ(record.file, c.file);
        EXPECT_EQ(RecordFile(c.header), c.file);
        EXPECT_EQ(RecordLine(c.header), c.line);
        EXPECT_EQ(RecordLevel(c.header), c.level);
        EXPECT_EQ(record.type, "type");
        EXPECT_EQ(record.declaration, "Decl");
        EXPECT_EQ(record.comment, "comment");
    }
}

// Records read the same from separate lines and from a line store, which keeps empty lines.
TEST(OutlineRecord, OnlyWholeRecordsCount)
{
    const TLines lines = {"[LINE]1[ICON]1[LEVEL]1", "unit", "A", "",
                          "[LINE]2[ICON]3[LEVEL]2", "class", "B", "// b",
                          "[LINE]3[ICON]1[LEVEL]2", "procedure"};
    const TOutlineStore store(lines);
    EXPECT_EQ(store.Lines(), TLines(lines.begin(), lines.begin() + 8));
    const auto check = [](const auto& results) {
        EXPECT_EQ(RecordCount(results), 2u);
        struct Case {
            int index;
            bool whole;
        };
        for (const Case c : {Case{0, true}, Case{4, true}, Case{8, false}, Case{-4, false}, Case{2, false},
                             Case{12, false}}) {
            SCOPED_TRACE(c.index);
            EXPECT_EQ(HasRecordAt(results, c.index), c.whole);
        }
        const TOutlineRecord first = ReadRecord(results, 0);
        EXPECT_EQ(first.declaration, "A");
        EXPECT_EQ(first.comment, "");
        const TOutlineRecord second = ReadRecord(results, 4);
        EXPECT_EQ(second.line, "2");
        EXPECT_EQ(second.icon, kContainerIcon);
        EXPECT_EQ(second.declaration, "B");
        EXPECT_EQ(second.comment, "// b");
    };
    check(lines);
    check(store);
    EXPECT_EQ(RecordCount(TLines{}), 0u);
    EXPECT_EQ(RecordCount(TOutlineStore{}), 0u);
}

// A store gives back every record as written: headers its numbers write again and those
// they would not, included files in runs that come and go, and more types than 16 bits
// number. Each record reads the same from the store as from the lines.
TEST(OutlineRecord, StoreKeepsEveryRecordAsWritten)
{
    TLines lines = {
        "[LINE]12[ICON]3[LEVEL]2", "class", "TShape", "a shape",
        "[LINE]012[ICON]1[LEVEL]1", "var", "Leading", "",                      // LINE with a leading zero
        "[LINE]x[ICON]1[LEVEL]1", "var", "NoNumber", "",                       // LINE that is no number
        "[LINE]4294967296[ICON]0[LEVEL]1", "var", "Past32Bits", "",            // LINE past 32 bits
        "[LINE]5[ICON]70000[LEVEL]-3", "const", "WideIcon", "",                // icon past 16 bits
        "[LINE]6[ICON][LEVEL]1", "const", "NoIcon", "",                        // empty icon
        "[LINE]7[ICON]1[LEVEL]1[FILE]/src/a.inc", "procedure", "InA", "",      // runs of files
        "[LINE]8[ICON]1[LEVEL]1[FILE]/src/a.inc", "procedure", "InAToo", "",
        "[LINE]9[ICON]1[LEVEL]1", "procedure", "Own", "",
        "[LINE]1[ICON]1[LEVEL]1[FILE]/a/[LEVEL]9/[LINE]8.inc", "type", "OddPath", "",
        "[LINE]3[ICON]1[LEVEL]1[FILE]/src/a.inc", "procedure", "InAAgain", "",
        "[LINE]10[ICON]1[LEVEL]1[TAIL]more", "procedure", "MoreFields", "",   // a field past LEVEL
    };
    for (int t = 0; t < 70000; ++t)
        for (const std::string& line : {"[LINE]" + std::to_string(t + 1) + "[ICON]1[LEVEL]2", "kind" + std::to_string(t),
                                        std::string("D"), std::string("")})
            lines.push_back(line);
    const TOutlineStore store(lines);
    EXPECT_EQ(store.Lines(), lines);
    ASSERT_EQ(RecordCount(store), RecordCount(lines));
    for (int i = 0; HasRecordAt(lines, i); i += kRecordLines) {
        SCOPED_TRACE(lines[static_cast<std::size_t>(i)]);
        const TOutlineRecord a = ReadRecord(lines, i);
        const TOutlineRecord b = ReadRecord(store, i);
        EXPECT_EQ(a.line, b.line);
        EXPECT_EQ(IntOrZero(a.line), store.LineNumber(i));
        EXPECT_EQ(a.icon, b.icon);
        EXPECT_EQ(a.level, b.level);
        EXPECT_EQ(a.file, b.file);
        EXPECT_EQ(a.type, b.type);
        EXPECT_EQ(a.declaration, b.declaration);
        EXPECT_EQ(a.comment, b.comment);
    }
}
