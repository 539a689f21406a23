#pragma once
// The main window: a view over the outline browser. It draws what the browser tells
// it (the level in the outline list, the Shell page's folder, the title, caption and
// status bar), turns the user's actions into browser steps, and carries the frame
// around them: actions, menus, toolbar, pages, and the state it restores at creation
// and stores when closed. Created once by main(); user-interface thread only.
//
// Its parts live in four files: MainForm.cpp (the view and the navigation handlers),
// MainFormFrame.cpp (actions, menus, toolbar, pages), MainFormState.cpp (the settings
// read at creation and written at close) and MainFormCommands.cpp (the other commands).

#include "browser/core/OutlineBrowser.h"
#include "browser/core/UnitLookup.h"
#include "config/AppPaths.h"
#include "export/ExportWriters.h"
#include "scan/IncludeFlattener.h"
#include "widgets/core/ListCompare.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class IPlatform;
class TBackgroundScan;
class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QStackedWidget;
class QTimer;
class QToolBar;
class QTreeWidgetItem;
struct TFontDesc;
class TConfig;
class TDebug;
class TLevelPathDelegate;
class TListViewEx;
class TOutlineFilter;
class TShellList;
class TStructureTexts;
class TTextViewer;

// What the window is given: the three shared objects, the platform seam, the program's
// places (the data folder, where "Example.pas" and "Temp.dat" lie, and the export folder),
// the first command-line argument (empty when none) and the folders of the command line's
// --source-path and --include-path options.
struct TMFormServices {
    TDebug& debugLog;
    TConfig& config;
    const TStructureTexts& sharedRules;
    IPlatform& platform;
    TAppPaths paths;
    std::string startArgument;
    TLines sourceFolders;
    TLines includeFolders;
};

class TMForm : public QMainWindow, private IOutlineView, private IOutlineSource {
    Q_OBJECT
public:
    // Builds the window and runs FormCreate, which opens the start location.
    explicit TMForm(const TMFormServices& services, QWidget* parent = nullptr);
    ~TMForm() override;

    TOutlineBrowser& Browser() { return m_browser; }
    const TOutlineBrowser& Browser() const { return m_browser; }

    // Opens a file the way a file chosen in the open dialog is opened.
    void OpenFile(const std::string& path);
    // Opens a file at the level of its entry on sourceLine with that declaration, with the
    // entry current (the search window's Open); at its top when it has no such entry.
    void OpenEntry(const std::string& path, int sourceLine, const std::string& declaration);
    // Shows the source's line (from 1) highlighted in the text viewer beside the window,
    // keeping the keyboard here: what Enter on an entry that holds nothing does.
    void ViewSourceLine(int sourceLine);
    // Enables the actions by the page and the history, and sets the caption on the List page.
    void UIUpdate();
    // Stores the window's state in the settings store; runs when the window is closed.
    void FormClose();

    // The search window is built elsewhere: the Search action stays disabled until a
    // handler is set, and then runs it.
    void SetSearchHandler(std::function<void()> handler);
    // The search window's folders, asked for when a used unit is looked for below them; the
    // settings' list of them until a source is set.
    void SetSearchFolders(std::function<TLines()> folders) { m_searchFolders = std::move(folders); }
    // What Exit does: by default it ends the application's event loop.
    void SetExitHandler(std::function<void()> handler) { m_exitHandler = std::move(handler); }

    const std::string& HeaderLayout() const { return m_headerLayout; }
    // The text of field letter ("D", "C", "T", "L") in a row of the list, found through
    // HeaderLayout; empty when the layout has no column for it.
    QString FieldText(const QTreeWidgetItem* row, char letter) const;
    // The page on screen.
    bool IsShellPageShowing() const;
    QString StatusPanelText(int panel) const;
    // The status bar's account of why the last step could not show a location.
    QString NoticeText() const;

