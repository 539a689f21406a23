// The search window: its controls, the folder list's buttons, starting and stopping a
// search and what the result list's actions do.

#include "search/gui/FormSearch.h"

#include "config/AppContext.h"
#include "platform/Platform.h"
#include "search/core/KeywordHistory.h"
#include "search/gui/FormPath.h"
#include "search/gui/SearchResults.h"
#include "widgets/ListViewEx.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <filesystem>

TFormSearch::TFormSearch(TAppContext& app, IPlatform& platform, TOpenInMainWindow openInMainWindow,
                         QWidget* mainWindow)
    : QDialog(mainWindow), m_app(app), m_platform(platform), m_openInMainWindow(std::move(openInMainWindow))
{
    setObjectName("FormSearch");
    setWindowTitle("Search");
    setSizeGripEnabled(true);
    BuildControls();
    resize(kDesignedWidth, kDesignedHeight);
}

bool TFormSearch::IsSearching() const
{
    return m_results->IsSearching();
}

std::size_t TFormSearch::RunsInProgress() const
{
    return m_results->RunsInProgress();
}

const std::string& TFormSearch::ColumnLetters() const
{
    return m_results->ColumnLetters();
}

void TFormSearch::BuildControls()
{
    DoSearch = new QAction("Search", this);
    OpenItem = new QAction("Open File", this);
    Back = new QAction("Back", this);
    CopyPath = new QAction("Copy File Path", this);
    ClearRes = new QAction("C&lear", this);
    connect(DoSearch, &QAction::triggered, this, &TFormSearch::DoSearchExecute);
    connect(OpenItem, &QAction::triggered, this, &TFormSearch::OpenItemExecute);
    connect(Back, &QAction::triggered, this, &TFormSearch::BackExecute);
    connect(CopyPath, &QAction::triggered, this, &TFormSearch::CopyPathExecute);
    connect(ClearRes, &QAction::triggered, this, &TFormSearch::ClearResClick);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->addAction(OpenItem);
    PopupMenu1->addAction(CopyPath);
    PopupMenu1->addAction(ClearRes);

    auto button = [this](const char* name, const QString& caption, const QString& hint) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setAutoDefault(false);
        return b;
    };

    SearchPages = new QTabWidget(this);
    SearchPages->setObjectName("SearchPages");

    // "Search Start"
    SearchBegin = new QWidget;
    SearchBegin->setObjectName("SearchBegin");
    CKeyWords = new QComboBox;
    CKeyWords->setObjectName("CKeyWords");
    CKeyWords->setEditable(true);
    CKeyWords->setInsertPolicy(QComboBox::NoInsert);
    // The keyword stays as typed: the history completes it, and Enter picks a history
    // entry, only when the letter case is the same.
    CKeyWords->completer()->setCaseSensitivity(Qt::CaseSensitive);
    CKeyWords->setEditText("Put search keyword here");
    CKeyWords->setToolTip("Search Keyword");
    auto* keywordLabel = new QLabel(" Keyword Search  :");
    keywordLabel->setBuddy(CKeyWords);

    PathList = new QListWidget;
    PathList->setObjectName("PathList");
    PathList->setToolTip("Search Directorys List");
    EPath = new QLineEdit;
    EPath->setObjectName("EPath");
    EPath->setToolTip("Directory Editor");
    OpenDir = button("OpenDir", "...", "Change the Directory ");
    OpenDir->setFixedWidth(OpenDir->fontMetrics().horizontalAdvance("...") + 24);
    BReP = button("BReP", "&Replace", "Replace the Selected Directory");
    BAdd = button("BAdd", "&Add", "Add a New Directory");
    BDel = button("BDel", "&Delete", "Delete the Selected Directory");
    BDelInv = button("BDelInv", "Del invalid &paths", "Delete the Invalid Directory");
    auto* paths = new QGroupBox("Search Paths :  ");
    auto* pathsLayout = new QGridLayout(paths);
    pathsLayout->addWidget(PathList, 0, 0, 1, 2);
    pathsLayout->addWidget(EPath, 1, 0);
    pathsLayout->addWidget(OpenDir, 1, 1);
    auto* pathButtons = new QHBoxLayout;
    for (auto* b : {BReP, BAdd, BDel, BDelInv})
        pathButtons->addWidget(b);
    pathButtons->addStretch();
    pathsLayout->addLayout(pathButtons, 2, 0, 1, 2);

    CheckList = new QListWidget;
    CheckList->setObjectName("CheckList");
    CheckList->setToolTip("Search File Type");
    auto* types = new QGroupBox("Search file types :  ");
    auto* typesLayout = new QVBoxLayout(types);
    typesLayout->addWidget(CheckList);

    SearchInTitle = new QCheckBox("Search in Titles");
    SearchInDecl = new QCheckBox("Search in Declarations");
    SearchInCom = new QCheckBox("Search in Comments");
    SearchInType = new QCheckBox("Search in Types");
    SearchIgnoreCase = new QCheckBox("Ignore case");
    SearchIgnoreCase->setObjectName("SearchIgnoreCase");
    SearchIgnoreCase->setToolTip("Integer finds integer and INTEGER too, as in Pascal's names");
    auto* fields = new QVBoxLayout;
    const std::pair<QCheckBox*, TSearchChoices::TField> boxes[] = {
        {SearchInTitle, TSearchChoices::Titles}, {SearchInDecl, TSearchChoices::Declarations},
        {SearchInCom, TSearchChoices::Comments}, {SearchInType, TSearchChoices::Types}};
    for (const auto& [box, field] : boxes) {
        fields->addWidget(box);
        // A run in progress sees a changed choice from its next title or field on.
        connect(box, &QCheckBox::toggled, this, [this, field = field](bool on) { m_choices->Set(field, on); });
    }
    fields->addWidget(SearchIgnoreCase);
    fields->addStretch();

    ButtonSearch = button("ButtonSearch", "&Search", "Search Start");
    ButtonSearch->setDefault(true);
    ButtonCancel = button("ButtonCancel", "&Cancel", "Close");

    auto* keywordRow = new QHBoxLayout;
    keywordRow->addWidget(keywordLabel);
    keywordRow->addWidget(CKeyWords, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(types, 1);
    middle->addLayout(fields);
    auto* startButtons = new QHBoxLayout;
    startButtons->addStretch();
    startButtons->addWidget(ButtonSearch);
    startButtons->addWidget(ButtonCancel);
    auto* startLayout = new QVBoxLayout(SearchBegin);
    startLayout->addLayout(keywordRow);
    startLayout->addWidget(paths, 3);
    startLayout->addLayout(middle, 2);
    startLayout->addLayout(startButtons);

    // "Results"
    Search = new QWidget;
    Search->setObjectName("Search");
    Searching = new QLabel("Search:");
    Searching->setTextFormat(Qt::PlainText); // it names the files scanned
    Searching->setObjectName("Searching");
    Searching->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Searching->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    Searching->setContextMenuPolicy(Qt::CustomContextMenu);
    SearchRes = new TListViewEx;
    SearchRes->setObjectName("SearchRes");
    SearchRes->setToolTip("Search Results");
    // Long paths keep their beginning and their file name.
    SearchRes->setTextElideMode(Qt::ElideMiddle);
    SearchRes->setColumnCount(kColumnCount);
    SearchRes->setHeaderLabels({"File", "Line", "Declaration", "Comment", "Type"});
    SearchRes->header()->setMinimumSectionSize(kMinColumnWidth);
    for (int i = 0; i < kColumnCount; ++i)
        SearchRes->setColumnWidth(i, kDesignedWidths[static_cast<std::size_t>(i)]);
    SearchRes->setContextMenuPolicy(Qt::CustomContextMenu);
    ButtonBack = button("ButtonBack", " <<  &Back", "Go Back");
    ButtonStop = button("ButtonStop", "&Stop", "Stop Searching");
    ButtonStop->setEnabled(false);
    ButtonOpen = button("ButtonOpen", "&Open", "Open the Selected File");
    ButtonCancel2 = button("ButtonCancel2", "&Cancel", "Close");
    auto* resultButtons = new QHBoxLayout;
    resultButtons->addWidget(ButtonBack);
    resultButtons->addWidget(ButtonStop);
    resultButtons->addWidget(ButtonOpen);
    resultButtons->addStretch();
    resultButtons->addWidget(ButtonCancel2);
    auto* resultLayout = new QVBoxLayout(Search);
    resultLayout->addWidget(Searching);
    resultLayout->addWidget(SearchRes, 1);
    resultLayout->addLayout(resultButtons);

    SearchPages->addTab(SearchBegin, "Search Start");
    SearchPages->addTab(Search, "Results");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(SearchPages);

    connect(SearchPages, &QTabWidget::currentChanged, this, [this] {
        if (SearchPages->currentWidget() == SearchBegin)
            FocusKeyword();
    });
    connect(PathList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            PathListClick();
    });
    connect(PathList, &QListWidget::itemClicked, this, &TFormSearch::PathListClick);
    connect(BAdd, &QPushButton::clicked, this, &TFormSearch::BAddClick);
    connect(BReP, &QPushButton::clicked, this, &TFormSearch::BRePClick);
    connect(BDel, &QPushButton::clicked, this, &TFormSearch::BDelClick);
    connect(BDelInv, &QPushButton::clicked, this, &TFormSearch::BDelInvClick);
    connect(OpenDir, &QPushButton::clicked, this, &TFormSearch::OpenDirClick);
    connect(ButtonSearch, &QPushButton::clicked, DoSearch, &QAction::trigger);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ButtonBack, &QPushButton::clicked, Back, &QAction::trigger);
    connect(ButtonStop, &QPushButton::clicked, this, &TFormSearch::ButtonStopClick);
    // The buttons and the double-click run the handler itself: the pop-up menu switches
    // its actions off when no row is selected.
    connect(ButtonOpen, &QPushButton::clicked, this, &TFormSearch::OpenItemExecute);
    connect(ButtonCancel2, &QPushButton::clicked, this, &QDialog::reject);
    connect(SearchRes, &QTreeWidget::itemDoubleClicked, this, &TFormSearch::OpenItemExecute);
    connect(SearchRes, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowPopup(SearchRes->viewport(), pos); });
    connect(Searching, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowPopup(Searching, pos); });

    m_results = new TSearchResults(m_app, SearchRes, Searching, this);
    connect(m_results, &TSearchResults::SearchingChanged, this, &TFormSearch::SetSearchingState);
}

