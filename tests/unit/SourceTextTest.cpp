#include "scan/SourceText.h"

#include <gtest/gtest.h>

namespace {

TEST(SourceText, MarksEncodingsAndLineEnds)
{
    using namespace std::string_literals;
    const struct {
        const char* name;
        std::string bytes;
        TLines expected;
    } cases[] = {
        {"plain ASCII, every line end", "a\r\nb\rc\nd\r\n", {"a", "b", "c", "d"}},
        {"a final line break adds no line", "a\n", {"a"}},
        {"empty lines stay", "a\n\nb", {"a", "", "b"}},
        {"UTF-8 mark is dropped", "\xEF\xBB\xBFunit \xC3\xA9;\n", {"unit \xC3\xA9;"}},
        {"UTF-8 without mark is kept", "x := '\xE2\x82\xAC';", {"x := '\xE2\x82\xAC';"}},
        {"invalid UTF-8 is Windows-1252", "x := '\x80\xE9';", {"x := '\xE2\x82\xAC\xC3\xA9';"}},
        {"U+2028 ends a line", "a\xE2\x80\xA8" "b", {"a", "b"}},
        {"a NUL ends the text", "a\nb\0c\nd"s, {"a", "b"}},
        {"UTF-16 LE", "\xFF\xFE" "a\0\r\0\n\0\xE9\0"s, {"a", "\xC3\xA9"}},
        {"UTF-16 BE with a surrogate pair", "\xFE\xFF\0a\0\n\xD8\x3D\xDE\x00"s, {"a", "\xF0\x9F\x98\x80"}},
        {"UTF-16 LE line separator and NUL", "\xFF\xFE" "a\0\x28\x20" "b\0\0\0c\0"s, {"a", "b"}},
        {"UTF-8 mark, an invalid byte becomes U+FFFD", "\xEF\xBB\xBF" "a\xFF\r\n\xC3\0b"s, {"a\xEF\xBF\xBD", "\xEF\xBF\xBD"}},
        {"CR CR LF, a final CR", "a\r\r\r\nb\r", {"a", "", "", "b"}},
        {"long ASCII runs around a multi-byte character", "0123456789abcdef\xC3\xA9" "0123456789\n", {"0123456789abcdef\xC3\xA9" "0123456789"}},
        {"a truncated sequence at the end is Windows-1252", "0123456789\xC3", {"0123456789\xC3\x83"}},
        {"empty file", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeSourceLines(c.bytes), c.expected);
    }
}

TEST(SourceText, PlaceholderLookalikesAreEscapedAndComeBack)
{
    const std::string esc = "\xEF\xBF\xBF";
    const struct {
        const char* line;
        std::string escaped;
        const char* unescaped; // what the scan hands back
    } cases[] = {
        {"x := 1; { see _!5_ }", "x := 1; { see _" + esc + "!5_ }", "x := 1; { see _!5_ }"},
        {"_@ _% _& __!", "_" + esc + "@ _" + esc + "% _" + esc + "& __" + esc + "!", "_@ _% _& __!"},
        {"no_marker _x at the end_", "no_marker _x at the end_", "no_marker _x at the end_"},
        {"a U+FFFF of the source \xEF\xBF\xBF", "a U+FFFF of the source \xEF\xBF\xBD",
         "a U+FFFF of the source \xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::string line = c.line;
        EscapePlaceholders(line);
        EXPECT_EQ(line, c.escaped);
        EXPECT_EQ(PlaceholdersUnescaped(line), c.unescaped);
        UnescapePlaceholders(line);
        EXPECT_EQ(line, c.unescaped);
    }
}

TEST(SourceText, UnreadableFiles)
{
    EXPECT_FALSE(LoadSourceLines("/nonexistent/unit.pas"));
    EXPECT_FALSE(LoadSourceLines("/tmp")) << "a folder is no source";
}

} // namespace
