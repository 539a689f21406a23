#include "config/Config.h"
#include "config/FontText.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <iostream>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <thread>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("quillane_config_" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        m_file = (m_dir / "quillane.ini").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void WriteFile(const std::string& text)
    {
        std::ofstream(m_file, std::ios::binary) << text;
    }
    std::string ReadFile() const
    {
        std::ifstream in(m_file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    TConfig& Loaded(const std::string& text)
    {
        WriteFile(text);
        m_config = std::make_unique<TConfig>(m_file);
        m_config->Load();
        return *m_config;
    }

    fs::path m_dir;
    std::string m_file;
    std::unique_ptr<TConfig> m_config;
};

TEST_F(ConfigTest, ReadsHandWrittenKeys)
{
    auto& config = Loaded("mform_left=5\r\nA=x=y\nFLAG=t\nWORD=True\nYES=T\nPX=12px\nA=second\n");
    EXPECT_EQ(config.ReadInteger("MFORM_LEFT"), 5);
    EXPECT_EQ(config.ReadString("a"), "x=y") << "the first line counts; values may hold '='";
    EXPECT_FALSE(config.ReadBool("FLAG"));
    EXPECT_FALSE(config.ReadBool("WORD"));
    EXPECT_TRUE(config.ReadBool("YES"));
    EXPECT_EQ(config.ReadInteger("PX"), 0);
    EXPECT_EQ(config.ReadString("MISSING"), "");
    EXPECT_EQ(config.ReadInteger("MISSING"), 0);

    config.WriteInteger("MFORM_LEFT", 7);
    EXPECT_EQ(config.Lines()[0], "MFORM_LEFT=7") << "replaced in place, spelled as written now";
}

TEST_F(ConfigTest, WriteStringAppendsReplacesAndDeletes)
{
    auto& config = Loaded("[+L]\nx\n[-L]\nA=1\n");
    config.WriteString("NEW", "v");
    EXPECT_EQ(config.Lines().back(), "NEW=v") << "new keys go after the last line, after any list block";
    config.WriteString("A", "");
    EXPECT_EQ(config.ReadString("A"), "");
    EXPECT_EQ(config.Lines(), (TLines{"[+L]", "x", "[-L]", "NEW=v"}));
    config.WriteString("ABSENT", "");
    EXPECT_EQ(config.Lines().size(), 4u);
    config.WriteBool("B", true);
    config.WriteBool("C", false);
    EXPECT_EQ(config.ReadString("B"), "T");
    EXPECT_EQ(config.ReadString("C"), "F");
}

TEST_F(ConfigTest, Lists)
{
    struct TCase {
        const char* name;
        std::string file;
        TLines write; // written as list P unless `read` only
        bool doWrite;
        TLines expectedLines;
        TLines expectedRead;
    };
    const TCase cases[] = {
        {"markers with blanks and lower case are read, entries untrimmed",
         "A=1\n[ +p ]\n  /a \n/b\n[-P]\n", {}, false, {}, {"  /a ", "/b"}},
        {"a stray closing marker before the block is ignored, and dropped on writing",
         "[-P]\n[+P]\n/a\n[-P]\n", {"/a", "/b"}, true, {"[+P]", "/a", "/b", "[-P]"}, {"/a", "/b"}},
        {"a stray closing marker before the block does not empty the list",
         "[-P]\n[+P]\n/a\n[-P]\n", {}, false, {}, {"/a"}},
        {"a new list goes to the very top", "A=1\nB=2\n", {"/x"}, true,
         {"[+P]", "/x", "[-P]", "A=1", "B=2"}, {"/x"}},
        {"an existing block is replaced in place", "A=1\n[+P]\n/old\n[-P]\nB=2\n", {"/n1", "/n2"}, true,
         {"A=1", "[+P]", "/n1", "/n2", "[-P]", "B=2"}, {"/n1", "/n2"}},
        {"an empty list removes the block", "A=1\n[+P]\n/old\n[-P]\n", {}, true, {"A=1"}, {}},
        {"an unclosed block ends at the next key", "[+P]\n/a\nA=1\n[+Q]\n/q\n[-Q]\n", {}, false, {},
         {"/a"}},
        {"an unclosed block ends at the next list", "[+P]\n/a\n[+Q]\n/q\n[-Q]\n", {}, false, {}, {"/a"}},
        {"an unclosed block is replaced up to the next key", "A=1\n[+P]\n/old\nmform_left=5\n", {"/n"}, true,
         {"A=1", "[+P]", "/n", "[-P]", "mform_left=5"}, {"/n"}},
        {"of two blocks the first is read", "[+P]\n/a\n[-P]\n[+P]\n/b\n[-P]\n", {}, false, {}, {"/a"}},
        {"of two blocks the first is replaced and the later one dropped",
         "A=1\n[+P]\n/a\n[-P]\nB=2\n[+P]\n/b\n[-P]\n", {"/c"}, true, {"A=1", "[+P]", "/c", "[-P]", "B=2"},
         {"/c"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto& config = Loaded(c.file);
        if (c.doWrite) {
            config.WriteList("P", c.write);
            EXPECT_EQ(config.Lines(), c.expectedLines);
        }
        EXPECT_EQ(config.ReadList("P"), c.expectedRead);
        EXPECT_TRUE(config.ReadList("p").empty()) << "a lower-case list name never matches";
    }
}

TEST_F(ConfigTest, SaveWritesCrLfAndOnlyWhenNotEmpty)
{
    {
        TConfig empty(m_file);
        empty.Load();
        EXPECT_TRUE(empty.Save());
    }
    EXPECT_FALSE(fs::exists(m_file)) << "an empty store leaves no file";

    TConfig config(m_file);
    config.WriteString("A", "1");
    config.WriteList("L", {"x"});
    ASSERT_TRUE(config.Save());
    EXPECT_EQ(ReadFile(), "[+L]\r\nx\r\n[-L]\r\nA=1\r\n");

    TConfig again(m_file);
    again.Load();
    EXPECT_EQ(again.Lines(), config.Lines());
}

TEST_F(ConfigTest, FailedSaveLeavesNothingBehind)
{
    TConfig config((m_dir / "missing" / "quillane.ini").string());
    config.WriteString("A", "1");
    EXPECT_FALSE(config.Save()) << "the temporary file cannot be made";

    // A save that cannot replace its target (here a folder) removes its temporary file.
    fs::create_directories(m_dir / "folder.ini" / "x");
    TConfig other((m_dir / "folder.ini").string());
    other.WriteString("NEW", "2");
    EXPECT_FALSE(other.Save());
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

// Two stores saving the same file at once, each a text of its own: every save succeeds,
// and the file always holds one whole text or the other.
TEST_F(ConfigTest, ConcurrentSavesPublishWholeFiles)
{
    const auto text = [](char c) {
        TLines lines;
        for (int i = 0; i < 2000; ++i)
            lines.push_back(std::string(1, c) + std::to_string(i) + "=" + std::string(40, c));
        return lines;
    };
    const TLines texts[] = {text('A'), text('B')};
    const auto whole = [](const TLines& lines) {
        std::string all;
        for (const auto& line : lines)
            all += line + "\r\n";
        return all;
    };
    std::atomic<int> failures{0};
    std::atomic<bool> done{false};
    auto saver = [&](const TLines& lines) {
        TConfig config(m_file);
        for (const auto& line : lines)
            config.WriteString(line.substr(0, line.find('=')), line.substr(line.find('=') + 1));
        for (int i = 0; i < 100; ++i)
            if (!config.Save())
                ++failures;
    };
    std::set<std::string> seen;
    std::thread reader([&] {
        while (!done) {
            const std::string content = ReadFile();
            if (!content.empty())
                seen.insert(content);
        }
    });
    std::thread a(saver, texts[0]), b(saver, texts[1]);
    a.join();
    b.join();
    done = true;
    reader.join();
    EXPECT_EQ(failures, 0);
    for (const auto& content : seen)
        EXPECT_TRUE(content == whole(texts[0]) || content == whole(texts[1])) << content.size() << " bytes";
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1) << "no file left behind";
}

// What a save does with the file in its place: a file keeps its mode, a new one is the
// user's alone, a read-only file and links to what is not the user's own file are left
// as they are and said.
TEST_F(ConfigTest, SaveKeepsModesAndWritesThroughOnlyTheUsersOwnLinks)
{
    const fs::path target = m_dir / "real.ini";
    struct TCase {
        const char* name;
        std::function<bool()> prepare; // false: the case cannot be made here
        bool saved;
        const char* problem;           // a part of the reason given
        fs::perms mode;                // of the settings file (or the link's target) after the save
    };
    const auto mode = [](const fs::path& path, fs::perms perms) {
        std::ofstream(path) << "OLD=1\r\n";
        fs::permissions(path, perms);
        return true;
    };
    const auto link = [&](const fs::path& to) {
        fs::create_symlink(to, m_file);
        return true;
    };
    using P = fs::perms;
    const TCase cases[] = {
        {"a new file is the user's alone", [] { return true; }, true, "", P::owner_read | P::owner_write},
        {"a file keeps its mode", [&] { return mode(m_file, P::owner_all | P::group_read); }, true, "",
         P::owner_all | P::group_read},
        {"a read-only file is not replaced", [&] { return mode(m_file, P::owner_read | P::others_read); }, false,
         "is read-only", P::owner_read | P::others_read},
        {"a link to the user's file is written through",
         [&] { return mode(target, P::owner_read | P::owner_write) && link(target); }, true, "",
         P::owner_read | P::owner_write},
        {"a link to a device", [&] { return link("/dev/null"); }, false, "not a regular file", P::unknown},
        {"a link that leads nowhere", [&] { return link(m_dir / "missing"); }, false, "leads nowhere", P::unknown},
        {"a link to another user's file",
         [&] { return mode(target, P::all) && ::chown(target.c_str(), 65534, 65534) == 0 && link(target); }, false,
         "belongs to another user", P::all},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(m_file);
        fs::remove(target);
        if (!c.prepare()) {
            std::cout << "skipped (needs root): " << c.name << '\n';
            continue;
        }
        const bool linked = fs::is_symlink(m_file);
        const fs::path written = linked ? fs::path(m_dir / fs::read_symlink(m_file)) : fs::path(m_file);
        TConfig config(m_file);
        config.WriteString("NEW", "2");
        EXPECT_EQ(config.SaveProblem().find(c.problem) != std::string::npos, true) << config.SaveProblem();
        std::string problem;
        EXPECT_EQ(config.Save(&problem), c.saved);
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
        EXPECT_EQ(c.saved, problem.empty());
        EXPECT_EQ(fs::is_symlink(m_file), linked) << "a link stays a link";
        if (c.mode != P::unknown) {
            EXPECT_EQ(fs::status(written).permissions(), c.mode);
            std::ifstream in(written, std::ios::binary);
            const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            EXPECT_EQ(text, c.saved ? "NEW=2\r\n" : "OLD=1\r\n");
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()),
                  (fs::exists(target) ? 1 : 0) + (fs::is_symlink(m_file) || fs::exists(m_file) ? 1 : 0))
            << "no temporary file left";
    }
}

TEST(FontText, RoundTripsAndColours)
{
    struct TCase {
        const char* text;
        bool valid;
        const char* face = "";
        int size = 0;
        const char* styles = "";
        std::uint32_t color = 0;
        int charset = 0;
        const char* written = "";
    };
    const TCase cases[] = {
        {"Courier New,10,BU,$00FF0000,0", true, "Courier New", 10, "BU", 0xFF0000, 0, "Courier New,10,BU,clBlue,0"},
        {"MS Sans Serif,8,B,clWindowText,1", true, "MS Sans Serif", 8, "B", 0xFF000008, 1,
         "MS Sans Serif,8,B,clWindowText,1"},
        {"Sans,9,,clred,1", true, "Sans", 9, "", 0x0000FF, 1, "Sans,9,,clRed,1"},
        {"Sans,9,SIUB,$00123456,2", true, "Sans", 9, "BIUS", 0x123456, 2, "Sans,9,BIUS,$00123456,2"},
        {"Sans,9,biu,255,1", true, "Sans", 9, "", 255, 1, "Sans,9,,clRed,1"},
        {"", false},
        {"Sans,9,B,,1", false},
        {"Sans,9,B,clNoSuchColour,1", false},
        {"Sans,9,B,clRed,300", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TFontDesc font{"Keep", 7, false, false, false, false, 0, 1};
        const TFontDesc before = font;
        EXPECT_EQ(TextToFont(c.text, font), c.valid);
        if (!c.valid) {
            EXPECT_EQ(font, before) << "a malformed text keeps the font";
            continue;
        }
        EXPECT_EQ(font.face, c.face);
        EXPECT_EQ(font.size, c.size);
        const std::string styles = std::string(font.bold ? "B" : "") + (font.italic ? "I" : "") +
                                   (font.underline ? "U" : "") + (font.strikeOut ? "S" : "");
        EXPECT_EQ(styles, c.styles);
        EXPECT_EQ(font.color, c.color);
        EXPECT_EQ(font.charset, c.charset);
        EXPECT_EQ(FontToText(font), c.written);
    }
    EXPECT_EQ(ColorToRgb(0x0000FF), 0xFF0000u) << "clRed is red on screen";
}

} // namespace
