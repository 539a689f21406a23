// The outline browser without a window: a source that hands out prepared outlines and
// folder listings, and a view that records what it is told.

#include "browser/core/OutlineBrowser.h"

#include "OutlineTestSupport.h"
#include "TempPath.h"
#include "config/Debug.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

class TFakeSource : public IOutlineSource {
public:
    // A file with these entries (and as many source lines as entry lines).
    void Add(const std::string& path, const TLines& entries, TLines title = {})
    {
        TScanOutcome outcome;
        outcome.entries = entries;
        outcome.lineCount = static_cast<int>(entries.size());
        outcome.title = std::move(title);
        files[path] = outcome;
    }
    void Fail(const std::string& path, TOpenFailure failure, const std::string& error = {})
    {
        files[path] = {failure, error, {}, 0, {}};
    }
    bool IsKnownType(const std::string& key) const override { return knownTypes.count(key) > 0; }
    TScanOutcome Scan(const std::string& path, const std::string&) override
    {
        ++scans[path];
        const auto it = files.find(path);
        return it != files.end() ? it->second : TScanOutcome{TOpenFailure::Missing, {}, {}, 0, {}};
    }
    std::vector<TFolderItem> ListFolder(const std::string& folder) override
    {
        return folders[CleanFolder(folder)];
    }

    std::set<std::string> knownTypes{"PAS", "DPR"};
    std::map<std::string, TScanOutcome> files;
    std::map<std::string, std::vector<TFolderItem>> folders;
    std::map<std::string, int> scans;
};

class TFakeView : public IOutlineView {
public:
    void ShowLevel(const TOutlineLevel& level) override
    {
        rows.clear();
        current.clear();
        if (level.parent)
            rows.push_back(".." + level.parent->declaration);
        for (const TOutlineEntry& e : level.entries) {
            rows.push_back(e.declaration);
            if (e.index == level.currentEntry)
                current = e.declaration;
        }
    }
    void ShowFolder(const std::string& f, const std::string& selectedPath) override
    {
        folder = f;
        selected = selectedPath;
    }
    void ShowPage(TBrowserPage p) override { page = p; }
    void ShowTitle(const TLines& lines) override { title = lines; }
    void ShowCaption(const std::string& path) override { caption = path; }
    void ShowStatus(const std::string& text) override { status = text; }
    void ShowNotice(const std::string& text) override { notice = text; }
    void SetBusy(bool on) override
    {
        busy = on;
        busyCount += on ? 1 : 0;
    }

    std::vector<std::string> rows;
    std::string current; // the declaration of the row made current
    TBrowserPage page = TBrowserPage::List;
    std::string folder;
    std::string selected;
    TLines title;
    std::string caption;
    std::string status;
    std::string notice;
    bool busy = false;
    int busyCount = 0;
};

using TRows = std::vector<std::string>;

class OutlineBrowserTest : public ::testing::Test {
protected:
    OutlineBrowserTest() { log.SetAutoSave(false); }

    TLines History() const { return browser.History().Items(); }
    // Files and folders of a folder listing, folders marked with a trailing "/".
    void List(const std::string& folder, const std::vector<std::string>& names)
    {
        auto& items = source.folders[folder];
        for (const std::string& name : names) {
            const bool isFolder = name.back() == '/';
            items.push_back({folder + "/" + (isFolder ? name.substr(0, name.size() - 1) : name),
                             isFolder});
        }
    }

    TFakeSource source;
    TFakeView view;
    TDebug log{TestTempPath("quillane_browser_test.TXT")};
    TOutlineBrowser browser{source, view, log, "/prog"};
};

const std::string kNested = "/p/Nested.pas";

