// Reading and scanning a file for the outline browser, with the reason it cannot be outlined.

#include "browser/core/OutlineScan.h"

#include "config/Config.h"
#include "config/Debug.h"
#include "scan/StructureTexts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(OutlineScan, ReadsAndScansOrSaysWhyNot)
{
    // One record per word; a word that looks like a pick-up placeholder fails the scan
    // when the records are completed.
    TStructureTexts rules;
    rules.LoadFromList({"[BEGIN]", "[+VAR]", "PAS=P", "[-VAR]", "[BEGIN] NAME=P", "[+CYC0]", ".",
                        "S0=//\\s*", "*=#2", "B=#0", ".", "S1=(\\S+)", "D=$1", "?", "B=#2", ".",
                        "[-CYC0]", "[END]", "[END]"});
    TConfig config;
    TDebug log((fs::temp_directory_path() / "quillane_outline_scan.TXT").string());
    log.SetAutoSave(false);
    const fs::path dir = fs::temp_directory_path() / ("quillane_outline_scan_" + std::to_string(::getpid()));
    fs::create_directories(dir / "folder.pas");
    const auto write = [&](const char* name, const char* text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    };

    struct Case {
        std::string path;
        TOpenFailure failure;
        std::size_t entryLines;
    };
    const Case cases[] = {
        {write("good.pas", "// the title\nalpha beta\n"), TOpenFailure::None, 8},
        {(dir / "missing.pas").string(), TOpenFailure::Missing, 0},
        {(dir / "folder.pas").string(), TOpenFailure::Unreadable, 0},
        {write("empty.pas", ""), TOpenFailure::Empty, 0},
        {write("bad.pas", "_!5_\n"), TOpenFailure::ScanFailed, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const TScanOutcome outcome = ScanOutline(rules, config, log, c.path, "PAS");
        EXPECT_EQ(outcome.failure, c.failure);
        EXPECT_EQ(outcome.entries.size(), c.entryLines);
        EXPECT_EQ(outcome.error.empty(), c.failure != TOpenFailure::ScanFailed);
    }
    const TScanOutcome good = ScanOutline(rules, config, log, cases[0].path, "PAS");
    EXPECT_EQ(good.lineCount, 2);
    ASSERT_FALSE(good.title.empty());
    EXPECT_EQ(good.title.front(), "the title");
    fs::remove_all(dir);
}

} // namespace