    TListViewEx* ListView() const { return m_listView; }
    TShellList* ShellList() const { return m_shellList; }
    QPlainTextEdit* MemoTitle() const { return m_memoTitle; }
    QSplitter* SplitterH() const { return m_splitterH; }
    TTextViewer* TextViewer() const { return m_textViewer; }
    // The filter field above the list; while it holds text the list shows its matches.
    QLineEdit* FilterEdit() const { return m_filterEdit; }
    bool IsFiltering() const { return m_filtering; }
    // The path of the level a match stands in, shown after its declaration ("A > A1");
    // empty for a row of the top level and when not filtering.
    QString LevelPathOf(const QModelIndex& index) const;
    QAction* SearchAction() const { return m_search; }
    // The scans of the window's sources, on a worker thread with progress and Stop.
    TBackgroundScan* BackgroundScan() const { return m_backgroundScan; }
    bool IsScanning() const;
    // True while the filter has work left: its index to make for new entries, matches
    // still to be added to the list, or the order of a big file's entries in a new sort.
    bool IsFilterBusy() const;

public slots:
    void FileOpenExecute();
    void FileSaveAsExecute();
    void ExportTXTExecute();
    void ExportHTMExecute();
    void ActExitExecute();
    void ActNextExecute();
    void ActPreviousExecute();
    void ActGoUpExecute();
    void NextFileExecute();
    void PrevFileExecute();
    void DirectoryExecute();
    void SearchExecute();
    void ListIcon16Execute();
    void ListIcon20Execute();
    void ListIcon32Execute();
    void ActConfigExecute();
    void ChgFontExecute();
    void ExtOpenExecute();
    void OpenInTXTExecute();
    void CopyDeclExecute();
    void CopyComExecute();
    void CopyTypeExecute();
    void ActHelpExecute();
    void ActContactExecute();
    void ActHomePageExecute();
    void ActAboutExecute();
    void FollowIncludesExecute(bool on);
    void FoldersExecute();
    // Opens the unit the selected uses entry names; of several, the user picks one from a menu.
    void OpenUnitExecute();

    void ListViewDblClick();
    void PopupMenu1Popup();
    void ShellListClick(const QString& path);
    void ShellListDblClick(const QString& path, bool folder);

protected:
    // The open and save dialogs' filter: "Pascal File (*.pas *.pp ...)", the types of the rules.
    QString PascalFileFilter() const;
    // The dialogs, overridable so that tests answer them.
    virtual std::string ChooseOpenFile();
    virtual std::string ChooseSaveFile(const std::string& suggested,
                                       const std::string& defaultSuffix, const QString& filter);
    // Shows the comment indicator dialog modally; true when it ended with OK (the dialog
    // has then stored the new indicator).
    virtual bool RunConfigDialog();
    virtual std::optional<QFont> ChooseFont(const QFont& initial);
    // Shows the Folders dialog modally; true when it ended with OK (it has then stored them).
    virtual bool RunFoldersDialog();

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // The mouse's back and forward buttons anywhere in the window step through the history.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A widget of this window that edits or shows text the user can select.
    bool IsTextField(const QObject* object) const;

private:
    // The outline list's columns and the window's built-in size, shared by its files.
    static constexpr int kColumnCount = 5;
    static constexpr int kBuiltInWidthPx = 704;
    static constexpr int kBuiltInHeightPx = 390;

    // IOutlineView: what the browser shows.
    void ShowLevel(const TOutlineLevel& level) override;
    void ShowFolder(const std::string& folder, const std::string& selectedPath) override;
    void ShowPage(TBrowserPage page) override;
    void ShowTitle(const TLines& title) override;
    void ShowCaption(const std::string& path) override;
    void ShowStatus(const std::string& text) override;
    void ShowNotice(const std::string& text) override;
    void SetBusy(bool on) override;
    // IOutlineSource: the rule file's scanner and the Shell page's folder listing.
    bool IsKnownType(const std::string& key) const override;
    TScanOutcome Scan(const std::string& path, const std::string& key) override;
    std::vector<TFolderItem> ListFolder(const std::string& folder) override;

    // The frame (MainFormFrame.cpp).
    QAction* MakeAction(const char* name, const QString& caption, const QKeySequence& shortcut = {},
                        const QString& hint = {}, int image = -1);
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreatePages();
    void CreateStatusBar();
    int MinimumWidth(int column) const;
    int MaximumWidth(int column) const;
    void SetIconSize(int size);

    // The stored state (MainFormState.cpp).
    void FormCreate();
    void ApplyColumnLayout(const std::string& stored);
    void ApplyColumnWidths(const std::vector<std::optional<int>>& stored);
    QFont FontOfDesc(const TFontDesc& desc) const;

