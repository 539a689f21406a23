#include "search/core/Search.h"

#include "SearchTestSupport.h"
#include "files/FileHelpers.h"

#include <algorithm>
#include <map>
#include <random>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

const std::string kTypePas = TSearchFixture::kTypePas;
const std::string kTypeDpr = TSearchFixture::kTypeDpr;

using Search = TSearchFixture;

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

TEST(SearchMatching, IgnoringTheCaseOfAsciiLetters)
{
    struct Case {
        std::string text;
        std::string keyword;
        bool expected;
    };
    const Case cases[] = {
        {"Integer", "integer", true},       {"function Max: INTEGER", "Integer", true},
        {"procedure Alpha", "E a", true},   {"Alpha", "alphA ", false},
        {"Größe", "gRö", true},             {"Größe", "GRÖ", false}, // only ASCII letters fold
        {"[Width]", "[width]", true},       {"Alpha", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " / " + c.keyword);
        EXPECT_EQ(ContainsKeyword(c.text, c.keyword, true), c.expected);
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
        TSearchRequest request;
        request.folders = c.folders;
        request.fileTypes = c.types;
        EXPECT_EQ(GatherSearchFiles(request), c.expected);
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
    const TSearchRow title{file, "0", "", "// Tools title", "", 0, true};
    const TSearchRow run{file, "4", "ToolsRun", "// Tools comment", "procedure", 1};
    const TSearchRow cls{file, "5", "TTools", "", "class", 1};
    const TSearchRow last{file, "7", "Tools", "", "procedure", 1};

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
         TSearchChoices::Titles, {{file, "2", "", "// Tools again", "", 0, true}}},
        {"lower-case keyword misses capitalised words", "tools r", TSearchChoices::All, {}},
        {"comments only", "Tools", TSearchChoices::Comments, {run}},
        {"types only", "class", TSearchChoices::Types, {cls}},
        {"type, declaration and comment each give a row", "o", TSearchChoices::All ^ TSearchChoices::Titles,
         {run, run, run, cls, {file, "6", "Other", "// nothing", "procedure", 1},
          {file, "6", "Other", "// nothing", "procedure", 1}, last, last}},
        {"no field chosen", "Tools", 0, {}},
        {"blanks are part of the keyword", "Tools ", TSearchChoices::All, {title, run}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TRecordingSink sink;
        const auto summary = Run(Request(c.keyword, c.fields), sink);
        EXPECT_EQ(sink.rows, c.expected);
        EXPECT_EQ(summary.rows, c.expected.size());
        ASSERT_FALSE(sink.progress.empty());
        EXPECT_EQ(sink.progress.back().phase, TSearchProgress::TPhase::Done);
        EXPECT_EQ(sink.progress.back().rows, c.expected.size());
    }
}