TEST_F(OutlineBrowserTest, StepsIntoLevelsAndUpAgain)
{
    source.Add(kNested, WorkedExample(), {"the title"});
    browser.Start(kNested);
    EXPECT_EQ(view.rows, (TRows{"A", "B"}));
    EXPECT_EQ(view.title, TLines{"the title"});
    EXPECT_EQ(view.status, "Line=24");
    EXPECT_EQ(view.caption, kNested);
    EXPECT_EQ(view.folder, "/p");

    EXPECT_TRUE(browser.StepInto(EntryOnLine(browser.Entries(), 1)));
    EXPECT_EQ(browser.LevelStart(), 4);
    EXPECT_EQ(view.rows, (TRows{"..A", "A1", "A2"}));
    EXPECT_TRUE(browser.StepInto(EntryOnLine(browser.Entries(), 2)));
    EXPECT_EQ(view.rows, (TRows{"..A1", "A1a", "A1b"}));
    EXPECT_FALSE(browser.StepInto(EntryOnLine(browser.Entries(), 99)));

    // Going up shows the level the user stepped in from, with that entry current.
    browser.GoUp();
    EXPECT_EQ(browser.LevelStart(), 4);
    EXPECT_EQ(view.rows, (TRows{"..A", "A1", "A2"}));
    EXPECT_EQ(view.current, "A1");
    browser.GoUp();
    EXPECT_EQ(view.rows, (TRows{"A", "B"}));
    EXPECT_EQ(view.current, "A");

    EXPECT_EQ(History(), (TLines{kNested + "?0", kNested + "?4", kNested + "?8", kNested + "?4",
                                 kNested}));
    EXPECT_EQ(source.scans[kNested], 1) << "stepping never reads the file again";
    EXPECT_EQ(view.page, TBrowserPage::List);
    EXPECT_FALSE(view.busy);
}

TEST_F(OutlineBrowserTest, BackAndForward)
{
    source.Add(kNested, WorkedExample());
    browser.Start(kNested);
    browser.StepInto(EntryOnLine(browser.Entries(), 1));
    browser.StepInto(EntryOnLine(browser.Entries(), 2));
    browser.Back();
    EXPECT_EQ(browser.History().Pos(), 1);
    EXPECT_EQ(view.rows, (TRows{"..A", "A1", "A2"}));
    EXPECT_EQ(view.current, "A1");
    browser.Back();
    EXPECT_EQ(view.rows, (TRows{"A", "B"}));
    EXPECT_EQ(view.current, "A");
    EXPECT_FALSE(browser.History().CanGoBack());

    // At the oldest entry Back reopens the same place and records nothing.
    browser.Back();
    EXPECT_EQ(browser.History().Pos(), 2);
    EXPECT_EQ(History().size(), 3u);
    EXPECT_EQ(view.rows, (TRows{"A", "B"}));

    browser.Forward();
    EXPECT_EQ(view.current, "") << "forward goes deeper: no entry came from there";
    browser.Forward();
    browser.Forward();
    EXPECT_EQ(browser.History().Pos(), 0);
    EXPECT_EQ(view.rows, (TRows{"..A1", "A1a", "A1b"}));

    // Going back and then somewhere new drops the places ahead.
    browser.Back();
    browser.Back();
    browser.StepInto(EntryOnLine(browser.Entries(), 1));
    EXPECT_EQ(History(), (TLines{kNested + "?4", kNested}));
    EXPECT_EQ(source.scans[kNested], 1);
}

TEST_F(OutlineBrowserTest, ShowEntryOpensItsLevelWithTheEntryCurrent)
{
    source.Add(kNested, WorkedExample());
    browser.Start(kNested);
    browser.ShowEntry(12);
    EXPECT_EQ(view.rows, (TRows{"..A1", "A1a", "A1b"}));
    EXPECT_EQ(view.current, "A1b");
    browser.ShowEntry(20);
    EXPECT_EQ(view.rows, (TRows{"A", "B"}));
    EXPECT_EQ(view.current, "B");
    browser.ShowEntry(24); // no entry there: nothing happens
    EXPECT_EQ(History(), (TLines{kNested + "?0", kNested + "?8", kNested}));
    browser.Back();
    EXPECT_EQ(view.rows, (TRows{"..A1", "A1a", "A1b"}));
}