void TFormSearch::ShowModal()
{
    SearchPages->setCurrentWidget(SearchBegin);
    exec();
}

void TFormSearch::setVisible(bool visible)
{
    const bool showing = visible && !isVisible();
    if (showing)
        FormShow();
    QDialog::setVisible(visible);
    if (showing && SearchPages->currentWidget() == SearchBegin)
        FocusKeyword();
}

void TFormSearch::FocusKeyword()
{
    // The keyword is selected, so typing replaces it.
    CKeyWords->setFocus(Qt::OtherFocusReason);
    CKeyWords->lineEdit()->selectAll();
}

void TFormSearch::done(int result)
{
    // A window that is not showing has no state of its own to store: its controls were
    // never filled from the settings.
    if (isVisible())
        FormClose();
    QDialog::done(result);
}

bool TFormSearch::IsFolder(const QString& text)
{
    std::error_code ec;
    return !text.isEmpty() && std::filesystem::is_directory(text.toStdString(), ec);
}

bool TFormSearch::ListHoldsFolder(const QString& text) const
{
    // Paths that differ in letter case name different folders.
    for (int i = 0; i < PathList->count(); ++i)
        if (PathList->item(i)->text() == text)
            return true;
    return false;
}

void TFormSearch::PathListClick()
{
    if (const QListWidgetItem* item = PathList->currentItem())
        EPath->setText(item->text());
}

