#include "scan/SourceText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(SourceText, MarksEncodingsAndLineEnds)
{
    using namespace std::string_literals;
    const struct {
        const char* name;
        std::string bytes;
        TLines expected;
        std::size_t nulLine = 0;
    } cases[] = {
        {"plain ASCII, every line end", "a\r\nb\rc\nd\r\n", {"a", "b", "c", "d"}},
        {"a final line break adds no line", "a\n", {"a"}},
        {"empty lines stay", "a\n\nb", {"a", "", "b"}},
        {"UTF-8 mark is dropped", "\xEF\xBB\xBFunit \xC3\xA9;\n", {"unit \xC3\xA9;"}},
        {"UTF-8 without mark is kept", "x := '\xE2\x82\xAC';", {"x := '\xE2\x82\xAC';"}},
        {"invalid UTF-8 is Windows-1252", "x := '\x80\xE9';", {"x := '\xE2\x82\xAC\xC3\xA9';"}},
        {"U+2028 ends a line", "a\xE2\x80\xA8" "b", {"a", "b"}},
        {"a NUL ends the text", "a\nb\0c\nd"s, {"a", "b"}, 2},
        {"a NUL at the start of a line", "a\r\n\0b"s, {"a"}, 2},
        {"a NUL first", "\0unit"s, {}, 1},
        {"a NUL after invalid UTF-8", "\x80x\r\0"s, {"\xE2\x82\xACx"}, 2},
        {"UTF-16 LE", "\xFF\xFE" "a\0\r\0\n\0\xE9\0"s, {"a", "\xC3\xA9"}},
        {"UTF-16 BE with a surrogate pair", "\xFE\xFF\0a\0\n\xD8\x3D\xDE\x00"s, {"a", "\xF0\x9F\x98\x80"}},
        {"UTF-16 LE line separator and NUL", "\xFF\xFE" "a\0\x28\x20" "b\0\0\0c\0"s, {"a", "b"}, 2},
        {"UTF-16 BE NUL after a line break", "\xFE\xFF\0a\0\n\0\0"s, {"a"}, 2},
        {"UTF-8 mark, an invalid byte becomes U+FFFD", "\xEF\xBB\xBF" "a\xFF\r\n\xC3\0b"s, {"a\xEF\xBF\xBD", "\xEF\xBF\xBD"}, 2},
        {"CR CR LF, a final CR", "a\r\r\r\nb\r", {"a", "", "", "b"}},
        {"long ASCII runs around a multi-byte character", "0123456789abcdef\xC3\xA9" "0123456789\n", {"0123456789abcdef\xC3\xA9" "0123456789"}},
        {"a truncated sequence at the end is Windows-1252", "0123456789\xC3", {"0123456789\xC3\x83"}},
        {"empty file", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::size_t nulLine = 99;
        EXPECT_EQ(DecodeSourceLines(c.bytes, &nulLine), c.expected);
        EXPECT_EQ(nulLine, c.nulLine);
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

// Only regular files are read, never waiting on one, and none past the size limit: a FIFO,
// a device or a folder is refused unread, and so is a file larger than the limit, even one
// that says it is empty (as the files of /proc do).
TEST(SourceText, ReadsOnlyRegularFilesWithinTheLimit)
{
    const fs::path dir = fs::temp_directory_path() / ("quillane_source_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ASSERT_EQ(::mkfifo((dir / "fifo.pas").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "zero.pas");
    std::ofstream(dir / "small.pas") << "unit u;\n";
    std::ofstream(dir / "sparse.pas").close();
    fs::resize_file(dir / "sparse.pas", std::uintmax_t{2} << 30); // 2 GB, taking no room on the disk
    const struct {
        fs::path path;
        std::size_t limit;
        const char* problem;
    } cases[] = {
        {dir / "missing.pas", kDefaultMaxSourceBytes, "No such file or directory"},
        {dir, kDefaultMaxSourceBytes, "not a regular file"},
        {dir / "fifo.pas", kDefaultMaxSourceBytes, "not a regular file"},
        {dir / "zero.pas", kDefaultMaxSourceBytes, "not a regular file"},
        {dir / "sparse.pas", kDefaultMaxSourceBytes, "larger than the limit of 64 MB"},
        {dir / "small.pas", 7, "larger than the limit of 7 bytes"},
        {dir / "small.pas", 8, ""},
        {"/proc/self/status", 16, "larger than the limit of 16 bytes"},
        {"/proc/self/status", 1 << 20, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.string() + " " + std::to_string(c.limit));
        const TSourceText source = LoadSourceText(c.path.string(), c.limit);
        EXPECT_EQ(source.problem, c.problem);
        EXPECT_EQ(source.lines.has_value(), *c.problem == 0);
    }
    EXPECT_EQ(SourceLimitBytes(0), kDefaultMaxSourceBytes);
    EXPECT_EQ(SourceLimitBytes(3), std::size_t{3} << 20);
    fs::remove_all(dir);
}

} // namespace