TEST_F(OutlineBrowserTest, OpenEntryOpensTheFileAtTheEntrysLevel)
{
    struct Case {
        const char* name;
        int line;
        std::string declaration;
        TRows rows;
        std::string current;
        std::string location;
    };
    const Case cases[] = {
        {"nested entry", 4, "A1b", {"..A1", "A1a", "A1b"}, "A1b", kNested + "?8"},
        {"top-level entry", 6, "B", {"A", "B"}, "B", kNested},
        // No entry to make current: the window makes the first one current.
        {"a title row: no entry", 0, "", {"A", "B"}, "", kNested},
        {"declaration not on that line", 4, "A2", {"A", "B"}, "", kNested},
    };
    source.Add(kNested, WorkedExample());
    source.Add("/p/other.pas", MakeEntries({{1, 2, 1, "other"}}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        browser.Start("/p/other.pas");
        browser.OpenEntry(kNested, c.line, c.declaration);
        EXPECT_EQ(view.rows, c.rows);
        EXPECT_EQ(view.current, c.current);
        EXPECT_EQ(view.caption, kNested);
        EXPECT_EQ(History(), (TLines{c.location, "/p/other.pas"}));
    }
    // A file that cannot be outlined leaves the document shown.
    source.Fail("/p/empty.pas", TOpenFailure::Empty);
    browser.OpenEntry("/p/empty.pas", 1, "x");
    EXPECT_EQ(browser.SourcePath(), kNested);
    EXPECT_EQ(view.notice, "Cannot outline empty.pas: the file is empty");
    // An entry of the file's own text, not one on the same line of a file it includes.
    TLines included = MakeEntries({{1, 3, 1, "T"}, {4, 1, 2, "X"}, {4, 1, 1, "X"}});
    included[0] += "[FILE]/p/x.inc";
    included[4] += "[FILE]/p/x.inc";
    source.Add("/p/inc.pas", included);
    browser.OpenEntry("/p/inc.pas", 4, "X");
    EXPECT_EQ(view.rows, (TRows{"T", "X"}));
    EXPECT_EQ(view.current, "X");
}

TEST_F(OutlineBrowserTest, LevelsAtTheEdges)
{
    struct Case {
        const char* name;
        TLines entries;
        int line;
        int levelStart;
        TRows rows;
    };
    const Case cases[] = {
        // The level that follows E is shown below E as the parent row.
        {"container without children",
         MakeEntries({{1, 3, 1, "E"}, {3, 2, 1, "F"}, {4, 2, 1, "G"}}), 1, 4, {"..E", "F", "G"}},
        {"container that is the last entry", MakeEntries({{1, 2, 1, "F"}, {2, 3, 1, "E"}}), 2, 8,
         {"..E"}},
        // Y is found by its line, which X shares: the level after X is shown below X.
        {"two entries on one line", MakeEntries({{1, 2, 1, "X"}, {1, 3, 1, "Y"}, {2, 2, 2, "Z"}}),
         1, 4, {"..X", "Y"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFakeSource cs;
        TFakeView cv;
        TOutlineBrowser b(cs, cv, log, "/prog");
        cs.Add("/p/u.pas", c.entries);
        b.Start("/p/u.pas");
        b.StepInto(EntryOnLine(b.Entries(), c.line));
        EXPECT_EQ(b.LevelStart(), c.levelStart);
        EXPECT_EQ(cv.rows, c.rows);
        b.GoUp();
        EXPECT_EQ(b.LevelStart(), 0);
    }
}

// A location the user gives (the command line, Open) must name a level: an entry index
// that starts one, or a declaration path. Otherwise the top level shows and the notice says why.
TEST_F(OutlineBrowserTest, LocationsTheUserGivesAreChecked)
{
    struct Case {
        std::string entry; // the text after "?"
        TRows rows;
        std::string current;
        std::string notice;
        std::string recorded; // the level shown, as the history holds it
    };
    const TRows top{"A", "B"};
    const std::string u = "/p/u.pas";
    const Case cases[] = {
        {"8", {"..A1", "A1a", "A1b"}, "", "", u + "?8"},
        {"12", top, "", "No level of u.pas starts at entry index 12: showing its top level", u},
        {"30", top, "", "No level of u.pas starts at entry index 30: showing its top level", u},
        {"9999", top, "", "No level of u.pas starts at entry index 9999: showing its top level", u},
        {"99999999999", top, "", "No level of u.pas starts at entry index 99999999999: showing its top level", u},
        {"A1", {"..A", "A1", "A2"}, "A1", "", u + "?4"},
        {"a.a1.A1B", {"..A1", "A1a", "A1b"}, "A1b", "", u + "?8"},
        {"B", top, "B", "", u},
        {"Nope", top, "", "No declaration Nope in u.pas: showing its top level", u},
    };
    for (const bool start : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE((start ? "start on ?" : "open ?") + c.entry);
            TFakeSource cs;
            TFakeView cv;
            TOutlineBrowser b(cs, cv, log, "/prog");
            cs.Add("/p/u.pas", WorkedExample());
            if (!start)
                b.Start("/p/other.pas");
            start ? b.Start(u + "?" + c.entry) : b.Open(u + "?" + c.entry);
            EXPECT_EQ(cv.rows, c.rows);
            EXPECT_EQ(cv.current, c.current);
            EXPECT_EQ(cv.notice, c.notice);
            EXPECT_EQ(b.History().Current(), c.recorded);
        }
    }
}

TEST_F(OutlineBrowserTest, FileWithoutDeclarationsShowsItsEmptyOutline)
{
    source.Add("/p/a.pas", WorkedExample());
    TScanOutcome nothing;
    nothing.lineCount = 1;
    nothing.title = {"{ just a comment }"};
    source.files["/p/c.pas"] = nothing;
    browser.Start("/p/a.pas");
    browser.ShowDirectory();
    browser.OpenShellItem("/p/c.pas", false);
    EXPECT_EQ(view.page, TBrowserPage::List);
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.notice, "No declarations found in c.pas");
    EXPECT_EQ(view.title, TLines{"{ just a comment }"});
    EXPECT_EQ(view.status, "Line=1");
}

TEST_F(OutlineBrowserTest, NextAndPreviousFile)
{
    List("/p", {"aaa.pas/", "sub/", "a.pas", "B.dpr", "c.PAS"});
    for (const char* name : {"/p/a.pas", "/p/B.dpr", "/p/c.PAS"})
        source.Add(name, MakeEntries({{1, 2, 1, name}}));
    browser.Start("/p/a.pas");

    browser.NextFile();
    EXPECT_EQ(browser.SourcePath(), "/p/B.dpr");
    EXPECT_EQ(view.rows, TRows{"/p/B.dpr"});
    EXPECT_EQ(view.status, "Line=4");
    browser.NextFile();
    EXPECT_EQ(browser.SourcePath(), "/p/c.PAS");
    browser.NextFile(); // wraps past the folders
    EXPECT_EQ(browser.SourcePath(), "/p/a.pas");
    browser.PrevFile();
    EXPECT_EQ(browser.SourcePath(), "/p/c.PAS");
    EXPECT_EQ(History(), (TLines{"/p/c.PAS", "/p/a.pas", "/p/c.PAS", "/p/B.dpr", "/p/a.pas"}));
}

TEST_F(OutlineBrowserTest, FileSteppingStopsAtAnUnlistedType)
{
    source.knownTypes = {"PAS"};
    List("/p", {"a.pas", "b.dpr", "c.pas"});
    source.Add("/p/a.pas", WorkedExample());
    source.Add("/p/c.pas", WorkedExample());
    browser.Start("/p/a.pas");
    browser.NextFile();
    EXPECT_EQ(browser.SourcePath(), "/p/a.pas");
    EXPECT_EQ(History().size(), 1u);
    browser.PrevFile();
    EXPECT_EQ(browser.SourcePath(), "/p/c.pas");
}

TEST_F(OutlineBrowserTest, OnlySourceOfItsFolder)
{
    List("/p", {"a.pas"});
    source.Add("/p/a.pas", WorkedExample());
    browser.Start("/p/a.pas");
    browser.NextFile();
    EXPECT_EQ(source.scans["/p/a.pas"], 1) << "not read again";
    EXPECT_EQ(view.rows, (TRows{"A", "B"}));
    EXPECT_EQ(view.status, "/p/a.pas");
    // The open file removed: no file left to step to, nothing happens.
    source.folders["/p"].clear();
    browser.NextFile();
    EXPECT_EQ(browser.SourcePath(), "/p/a.pas");
    EXPECT_EQ(History().size(), 1u);
}

TEST_F(OutlineBrowserTest, UpToTheShellPageAndTheRoot)
{
    const std::string source_ = "/p/deep/src/Nested.pas";
    source.Add(source_, WorkedExample());
    browser.Start(source_);
    browser.GoUp();
    EXPECT_EQ(view.page, TBrowserPage::Shell);
    EXPECT_TRUE(browser.IsShellPageShowing());
    EXPECT_EQ(view.folder, "/p/deep/src");
    EXPECT_EQ(view.selected, source_) << "the file the user came from";
    EXPECT_EQ(History().front(), "/p/deep/src/");
    EXPECT_EQ(view.caption, source_) << "the caption is not changed here";
    EXPECT_EQ(view.status, "");

    browser.GoUp();
    EXPECT_EQ(view.folder, "/p/deep");
    EXPECT_EQ(view.selected, "/p/deep/src");
    EXPECT_EQ(History().front(), "/p/deep/");
    EXPECT_EQ(view.caption, "/p/deep/");
    browser.GoUp();
    browser.GoUp();
    EXPECT_EQ(browser.Folder(), "/");
    EXPECT_EQ(History().front(), "/");
    const std::size_t size = History().size();
    browser.GoUp();
    EXPECT_EQ(browser.Folder(), "/");
    EXPECT_EQ(History().size(), size) << "the root is already the current location";

    // Back leads to the source again.
    for (int i = 0; i < 8 && browser.IsShellPageShowing(); ++i)
        browser.Back();
    EXPECT_EQ(browser.SourcePath(), source_);
    EXPECT_EQ(view.rows, (TRows{"A", "B"}));
    EXPECT_EQ(view.page, TBrowserPage::List);
    // The source reached back shows its own folder when going up again.
    browser.GoUp();
    EXPECT_EQ(view.folder, "/p/deep/src");
    EXPECT_EQ(view.selected, source_);
}

TEST_F(OutlineBrowserTest, ShellPageItems)
{
    source.Add("/p/a.pas", WorkedExample());
    source.Add("/p/b.pas", MakeEntries({{1, 2, 1, "B"}}));
    browser.Start("/p/a.pas");
    browser.ShowDirectory();
    EXPECT_EQ(view.page, TBrowserPage::Shell);
    EXPECT_EQ(view.selected, "/p/a.pas");

    browser.OpenShellItem("/p/b.pas", false);
    EXPECT_EQ(view.page, TBrowserPage::List);
    EXPECT_EQ(view.rows, TRows{"B"});
    EXPECT_EQ(History().front(), "/p/b.pas");
    EXPECT_EQ(view.caption, "/p/b.pas");

    browser.ShowDirectory();
    browser.OpenShellItem("/p/sub", true);
    EXPECT_EQ(browser.Folder(), "/p/sub");
    EXPECT_EQ(History().front(), "/p/sub/");
    EXPECT_EQ(view.page, TBrowserPage::Shell);
}

TEST_F(OutlineBrowserTest, FileOfAnUnknownTypeShowsItsFolderAndKeepsTheEntries)
{
    source.Add("/p/a.pas", WorkedExample());
    browser.Start("/p/a.pas");
    const TOutlineStore entries = browser.Entries();

    browser.Open("/p/docs/notes.txt");
    EXPECT_EQ(browser.SourcePath(), "/p/docs/notes.txt");
    EXPECT_EQ(browser.SourceType(), "TXT");
    EXPECT_EQ(view.page, TBrowserPage::Shell);
    EXPECT_EQ(view.folder, "/p/docs");
    EXPECT_EQ(view.selected, "/p/docs/notes.txt");
    EXPECT_EQ(view.status, "");
    EXPECT_EQ(view.notice, "Cannot outline notes.txt: the file type TXT is unknown");
    EXPECT_EQ(browser.Entries(), entries);
    EXPECT_EQ(browser.ScannedPath(), "/p/a.pas");

    browser.Back();
    EXPECT_EQ(view.page, TBrowserPage::List);
    EXPECT_EQ(browser.SourcePath(), "/p/a.pas");
    EXPECT_EQ(view.notice, "");
}

TEST_F(OutlineBrowserTest, FailuresSayWhyAndAreLogged)
{
    struct Case {
        TOpenFailure failure;
        std::string error;
        std::string notice;
        std::string logLine;
    };
    const Case cases[] = {
        {TOpenFailure::Empty, "", "Cannot outline x.pas: the file is empty",
         "error in TMForm.UpDateUName:/p/x.pas"},
        {TOpenFailure::Missing, "", "Cannot outline x.pas: the file does not exist",
         "error:Codes.LoadFromFile;/p/x.pas"},
        {TOpenFailure::Unreadable, "", "Cannot outline x.pas: the file cannot be read",
         "error:Codes.LoadFromFile;/p/x.pas"},
        {TOpenFailure::Unreadable, "not a regular file", "Cannot outline x.pas: the file cannot be read (not a regular file)",
         "error:Codes.LoadFromFile;/p/x.pas"},
        {TOpenFailure::ScanFailed, "no rule", "Cannot outline x.pas: the scan failed (no rule)",
         "error in TMForm.UpDateUName:/p/x.pas"},
        {TOpenFailure::Stopped, "", "Stopped: x.pas was not outlined", "scan stopped:/p/x.pas"},
    };
    source.Add("/p/a.pas", WorkedExample());
    browser.Start("/p/a.pas");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notice);
        source.Fail("/p/x.pas", c.failure, c.error);
        browser.Open("/p/x.pas");
        EXPECT_EQ(view.notice, c.notice);
        EXPECT_EQ(log.Lines().back(), c.logLine);
        EXPECT_EQ(browser.SourcePath(), "/p/a.pas");
        EXPECT_FALSE(view.busy);
    }
    EXPECT_EQ(source.scans["/p/x.pas"], static_cast<int>(std::size(cases))) << "a failed path is tried again each time";
    EXPECT_EQ(History().size(), 1u);
}

