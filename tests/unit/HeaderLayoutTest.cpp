// The column layout string of the outline list and the field lookup through it.

#include "browser/core/HeaderLayout.h"

#include <gtest/gtest.h>

TEST(HeaderLayout, FieldLookup)
{
    struct Case {
        const char* name;
        std::string_view layout;
        char letter;
        int subItem;
    };
    const Case cases[] = {
        {"built-in declaration", " DCTL", 'D', 0},
        {"built-in line", " DCTL", 'L', 3},
        {"reordered declaration", " TLDC", 'D', 2},
        {"first occurrence counts", " DDCTL", 'D', 0},
        {"missing letter", " DCT", 'L', -1},
        {"letter at the icon column only", "DCTL", 'D', -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FieldSubItem(c.layout, c.letter), c.subItem);
    }
}

TEST(HeaderLayout, CompleteLayouts)
{
    EXPECT_TRUE(IsCompleteLayout(" DCTL"));
    EXPECT_TRUE(IsCompleteLayout(" LTCD"));
    EXPECT_FALSE(IsCompleteLayout(" DCT"));
    EXPECT_FALSE(IsCompleteLayout(""));
    EXPECT_FALSE(IsCompleteLayout("DCTL "));
}

TEST(HeaderLayout, SubTextsFollowTheLayout)
{
    using TTexts = std::vector<std::string>;
    EXPECT_EQ(OutlineSubTexts(" DCTL", "12", "class", "TMyClass", "main form"),
              (TTexts{"TMyClass", "main form", "class", "12"}));
    EXPECT_EQ(OutlineSubTexts(" TLDC", "12", "class", "TMyClass", "main form"),
              (TTexts{"class", "12", "TMyClass", "main form"}));
    // A character that names no field adds nothing, so the rest move left.
    EXPECT_EQ(OutlineSubTexts(" DXTL", "12", "class", "TMyClass", "main form"),
              (TTexts{"TMyClass", "class", "12"}));
}

// The position each on-screen column takes in the layout stored.
TEST(HeaderLayout, LayoutPositions)
{
    struct Case {
        const char* name;
        std::vector<std::string> captions;
        std::vector<int> positions;
    };
    const Case cases[] = {
        {"built-in order", {"  ", "Declaration", "Comment", "Type", "Line"}, {0, 1, 2, 3, 4}},
        {"icon column dragged to the third place", {"Declaration", "Comment", "  ", "Type", "Line"}, {2, 1, 0, 3, 4}},
        {"icon column dragged to the end", {"Type", "Line", "Declaration", "Comment", "  "}, {4, 1, 2, 3, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LayoutPositions(c.captions), c.positions);
    }
}
