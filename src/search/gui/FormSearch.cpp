#include "search/gui/FormSearch.h"

#include "config/AppContext.h"
#include "config/SettingsKeys.h"
#include "platform/Platform.h"
#include "search/gui/FormPath.h"
#include "browser/ListViewEx.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <filesystem>
#include <mutex>

namespace {

constexpr int kColumnCount = 5;
constexpr std::array<int, kColumnCount> kDesignedWidths{100, 50, 200, 50, 50};
constexpr int kMinColumnWidth = 50;
constexpr int kDesignedWidth = 499;
constexpr int kDesignedHeight = 480;

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

QString CaptionOf(char letter)
{
    switch (letter) {
    case 'C': return "Comment";
    case 'D': return "Declaration";
    case 'F': return "File";
    case 'L': return "Line";
    case 'T': return "Type";
    default: return {};
    }
}

std::string WidthKey(int column) { return std::string(kSearchHeaderWidthPrefix) + std::to_string(column); }

} // namespace

// What a run hands to the window, in the order produced.
struct TFormSearch::TEvent {
    enum class TKind { Row, Status, Finished } kind;
    TSearchRow row;
    std::string status;
};

// The hand-over between a run's thread and the window: the worker appends, and posts
// one queued drain call whenever none is outstanding, so a burst of rows reaches the
// window as one batch, in order.
struct TFormSearch::TChannel {
    std::mutex mutex;
    std::vector<TEvent> events; // guarded by mutex
    bool posted = false;        // guarded by mutex
};

// Worker thread only.
class TFormSearch::TQueuedSink : public ISearchSink {
public:
    TQueuedSink(TFormSearch* form, std::uint64_t runId, std::shared_ptr<TChannel> channel)
        : m_form(form), m_runId(runId), m_channel(std::move(channel))
    {
    }
    void AddResult(const TSearchRow& row) override { Push({TEvent::TKind::Row, row, {}}); }
    void ShowStatus(const std::string& path) override { Push({TEvent::TKind::Status, {}, path}); }
    void Finish() { Push({TEvent::TKind::Finished, {}, {}}); }

private:
    void Push(TEvent event)
    {
        bool post = false;
        {
            std::lock_guard lock(m_channel->mutex);
            m_channel->events.push_back(std::move(event));
            post = !m_channel->posted;
            m_channel->posted = true;
        }
        if (post) {
            TFormSearch* form = m_form;
            const std::uint64_t runId = m_runId;
            QMetaObject::invokeMethod(form, [form, runId] { form->DrainRun(runId); }, Qt::QueuedConnection);
        }
    }

    TFormSearch* m_form;
    std::uint64_t m_runId;
    std::shared_ptr<TChannel> m_channel;
};

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

TFormSearch::~TFormSearch()
{
    for (auto& run : m_runs)
        run.thread.request_stop();
    for (auto& run : m_runs)
        if (run.thread.joinable())
            run.thread.join();
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
    auto* fields = new QVBoxLayout;
    const std::pair<QCheckBox*, TSearchChoices::TField> boxes[] = {
        {SearchInTitle, TSearchChoices::Titles}, {SearchInDecl, TSearchChoices::Declarations},
        {SearchInCom, TSearchChoices::Comments}, {SearchInType, TSearchChoices::Types}};
    for (const auto& [box, field] : boxes) {
        fields->addWidget(box);
        // A run in progress sees a changed choice from its next title or field on.
        connect(box, &QCheckBox::toggled, this, [this, field = field](bool on) { m_choices->Set(field, on); });
    }
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
}

void TFormSearch::ShowModal()
{
    SearchPages->setCurrentWidget(SearchBegin);
    exec();
}

void TFormSearch::setVisible(bool visible)
{
    if (visible && !isVisible())
        FormShow();
    QDialog::setVisible(visible);
}

void TFormSearch::done(int result)
{
    // A window that is not showing has no state of its own to store: its controls were
    // never filled from the settings.
    if (isVisible())
        FormClose();
    QDialog::done(result);
}