// A text cut short by a NUL character opens, and the status bar says where it ends.
TEST_F(OutlineBrowserTest, ATextCutByANulIsSaid)
{
    source.Add("/p/n.pas", WorkedExample());
    source.files["/p/n.pas"].nulLine = 14;
    browser.Start("/p/n.pas");
    EXPECT_EQ(browser.SourcePath(), "/p/n.pas");
    EXPECT_EQ(view.notice, "n.pas: the text ends at a NUL character on line 14");
    browser.Rescan();
    EXPECT_EQ(view.notice, "n.pas: the text ends at a NUL character on line 14");
}

// The failed-scan fault: a failed open used to stay in the history, so every later step
// in or up rescanned the failed file and showed nothing new.
TEST_F(OutlineBrowserTest, FailedOpenInTheMiddleOfTheHistory)
{
    source.Add(kNested, WorkedExample());
    source.Fail("/p/empty.pas", TOpenFailure::Empty);
    browser.Start(kNested);
    browser.StepInto(EntryOnLine(browser.Entries(), 1));
    browser.Open("/p/empty.pas");
    EXPECT_EQ(History(), (TLines{kNested + "?4", kNested}));
    EXPECT_EQ(browser.SourcePath(), kNested);
    EXPECT_EQ(browser.LevelStart(), 4);
    EXPECT_EQ(view.rows, (TRows{"..A", "A1", "A2"}));
    EXPECT_EQ(view.status, "Line=24");
    EXPECT_EQ(view.notice, "Cannot outline empty.pas: the file is empty");

    // Navigation goes on from the document shown.
    browser.StepInto(EntryOnLine(browser.Entries(), 2));
    EXPECT_EQ(view.rows, (TRows{"..A1", "A1a", "A1b"}));
    EXPECT_EQ(view.notice, "");
    browser.GoUp();
    browser.GoUp();
    EXPECT_EQ(view.rows, (TRows{"A", "B"}));
    browser.Back();
    browser.Back();
    EXPECT_EQ(view.rows, (TRows{"..A1", "A1a", "A1b"}));
    EXPECT_EQ(History(), (TLines{kNested + "?0", kNested + "?4", kNested + "?8", kNested + "?4",
                                 kNested}));
    EXPECT_EQ(source.scans["/p/empty.pas"], 1);
    EXPECT_EQ(source.scans[kNested], 1);
}

