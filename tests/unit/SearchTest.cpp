#include "search/core/Search.h"

#include "config/Config.h"
#include "config/Debug.h"
#include "scan/StructureTexts.h"
#include "search/core/FileHelpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

// Found by argument-dependent lookup, so it stands beside TSearchRow.
static void PrintTo(const TSearchRow& r, std::ostream* os)
{
    *os << "{" << r.file.substr(r.file.rfind('/') + 1) << " | " << r.line << " | " << r.declaration
        << " | " << r.comment << " | " << r.type << "}";
}


namespace {

const std::string kTypePas = "*.pas  [pascal]";
const std::string kTypeDpr = "*.dpr  [pascal]";

class TRecordingSink : public ISearchSink {
public:
    void AddResult(const TSearchRow& row) override
    {
        rows.push_back(row);
        if (afterRow)
            afterRow(rows.size());
    }
    void ShowStatus(const std::string& path) override { statuses.push_back(path); }

    std::vector<TSearchRow> rows;
    TLines statuses;
    std::function<void(std::size_t)> afterRow;
};

class Search : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() /
                 ("quillane_search_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_root);
        fs::create_directories(m_root);
        m_rules.LoadFromFile(std::string(QUILLANE_TEST_DATA) + "/search/rules.dll");
        ASSERT_FALSE(m_rules.Section("VAR").empty());
    }
    void TearDown() override { fs::remove_all(m_root); }

    std::string Path(const std::string& relative) const { return (m_root / relative).string(); }

