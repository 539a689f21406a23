#include "scan/Regex.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TLongCase {
    const char* name;
    const char* pattern;
    std::string subject;
    bool found;
};

// Patterns whose repeated groups keep a backtracking point per repetition: on long
// texts they outgrow the matcher's default compiled-code stack, and must still give
// their answer instead of an error.
TEST(RegexLongSubject, RepeatedGroupsOverLongTexts)
{
    const std::string params = "(" + std::string(20000, 'a') + "; b)";
    const TLongCase cases[] = {
        {"alternation repeated over a long text", "^(?:a|b)*c", std::string(40000, 'a') + "c", true},
        {"alternation repeated, no match", "^(?:a|b)*c", std::string(40000, 'a') + "d", false},
        {"bracketed list of a long parameter text", R"(^\((?:[^()]|\([^()]*\))*\);)", params + ";", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TRegex regex;
        regex.SetModifiers("isg-mxr");
        regex.SetPattern(c.pattern);
        bool found = false;
        EXPECT_NO_THROW(found = regex.Search(c.subject));
        EXPECT_EQ(found, c.found);
    }
}

} // namespace