void TFormSearch::FormShow()
{
    TConfig& config = m_app.Config();
    FillFileTypes();
    if (parentWidget())
        setFont(parentWidget()->font());

    // Without stored bounds (a first start) the window takes its designed size.
    const int width = config.ReadInteger(kSearchFormWidth);
    const int height = config.ReadInteger(kSearchFormHeight);
    setWindowState(windowState() & ~Qt::WindowMaximized);
    resize(width > 0 ? width : kDesignedWidth, height > 0 ? height : kDesignedHeight);
    if (m_shownBefore) {
        move(config.ReadInteger(kSearchFormLeft), config.ReadInteger(kSearchFormTop));
    } else {
        const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(this->width() / 2, this->height() / 2));
        }
    }
    if (config.ReadBool(kSearchFormMax))
        setWindowState(windowState() | Qt::WindowMaximized);
    m_shownBefore = true;

    PathList->clear();
    for (const auto& folder : config.ReadList(kSearchPathList))
        PathList->addItem(FromUtf8(folder));

    SearchInTitle->setChecked(config.ReadBool(kSearchInTitle));
    SearchInDecl->setChecked(config.ReadBool(kSearchInDecl));
    SearchInCom->setChecked(config.ReadBool(kSearchInCom));
    SearchInType->setChecked(config.ReadBool(kSearchInType));

    ApplyColumnLetters();

    SearchRes->SetSortColumn(config.ReadInteger(kSearchHeaderSortCol));
    SearchRes->SetSortOrder(config.ReadBool(kSearchHeaderSortOrder) ? TSortOption::soAscending
                                                                    : TSortOption::soDescending);
    // Writing the order re-sorts only when it changed; rows kept from an earlier search
    // are sorted anew either way.
    SearchRes->SetSortColumn(SearchRes->SortColumn());

    for (int i = 0; i < CheckList->count(); ++i)
        CheckList->item(i)->setCheckState(Qt::Checked);
}