TEST_F(OutlineBrowserTest, BackAndForwardAcrossALocationThatNoLongerOpens)
{
    for (const char* name : {"/p/a.pas", "/p/b.pas", "/p/c.pas"})
        source.Add(name, MakeEntries({{1, 2, 1, name}}));
    browser.Start("/p/a.pas");
    browser.Open("/p/b.pas");
    browser.Open("/p/c.pas");
    browser.Back();
    browser.Back();

    // b was emptied since it was shown: Forward stays on a, and b leaves the history.
    source.Fail("/p/b.pas", TOpenFailure::Empty);
    browser.Forward();
    EXPECT_EQ(browser.SourcePath(), "/p/a.pas");
    EXPECT_EQ(view.rows, TRows{"/p/a.pas"});
    EXPECT_EQ(view.notice, "Cannot outline b.pas: the file is empty");
    EXPECT_EQ(History(), (TLines{"/p/c.pas", "/p/a.pas"}));
    EXPECT_EQ(browser.History().Pos(), 1);
    browser.Forward();
    EXPECT_EQ(browser.SourcePath(), "/p/c.pas");

    // Going back: c removed since, so Back from b stays on b and then reaches a.
    source.Add("/p/b.pas", MakeEntries({{1, 2, 1, "b"}}));
    browser.Open("/p/b.pas");
    source.Fail("/p/c.pas", TOpenFailure::Missing);
    browser.Back();
    EXPECT_EQ(browser.SourcePath(), "/p/b.pas");
    EXPECT_EQ(view.notice, "Cannot outline c.pas: the file does not exist");
    EXPECT_EQ(History(), (TLines{"/p/b.pas", "/p/a.pas"}));
    EXPECT_EQ(browser.History().Pos(), 0);
    browser.Back();
    EXPECT_EQ(browser.SourcePath(), "/p/a.pas");
}

