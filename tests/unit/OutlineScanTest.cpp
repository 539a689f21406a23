// Reading and scanning a file for the outline browser, with the reason it cannot be outlined.

#include "browser/core/OutlineScan.h"

#include "TempPath.h"
#include "config/Config.h"
#include "config/Debug.h"
#include "scan/StructureTexts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(OutlineScan, ReadsAndScansOrSaysWhyNot)
{
    // One record per word; rules whose cycle fails at its start fail the scan; rules with a
    // bad pattern among good ones still outline, and report the fault.
    const auto rulesOf = [](const TLines& cycle) {
        TLines file = {"[BEGIN]", "[+VAR]", "PAS=P", "[-VAR]", "[BEGIN] NAME=P", "[+CYC0]"};
        file.insert(file.end(), cycle.begin(), cycle.end());
        file.insert(file.end(), {"[-CYC0]", "[END]", "[END]"});
        TStructureTexts rules;
        rules.LoadFromList(file);
        return rules;
    };
    const TLines words = {".", "S0=//\\s*", "*=#2", "B=#0", ".", "S1=(\\w+)", "D=$1", "?", "B=#2", "."};
    TLines badPattern = words;
    badPattern.insert(badPattern.end(), {"S2=(", "."});
    const TStructureTexts rules = rulesOf(words);
    const TStructureTexts failing = rulesOf({"[MODIFIER] q", "."});
    const TStructureTexts faulty = rulesOf(badPattern);
    TConfig config;
    TDebug log(TestTempPath("quillane_outline_scan.TXT"));
    log.SetAutoSave(false);
    TLines shown;
    log.SetMessageSink([&](const std::string& text) { shown.push_back(text); });
    const fs::path dir = fs::temp_directory_path() / ("quillane_outline_scan_" + std::to_string(::getpid()));
    fs::create_directories(dir / "folder.pas");
    const auto write = [&](const char* name, std::string_view text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    };
    ::mkfifo((dir / "fifo.pas").c_str(), 0600);

    struct Case {
        std::string path;
        const TStructureTexts& rules;
        TOpenFailure failure;
        std::size_t entryLines;
        std::size_t faults;   // lines in the trace log, one box for any number
        const char* error;    // "*": any message
        std::size_t nulLine = 0;
    };
    using namespace std::string_view_literals;
    const Case cases[] = {
        {write("good.pas", "// the title\nalpha beta\n"), rules, TOpenFailure::None, 8, 0, ""},
        {(dir / "missing.pas").string(), rules, TOpenFailure::Missing, 0, 0, ""},
        {(dir / "folder.pas").string(), rules, TOpenFailure::Unreadable, 0, 0, "not a regular file"},
        {(dir / "fifo.pas").string(), rules, TOpenFailure::Unreadable, 0, 0, "not a regular file"},
        {write("empty.pas", ""), rules, TOpenFailure::Empty, 0, 0, ""},
        {write("placeholder.pas", "_!5_\n"), rules, TOpenFailure::None, 8, 0, ""},
        {(dir / "good.pas").string(), failing, TOpenFailure::ScanFailed, 0, 1, "*"},
        {write("signs.pas", "a ;\nb ;\n"), faulty, TOpenFailure::None, 8, 1, ""},
        {write("nul.pas", "alpha\nbeta\0gamma\n"sv), rules, TOpenFailure::None, 8, 0, "", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        shown.clear();
        const std::size_t logged = log.Lines().size();
        const TScanOutcome outcome = ScanOutline(c.rules, config, log, c.path, "PAS");
        EXPECT_EQ(outcome.failure, c.failure);
        EXPECT_EQ(outcome.entries.size(), c.entryLines);
        if (std::string_view(c.error) == "*")
            EXPECT_FALSE(outcome.error.empty());
        else
            EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.nulLine, c.nulLine);
        EXPECT_EQ(log.Lines().size() - logged, c.faults);
        EXPECT_EQ(shown.size(), c.faults == 0 ? 0u : 1u);
    }
    const TScanOutcome good = ScanOutline(rules, config, log, cases[0].path, "PAS");
    EXPECT_EQ(good.lineCount, 2);
    ASSERT_FALSE(good.title.empty());
    EXPECT_EQ(good.title.front(), "the title");
    // A scan watched from another thread: it writes how far it has come, to the end; a
    // stop request ends it with Stopped.
    std::stop_source stop;
    TScanProgress progress;
    EXPECT_EQ(ScanOutline(rules, config, log, cases[0].path, "PAS", {}, std::nullopt, {stop.get_token(), &progress}).entries,
              good.entries);
    EXPECT_EQ(progress.lines.load(), 2);
    EXPECT_EQ(progress.cycles.load(), 1);
    EXPECT_EQ(progress.Fraction(), 1.0);
    stop.request_stop();
    EXPECT_EQ(ScanOutline(rules, config, log, cases[0].path, "PAS", {}, std::nullopt, {stop.get_token(), &progress}).failure,
              TOpenFailure::Stopped);
    fs::remove_all(dir);
}

} // namespace
