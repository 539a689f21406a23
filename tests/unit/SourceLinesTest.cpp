#include "scan/SourceLines.h"

#include <gtest/gtest.h>

namespace {

struct TSourceFixture {
    TScanBuffer buffer;
    TAttemptGuard guard;
    TSourceLines source{buffer, guard};
    TRegex regex;

    explicit TSourceFixture(TLines lines)
    {
        guard.StartScan();
        source.Start(std::move(lines));
        source.StartCycle();
    }
};

TEST(SourceLines, ReadingSkipsLinesWithoutCodeButNotTheLast)
{
    TSourceFixture f({"a", "", "  b ", "", "c", ""});
    const struct {
        std::string buffer;
        int index;
    } steps[] = {{"a   b", 2}, {"a   b c", 4}, {"a   b c", 5}};
    for (const auto& step : steps) {
        EXPECT_TRUE(f.source.ReadNext());
        EXPECT_EQ(f.buffer.Text(), step.buffer);
        EXPECT_EQ(f.source.Index(), step.index);
        EXPECT_FALSE(f.source.AtEnd());
    }
    EXPECT_TRUE(f.source.ReadNext());
    EXPECT_TRUE(f.source.AtEnd());
    EXPECT_EQ(f.source.Codes(), (TLines{"", "", "", "", "", ""})) << "what was read is consumed";

    TSourceFixture big({"x", std::string(TScanBudget::kMaxTextSize, 'y')});
    EXPECT_FALSE(big.source.ReadNext()) << "a buffer past the cap is dropped";
    EXPECT_EQ(big.buffer.Text().size(), TScanBudget::kMaxTextSize);
}

TEST(SourceLines, ARematchReadsUntilItsPatternMatchesOrGivesUp)
{
    const struct {
        const char* pattern;
        TLines lines;
        std::string buffer; // after the re-match
        int index;
        const char* match;  // of the last search
    } cases[] = {
        {"begin(.*)end", {"begin", "a", "end x", "y"}, "begin a end x", 2, "begin a end"},
        {"begin", {"begin", "a"}, "begin", 0, "begin"},
        {"never", {"begin ", "a", "b"}, "begin ", 1, ""}, // the buffer as it was, the lines consumed
        {"never", {"x", "a"}, "x", 1, ""},                // within the source
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        TSourceFixture f(c.lines);
        if (std::string(c.lines[0]).back() == ' ')
            f.buffer.Set(c.lines[0]); // a buffer that joining would trim
        f.regex.SetModifiers("isg-mxr");
        f.regex.SetPattern(c.pattern);
        f.source.Rematch(f.regex, {});
        EXPECT_EQ(f.buffer.Text(), c.buffer);
        EXPECT_EQ(f.source.Index(), c.index);
        EXPECT_EQ(f.regex.Matched() ? f.regex.MatchText(0) : "", c.match);
    }
}

} // namespace