TEST_F(OutlineBrowserTest, GoingUpAfterAFailedOpen)
{
    source.Add(kNested, WorkedExample());
    browser.Start(kNested);
    browser.StepInto(EntryOnLine(browser.Entries(), 1));
    browser.Open("/p/missing.pas");
    browser.GoUp();
    EXPECT_EQ(view.rows, (TRows{"A", "B"}));
    EXPECT_EQ(History().front(), kNested + "?0");
    browser.GoUp();
    EXPECT_EQ(view.page, TBrowserPage::Shell);
    EXPECT_EQ(History().front(), "/p/");
    EXPECT_EQ(source.scans["/p/missing.pas"], 1);
}

TEST_F(OutlineBrowserTest, FileSteppingPassesFilesThatCannotBeOutlined)
{
    List("/p", {"a.pas", "empty.pas", "c.pas"});
    source.Add("/p/a.pas", MakeEntries({{1, 2, 1, "a"}}));
    source.Fail("/p/empty.pas", TOpenFailure::Empty);
    source.Add("/p/c.pas", MakeEntries({{1, 2, 1, "c"}}));
    browser.Start("/p/a.pas");
    browser.NextFile();
    EXPECT_EQ(browser.SourcePath(), "/p/c.pas");
    EXPECT_EQ(view.notice, "Cannot outline empty.pas: the file is empty");
    browser.PrevFile();
    EXPECT_EQ(browser.SourcePath(), "/p/a.pas");
    EXPECT_EQ(History(), (TLines{"/p/a.pas", "/p/c.pas", "/p/a.pas"}));

    // With no other file that can be outlined the step comes back to the file it left.
    source.Fail("/p/c.pas", TOpenFailure::Unreadable);
    browser.NextFile();
    EXPECT_EQ(browser.SourcePath(), "/p/a.pas");
    EXPECT_EQ(view.rows, TRows{"a"});
    EXPECT_EQ(view.notice, "Cannot outline c.pas: the file cannot be read");
    EXPECT_EQ(History().size(), 3u);
}

