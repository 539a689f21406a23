// The compare rules of the report lists over plain rows: the outline list's rule and the
// list's own case-insensitive text compare.

#include "widgets/core/ListCompare.h"

#include <gtest/gtest.h>

namespace {

TListRow Row(const std::string& caption, int image, std::vector<std::string> subTexts)
{
    return {caption, image, std::move(subTexts)};
}

// Outline rows in the built-in layout: Declaration, Comment, Type, Line.
TListRow Outline(const std::string& declaration, const std::string& line, int image = 1,
                 const std::string& comment = "", const std::string& type = "t")
{
    return Row(" ", image, {declaration, comment, type, line});
}

int Sign(int n)
{
    return (n > 0) - (n < 0);
}

TEST(ListCompare, OutlineRule)
{
    const auto asc = TSortOption::soAscending;
    const auto desc = TSortOption::soDescending;
    const TListRow parent = Row("..", 3, {"..< P >", "c", "..< t >", "..< 99 >"});
    struct Case {
        const char* name;
        TListRow a;
        TListRow b;
        int sortColumn;
        TSortOption order;
        int expected; // the sign of the compare of a with b
    };
    const Case cases[] = {
        {"line 9 before 10 ascending", Outline("a", "9"), Outline("a", "10"), 4, asc, -1},
        {"line 9 after 10 descending", Outline("a", "9"), Outline("a", "10"), 4, desc, 1},
        {"line that is not a number counts as 0", Outline("a", "x"), Outline("a", "3"), 4, asc, -1},
        {"underscore before letters", Outline("_gamma", "1"), Outline("Alpha", "1"), 1, asc, -1},
        {"letter case ignored", Outline("Alpha", "1"), Outline("beta", "1"), 1, asc, -1},
        {"equal texts are equal", Outline("Same", "1"), Outline("same", "2"), 1, asc, 0},
        {"equal texts are equal descending", Outline("Same", "1"), Outline("same", "2"), 1, desc, 0},
        {"parent row first ascending", parent, Outline("a", "1"), 1, asc, -1},
        {"parent row first descending", parent, Outline("a", "1"), 1, desc, -1},
        {"parent row first by line descending", parent, Outline("a", "1"), 4, desc, -1},
        {"row against the parent row", Outline("a", "1"), parent, 1, desc, 1},
        {"icon column by number", Outline("z", "1", 1), Outline("a", "1", 2), 0, asc, -1},
        {"icon column by number descending", Outline("z", "1", 1), Outline("a", "1", 2), 0, desc, 1},
        {"row without its sub-texts", Row(" ", 1, {"z"}), Outline("a", "1"), 1, asc, 0},
        {"comment column", Outline("a", "1", 1, "second"), Outline("a", "1", 1, "first"), 2, asc, 1},
        {"no order counts as descending", Outline("a", "9"), Outline("a", "10"), 4, TSortOption::soNone, 1},
        {"a column past the layout", Outline("a", "9"), Outline("b", "10"), 5, asc, 0},
        {"source's own line before an include's", Outline("a", "90"), Outline("a", "x.inc:1"), 4, asc, -1},
        {"include lines by number", Outline("a", "x.inc:9"), Outline("a", "x.inc:10"), 4, asc, -1},
        {"includes by file name", Outline("a", "b.inc:9"), Outline("a", "A.inc:10"), 4, asc, 1},
        {"include lines descending", Outline("a", "x.inc:9"), Outline("a", "x.inc:10"), 4, desc, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Sign(ListViewCompare(c.a, c.b, " DCTL", c.sortColumn, c.order)), c.expected);
    }
}

TEST(ListCompare, DefaultCompareIgnoresLetterCase)
{
    const TListRow a = Row("x", 0, {"Path/File.pas"});
    const TListRow b = Row("x", 0, {"path/file.PAS"});
    EXPECT_EQ(DefaultCompare(a, b, 1, TSortOption::soAscending), 0);
    const TListRow c = Row("x", 0, {"b"});
    EXPECT_GT(DefaultCompare(a, c, 1, TSortOption::soAscending), 0);
    EXPECT_LT(DefaultCompare(a, c, 1, TSortOption::soDescending), 0);
    EXPECT_GT(DefaultCompare(Row("B", 0, {}), Row("a", 0, {}), 0, TSortOption::soAscending), 0);
}

} // namespace