void TFormSearch::BAddClick()
{
    const QString text = EPath->text();
    if (IsFolder(text) && !ListHoldsFolder(text))
        PathList->addItem(text);
}

void TFormSearch::BRePClick()
{
    const QString text = EPath->text();
    if (!IsFolder(text) || ListHoldsFolder(text))
        return;
    if (QListWidgetItem* item = PathList->currentItem(); item && item->isSelected())
        item->setText(text);
    else
        PathList->addItem(text);
}

void TFormSearch::BDelClick()
{
    if (QListWidgetItem* item = PathList->currentItem(); item && item->isSelected())
        delete PathList->takeItem(PathList->row(item));
}

void TFormSearch::BDelInvClick()
{
    for (int i = PathList->count() - 1; i >= 0; --i)
        if (!IsFolder(PathList->item(i)->text()))
            delete PathList->takeItem(i);
}

void TFormSearch::OpenDirClick()
{
    if (!m_formPath)
        m_formPath = new TFormPath(this);
    if (IsFolder(EPath->text()))
        m_formPath->SelectPath(EPath->text());
    if (m_formPath->exec() == QDialog::Accepted)
        EPath->setText(m_formPath->SelectedPath());
}

void TFormSearch::DoSearchExecute()
{
    const std::string keyword = CKeyWords->currentText().toStdString();
    if (keyword.empty()) {
        m_app.DebugLog().ShowString("Need keyword !");
        return;
    }
    SearchPages->setCurrentWidget(Search);
    m_keywordHistory = RememberKeyword(m_keywordHistory, keyword);
    ShowKeywordHistory();

    TSearchRequest request;
    request.keyword = keyword;
    request.ignoreCase = SearchIgnoreCase->isChecked();
    for (int i = 0; i < PathList->count(); ++i)
        request.folders.push_back(PathList->item(i)->text().toStdString());
    for (int i = 0; i < CheckList->count(); ++i)
        if (CheckList->item(i)->checkState() == Qt::Checked)
            request.fileTypes.push_back(CheckList->item(i)->text().toStdString());
    m_choices->Set(TSearchChoices::Titles, SearchInTitle->isChecked());
    m_choices->Set(TSearchChoices::Declarations, SearchInDecl->isChecked());
    m_choices->Set(TSearchChoices::Comments, SearchInCom->isChecked());
    m_choices->Set(TSearchChoices::Types, SearchInType->isChecked());
    request.choices = m_choices;
    // Trace mode minimizes the main window; the worker asks the user-interface thread to.
    if (QWidget* mainWindow = parentWidget()) {
        QPointer<QWidget> target(mainWindow);
        request.minimizeMainWindow = [target] {
            QMetaObject::invokeMethod(
                qApp, [target] { if (target) target->showMinimized(); }, Qt::QueuedConnection);
        };
    }
    // A second start while a run goes on replaces it.
    m_results->Start(std::move(request));
}