TEST_F(OutlineBrowserTest, StartOnAFileThatCannotBeOutlined)
{
    source.Fail("/p/empty.pas", TOpenFailure::Empty);
    browser.Start("/p/empty.pas");
    EXPECT_EQ(view.page, TBrowserPage::Shell);
    EXPECT_EQ(view.folder, "/p");
    EXPECT_EQ(view.selected, "/p/empty.pas");
    EXPECT_EQ(view.caption, "/p/");
    EXPECT_EQ(view.notice, "Cannot outline empty.pas: the file is empty");
    EXPECT_EQ(History(), TLines{"/p/"});
    EXPECT_EQ(browser.SourcePath(), "/p/");
    EXPECT_FALSE(browser.History().CanGoBack());
    EXPECT_FALSE(view.busy);
}

TEST_F(OutlineBrowserTest, OpeningTheScannedFileAgainDoesNotReadIt)
{
    source.Add("/p/a.pas", WorkedExample());
    browser.Start("/p/a.pas");
    EXPECT_EQ(browser.OpenLocation("/p/a.pas?8"), TOutlineBrowser::TOpenResult::Opened);
    EXPECT_EQ(browser.LevelStart(), 8);
    EXPECT_EQ(source.scans["/p/a.pas"], 1);
    // Another spelling of the path is another location, and is read.
    source.Add("/p/./a.pas", MakeEntries({{1, 2, 1, "other"}}));
    browser.OpenLocation("/p/./a.pas");
    EXPECT_EQ(browser.Entries().size(), 4u);
    EXPECT_EQ(browser.ScannedPath(), "/p/./a.pas");
}

