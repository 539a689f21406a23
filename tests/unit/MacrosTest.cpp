#include "scan/Macros.h"

#include <gtest/gtest.h>

namespace {

struct TMacroFixture {
    TScanBuffer buffer;
    TScanBudget budget;
    TMacros macros{buffer, budget};
    TPickups pickups{budget};

    TMacroFixture()
    {
        budget.Start(0);
        buffer.Set("head match tail");
        macros.SetMatch("head ", "match");
        buffer.SetTailAfterMatch(10);
    }
};

TEST(Macros, ExpandReplacesTheTagsInOrder)
{
    TMacroFixture f;
    f.macros.Set(3, "#4");
    f.macros.Set(4, "four");
    f.macros.Set(5, "#3");
    f.macros.Set(6, "3");
    const struct {
        const char* text;
        const char* expanded;
    } cases[] = {
        {"#0|#1|#2", "head |match| tail"},
        {"#3 #4", "four four"}, // #3 brings a later tag in
        {"#5", "#3"},           // but not one that was replaced already
        {"##6 #12", "#3 match2"},
        {"#9", ""},
        {"no tags #", "no tags #"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(f.macros.Expand(c.text), c.expanded) << c.text;
    EXPECT_FALSE(f.macros.TagsStandForThemselves());
    for (int n = 3; n <= 9; ++n)
        f.macros.Set(n, "#" + std::to_string(n));
    EXPECT_TRUE(f.macros.TagsStandForThemselves());
    f.macros.Set(9, std::string(TScanBudget::kMaxTextSize / 2 + 1, 'x'));
    EXPECT_THROW(f.macros.Expand("#9#9"), TScanLimit);
}

TEST(Macros, PickedUpTextsComeBackInTheRecords)
{
    TMacroFixture f;
    const std::string a = f.pickups.Add("'a'", '!');
    const std::string b = f.pickups.Add("(" + a + ")", '@');
    EXPECT_EQ(a, "_!0_");
    EXPECT_EQ(b, "_@1_");
    TLines lines = {"x " + b + " y", "_!0", "_!x_ _%_ __!0_", "no placeholder"};
    std::vector<std::string> limits;
    f.pickups.ExpandAll(lines, [&](const TScanLimit& limit) { limits.emplace_back(limit.what()); });
    EXPECT_EQ(lines, (TLines{"x ('a') y", "_!0", "_!x_ _%_ _'a'", "no placeholder"}));
    EXPECT_TRUE(limits.empty());

    // After CLRMACRO numbering starts again: an old placeholder may name a text that holds
    // it (left as it stands), or one that is no more (the scan fails).
    f.pickups.Clear();
    f.pickups.Add("_!0_", '!');
    lines = {"_&0_"};
    f.pickups.ExpandAll(lines, [](const TScanLimit&) {});
    EXPECT_EQ(lines, (TLines{"_!0_"}));
    lines = {"ok", "_!1_"};
    try {
        f.pickups.ExpandAll(lines, [](const TScanLimit&) {});
        ADD_FAILURE() << "a placeholder without its text must fail";
    } catch (const TScanError& error) {
        EXPECT_STREQ(error.what(), "placeholder _!1_ has no picked-up text");
    }

    // A line that would outgrow the cap stays as it is and is reported.
    f.pickups.Clear();
    const std::string big = f.pickups.Add(std::string(TScanBudget::kMaxTextSize / 2 + 1, 'x'), '!');
    lines = {big + big, "_!0_"};
    f.pickups.ExpandAll(lines, [&](const TScanLimit& limit) { limits.emplace_back(limit.what()); });
    EXPECT_EQ(lines[0], big + big);
    EXPECT_EQ(lines[1].size(), TScanBudget::kMaxTextSize / 2 + 1);
    EXPECT_EQ(limits, (std::vector<std::string>{"a result line grows past 32 MB"}));
}

} // namespace
