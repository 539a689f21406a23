#include "scan/Regex.h"

#include <gtest/gtest.h>

namespace {

TEST(Regex, DefaultModifiersAreCaselessDotAllGreedy)
{
    TRegex re;
    re.SetPattern("a.+c");
    ASSERT_TRUE(re.Search("xA\nbcbc"));
    EXPECT_EQ(re.MatchText(0), "A\nbcbc");
    EXPECT_EQ(re.MatchPos(0), 1u);

    re.SetModifiers("-g");
    ASSERT_TRUE(re.Search("xA\nbcbc"));
    EXPECT_EQ(re.MatchText(0), "A\nbc") << "g off makes repetition lazy";

    re.SetModifiers("-is");
    EXPECT_FALSE(re.Search("xA\nbc"));
    re.SetModifiers("I");
    EXPECT_FALSE(re.Search("xA\nbc")) << "s stays off when not named";
    EXPECT_THROW(re.SetModifiers("iq"), TRegexError);
}

TEST(Regex, ErrorsAndSubMatches)
{
    TRegex re;
    re.SetPattern("");
    EXPECT_THROW(re.Search("abc"), TRegexError);
    re.SetPattern("(unclosed");
    EXPECT_THROW(re.Search("abc"), TRegexError);

    re.SetPattern("(a)|(b)");
    ASSERT_TRUE(re.Search("xb"));
    EXPECT_EQ(re.MatchText(1), "") << "a group that took no part gives nothing";
    EXPECT_EQ(re.MatchText(2), "b");
    EXPECT_EQ(re.MatchLen(7), 0u);
}

TEST(Regex, TextsThatCannotMatchFailLikeOtherSearches)
{
    const struct {
        const char* pattern;
        const char* subject;
        std::size_t start;
        bool found;
    } cases[] = {
        {"abcd", "abc", 0, false},
        {"abcd", "xabcd", 1, true},
        {"abcd", "xabcd", 2, false},
        {"(?<=a)bc", "abc", 1, true},       // text before the start still counts behind
        {"\\xE9x", "\xC3\xA9x", 0, true}, // two characters, three bytes
        {"a\\Kbc", "abc", 0, true},
        // Anchored patterns fail at once on a first byte no match begins with.
        {"^procedure\\b", "PROCEDURE x", 0, true}, // the other case of an ignored case
        {"^k", "\xE2\x84\xAA", 0, true},           // KELVIN SIGN folds to k
        {"^\\s*(\\w+)", "  x", 0, true},
        {"^\\s*(\\w+)", "-x", 0, false},
        {"^(?:'[^']*'|#\\d+)", "#13", 0, true},
        {"\\G\\{", "x{", 1, true},                  // anchored at the start offset
        {"\\G\\{", "x{", 0, false},
        {"(?-i)^P", "p", 0, false},
    };
    TRegex re;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        re.SetPattern("\\w");
        ASSERT_TRUE(re.Search("w"));
        re.SetPattern(c.pattern);
        EXPECT_EQ(re.Search(c.subject, c.start), c.found);
        EXPECT_EQ(re.Matched(), c.found) << "a failed search leaves no match behind";
    }
    re.SetPattern("abcd");
    EXPECT_EQ(re.EarliestStart("xab"), 1u) << "a text that may grow can still match";
}

TEST(Regex, SubstituteFromTheLastSearch)
{
    TRegex re;
    re.SetPattern("(\\w+)=(\\d+)(x)?(y)?(z)?(1)?(2)?(3)?(4)?(5)?(6)?(7)?");
    ASSERT_TRUE(re.Search("  key=42 ;"));
    const struct {
        const char* templ;
        const char* expected;
    } cases[] = {
        {"$1:$2", "key:42"},    {"$&", "key=42"},     {"${2}", "42"},   {"$12", "key2"},
        {"\\$1", "$1"},         {"a\\\\b", "a\\b"},   {"$3", ""},       {"${12}", ""},
        {"$", "$"},             {"${x}", "${x}"},     {"cost $ 5", "cost $ 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.templ);
        EXPECT_EQ(re.Substitute(c.templ), c.expected);
    }
    re.SetPattern("nomatch");
    EXPECT_FALSE(re.Search("key=42"));
    EXPECT_EQ(re.Substitute("[$1]"), "[]") << "a failed search leaves nothing to substitute";
}

TEST(Regex, AnyBytesAreSafe)
{
    TRegex re;
    re.SetPattern("\\w+");
    const std::string invalid = "\xff\xfe ab\xc3 cd \xe2\x82";
    ASSERT_TRUE(re.Search(invalid));
    EXPECT_EQ(re.MatchText(0), "ab");
    re.SetPattern("caf.");
    ASSERT_TRUE(re.Search("un caf\xc3\xa9 noir"));
    EXPECT_EQ(re.MatchText(0), "caf\xc3\xa9") << "a dot takes a whole UTF-8 character";
}

} // namespace