TEST_F(OutlineBrowserTest, FtpLocationsReadTempDat)
{
    source.Add("/prog/Temp.dat", WorkedExample());
    browser.Start("ftp:host/pub/Unit1.pas?4");
    EXPECT_EQ(browser.SourcePath(), "/prog/Temp.dat");
    EXPECT_EQ(browser.SourceType(), "PAS");
    EXPECT_EQ(browser.LevelStart(), 4);
    EXPECT_EQ(browser.ScannedPath(), "ftp:host/pub/Unit1.pas");
    browser.StepInto(EntryOnLine(browser.Entries(), 2));
    EXPECT_EQ(History().front(), "ftp:host/pub/Unit1.pas?8");
    browser.OpenLocation("FTP:other/Unit2.pas");
    EXPECT_EQ(browser.ScannedPath(), "FTP:other/Unit2.pas");
    EXPECT_EQ(source.scans["/prog/Temp.dat"], 2);
}

TEST_F(OutlineBrowserTest, RescanKeepsTheLevelAndKeepsTheEntriesOnFailure)
{
    source.Add(kNested, WorkedExample());
    browser.Start(kNested);
    browser.StepInto(EntryOnLine(browser.Entries(), 1));
    // The entry current before is current again, found by its line and declaration.
    source.Add(kNested, MakeEntries({{1, 3, 1, "A"}, {2, 2, 2, "New"}, {5, 1, 2, "A2"}}));
    browser.Rescan(16);
    EXPECT_EQ(view.rows, (TRows{"..A", "New", "A2"}));
    EXPECT_EQ(view.current, "A2");
    EXPECT_EQ(view.status, "Line=12");

    const TOutlineStore entries = browser.Entries();
    source.Fail(kNested, TOpenFailure::Empty);
    browser.Rescan();
    EXPECT_EQ(browser.Entries(), entries);
    EXPECT_EQ(log.Lines().back(), "error in TMForm.UpDateUName(UN:String);");
    EXPECT_EQ(view.notice, "Cannot outline Nested.pas: the file is empty");
    source.Add(kNested, {});
    browser.Rescan();
    EXPECT_EQ(browser.Entries(), entries) << "a scan that finds nothing changes nothing";
    EXPECT_FALSE(view.busy);
    EXPECT_EQ(source.scans[kNested], 4);
}

} // namespace