    // The view (MainForm.cpp).
    void AddOutlineRow(const TOutlineEntry& entry, bool parent);
    // The full declaration (with a match's level path) and comment of the row of a cell,
    // when either of them does not fit its column; empty otherwise.
    QString RowToolTip(const QModelIndex& index) const;
    // Widens the Line column, once per scan, to show the included files' names whole.
    void FitLineColumn();
    // Makes the row of the entry current, or the first entry row when it is not shown.
    void MakeEntryCurrent(int entryIndex);
    void FocusInPage(QWidget* widget);

    // The filter (MainFormFilter.cpp).
    // The filter's index of a file's entries and their order (by entry number) in the
    // list's sort. Plain data: a scan's worker makes it.
    struct TFilterTable {
        std::unique_ptr<TOutlineFilter> index;
        std::vector<std::uint32_t> order; // entry numbers: a store holds fewer than 2^32 lines
        std::pair<int, TSortOption> sort{-1, TSortOption::soNone};
    };
    static TFilterTable MakeFilterTable(const TOutlineStore& entries, const std::string& layout,
                                        std::pair<int, TSortOption> sort);
    void ApplyFilter(const QString& text);
    // Makes the filter's index of the entries when they have changed since it was made,
    // or takes the one the scan of these entries made.
    void PrepareFilter();
    // Shows the matches: the first rows at once, the others in parts while the event
    // loop runs, so that many matches keep the window answering; a new keystroke or the
    // end of the filter drops the parts not yet shown.
    void ShowMatches(const std::vector<int>& matches);
    // Makes the filter's order follow the list's sort: at once for a small file; for a
    // big one on a worker, the matches following the order before until it is done and
    // shown in the new one then.
    void FollowSort();
    void ShowMoreMatches();
    void DropPendingMatches();
    // Gives the list the filter's rows anew, each made from the entries when first shown.
    void MakeFilterListRows();
    // Ends filtering and shows the level shown before it again, with the entry then
    // current; focusList gives the list the keyboard, otherwise the filter field keeps it.
    void EndFilter(bool focusList);
    // Forgets the filter when the browser shows a level of its own.
    void DropFilter();
    // The keys the filter field passes on: Esc, Enter and the list's movement keys.
    bool FilterEditKey(QKeyEvent* event);
    // Esc and Backspace on the list while it shows the filter's matches.
    bool ListKeyWhileFiltering(QKeyEvent* event);
    // Moves the keyboard to the filter field, adding text typed on the list.
    void FocusFilter(const QString& typed);

    // Includes and used units (MainFormUnits.cpp).
    void CreateUnitActions();
    // The include folders to follow includes with; none when the outline does not follow them.
    std::optional<TIncludeOptions> IncludeOptions() const;
    // The units of the selected entry when it is a uses clause; none otherwise.
    std::vector<TUsedUnit> SelectedUnits() const;
    TUnitPlaces UnitPlaces() const;
    void FillUnitMenu(const std::vector<TUsedUnit>& units);
    // Opens the unit's file as a step in the history; the notice says where it looked when
    // it is nowhere there.
    void OpenUsedUnit(const TUsedUnit& unit);

    // The commands (MainFormCommands.cpp).
    void CopyField(char letter);
    // The entry index of the selected row (the parent row: the entry whose level is shown);
    // -1 when none is selected.
    int SelectedEntry() const;
    // Shows the entry's line in the viewer: in the included file its text comes from, or in
    // the source (at its top when there is no such entry). False on the Shell page.
    bool ShowEntryInViewer(int entryIndex);
    // Shows the file at the line in the viewer; false (and says why) when it cannot.
    bool ShowInViewer(const std::string& path, int sourceLine);
    // Hands the target to the desktop; when nothing opens it, the notice says so, after
    // failurePrefix.
    void OpenInShell(const std::string& target, const std::string& failurePrefix);
    // The level on screen as the exports read it: captions and rows in on-screen order.
    TExportView CurrentExportView() const;

    TDebug& m_debugLog;
    TConfig& m_config;
    const TStructureTexts& m_sharedRules;
    IPlatform& m_platform;
    const TAppPaths m_paths;
    const std::string m_startArgument;
    const TLines m_commandSourceFolders;
    const TLines m_commandIncludeFolders;