TEST_F(Search, RowsFollowTheFileList)
{
    std::map<std::string, std::vector<TSearchRow>> expectedByFile;
    for (const char* name : {"a.pas", "b.pas", "sub/c.pas", "d.pas"}) {
        const std::string file = Write(name, "// key title\nprocedure key1;\nprocedure nokey;\nprocedure key2;\n");
        expectedByFile[file] = {{file, "0", "", "// key title", "", 0, true},
                                {file, "2", "key1", "", "procedure", 1},
                                {file, "3", "nokey", "", "procedure", 1},
                                {file, "4", "key2", "", "procedure", 1}};
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
}

TEST_F(Search, SkippedFiles)
{
    const std::string empty = Write("empty.pas", "");
    Write("noentries.pas", "// key in the title only\nvar key: Integer;\n");
    fs::create_symlink(Path("gone.pas.target"), Path("unreadable.pas"));
    const std::string good = Write("good.pas", "procedure key;\n");

    TRecordingSink sink;
    const auto summary = Run(Request("key"), sink);
    EXPECT_EQ(sink.rows, (std::vector<TSearchRow>{{good, "1", "key", "", "procedure", 1}}));
    EXPECT_EQ(summary.filesGathered, 4u);
    EXPECT_EQ(summary.filesScanned, 4u);
    EXPECT_EQ(summary.filesSkipped, 3u);
    // A scan that failed is named in the trace log, with its reason.
    const TLines log = m_log.Lines();
    EXPECT_NE(std::find(log.begin(), log.end(), "error:Search;" + empty + ";the source has no lines"), log.end());
}

// A scan that a fault of the rules ended is reported with that fault, once per search
// however many files meet it, and not again as a failed scan.
TEST_F(Search, AFaultThatEndsTheScanIsLoggedOnce)
{
    m_rules.LoadFromList({"[BEGIN]", "[+VAR]", "PAS=P", "[-VAR]", "[BEGIN] NAME=P", "[+CYC0]", "[SWITCH] X", ".",
                          "S0=(\\w+)", "D=$1", "?", "B=#2", ".", "[-CYC0]", "[END]", "[END]"});
    for (const char* name : {"a.pas", "b.pas", "c.pas"})
        Write(name, "key ;\n");
    m_log.SetMessageSink([](const std::string&) {});

    TRecordingSink sink;
    const auto summary = Run(Request("key"), sink);
    EXPECT_EQ(summary.filesSkipped, 3u);
    const TLines log = m_log.Lines();
    ASSERT_EQ(log.size(), 1u) << testing::PrintToString(log);
    EXPECT_NE(log[0].find(": There may be an exception at 0: SWITCH with an empty set stack"), std::string::npos);
}

// A chain of folders below parent whose path grows past PATH_MAX (root may list any
// folder, but not one it cannot name); made and removed through folder descriptors.
class TDeepFolders {
public:
    TDeepFolders(const std::string& parent, int depth) : m_name(200, 'd')
    {
        m_fds.push_back(::open(parent.c_str(), O_DIRECTORY | O_RDONLY));
        for (int i = 0; i < depth; ++i) {
            ::mkdirat(m_fds.back(), m_name.c_str(), 0700);
            m_fds.push_back(::openat(m_fds.back(), m_name.c_str(), O_DIRECTORY | O_RDONLY));
        }
    }
    ~TDeepFolders()
    {
        for (std::size_t i = m_fds.size() - 1; i > 0; --i) {
            ::close(m_fds[i]);
            ::unlinkat(m_fds[i - 1], m_name.c_str(), AT_REMOVEDIR);
        }
        ::close(m_fds.front());
    }

private:
    std::string m_name;
    std::vector<int> m_fds;
};

// Files that cannot be read (a FIFO, a link to a device, a link to nothing) and folders that
// cannot be listed are skipped without waiting on them, counted, and each named in the
// trace log; a NUL character that ends a text is noted there too.
TEST_F(Search, WhatCannotBeReadIsCountedAndNamed)
{
    const std::string good = Write("good.pas", "procedure key;\n");
    const std::string nul = Write("nul.pas", std::string("procedure keyA;\n\0procedure keyB;\n", 33));
    ASSERT_EQ(::mkfifo(Path("fifo.pas").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", Path("zero.pas"));
    fs::create_symlink(Path("nowhere"), Path("gone.pas"));
    const TDeepFolders deep(m_root.string(), 24);

    TRecordingSink sink;
    const auto summary = Run(Request("key"), sink);
    std::sort(sink.rows.begin(), sink.rows.end(), [](const TSearchRow& a, const TSearchRow& b) { return a.file < b.file; });
    EXPECT_EQ(sink.rows, (std::vector<TSearchRow>{{good, "1", "key", "", "procedure", 1}, {nul, "1", "keyA", "", "procedure", 1}}));
    EXPECT_EQ(summary.filesUnreadable, 3u);
    EXPECT_EQ(summary.foldersUnreadable, 1u);
    ASSERT_FALSE(sink.progress.empty());
    EXPECT_NE(ProgressText(sink.progress.back()).find("; 3 files and 1 folder could not be read (see the trace log)"),
              std::string::npos)
        << ProgressText(sink.progress.back());
    const TLines log = m_log.Lines();
    const auto logged = [&log](const std::string& text) {
        return std::any_of(log.begin(), log.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; });
    };
    for (const char* name : {"fifo.pas;not a regular file", "zero.pas;not a regular file", "gone.pas;No such file"})
        EXPECT_TRUE(logged("error:Search;cannot read the file;" + Path(name))) << name;
    EXPECT_TRUE(logged("error:Search;cannot read the folder;" + m_root.string() + "/ddd"));
    EXPECT_TRUE(logged("note:Search;" + nul + ";the text ends at a NUL character on line 2"));
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

    // Files whose scan met faults are not cached, so every search reports them.
    TSearchRequest cached = Request("key");
    cached.cacheFile = Path("cache/outlines.sqlite");
    for (const char* pass : {"cold", "warm"}) {
        SCOPED_TRACE(pass);
        TRecordingSink again;
        const auto next = Run(cached, again);
        EXPECT_EQ(next.ruleFaults, 1u);
        EXPECT_EQ(next.filesFromCache, 0u);
        EXPECT_EQ(again.rows, sink.rows);
    }
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
    std::size_t progressAtStop = 0;
    sink.afterProgress = [&](const TSearchProgress&) {
        if (!source.stop_requested())
            progressAtStop = sink.progress.size();
    };
    const auto summary = Run(Request("key"), sink, source.get_token());
    EXPECT_EQ(sink.rows.size(), 3u);
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(sink.progress.size(), progressAtStop) << "no progress after the stop";
}

TEST_F(Search, StopBeforeScanningProducesNothing)
{
    Write("f.pas", "procedure key;\n");
    std::stop_source source;
    source.request_stop();
    TRecordingSink sink;
    const auto summary = Run(Request("key"), sink, source.get_token());
    EXPECT_TRUE(sink.rows.empty());
    EXPECT_TRUE(sink.progress.empty());
    EXPECT_TRUE(summary.stopped);
}

TEST_F(Search, StopWhileGatheringEndsTheWalk)
{
    for (int i = 0; i < 50; ++i)
        Write("d" + std::to_string(i) + "/f.pas", "procedure key;\n");
    std::stop_source source;
    TRecordingSink sink;
    // The first progress report comes with the first file found.
    sink.afterProgress = [&](const TSearchProgress&) { source.request_stop(); };
    const auto summary = Run(Request("key"), sink, source.get_token());
    EXPECT_TRUE(summary.stopped);
    EXPECT_LT(summary.filesGathered, 50u);
    EXPECT_TRUE(sink.rows.empty());
    ASSERT_EQ(sink.progress.size(), 1u);
    EXPECT_EQ(ProgressText(sink.progress[0]), "1 files found ...");
}

TEST_F(Search, FieldChoicesAreReadWhileTheRunGoesOn)
{
    for (int i = 0; i < 3; ++i)
        Write("f" + std::to_string(i) + ".pas", "procedure key;\n");
    auto choices = std::make_shared<TSearchChoices>(TSearchChoices::Declarations);
    TSearchRequest request = Request("key");
    request.choices = choices;
    TRecordingSink sink;
    sink.afterRow = [&](std::size_t) { choices->Set(TSearchChoices::Declarations, false); };
    Run(request, sink);
    EXPECT_EQ(sink.rows.size(), 1u);
}

TEST_F(Search, ProgressIsThrottledAndEndsWithTheCounts)
{
    for (int i = 0; i < 200; ++i)
        Write("f" + std::to_string(i) + ".pas", i % 2 ? "procedure key;\n" : "procedure p;\n");
    TRecordingSink sink;
    const auto summary = Run(Request("key"), sink);
    EXPECT_EQ(summary.filesScanned, 200u);
    ASSERT_GE(sink.progress.size(), 2u);
    // However long the run takes, reports before the last come at least the interval apart.
    for (std::size_t i = 1; i + 1 < sink.progress.size(); ++i)
        EXPECT_GE(sink.progressTimes[i] - sink.progressTimes[i - 1], kSearchStatusInterval) << "report " << i;
    EXPECT_EQ(sink.progress.front().phase, TSearchProgress::TPhase::Gathering);
    const TSearchProgress& done = sink.progress.back();
    EXPECT_EQ(done.phase, TSearchProgress::TPhase::Done);
    EXPECT_EQ(done.files, 200u);
    EXPECT_EQ(done.rows, 100u);
    for (std::size_t i = 1; i + 1 < sink.progress.size(); ++i) {
        const TSearchProgress& p = sink.progress[i];
        if (p.phase != TSearchProgress::TPhase::Scanning)
            continue;
        EXPECT_EQ(p.files, 200u);
        EXPECT_LE(p.rows, p.filesDone);
        EXPECT_EQ(p.path.substr(0, m_root.string().size()), m_root.string());
    }
}

TEST(SearchProgress, Texts)
{
    using P = TSearchProgress::TPhase;
    struct Case {
        TSearchProgress progress;
        const char* expected;
    };
    const Case cases[] = {
        {{P::Gathering, 0, 0, 0, {}, 0}, "0 files found ..."},
        {{P::Gathering, 1234, 0, 0, {}, 0}, "1234 files found ..."},
        {{P::Scanning, 4894, 17, 3, "/a.pas", 0}, "17 of 4894 files, 3 rows"},
        {{P::Done, 4894, 4894, 512, {}, 3.46}, "Done: 512 rows in 4894 files (3.5 s)"},
        {{P::Done, 0, 0, 0, {}, 0.01}, "Done: 0 rows in 0 files (0.0 s)"},
        {{P::Done, 9, 9, 2, {}, 0.5, 1, 2}, "Done: 2 rows in 9 files (0.5 s); 1 file and 2 folders could not be read (see the trace log)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressText(c.progress), c.expected);
    EXPECT_EQ(StoppedText({P::Scanning, 4894, 17, 3, "/a.pas", 0}), "Stopped: 3 rows in 17 of 4894 files");
}

// A tree of a few hundred files in nested folders, many of them with many matching
// entries and titles, some empty or without entries; and the rows of a run on one thread.
class SearchInParallel : public TSearchFixture {
protected:
    void SetUp() override
    {
        TSearchFixture::SetUp();
        std::mt19937 random(12);
        for (int i = 0; i < 300; ++i) {
            const std::string folder = "d" + std::to_string(i % 7) + "/e" + std::to_string(i % 3) + "/";
            std::string text = i % 5 ? "// key title " + std::to_string(i) + "\n" : "";
            const int entries = static_cast<int>(random() % (i % 11 == 0 ? 400 : 30));
            for (int e = 0; e < entries; ++e)
                text += e % 3 ? "procedure key" + std::to_string(e) + "; // key note\n" : "type TKey" + std::to_string(e) + "\n";
            Write(folder + "f" + std::to_string(i) + (i % 4 ? ".pas" : ".dpr"), i % 13 == 0 ? "" : text);
        }
        m_request = Request("key");
        m_request.fileTypes = {kTypePas, kTypeDpr};
        m_request.jobs = 1;
        TRecordingSink sink;
        Run(m_request, sink);
        m_oneThread = sink.rows;
        ASSERT_GT(m_oneThread.size(), 5000u);
    }

    TSearchRequest m_request;
    std::vector<TSearchRow> m_oneThread;
};

TEST_F(SearchInParallel, RowsEqualThoseOfOneThread)
{
    for (const unsigned jobs : {2u, 3u, 8u}) {
        SCOPED_TRACE(jobs);
        TSearchRequest request = m_request;
        request.jobs = jobs;
        TRecordingSink sink;
        const auto summary = Run(request, sink);
        EXPECT_EQ(sink.rows, m_oneThread);
        EXPECT_EQ(summary.rows, m_oneThread.size());
        EXPECT_FALSE(summary.stopped);
    }
}

TEST_F(SearchInParallel, StopAtRandomMomentsAddsNoRowAfterIt)
{
    std::mt19937 random(7);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        TSearchRequest request = m_request;
        request.jobs = 1 + round % 4;
        std::stop_source source;
        TRecordingSink sink;
        std::size_t rowsAtStop = 0;
        const bool fromSink = round % 2 == 0;
        const std::size_t stopAfterRows = 1 + random() % (m_oneThread.size() - 1);
        sink.afterRow = [&](std::size_t count) {
            if (!source.stop_requested())
                rowsAtStop = count;
            if (fromSink && count == stopAfterRows)
                source.request_stop();
        };
        // Or from another thread, at any moment of the run, gathering included.
        std::jthread stopper;
        if (!fromSink) {
            const auto delay = std::chrono::microseconds(random() % 200000);
            stopper = std::jthread([&source, delay] {
                std::this_thread::sleep_for(delay);
                source.request_stop();
            });
        }
        const auto summary = Run(request, sink, source.get_token());
        stopper = {};
        ASSERT_LE(sink.rows.size(), m_oneThread.size());
        EXPECT_TRUE(std::equal(sink.rows.begin(), sink.rows.end(), m_oneThread.begin()))
            << "the rows are the first ones of a whole run";
        if (fromSink) {
            EXPECT_TRUE(summary.stopped);
            EXPECT_EQ(sink.rows.size(), rowsAtStop);
        } else if (summary.stopped) {
            // Stopped from outside, a row may be on its way while the request is made.
            EXPECT_LE(sink.rows.size(), rowsAtStop + 1);
        }
    }
}

} // namespace
