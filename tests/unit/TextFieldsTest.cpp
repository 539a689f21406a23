#include "scan/TextFields.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct TTextCase {
    const char* name;
    std::string actual;
    std::string expected;
};

TEST(TextFields, BracketGroupsAndFields)
{
    const TTextCase cases[] = {
        {"TagText trims and upper-cases", TagText("[ push ] cyc1", 0), "PUSH"},
        {"TagText of an unclosed last group", TagText("[A] [B", 1), "B"},
        {"TagText without a complete group", TagText("[abc", 0), ""},
        {"TagText beyond the last group", TagText("[A][B]", 3), ""},
        {"TagText with a nested opening bracket", TagText("[a[b]c]", 0), "AB"},
        {"TagTail after the first group", TagTail("[PUSH] InClass", 1), "InClass"},
        {"TagTail before the first group", TagTail("*.pas  [pascal]", 0), "*.pas"},
        {"TagTail of a text without brackets", TagTail("  plain text ", 0), "plain text"},
        {"TagTail index 1", TagTail("[A]x[B]y", 1), "x"},
        {"TagTail index 2", TagTail("[A]x[B]y", 2), "y"},
        {"TagTail index 0 with a leading group", TagTail("[A]x[B]y", 0), ""},
        {"TagValue of a record header", TagValue("[LINE]12[ICON]1[LEVEL]2", "level"), "2"},
        {"TagValue first tag", TagValue("[LINE]12[ICON]1[LEVEL]2", "LINE"), "12"},
        {"TagValue of an empty text", TagValue("", "LINE"), ""},
        {"TagValue of a missing tag", TagValue("[LINE]12", "ICON"), ""},
        {"TagValue tag completed only at the end", TagValue("[LINE]", "LINE"), ""},
        {"TagValue stops at a longer group that begins with the tag",
         TagValue("[LINEX]5[LINE]7", "LINE"), ""},
        {"TagValue keeps inner blanks", TagValue("[ICON] a b [X]", "icon"), "a b"},
        {"CommaField empty field", CommaField("Arial,10,,", 2), ""},
        {"CommaField untrimmed", CommaField(" a , b", 1), " b"},
        {"CommaField past the end", CommaField("a,b", 5), ""},
        {"SemicolonField", SemicolonField("a;b;c", 2), "c"},
        {"PairValue ignores the name's case", PairValue("NAME=PAS;ICON=1", "name"), "PAS"},
        {"PairValue with blanks around fields", PairValue(" ICON=x ; NAME=X ", "NAME"), "X"},
        {"PairValue skips fields without =", PairValue("NAME;NAME=Y", "NAME"), "Y"},
        {"PairValue value holding =", PairValue("A=b=c", "a"), "b=c"},
        {"FolderOf a bare name", FolderOf("readme.txt"), ""},
        {"FolderOf a path", FolderOf("/home/u/a.pas"), "/home/u/"},
        {"FileNameOf a bare name", FileNameOf("readme.txt"), "readme.txt"},
        {"FileNameOf a folder path", FileNameOf("/home/u/"), ""},
        {"FileTypeKey", FileTypeKey("Unit1.pas"), "PAS"},
        {"FileTypeKey without a dot", FileTypeKey("Makefile"), "MAKEFILE"},
        {"FileTypeKey dot inside a folder name", FileTypeKey("/a.b/file"), "B/FILE"},
        {"FileTypeKey of a trailing dot", FileTypeKey("name."), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.actual, c.expected);
    }
}

TEST(TextFields, TagCount)
{
    EXPECT_EQ(TagCount("[A][B]"), 2);
    EXPECT_EQ(TagCount("]x[A"), 0);
    EXPECT_EQ(TagCount("[[A]]"), 1);
    EXPECT_FALSE(HasTags("no groups"));
    EXPECT_EQ(SemicolonCount("a;b;;"), 3);
}

TEST(TextFields, IntOrZero)
{
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {" -5", -5},   {"5 ", 0},           {"$1F", 31},          {"x1f", 31},
        {"0x10", 16},  {"0X10", 16},        {"+7", 7},            {"", 0},
        {"12px", 0},   {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"2147483648", 0},
        {"$", 0},      {"-", 0},            {"$FFFFFFFF", 0},     {"1 2", 0},
        {"007", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IntOrZero(c.text), c.expected);
    }
}

TEST(TextFields, TrimLinesDropsBlankLines)
{
    TLines lines{"  a ", "\t", "", " b", "   "};
    TrimLines(lines);
    EXPECT_EQ(lines, (TLines{"a", "b"}));
    TLines blanks{" ", "\t\r", ""};
    TrimLines(blanks);
    EXPECT_TRUE(blanks.empty());
}

TEST(TextFields, SplitLinesAtEveryLineEnd)
{
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (TLines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n"), (TLines{"a"}));
    EXPECT_EQ(SplitLines("a\n\n"), (TLines{"a", ""}));
    EXPECT_TRUE(SplitLines("").empty());
}

} // namespace