    TOutlineBrowser m_browser;
    bool m_busy = false;
    QPointer<QWidget> m_focusBeforeBusy;
    std::string m_headerLayout;
    int m_titleHeight = 89;
    std::uint32_t m_fontColor;
    int m_fontCharset = 1;
    std::vector<int> m_autoWidthColumns;
    // The filter's index of the file's entries and their order in the list's sort: made
    // by the worker of the scan that gave them, otherwise (or when the list was sorted
    // anew) in idle time or at the first keystroke, and kept until they change again.
    std::unique_ptr<TOutlineFilter> m_filterIndex;
    int m_filterIndexVersion = -1;
    int m_lineColumnVersion = -1; // the entries the Line column was last fitted to
    std::vector<std::uint32_t> m_filterOrder;
    std::pair<int, TSortOption> m_filterOrderSort{-1, TSortOption::soNone};
    // The sort m_orderWorker works out for a big file's entries, and a number that tells
    // its answer from that of a worker it replaced.
    struct TOrderJob {
        unsigned serial = 0;
        std::pair<int, TSortOption> sort{-1, TSortOption::soNone};
        int version = -1; // the entries it sorts
        bool running = false;
    };
    TOrderJob m_orderJob;
    // The table the last scan's worker made, for the entries whose first record it names.
    std::optional<TFilterTable> m_scannedFilter;
    const void* m_scannedFilterEntries = nullptr;
    // The matches in the list's order, those from m_matchesShown on still to be shown.
    std::vector<std::size_t> m_matchRows;
    std::size_t m_matchesShown = 0;
    std::size_t m_matchPart = 0; // the rows the next part adds
    std::size_t m_filterRowsMade = 0; // at most, since MakeFilterListRows
    bool m_listedNotice = false;      // the notice says that not all matches are listed
    QTimer* m_matchTimer = nullptr;
    // True while the filter field holds text and the list shows its matches.
    bool m_filtering = false;
    int m_entryBeforeFilter = -1;

    std::function<void()> m_searchHandler;
    std::function<void()> m_exitHandler;
    std::function<TLines()> m_searchFolders;

    QStackedWidget* m_pageCtr = nullptr;
    QWidget* m_tabList = nullptr;
    QWidget* m_tabShell = nullptr;
    QPlainTextEdit* m_memoTitle = nullptr;
    QSplitter* m_splitterH = nullptr;
    TListViewEx* m_listView = nullptr;
    QLineEdit* m_filterEdit = nullptr;
    TLevelPathDelegate* m_levelPathDelegate = nullptr;
    TShellList* m_shellList = nullptr;
    QLabel* m_shellPath = nullptr;
    QLabel* m_statusPanels[2] = {nullptr, nullptr};
    QLabel* m_statusNotice = nullptr;
    QToolBar* m_fastTools = nullptr;
    QMenu* m_popupMenu1 = nullptr;
    TTextViewer* m_textViewer = nullptr;
    TBackgroundScan* m_backgroundScan = nullptr;
    // The source the window showed when the viewer was last opened from it.
    std::string m_viewerSource;

    QAction* m_fileOpen = nullptr;
    QAction* m_fileSaveAs = nullptr;
    QAction* m_exportTXT = nullptr;
    QAction* m_exportHTM = nullptr;
    QAction* m_actExit = nullptr;
    QAction* m_actNext = nullptr;
    QAction* m_actPrevious = nullptr;
    QAction* m_actGoUp = nullptr;
    QAction* m_nextFile = nullptr;
    QAction* m_prevFile = nullptr;
    QAction* m_directory = nullptr;
    QAction* m_search = nullptr;
    QAction* m_listIcon16 = nullptr;
    QAction* m_listIcon20 = nullptr;
    QAction* m_listIcon32 = nullptr;
    QAction* m_actConfig = nullptr;
    QAction* m_chgFont = nullptr;
    QAction* m_extOpen = nullptr;
    QAction* m_openInTXT = nullptr;
    QAction* m_copyDecl = nullptr;
    QAction* m_copyCom = nullptr;
    QAction* m_copyType = nullptr;
    QAction* m_actHelp = nullptr;
    QAction* m_actContact = nullptr;
    QAction* m_actHomePage = nullptr;
    QAction* m_actAbout = nullptr;
    QAction* m_actFilter = nullptr;
    QAction* m_followIncludes = nullptr;
    QAction* m_actFolders = nullptr;
    QAction* m_openUnit = nullptr;
    QMenu* m_unitMenu = nullptr;

    // Last, so that it is stopped and joined before the members above go.
    std::jthread m_orderWorker;
};
