#include "scan/RuleSet.h"

#include <gtest/gtest.h>

namespace {

TEST(RuleSet, EachLineIsTakenApartOnce)
{
    const TRuleSet set("DECL", {"[PUSH] INNER", ".", "s0=^a(b)", "D=$1", "3=#1", "M=!", "M=", "[IF#2THEN] s5",
                                "[IF#1THEN] S9", "[IF#4THEN] S5", "[NOSUCH] x", "S0=dup", "S5=c", "xyz", "", "*=#1",
                                "<more"},
                       {10, 11, 12});
    const struct {
        std::size_t line;
        TOp op;
        const char* value;
        int digit = 0;
        int marker = -1;
        int jumpTarget = -1;
        const char* arg = "";
    } cases[] = {
        {0, TOp::Push, "PUSH] INNER", 0, -1, -1, "INNER"},
        {1, TOp::Stop, ""},
        {2, TOp::Stop, "^a(b)"},           // a rule in lower case is no S command
        {3, TOp::Declaration, "$1"},
        {4, TOp::SetMacro, "#1", 3},
        {5, TOp::PickUp, "!", 0, '!'},
        {6, TOp::PickUp, ""},              // no marker: an error when it runs
        {7, TOp::If, "IF#2THEN] s5", 2, -1, 12, "s5"},
        {8, TOp::If, "IF#1THEN] S9", 1, -1, -1, "S9"},        // the set has no S9
        {9, TOp::OtherWord, "IF#4THEN] S5", 0, -1, -1, "S5"}, // IF#4 is no IF
        {10, TOp::OtherWord, "NOSUCH] x", 0, -1, -1, "x"},
        {11, TOp::Rematch, "dup"},
        {14, TOp::End, ""},
        {15, TOp::Comment, "#1"},
        {16, TOp::Code, "more"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(set.lines[c.line]);
        const TCommand& command = set.commands[c.line];
        EXPECT_EQ(command.op, c.op);
        EXPECT_EQ(set.values[c.line], c.value);
        EXPECT_EQ(command.digit, c.digit);
        EXPECT_EQ(command.marker, c.marker);
        EXPECT_EQ(command.jumpTarget, c.jumpTarget);
        EXPECT_EQ(command.arg, c.arg);
    }
    // The first line of a name is the rule; numbers go on only without a gap.
    EXPECT_EQ(set.RuleIndex(0), 2);
    EXPECT_EQ(set.RuleIndex(5), 12);
    EXPECT_EQ(set.RuleIndex(1), -1);
    EXPECT_EQ(set.RuleIndex(-1), -1);
    EXPECT_EQ(set.lineNumbers, (std::vector<int>{10, 11, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(RuleSet, RunsOfRulesAreTheAnchoredOnesInARow)
{
    const TRuleSet set("CYC0", {".", "S0=^a", "S1=^b", "S2=c", "S3=^d", "S4=^e", "S5=^f", "S6=^(?<n>g)"}, {});
    TRegex regex;
    regex.SetModifiers("isg-mxr");
    const TRuleRun* first = set.RunAt(regex, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->ids.size(), 2u);
    EXPECT_EQ(set.RunAt(regex, 1), nullptr) << "a run is found by its first rule";
    EXPECT_EQ(set.RunAt(regex, 2), nullptr) << "an unanchored rule is searched on its own";
    const TRuleRun* second = set.RunAt(regex, 3);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->ids, (std::vector<int>{set.PatternId(regex, 4), set.PatternId(regex, 5), set.PatternId(regex, 6)}));
    regex.SetModifiers("x");
    EXPECT_EQ(set.RunAt(regex, 0), nullptr) << "extended syntax is searched rule by rule";
}

TEST(RuleSet, TheBlockOfAFileTypeAndItsFaults)
{
    TStructureTexts rules;
    rules.LoadFromList({"[BEGIN]", "[+VAR]", "PAS=P", "DPR=GONE", "INC=EMPTY", "[-VAR]", "[BEGIN] NAME=P", "[+CYC0]",
                        ".", "S0=x", "[-CYC0]", "[END]", "[BEGIN] NAME=EMPTY", "[+OTHER]", "S0=x", "[-OTHER]", "[END]",
                        "[END]"});
    TRuleBlock block(rules);
    EXPECT_TRUE(block.IsKnownType("pas"));
    EXPECT_FALSE(block.IsKnownType("PP"));
    EXPECT_FALSE(block.Choose("PAS"));
    EXPECT_EQ(block.Set("CYC0")->lines, (TLines{".", "S0=x"}));
    EXPECT_TRUE(block.Set("NOSUCH")->lines.empty());
    EXPECT_FALSE(block.Choose("PP")) << "no block chosen, nothing to say";
    const auto gone = block.Choose("DPR");
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->Text(), "the rule file has no rule block GONE for the file type DPR (set GONE)");
    const auto empty = block.Choose("INC");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->Text(), "the rule block EMPTY has no rules: its set CYC0 is missing or empty (rule file line 13, "
                             "set EMPTY: [BEGIN] NAME=EMPTY)");
}

} // namespace
