// The search window's list of the keywords searched last.

#include "search/core/KeywordHistory.h"

#include <gtest/gtest.h>

namespace {

TEST(KeywordHistory, NewestFirstWithoutRepeatsAndAtMostTwenty)
{
    struct Case {
        const char* name;
        TLines history;
        std::string keyword;
        TLines expected;
    };
    TLines twenty;
    for (int i = 0; i < 20; ++i)
        twenty.push_back("k" + std::to_string(i));
    TLines twentyAfter = twenty;
    twentyAfter.pop_back();
    twentyAfter.insert(twentyAfter.begin(), "new");
    const Case cases[] = {
        {"first keyword", {}, "Integer", {"Integer"}},
        {"newest first", {"Create"}, "Integer", {"Integer", "Create"}},
        {"a repeat moves up", {"Free", "Integer", "Create"}, "Integer", {"Integer", "Free", "Create"}},
        {"letter case counts", {"Integer"}, "integer", {"integer", "Integer"}},
        {"the oldest drops off", twenty, "new", twentyAfter},
        {"empty keyword", {"Free"}, "", {"Free"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RememberKeyword(c.history, c.keyword), c.expected);
    }
}

} // namespace
