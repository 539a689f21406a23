#pragma once
// The search window: the "Search Start" page chooses the keyword, folders, file types
// and fields; the "Results" page lists what the background search finds while it runs.
// Created once by the main window and kept; shown modally. The runs and their rows are
// TSearchResults' (SearchResults.h); the settings the window restores and stores are in
// SearchFormState.cpp. Everything here is touched on the GUI thread only.

#include "search/core/Search.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>
#include <string>

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
class TSearchResults;
struct TStoredColumns;

class TFormSearch : public QDialog {
    Q_OBJECT
public:
    // Opens a found row in the main window: its file, at the level of its entry (the one
    // on sourceLine with that declaration), with the entry current. A title row gives
    // sourceLine 0: the file opens at its top.
    using TOpenInMainWindow =
        std::function<void(const std::string& path, int sourceLine, const std::string& declaration)>;

    // The results, a child of the window, stop every run still going when the window goes
    // and wait for its thread.
    TFormSearch(TAppContext& app, IPlatform& platform, TOpenInMainWindow openInMainWindow,
                QWidget* mainWindow = nullptr);

    // The main window's Search action, whose check mark is cleared when the window closes.
    void SetSearchAction(QAction* action) { m_searchAction = action; }
    // Brings "Search Start" to the front and shows the window modally; returns when it closes.
    void ShowModal();

    bool IsSearching() const;
    // Runs whose threads have not ended yet, stopped ones included.
    std::size_t RunsInProgress() const;
    const std::string& ColumnLetters() const;

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
    QCheckBox* SearchIgnoreCase = nullptr;
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
    // The result list's columns and the window's designed size, shared by its files.
    static constexpr int kColumnCount = 5;
    // Wide enough for the File column to show most paths of a large source tree whole
    // (95 characters), on a screen 1280 pixels wide.
    static constexpr std::array<int, kColumnCount> kDesignedWidths{620, 50, 220, 180, 90};
    static constexpr int kMinColumnWidth = 50;
    static constexpr int kDesignedWidth = 1200;
    static constexpr int kDesignedHeight = 600;

    // The path of the selected result row, or the empty text when none is selected.
    QString SelectedPath() const;

    // The controls (FormSearch.cpp).
    void BuildControls();
    void SetSearchingState(bool searching);
    // Fills the keyword field's list from m_keywordHistory, keeping the text in the field.
    void ShowKeywordHistory();
    // Puts the focus into the keyword field whenever "Search Start" shows.
    void FocusKeyword();
    void ShowPopup(QWidget* source, const QPoint& pos);
    bool ListHoldsFolder(const QString& text) const;
    static bool IsFolder(const QString& text);

    // The stored state (SearchFormState.cpp).
    void FormShow();
    void FormClose();
    void FillFileTypes();
    void ApplyColumnLetters(const TStoredColumns& stored);

    TAppContext& m_app;
    IPlatform& m_platform;
    TOpenInMainWindow m_openInMainWindow;
    QAction* m_searchAction = nullptr;
    TFormPath* m_formPath = nullptr;
    TSearchResults* m_results = nullptr;
    std::shared_ptr<TSearchChoices> m_choices = std::make_shared<TSearchChoices>();
    // The keywords searched last, newest first: the keyword field's list.
    TLines m_keywordHistory;
    bool m_shownBefore = false;
};

// The main window's Search action: creates the search window on first use as a child
// of mainWindow (kept in form for the rest of the run), then shows it modally with
// "Search Start" in front. The action's check mark is set while the window shows.
void ShowSearchWindow(TFormSearch*& form, QWidget* mainWindow, TAppContext& app, IPlatform& platform,
                      TFormSearch::TOpenInMainWindow openInMainWindow, QAction* searchAction);