    std::string Write(const std::string& relative, const std::string& content)
    {
        const std::string path = Path(relative);
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    TSearchRequest Request(const std::string& keyword, unsigned fields = TSearchChoices::All) const
    {
        return {keyword, {m_root.string()}, {kTypePas}, std::make_shared<TSearchChoices>(fields), {}};
    }

    TSearchSummary Run(const TSearchRequest& request, TRecordingSink& sink, std::stop_token stop = {})
    {
        return RunSearch(request, m_rules, m_config, m_log, stop, sink);
    }

    fs::path m_root;
    TStructureTexts m_rules;
    TConfig m_config;
    TDebug m_log{(fs::temp_directory_path() / "quillane_search_test.TXT").string()};
};

TEST(SearchFileTypes, EntryFromVarLine)
{
    EXPECT_EQ(SearchFileTypeEntry("PAS=PASCAL"), "*.pas  [pascal]");
    EXPECT_EQ(SearchFileTypeEntry("Dpr=Pascal=X"), "*.dpr  [pascal=x]");
    EXPECT_EQ(SearchFileTypeEntry("PP"), "*.pp  []");
}

TEST(SearchMatching, ExactContiguousBytes)
{
    struct Case {
        const char* name;
        std::string text;
        std::string keyword;
        bool expected;
    };
    const Case cases[] = {
        {"inside a word", "TFormSearch", "Form", true},
        {"letter case counts", "procedure Alpha", "alpha", false},
        {"blank is part of the keyword", "procedure  Alpha", "procedure Alpha", false},
        {"one blank", "procedure Alpha", "e A", true},
        {"leading blank kept", "Alpha", " Alpha", false},
        {"multi-byte text", "Größe ändern", "ße ä", true},
        {"no wildcard", "Alpha", "Al*", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ContainsKeyword(c.text, c.keyword), c.expected);
    }
}

TEST_F(Search, GatheringOrder)
{
    Write("one/a.pas", "");
    Write("one/B.PAS", "");
    Write("one/readme", "");
    Write("one/sub/c.pas", "");
    Write("one/d.dpr", "");
    Write("two/e.pas", "");
    const std::string one = Path("one"), two = Path("two");

    TLines pasOne, dprOne, pasTwo;
    FindFiles(one, "PAS", pasOne);
    FindFiles(one, "DPR", dprOne);
    FindFiles(two, "PAS", pasTwo);
    ASSERT_EQ(pasOne.size(), 3u) << "capital extension found by the lower-case type";
    auto join = [](std::initializer_list<TLines> parts) {
        TLines all;
        for (const auto& p : parts)
            all.insert(all.end(), p.begin(), p.end());
        return all;
    };

    struct Case {
        const char* name;
        TLines folders;
        TLines types;
        TLines expected;
    };
    const Case cases[] = {
        {"folder listed twice", {one, two, one}, {kTypePas}, join({pasOne, pasTwo, pasOne})},
        {"two file types walk each folder once per type", {one, two}, {kTypePas, kTypeDpr},
         join({pasOne, dprOne, pasTwo})},
        {"types in list order", {one}, {kTypeDpr, kTypePas}, join({dprOne, pasOne})},
        {"empty and missing folders add nothing", {"", Path("missing"), two}, {kTypePas}, pasTwo},
        {"no file type", {one, two}, {}, {}},
        {"a folder together with its sub-folder", {one, one + "/sub"}, {kTypePas},
         join({pasOne, {one + "/sub/c.pas"}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GatherSearchFiles({"k", c.folders, c.types, nullptr, {}}), c.expected);
    }
}

TEST_F(Search, RowsForEachFieldInOrder)
{
    const std::string file = Write("u.pas",
                                   "// Tools title\n"
                                   "// tools second line\n"
                                   "// Tools again\n"
                                   "procedure ToolsRun; // Tools comment\n"
                                   "type TTools\n"
                                   "procedure Other; // nothing\n"
                                   "procedure Tools;\n");
    const TSearchRow title{file, "0", "", "// Tools title", ""};
    const TSearchRow run{file, "4", "ToolsRun", "// Tools comment", "procedure"};
    const TSearchRow cls{file, "5", "TTools", "", "class"};
    const TSearchRow last{file, "7", "Tools", "", "procedure"};

    struct Case {
        const char* name;
        std::string keyword;
        unsigned fields;
        std::vector<TSearchRow> expected;
    };
    const Case cases[] = {
        {"declaration and comment give two identical rows, title first", "Tools",
         TSearchChoices::All, {title, run, run, cls, last}},
        {"titles only: one row for the first matching title line", "Tools", TSearchChoices::Titles,
         {title}},
        {"title row takes the first matching line and its position", "again",
         TSearchChoices::Titles, {{file, "2", "", "// Tools again", ""}}},
        {"lower-case keyword misses capitalised words", "tools r", TSearchChoices::All, {}},
        {"comments only", "Tools", TSearchChoices::Comments, {run}},
        {"types only", "class", TSearchChoices::Types, {cls}},
        {"type, declaration and comment each give a row", "o", TSearchChoices::All ^ TSearchChoices::Titles,
         {run, run, run, cls, {file, "6", "Other", "// nothing", "procedure"},
          {file, "6", "Other", "// nothing", "procedure"}, last, last}},
        {"no field chosen", "Tools", 0, {}},
        {"blanks are part of the keyword", "Tools ", TSearchChoices::All, {title, run}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TRecordingSink sink;
        const auto summary = Run(Request(c.keyword, c.fields), sink);
        EXPECT_EQ(sink.rows, c.expected);
        EXPECT_EQ(summary.rows, c.expected.size());
        EXPECT_EQ(sink.statuses, TLines{file});
    }
}

TEST_F(Search, RowsFollowTheFileList)
{
    std::map<std::string, std::vector<TSearchRow>> expectedByFile;
    for (const char* name : {"a.pas", "b.pas", "sub/c.pas", "d.pas"}) {
        const std::string file = Write(name, "// key title\nprocedure key1;\nprocedure nokey;\nprocedure key2;\n");
        expectedByFile[file] = {{file, "0", "", "// key title", ""},
                                {file, "2", "key1", "", "procedure"},
                                {file, "3", "nokey", "", "procedure"},
                                {file, "4", "key2", "", "procedure"}};
    }
    const auto request = Request("key");
    std::vector<TSearchRow> expected;
    const TLines files = GatherSearchFiles(request);
    for (const auto& f : files)
        expected.insert(expected.end(), expectedByFile[f].begin(), expectedByFile[f].end());

    TRecordingSink sink;
    const auto summary = Run(request, sink);
    EXPECT_EQ(sink.rows, expected);
    EXPECT_EQ(summary.filesGathered, 4u);
    EXPECT_EQ(summary.filesSkipped, 0u);
    ASSERT_FALSE(sink.statuses.empty());
    EXPECT_EQ(sink.statuses.back(), files.back()) << "the status ends on the last file";
}

TEST_F(Search, SkippedFiles)
{
    Write("empty.pas", "");
    Write("noentries.pas", "// key in the title only\nvar key: Integer;\n");
    fs::create_symlink(Path("gone.pas.target"), Path("unreadable.pas"));
    const std::string good = Write("good.pas", "procedure key;\n");

    TRecordingSink sink;
    const auto summary = Run(Request("key"), sink);
    EXPECT_EQ(sink.rows, (std::vector<TSearchRow>{{good, "1", "key", "", "procedure"}}));
    EXPECT_EQ(summary.filesGathered, 4u);
    EXPECT_EQ(summary.filesScanned, 4u);
    EXPECT_EQ(summary.filesSkipped, 3u);
}

TEST_F(Search, AFaultOfTheRulesIsReportedOncePerSearch)
{
    m_rules.LoadFromList({"[BEGIN]", "[+VAR]", "PAS=P", "[-VAR]", "[BEGIN] NAME=P", "[+CYC0]", ".", "S0=(\\w+)",
                          "D=$1", "T=procedure", "?", "B=#2", ".", "S1=(", "[-CYC0]", "[END]", "[END]"});
    Write("a.pas", "key ;\n");
    Write("b.pas", "key ;\n");
    TLines shown;
    m_log.SetAutoSave(false);
    m_log.SetMessageSink([&](const std::string& text) { shown.push_back(text); });

    TRecordingSink sink;
    const auto summary = Run(Request("key"), sink);
    EXPECT_EQ(sink.rows.size(), 2u) << "the rules that work still outline both files";
    EXPECT_EQ(summary.ruleFaults, 1u);
    const std::string fault =
        "There may be an exception at 0: missing closing parenthesis at offset 1 of the pattern (rules.dll "
        "line 14, set CYC0: S1=()";
    const std::string first = sink.rows.front().file;
    EXPECT_EQ(m_log.Lines(), (TLines{first + ": " + fault})) << "logged once, with the file it was met in";
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind(first + ":\n" + fault, 0), 0u) << shown[0];
}

TEST_F(Search, StopEndsTheRunBeforeTheNextRow)
{
    for (int i = 0; i < 5; ++i)
        Write("f" + std::to_string(i) + ".pas", "procedure key;\nprocedure key2;\n");
    std::stop_source source;
    TRecordingSink sink;
    sink.afterRow = [&](std::size_t count) {
        if (count == 3)
            source.request_stop();
    };
    const auto summary = Run(Request("key"), sink, source.get_token());
    EXPECT_EQ(sink.rows.size(), 3u);
    EXPECT_TRUE(summary.stopped);
    EXPECT_LE(sink.statuses.size(), 2u);
}

TEST_F(Search, StopBeforeScanningProducesNothing)
{
    Write("f.pas", "procedure key;\n");
    std::stop_source source;
    source.request_stop();
    TRecordingSink sink;
    const auto summary = Run(Request("key"), sink, source.get_token());
    EXPECT_TRUE(sink.rows.empty());
    EXPECT_TRUE(sink.statuses.empty());
    EXPECT_TRUE(summary.stopped);
}

TEST_F(Search, FieldChoicesAreReadWhileTheRunGoesOn)
{
    for (int i = 0; i < 3; ++i)
        Write("f" + std::to_string(i) + ".pas", "procedure key;\n");
    auto choices = std::make_shared<TSearchChoices>(TSearchChoices::Declarations);
    TSearchRequest request{"key", {m_root.string()}, {kTypePas}, choices, {}};
    TRecordingSink sink;
    sink.afterRow = [&](std::size_t) { choices->Set(TSearchChoices::Declarations, false); };
    Run(request, sink);
    EXPECT_EQ(sink.rows.size(), 1u);
}

TEST_F(Search, StatusTextsAreThrottled)
{
    for (int i = 0; i < 200; ++i)
        Write("f" + std::to_string(i) + ".pas", "procedure p;\n");
    TRecordingSink sink;
    const auto summary = Run(Request("zzz"), sink);
    const TLines files = GatherSearchFiles(Request("zzz"));
    EXPECT_EQ(summary.filesScanned, 200u);
    ASSERT_GE(sink.statuses.size(), 2u);
    EXPECT_LT(sink.statuses.size(), 200u);
    EXPECT_EQ(sink.statuses.front(), files.front());
    EXPECT_EQ(sink.statuses.back(), files.back());
}

} // namespace