void TFormSearch::SetSearchingState(bool searching)
{
    ButtonBack->setEnabled(!searching);
    ButtonCancel2->setEnabled(!searching);
    ButtonOpen->setEnabled(!searching);
    ButtonStop->setEnabled(searching);
}

void TFormSearch::ButtonStopClick() { m_results->Stop(); }

void TFormSearch::BackExecute() { SearchPages->setCurrentWidget(SearchBegin); }

void TFormSearch::OpenItemExecute()
{
    const QTreeWidgetItem* row = SearchRes->Selected();
    if (!row || row->text(0).isEmpty())
        return;
    // The cells by the column letters; a title row has no declaration, and its Line is
    // the title line's position, not a source line.
    const auto cell = [&](char letter) {
        const std::size_t column = ColumnLetters().find(letter);
        return column == std::string::npos ? std::string() : row->text(static_cast<int>(column)).toStdString();
    };
    const std::string path = row->text(0).toStdString();
    const std::string declaration = cell('D');
    const int sourceLine = declaration.empty() ? 0 : IntOrZero(cell('L'));
    reject();
    if (m_openInMainWindow)
        m_openInMainWindow(path, sourceLine, declaration);
}

void TFormSearch::ShowKeywordHistory()
{
    const QString text = CKeyWords->currentText();
    CKeyWords->clear();
    for (const auto& keyword : m_keywordHistory)
        CKeyWords->addItem(QString::fromStdString(keyword));
    CKeyWords->setEditText(text);
}

void TFormSearch::CopyPathExecute()
{
    const QString path = SelectedPath();
    if (!path.isEmpty())
        m_platform.SetClipboardText(path.toStdString());
}

QString TFormSearch::SelectedPath() const
{
    const QTreeWidgetItem* row = SearchRes->Selected();
    return row ? row->text(0) : QString();
}

void TFormSearch::ClearResClick() { SearchRes->clear(); }

void TFormSearch::PopupMenu1Popup()
{
    const bool selected = !SearchRes->selectedItems().isEmpty();
    OpenItem->setEnabled(selected);
    CopyPath->setEnabled(selected);
    ClearRes->setEnabled(true);
}

void TFormSearch::ShowPopup(QWidget* source, const QPoint& pos)
{
    PopupMenu1Popup();
    PopupMenu1->popup(source->mapToGlobal(pos));
}

void ShowSearchWindow(TFormSearch*& form, QWidget* mainWindow, TAppContext& app, IPlatform& platform,
                      TFormSearch::TOpenInMainWindow openInMainWindow, QAction* searchAction)
{
    if (!form) {
        form = new TFormSearch(app, platform, std::move(openInMainWindow), mainWindow);
        form->SetSearchAction(searchAction);
    }
    if (searchAction)
        searchAction->setChecked(true);
    form->ShowModal();
}
