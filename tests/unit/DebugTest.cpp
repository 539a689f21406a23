#include "config/AppContext.h"
#include "config/Debug.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DebugTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("quillane_debug_" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
};

TEST_F(DebugTest, TheFirstLineStartsTheLogAndEveryLineIsAppended)
{
    const auto file = m_dir / "quillane.TXT";
    std::ofstream(file, std::ios::binary) << "an earlier run\r\n";
    TDebug log(file.string());
    log.AddLine("one");
    EXPECT_EQ(ReadAll(file), "one\r\n");
    log.AddLine("two\nlines");
    EXPECT_EQ(ReadAll(file), "one\r\ntwo\nlines\r\n");
    // Appended, not rewritten: what stands in the file stays.
    std::ofstream(file, std::ios::binary | std::ios::app) << "(marked)\r\n";
    log.AddLine("three");
    EXPECT_EQ(ReadAll(file), "one\r\ntwo\nlines\r\n(marked)\r\nthree\r\n");
}

// A process that logs line after line and is killed leaves whole lines, in order.
TEST_F(DebugTest, AKilledRunLeavesItsLinesWhole)
{
    const auto file = m_dir / "quillane.TXT";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TDebug log(file.string());
        for (int i = 0;; ++i)
            log.AddLine("line " + std::to_string(i) + " " + std::string(100, 'x'));
    }
    while (!fs::exists(file) || fs::file_size(file) < 200000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string text = ReadAll(file);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << "the last line is whole";
    const TLines lines = SplitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i)
        ASSERT_EQ(lines[i], "line " + std::to_string(i) + " " + std::string(100, 'x'));
}

TEST_F(DebugTest, ARunWithoutLinesLeavesTheOldLog)
{
    const auto file = m_dir / "quillane.TXT";
    std::ofstream(file, std::ios::binary) << "earlier\r\n";
    { TDebug log(file.string()); }
    EXPECT_EQ(ReadAll(file), "earlier\r\n");
}

// A command-line run in the user's folders that logs nothing makes no state folder.
TEST_F(DebugTest, TheLogsFolderComesWithItsFirstLine)
{
    TAppPaths paths = TAppPaths::InFolder(m_dir.string() + "/");
    paths.logFile = (m_dir / "state/quillane/quillane.TXT").string();
    { TAppContext app(paths, TAppContext::TSettingsAtEnd::Keep); }
    EXPECT_FALSE(fs::exists(m_dir / "state"));
    {
        TAppContext app(paths, TAppContext::TSettingsAtEnd::Keep);
        app.DebugLog().AddLine("logged");
        EXPECT_EQ(ReadAll(paths.logFile), "logged\r\n");
    }
}

TEST_F(DebugTest, AnUnwritableLogKeepsItsLinesForTheNextWrite)
{
    const auto blocked = m_dir / "blocked";
    fs::create_directories(blocked / "quillane.TXT"); // a folder where the file should be
    TDebug log((blocked / "quillane.TXT").string());
    EXPECT_NO_THROW(log.AddLine("kept"));
    EXPECT_FALSE(log.SaveLog());
    EXPECT_EQ(log.Lines(), (TLines{"kept"}));
    fs::remove(blocked / "quillane.TXT");
    log.AddLine("then");
    EXPECT_EQ(ReadAll(blocked / "quillane.TXT"), "kept\r\nthen\r\n");
}

// A link or a FIFO in the log's place is refused once on standard error; the file a link
// leads to keeps its text, a FIFO never blocks, and the lines stay in memory.
TEST_F(DebugTest, ALinkOrAFifoInTheLogsPlaceIsRefused)
{
    const auto file = m_dir / "quillane.TXT";
    const auto other = m_dir / "other.txt";
    struct TCase {
        const char* name;
        std::function<void()> make;
        const char* said;
    };
    const TCase cases[] = {
        {"a link to another file",
         [&] {
             std::ofstream(other) << "precious";
             fs::create_symlink(other, file);
         },
         " is a symbolic link; it is not written"},
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }, " is not a regular file; it is not written"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(file);
        c.make();
        testing::internal::CaptureStderr();
        {
            TDebug log(file.string());
            log.AddLine("one");
            log.AddLine("two");
            EXPECT_EQ(log.Lines(), (TLines{"one", "two"}));
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "quillane: the trace log " + file.string() + c.said + "\n");
    }
    EXPECT_EQ(ReadAll(other), "precious");
}

TEST_F(DebugTest, ConcurrentAppendsNeverInterleave)
{
    const auto file = m_dir / "quillane.TXT";
    TDebug log(file.string());
    auto writer = [&](char c) {
        for (int i = 0; i < 50; ++i)
            log.AddLine(std::string(40, c));
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();
    const TLines lines = SplitLines(ReadAll(file));
    ASSERT_EQ(lines.size(), 100u);
    for (const auto& line : lines)
        EXPECT_TRUE(line == std::string(40, 'a') || line == std::string(40, 'b')) << line;
}

TEST_F(DebugTest, ShowStringGoesToTheSinkNotTheLog)
{
    TDebug log((m_dir / "quillane.TXT").string());
    std::string shown;
    log.SetMessageSink([&](const std::string& text) { shown = text; });
    log.ShowString("Need keyword !");
    EXPECT_EQ(shown, "Need keyword !");
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(DebugTest, AppContextStartsAndEndsInOrder)
{
    const std::string folder = m_dir.string() + "/";
    std::ofstream(folder + "CodeScan.dll") << "[BEGIN]\n[+VAR]\nPAS=P\n[-VAR]\n[END]\n";
    {
        TAppContext app(TAppPaths::InFolder(folder));
        EXPECT_EQ(app.SharedRules().Section("VAR"), (TLines{"PAS=P"}));
        EXPECT_EQ(app.Config().ReadString("X"), "");
    }
    EXPECT_FALSE(fs::exists(folder + "quillane.ini")) << "nothing set, nothing written";
    {
        TAppContext app(TAppPaths::InFolder(folder));
        app.Config().WriteString("X", "1");
        app.DebugLog().AddLine("logged");
    }
    EXPECT_EQ(ReadAll(folder + "quillane.ini"), "X=1\r\n");
    EXPECT_EQ(ReadAll(folder + "quillane.TXT"), "logged\r\n");
    {
        TAppContext app(TAppPaths::InFolder(folder), TAppContext::TSettingsAtEnd::Keep);
        app.Config().WriteString("X", "2");
    }
    EXPECT_EQ(ReadAll(folder + "quillane.ini"), "X=1\r\n");
}

} // namespace
