// Scans the Pascal sources under tests/scan/cases (input.pas, or input.inc for a fragment
// of an include file: the extension picks the file type) with the delivered rule file and
// compares the result records and the title with the files written beside each source:
// expected.txt holds the records exactly as `quillane --records` prints them,
// title.txt the head comment block as `quillane --title` prints it. Each source is also
// scanned with every rule searched on its own, which must give the same scan.

#include "TempPath.h"
#include "config/Debug.h"
#include "scan/CodeScanner.h"
#include "scan/StructureTexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path CasesFolder() { return fs::path(QUILLANE_TEST_DATA) / "scan" / "cases"; }

// The source of a case and its file type, the upper-cased extension.
struct TCaseInput {
    fs::path path;
    std::string type;
};

TCaseInput CaseInput(const fs::path& folder)
{
    for (const auto& [name, type] : {std::pair{"input.pas", "PAS"}, std::pair{"input.inc", "INC"}})
        if (fs::exists(folder / name))
            return {folder / name, type};
    return {};
}

std::vector<std::string> CaseNames()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(CasesFolder()))
        if (entry.is_directory() && !CaseInput(entry.path()).type.empty())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string JoinLines(const TLines& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + '\n';
    return text;
}

class GoldenScan : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenScan, RecordsAndTitleMatchTheExpectedFiles)
{
    const fs::path folder = CasesFolder() / GetParam();
    TStructureTexts rules;
    rules.LoadFromFile(std::string(QUILLANE_DATA_DIR) + "/CodeScan.dll");
    ASSERT_FALSE(rules.Lines().empty()) << "the delivered rule file cannot be read";
    TDebug log(TestTempPath("golden_scan.TXT"));
    log.SetAutoSave(false);
    std::vector<std::string> messages;
    log.SetMessageSink([&](const std::string& text) { messages.push_back(text); });

    const TCaseInput input = CaseInput(folder);
    TCodeScanner scanner(rules, log);
    scanner.ScanFile(input.path.string(), input.type);

    EXPECT_EQ(JoinLines(scanner.Results()), ReadText(folder / "expected.txt"));
    EXPECT_EQ(JoinLines(scanner.CommentBlockAt(0)), ReadText(folder / "title.txt"));
    // A rule that fails or stops making progress reports itself; the rules must not.
    EXPECT_TRUE(scanner.RuleFaults().empty()) << scanner.RuleFaults().front().Text();
    EXPECT_TRUE(messages.empty()) << messages.front();
}

// Consecutive rules searched as one pattern are a shortcut: every rule searched on its own
// must give the same scan.
TEST_P(GoldenScan, RuleRunsOnAndOffGiveTheSameScan)
{
    TStructureTexts rules;
    rules.LoadFromFile(std::string(QUILLANE_DATA_DIR) + "/CodeScan.dll");
    TDebug log(TestTempPath("golden_scan.TXT"));
    log.SetAutoSave(false);
    log.SetMessageSink([](const std::string&) {});
    const TCaseInput input = CaseInput(CasesFolder() / GetParam());
    TCodeScanner runs(rules, log);
    TCodeScanner single(rules, log);
    single.SetRuleRuns(false);
    runs.ScanFile(input.path.string(), input.type);
    single.ScanFile(input.path.string(), input.type);
    ASSERT_FALSE(runs.Results().empty());
    EXPECT_EQ(runs.Results(), single.Results());
    EXPECT_EQ(runs.Codes(), single.Codes());
    EXPECT_EQ(runs.Comments(), single.Comments());
    EXPECT_EQ(runs.RuleFaults().size(), single.RuleFaults().size());
}

INSTANTIATE_TEST_SUITE_P(PascalRules, GoldenScan, ::testing::ValuesIn(CaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

} // namespace
