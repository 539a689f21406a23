#pragma once
// The main window: the outline document of the open source (Entries, the title,
// the location and its history), the level shown in the outline list, the Shell
// page's folder list, and the frame around them with its actions, menus, toolbar
// and the state it restores at creation and stores when closed. Created once by
// main(); user-interface thread only.

#include "browser/ListCompare.h"
#include "browser/OutlineDocument.h"
#include "config/AppPaths.h"
#include "export/ExportWriters.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class IPlatform;
class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QTreeWidgetItem;
struct TFontDesc;
class TConfig;
class TDebug;
class TListViewEx;
class TShellList;
class TStructureTexts;
class TTextViewer;

// What the window is given: the three shared objects, the platform seam, the program's
// places (the data folder, where "Example.pas" and "Temp.dat" lie, and the export folder)
// and the first command-line argument (empty when none).
struct TMFormServices {
    TDebug& debugLog;
    TConfig& config;
    const TStructureTexts& sharedRules;
    IPlatform& platform;
    TAppPaths paths;
    std::string startArgument;
};

class TMForm : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs FormCreate, which opens the start location.
    explicit TMForm(const TMFormServices& services, QWidget* parent = nullptr);
    ~TMForm() override;

    // The outline document.
    void OpenLocation(const std::string& location);
    void ShowDocument();
    void ShowLevel(int s);
    void RecordLocation(const std::string& location);
    void GoToLocation(const std::string& location);
    void AddOutlineRow(int icon, const std::string& caption, const std::string& line,
                       const std::string& typeText, const std::string& declaration,
                       const std::string& comment);
    void SetBusy(bool on);

    // Navigation.
    void OpenLevel(int i);
    void GoUpLevel();
    void UIUpdate();

    // Stores the window's state in the settings store; runs when the window is closed.
    void FormClose();

    // The search window is built elsewhere: the Search action stays disabled until a
    // handler is set, and then runs it.
    void SetSearchHandler(std::function<void()> handler);
    // What Exit does: by default it ends the application's event loop.
    void SetExitHandler(std::function<void()> handler) { m_exitHandler = std::move(handler); }

    const std::string& SourcePath() const { return m_sourcePath; }
    const std::string& SourceType() const { return m_sourceType; }
    int LevelStart() const { return m_levelStart; }
    const std::string& ScannedPath() const { return m_scannedPath; }
    const TLines& Entries() const { return m_entries; }
    const THistory& History() const { return m_history; }
    const std::string& HeaderLayout() const { return m_headerLayout; }
    // The text of field letter ("D", "C", "T", "L") in a row of the list, found through
    // HeaderLayout; empty when the layout has no column for it.
    QString FieldText(const QTreeWidgetItem* row, char letter) const;
    bool IsShellPageShowing() const;
    QString StatusPanelText(int panel) const;

    TListViewEx* ListView() const { return m_listView; }
    TShellList* ShellList() const { return m_shellList; }
    QPlainTextEdit* MemoTitle() const { return m_memoTitle; }
    QSplitter* SplitterH() const { return m_splitterH; }
    TTextViewer* TextViewer() const { return m_textViewer; }
    QAction* SearchAction() const { return m_search; }

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

    void ListViewDblClick();
    void PopupMenu1Popup();
    void ShellListClick(const QString& path);
    void ShellListDblClick(const QString& path, bool folder);

protected:
    // The dialogs, overridable so that tests answer them.
    virtual std::string ChooseOpenFile();
    virtual std::string ChooseSaveFile(const std::string& suggested,
                                       const std::string& defaultSuffix, const QString& filter);
    // Shows the comment indicator dialog modally; true when it ended with OK (the dialog
    // has then stored the new indicator).
    virtual bool RunConfigDialog();
    virtual std::optional<QFont> ChooseFont(const QFont& initial);

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QAction* MakeAction(const char* name, const QString& caption, const QKeySequence& shortcut = {},
                        const QString& hint = {}, int image = -1);
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreatePages();
    void FormCreate();
    void ApplyColumnLayout();
    void ApplyColumnWidths();
    void SetIconSize(int size);
    int MinimumWidth(int column) const;
    void ShowListPage();
    void ShowShellPage();
    void SetCaption(const std::string& path);
    void SetStatusPanel(int panel, const QString& text);
    bool IsListedType(const std::string& key) const;
    void StepFile(int direction);
    void CopyField(char letter);
    int SelectedSourceLine() const;
    QFont FontOfDesc(const TFontDesc& desc) const;
    // The level on screen as the exports read it: captions and rows in on-screen order.
    TExportView CurrentExportView() const;
    // Steps into the first entry on the given source line, as a double click on its row does.
    bool StepIntoLine(int lineNumber);
    void ShowTitle(const TLines& lines);

    TDebug& m_debugLog;
    TConfig& m_config;
    const TStructureTexts& m_sharedRules;
    IPlatform& m_platform;
    const TAppPaths m_paths;
    const std::string m_startArgument;

    // The document.
    std::string m_sourcePath;
    std::string m_sourceType;
    int m_levelStart = 0;
    std::string m_scannedPath;
    TLines m_entries;
    THistory m_history;
    // False after OpenLocation met a file type the rule file does not list.
    bool m_lastTypeKnown = true;
    bool m_busy = false;
    QPointer<QWidget> m_focusBeforeBusy;
    std::string m_headerLayout;
    int m_titleHeight = 89;
    std::uint32_t m_fontColor;
    int m_fontCharset = 1;
    std::vector<int> m_autoWidthColumns;

    std::function<void()> m_searchHandler;
    std::function<void()> m_exitHandler;

    QStackedWidget* m_pageCtr = nullptr;
    QWidget* m_tabList = nullptr;
    QWidget* m_tabShell = nullptr;
    QPlainTextEdit* m_memoTitle = nullptr;
    QSplitter* m_splitterH = nullptr;
    TListViewEx* m_listView = nullptr;
    TShellList* m_shellList = nullptr;
    QLabel* m_shellPath = nullptr;
    QLabel* m_statusPanels[2] = {nullptr, nullptr};
    QToolBar* m_fastTools = nullptr;
    QMenu* m_popupMenu1 = nullptr;
    TTextViewer* m_textViewer = nullptr;

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
};
