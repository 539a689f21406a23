#pragma once
// The search window: the "Search Start" page chooses the keyword, folders, file types
// and fields; the "Results" page lists what the background search finds while it runs.
// Created once by the main window and kept; shown modally. The search job runs on a
// worker thread of its own per run; everything here is touched on the GUI thread only.

#include "search/core/Search.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <thread>

class IPlatform;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTabWidget;
class TAppContext;
class TFormPath;
class TListViewEx;

class TFormSearch : public QDialog {
    Q_OBJECT
public:
    // Opens a path in the main window the way a file chosen in its own open dialog is opened.
    using TOpenInMainWindow = std::function<void(const std::string& path)>;

    // The designed result columns: File, Line, Declaration, Comment, Type.
    static constexpr std::string_view kDesignedColumnLetters = "FLDCT";

    TFormSearch(TAppContext& app, IPlatform& platform, TOpenInMainWindow openInMainWindow,
                QWidget* mainWindow = nullptr);
    // Stops every run still going and waits for its thread, so no worker outlives the
    // shared objects it reads.
    ~TFormSearch() override;

    // The main window's Search action, whose check mark is cleared when the window closes.
    void SetSearchAction(QAction* action) { m_searchAction = action; }
    // Brings "Search Start" to the front and shows the window modally; returns when it closes.
    void ShowModal();

    bool IsSearching() const { return m_activeRunId != 0; }
    // Runs whose threads have not ended yet, stopped ones included.
    std::size_t RunsInProgress() const { return m_runs.size(); }
    const std::string& ColumnLetters() const { return m_columnLetters; }

    // Controls, named as the window's users and tests know them.
    QTabWidget* SearchPages = nullptr;
    QWidget* SearchBegin = nullptr;
    QComboBox* CKeyWords = nullptr;
    QListWidget* PathList = nullptr;
    QLineEdit* EPath = nullptr;
    QPushButton* OpenDir = nullptr;
    QPushButton* BReP = nullptr;
    QPushButton* BAdd = nullptr;
    QPushButton* BDel = nullptr;
    QPushButton* BDelInv = nullptr;
    QListWidget* CheckList = nullptr;
    QCheckBox* SearchInTitle = nullptr;
    QCheckBox* SearchInDecl = nullptr;
    QCheckBox* SearchInCom = nullptr;
    QCheckBox* SearchInType = nullptr;
    QPushButton* ButtonSearch = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QWidget* Search = nullptr;
    QLabel* Searching = nullptr;
    TListViewEx* SearchRes = nullptr;
    QPushButton* ButtonBack = nullptr;
    QPushButton* ButtonStop = nullptr;
    QPushButton* ButtonOpen = nullptr;
    QPushButton* ButtonCancel2 = nullptr;
    QAction* DoSearch = nullptr;
    QAction* OpenItem = nullptr;
    QAction* Back = nullptr;
    QAction* CopyPath = nullptr;
    QAction* ClearRes = nullptr;
    QMenu* PopupMenu1 = nullptr;

    // The handlers, public so that tests can drive them as the controls do.
    void PathListClick();
    void BAddClick();
    void BRePClick();
    void BDelClick();
    void BDelInvClick();
    void OpenDirClick();
    void DoSearchExecute();
    void ButtonStopClick();
    void BackExecute();
    void OpenItemExecute();
    void CopyPathExecute();
    void ClearResClick();
    void PopupMenu1Popup();

    void setVisible(bool visible) override;
    void done(int result) override;

private:
    // The path of the selected result row, or the empty text when none is selected.
    QString SelectedPath() const;
    struct TEvent;
    struct TChannel;
    class TQueuedSink;
    struct TRun {
        std::uint64_t id = 0;
        std::shared_ptr<TChannel> channel;
        std::jthread thread;
    };

    void FormShow();
    void FormClose();
    void BuildControls();
    void FillFileTypes();
    void ApplyColumnLetters();
    void ApplyColumnWidths(bool designed);
    void SetSearchingState(bool searching);
    void StopSearch();
    void DrainRun(std::uint64_t runId);
    void ShowPopup(QWidget* source, const QPoint& pos);
    bool ListHoldsFolder(const QString& text) const;
    static bool IsFolder(const QString& text);
    QStringList CellsOf(const TSearchRow& row) const;

    TAppContext& m_app;
    IPlatform& m_platform;
    TOpenInMainWindow m_openInMainWindow;
    QAction* m_searchAction = nullptr;
    TFormPath* m_formPath = nullptr;
    std::string m_columnLetters{kDesignedColumnLetters};
    std::shared_ptr<TSearchChoices> m_choices = std::make_shared<TSearchChoices>();
    bool m_shownBefore = false;

    std::uint64_t m_nextRunId = 1;
    std::uint64_t m_activeRunId = 0; // 0: no search runs (ActiveSearch is none)
    // The run in front and the runs stopped but not yet ended; each ends by itself.
    std::list<TRun> m_runs;
};

// The main window's Search action: creates the search window on first use as a child
// of mainWindow (kept in form for the rest of the run), then shows it modally with
// "Search Start" in front. The action's check mark is set while the window shows.
void ShowSearchWindow(TFormSearch*& form, QWidget* mainWindow, TAppContext& app, IPlatform& platform,
                      TFormSearch::TOpenInMainWindow openInMainWindow, QAction* searchAction);