void TFormSearch::FillFileTypes()
{
    CheckList->clear();
    for (const auto& line : m_app.SharedRules().Section("VAR")) {
        auto* item = new QListWidgetItem(FromUtf8(SearchFileTypeEntry(line)), CheckList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

void TFormSearch::ApplyColumnLetters()
{
    // A missing or short layout falls back to the designed columns and widths.
    std::string letters = m_app.Config().ReadString(kSearchHeader);
    const bool designed = letters.size() < static_cast<std::size_t>(kColumnCount);
    if (designed)
        letters = kDesignedColumnLetters;
    m_columnLetters = letters;
    for (int i = 0; i < kColumnCount; ++i) {
        const QString caption = CaptionOf(letters[static_cast<std::size_t>(i)]);
        if (!caption.isEmpty())
            SearchRes->headerItem()->setText(i, caption);
    }
    ApplyColumnWidths(designed);
}

void TFormSearch::ApplyColumnWidths(bool designed)
{
    for (int i = 0; i < kColumnCount; ++i) {
        const int designedWidth = kDesignedWidths[static_cast<std::size_t>(i)];
        int width = designed ? designedWidth : m_app.Config().ReadInteger(WidthKey(i));
        if (width < -2)
            width = designedWidth;
        SearchRes->setColumnHidden(i, width == 0);
        if (width == -1)
            SearchRes->resizeColumnToContents(i);
        else if (width == -2)
            SearchRes->setColumnWidth(i, SearchRes->header()->sectionSizeHint(i));
        else if (width > 0)
            SearchRes->setColumnWidth(i, std::max(width, kMinColumnWidth));
    }
}

void TFormSearch::FormClose()
{
    TConfig& config = m_app.Config();
    if (m_searchAction)
        m_searchAction->setChecked(false);

    config.WriteInteger(kSearchFormLeft, x());
    config.WriteInteger(kSearchFormTop, y());
    config.WriteInteger(kSearchFormWidth, width());
    config.WriteInteger(kSearchFormHeight, height());
    config.WriteBool(kSearchFormMax, isMaximized());

    TLines folders;
    for (int i = 0; i < PathList->count(); ++i)
        folders.push_back(ToUtf8(PathList->item(i)->text()));
    config.WriteList(kSearchPathList, folders);

    config.WriteBool(kSearchInTitle, SearchInTitle->isChecked());
    config.WriteBool(kSearchInDecl, SearchInDecl->isChecked());
    config.WriteBool(kSearchInCom, SearchInCom->isChecked());
    config.WriteBool(kSearchInType, SearchInType->isChecked());

    std::string letters;
    for (int i = 0; i < SearchRes->columnCount(); ++i) {
        const QString caption = SearchRes->headerItem()->text(i);
        letters += caption.isEmpty() ? ' ' : static_cast<char>(caption.at(0).toUpper().toLatin1());
        config.WriteInteger(WidthKey(i), SearchRes->isColumnHidden(i) ? 0 : SearchRes->columnWidth(i));
    }
    m_columnLetters = letters;
    config.WriteString(kSearchHeader, letters);
    config.WriteInteger(kSearchHeaderSortCol, SearchRes->SortColumn());
    config.WriteBool(kSearchHeaderSortOrder, SearchRes->SortOrder() == TSortOption::soAscending);
}

bool TFormSearch::IsFolder(const QString& text)
{
    std::error_code ec;
    return !text.isEmpty() && std::filesystem::is_directory(ToUtf8(text), ec);
}

bool TFormSearch::ListHoldsFolder(const QString& text) const
{
    const std::string wanted = ToUtf8(text);
    for (int i = 0; i < PathList->count(); ++i)
        if (SameText(ToUtf8(PathList->item(i)->text()), wanted))
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
    const std::string keyword = ToUtf8(CKeyWords->currentText());
    if (keyword.empty()) {
        m_app.DebugLog().ShowString("Need keyword !");
        return;
    }
    // A second start while a run goes on replaces it.
    StopSearch();
    SearchPages->setCurrentWidget(Search);
    SearchRes->clear();

    TSearchRequest request;
    request.keyword = keyword;
    for (int i = 0; i < PathList->count(); ++i)
        request.folders.push_back(ToUtf8(PathList->item(i)->text()));
    for (int i = 0; i < CheckList->count(); ++i)
        if (CheckList->item(i)->checkState() == Qt::Checked)
            request.fileTypes.push_back(ToUtf8(CheckList->item(i)->text()));
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

    TRun& run = m_runs.emplace_back();
    run.id = m_nextRunId++;
    run.channel = std::make_shared<TChannel>();
    m_activeRunId = run.id;
    SetSearchingState(true);
    TAppContext& app = m_app;
    run.thread = std::jthread([this, &app, id = run.id, channel = run.channel,
                               request = std::move(request)](std::stop_token stop) {
        TQueuedSink sink(this, id, channel);
        try {
            RunSearch(request, app.SharedRules(), app.Config(), app.DebugLog(), stop, sink);
        } catch (const std::exception& e) {
            app.DebugLog().AddLine(std::string("error:Search;") + e.what());
        } catch (...) {
            app.DebugLog().AddLine("error:Search;");
        }
        sink.Finish();
    });
}

void TFormSearch::DrainRun(std::uint64_t runId)
{
    auto run = std::find_if(m_runs.begin(), m_runs.end(), [runId](const TRun& r) { return r.id == runId; });
    if (run == m_runs.end())
        return;
    std::vector<TEvent> events;
    {
        std::lock_guard lock(run->channel->mutex);
        events.swap(run->channel->events);
        run->channel->posted = false;
    }
    // A stopped run's rows and status texts are dropped, even those already queued.
    const bool active = runId == m_activeRunId;
    bool finished = false;
    std::vector<QStringList> rows;
    for (const auto& event : events) {
        switch (event.kind) {
        case TEvent::TKind::Row:
            if (active)
                rows.push_back(CellsOf(event.row));
            break;
        case TEvent::TKind::Status:
            if (active)
                Searching->setText(FromUtf8(event.status));
            break;
        case TEvent::TKind::Finished:
            finished = true;
            break;
        }
    }
    if (!rows.empty())
        SearchRes->AddRows(rows);
    if (finished) {
        if (active) {
            m_activeRunId = 0;
            SetSearchingState(false);
        }
        run->thread.join();
        m_runs.erase(run);
    }
}

QStringList TFormSearch::CellsOf(const TSearchRow& row) const
{
    // The caption is always the file; the other cells follow the column letters.
    QStringList cells{FromUtf8(row.file)};
    for (std::size_t i = 1; i < m_columnLetters.size(); ++i) {
        switch (m_columnLetters[i]) {
        case 'C': cells << FromUtf8(row.comment); break;
        case 'D': cells << FromUtf8(row.declaration); break;
        case 'L': cells << FromUtf8(row.line); break;
        case 'T': cells << FromUtf8(row.type); break;
        default: break;
        }
    }
    return cells;
}

void TFormSearch::SetSearchingState(bool searching)
{
    ButtonBack->setEnabled(!searching);
    ButtonCancel2->setEnabled(!searching);
    ButtonOpen->setEnabled(!searching);
    ButtonStop->setEnabled(searching);
}

void TFormSearch::StopSearch()
{
    if (m_activeRunId == 0)
        return;
    for (auto& run : m_runs)
        if (run.id == m_activeRunId)
            run.thread.request_stop();
    // The run ends by itself; its end is collected in DrainRun.
    m_activeRunId = 0;
    SetSearchingState(false);
}

void TFormSearch::ButtonStopClick() { StopSearch(); }

void TFormSearch::BackExecute() { SearchPages->setCurrentWidget(SearchBegin); }

void TFormSearch::OpenItemExecute()
{
    const QString path = SelectedPath();
    if (path.isEmpty())
        return;
    reject();
    if (m_openInMainWindow)
        m_openInMainWindow(ToUtf8(path));
}

void TFormSearch::CopyPathExecute()
{
    const QString path = SelectedPath();
    if (!path.isEmpty())
        m_platform.SetClipboardText(ToUtf8(path));
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
