#include "scan/Regex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// A pattern of alternatives finds what searching its patterns one after another finds:
// the first that matches, with its own groups; patterns that would mean something else
// as a branch among others are not taken.
TEST(Regex, AlternativesMatchAsTheFirstPatternAloneWould)
{
    const struct {
        const char* modifiers;
        std::vector<std::string> patterns;
        std::vector<bool> canAlternate;
        std::vector<std::string> subjects;
    } cases[] = {
        {"", {"^(a)(b)?c", "^a(x)?(c)", "^(?<=q)a", "^(\\w)\\1", "^"}, {true, true, true, true, true},
         {"abc", "ac", "aa", "A", "xx", "-"}},
        // An inline option ends with its branch; a back reference names the branch's group.
        {"-i", {"^a(?i)", "^B", "^(b)(?:x|\\1)"}, {true, true, true}, {"b", "B", "bb", "bB", "a"}},
        {"", {"^(?-i:P)q", "^p(Q)", "^p(?=q)(q)?(\\w)"}, {true, true, true}, {"pq", "Pq", "pQ", "pr"}},
        // Not anchored, named, recursive, across branches (verbs), quoting, extended, malformed.
        {"", {"a", "^(?<n>a)", "^(a|b(?1))", "^a(*COMMIT)b", "^\\Qa)", "^(?x)a # c", "^("},
         {false, false, false, false, false, false, false}, {"a"}},
        {"x", {"^a", "^b"}, {false, false}, {"a"}},
    };
    for (const auto& c : cases) {
        TRegex re;
        re.SetModifiers(c.modifiers);
        std::vector<int> ids;
        for (std::size_t i = 0; i < c.patterns.size(); ++i) {
            ids.push_back(re.PatternId(c.patterns[i]));
            EXPECT_EQ(re.CanAlternate(ids.back()), c.canAlternate[i]) << c.patterns[i];
        }
        if (!c.canAlternate.front())
            continue;
        const int all = re.Alternatives(ids);
        ASSERT_GE(all, 0);
        for (const auto& subject : c.subjects) {
            SCOPED_TRACE(subject);
            int first = -1;
            std::string alone;
            for (std::size_t i = 0; i < ids.size() && first < 0; ++i) {
                re.SetPatternId(ids[i]);
                if (re.Search(subject)) {
                    first = static_cast<int>(i);
                    alone = re.Substitute("$&|$1|$2|$3") + std::to_string(re.MatchPos(2));
                }
            }
            re.SetPattern("\\w");
            ASSERT_TRUE(re.Search("w"));
            EXPECT_EQ(re.SearchAlternatives(all, ids, subject), first);
            EXPECT_EQ(re.Matched(), first >= 0);
            if (first >= 0) {
                EXPECT_EQ(re.Pattern(), c.patterns[static_cast<std::size_t>(first)]);
                EXPECT_EQ(re.Substitute("$&|$1|$2|$3") + std::to_string(re.MatchPos(2)), alone);
            }
        }
    }
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
