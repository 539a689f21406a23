// The main window's frame: its actions with their menus and toolbar, the two pages
// and the status bar, and the outline list's columns.

#include "browser/MainForm.h"

#include "browser/LevelPathDelegate.h"
#include "browser/ShellList.h"
#include "scan/StructureTexts.h"
#include "widgets/ListViewEx.h"
#include "widgets/OutlineImages.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Minimum widths and built-in captions of the outline list's columns.
constexpr int kMinimumWidth[] = {32, 50, 50, 50, 30};
const char* const kBuiltInCaption[] = {"  ", "Declaration", "Comment", "Type", "Line"};

// The title pane: as high as the user makes it, but it shows whole lines only; the
// pixels below the last whole line stay blank.
class TTitlePane : public QPlainTextEdit {
public:
    TTitlePane()
    {
        setBackgroundRole(QPalette::Base);
        setAutoFillBackground(true);
    }

protected:
    bool viewportEvent(QEvent* event) override
    {
        // The viewport changes with the pane, the scroll bars and the margin set here.
        if (event->type() == QEvent::Resize)
            FitWholeLines();
        return QPlainTextEdit::viewportEvent(event);
    }
    void changeEvent(QEvent* event) override
    {
        QPlainTextEdit::changeEvent(event);
        if (event->type() == QEvent::FontChange)
            FitWholeLines();
    }

private:
    void FitWholeLines()
    {
        const int line = qRound(blockBoundingRect(document()->firstBlock()).height());
        const int top = qRound(document()->documentMargin());
        const int room = viewport()->height() + m_spare;
        const int spare = line > 0 && room - top >= line ? (room - top) % line : 0;
        if (spare != m_spare) {
            m_spare = spare;
            setViewportMargins(0, 0, 0, spare);
        }
    }

    int m_spare = 0;
};

} // namespace

QAction* TMForm::MakeAction(const char* name, const QString& caption, const QKeySequence& shortcut,
                            const QString& hint, int image)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (!hint.isEmpty())
        action->setToolTip(hint);
    if (image >= 0)
        action->setIcon(ActionImage(image));
    return action;
}

void TMForm::CreateActions()
{
    m_fileOpen = MakeAction("FileOpen", "&Open", QKeySequence("Ctrl+O"), "Open", 0);
    m_fileSaveAs = MakeAction("FileSaveAs", "Save &As", QKeySequence("Ctrl+S"));
    m_exportTXT = MakeAction("ExportTXT", "Export to TXT");
    m_exportHTM = MakeAction("ExportHTM", "Export to HTML");
    m_actExit = MakeAction("ActExit", "E&xit", QKeySequence("Ctrl+X"));
    // Ctrl+Q as on the rest of the desktop; a text field keeps Ctrl+X to cut (eventFilter).
    m_actExit->setShortcuts({QKeySequence("Ctrl+X"), QKeySequence("Ctrl+Q")});
    m_actNext = MakeAction("ActNext", "&Next", QKeySequence("Ctrl+N"), "Next", 2);
    // The main menu's captions; the toolbar shows the actions' short captions.
    m_actPrevious = MakeAction("ActPrevious", "&Previous ", QKeySequence("Ctrl+P"), "Previous", 1);
    m_actPrevious->setIconText("Prev");
    // The toolbar's hint for going up is "Upward".
    m_actGoUp = MakeAction("ActGoUp", "&Upward", QKeySequence("Ctrl+U"), "Upward", 3);
    // The keys other browsers use beside the menu's own; the menu shows the first. A text
    // field that has the focus keeps Backspace for itself.
    m_actNext->setShortcuts({QKeySequence("Ctrl+N"), QKeySequence("Alt+Right"), QKeySequence(Qt::Key_Forward)});
    m_actPrevious->setShortcuts({QKeySequence("Ctrl+P"), QKeySequence("Alt+Left"), QKeySequence(Qt::Key_Back)});
    m_actGoUp->setShortcuts({QKeySequence("Ctrl+U"), QKeySequence("Alt+Up"), QKeySequence(Qt::Key_Backspace)});
    m_nextFile = MakeAction("NextFile", "Next File", QKeySequence(Qt::Key_F6), "Next File", 5);
    m_nextFile->setIconText("NextFile");
    m_prevFile =
        MakeAction("PrevFile", "Previous File", QKeySequence(Qt::Key_F5), "Previous File", 4);
    m_prevFile->setIconText("PrevFile");
    m_directory = MakeAction("Directory", "&Directory", QKeySequence("Ctrl+D"), "Explore", 8);
    // Ctrl+S belongs to Save As; the hint names the Search key.
    m_search = MakeAction("Search", "&Search...", QKeySequence("Ctrl+Shift+F"),
                          "Search (Ctrl+Shift+F)", 7);
    m_search->setIconText("Search");
    m_search->setCheckable(true);
    m_search->setEnabled(false);
    m_listIcon16 = MakeAction("ListIcon16", "Icon 16X16");
    m_listIcon20 = MakeAction("ListIcon20", "Icon 20X20");
    m_listIcon32 = MakeAction("ListIcon32", "Icon 32X32");
    for (QAction* a : {m_listIcon16, m_listIcon20, m_listIcon32})
        a->setCheckable(true);
    m_actConfig = MakeAction("ActConfig", "Comment Indicator");
    m_chgFont = MakeAction("ChgFont", "Font...");
    m_extOpen = MakeAction("ExtOpen", "External Open");
    m_openInTXT = MakeAction("OpenInTXT", "View Text");
    m_copyDecl = MakeAction("CopyDecl", "Copy Declaration");
    m_copyCom = MakeAction("CopyCom", "Copy Comment");
    m_copyType = MakeAction("CopyType", "Copy Type");
    m_actHelp = MakeAction("ActHelp", "&Help...", QKeySequence(Qt::Key_F1), "Help", 6);
    m_actHelp->setIconText("Help");
    m_actContact = MakeAction("ActContact", "Contact");
    m_actHomePage = MakeAction("ActHomePage", "Homepage");
    m_actAbout = MakeAction("ActAbout", "About...");
    m_actFilter = MakeAction("Filter", "Filter", QKeySequence::Find);
    CreateUnitActions();

    const std::pair<QAction*, void (TMForm::*)()> handlers[] = {
        {m_fileOpen, &TMForm::FileOpenExecute},       {m_fileSaveAs, &TMForm::FileSaveAsExecute},
        {m_exportTXT, &TMForm::ExportTXTExecute},     {m_exportHTM, &TMForm::ExportHTMExecute},
        {m_actExit, &TMForm::ActExitExecute},         {m_actNext, &TMForm::ActNextExecute},
        {m_actPrevious, &TMForm::ActPreviousExecute}, {m_actGoUp, &TMForm::ActGoUpExecute},
        {m_nextFile, &TMForm::NextFileExecute},       {m_prevFile, &TMForm::PrevFileExecute},
        {m_directory, &TMForm::DirectoryExecute},     {m_search, &TMForm::SearchExecute},
        {m_listIcon16, &TMForm::ListIcon16Execute},   {m_listIcon20, &TMForm::ListIcon20Execute},
        {m_listIcon32, &TMForm::ListIcon32Execute},   {m_actConfig, &TMForm::ActConfigExecute},
        {m_chgFont, &TMForm::ChgFontExecute},         {m_extOpen, &TMForm::ExtOpenExecute},
        {m_openInTXT, &TMForm::OpenInTXTExecute},     {m_copyDecl, &TMForm::CopyDeclExecute},
        {m_copyCom, &TMForm::CopyComExecute},         {m_copyType, &TMForm::CopyTypeExecute},
        {m_actHelp, &TMForm::ActHelpExecute},         {m_actContact, &TMForm::ActContactExecute},
        {m_actHomePage, &TMForm::ActHomePageExecute}, {m_actAbout, &TMForm::ActAboutExecute},
    };
    connect(m_actFilter, &QAction::triggered, this, [this] { FocusFilter({}); });
    addAction(m_actFilter);
    for (const auto& [action, handler] : handlers) {
        connect(action, &QAction::triggered, this, handler);
        addAction(action); // shortcuts work on every page
    }
}

void TMForm::CreateMenus()
{
    QMenu* file = menuBar()->addMenu("&File");
    file->addActions({m_fileOpen, m_fileSaveAs});
    file->addSeparator();
    file->addActions({m_exportTXT, m_exportHTM});
    file->addSeparator();
    file->addAction(m_actExit);

    QMenu* browse = menuBar()->addMenu("&Browse");
    browse->addActions({m_actNext, m_actPrevious, m_actGoUp});
    browse->addSeparator();
    browse->addActions({m_nextFile, m_prevFile, m_openUnit});
    browse->addSeparator();
    QMenu* iconSize = browse->addMenu("Icon Size");
    iconSize->addActions({m_listIcon16, m_listIcon20, m_listIcon32});
    browse->addAction(m_directory);

    QMenu* view = menuBar()->addMenu("&View");
    view->addAction(m_followIncludes);

    QMenu* tools = menuBar()->addMenu("&Tools");
    tools->addActions({m_search, m_actConfig, m_actFolders, m_chgFont, m_extOpen, m_openInTXT});

    QMenu* help = menuBar()->addMenu("&Help");
    help->addActions({m_actHelp, m_actContact, m_actHomePage});
    help->addSeparator();
    help->addAction(m_actAbout);

    m_popupMenu1 = new QMenu(this);
    m_popupMenu1->setObjectName("PopupMenu1");
    m_popupMenu1->addActions({m_copyDecl, m_copyCom, m_copyType});
    m_popupMenu1->addSeparator();
    m_popupMenu1->addMenu(m_unitMenu);
    m_popupMenu1->addSeparator();
    m_popupMenu1->addActions({m_actNext, m_actPrevious, m_actGoUp, m_directory});
    m_popupMenu1->addSeparator();
    m_popupMenu1->addActions({m_exportHTM, m_exportTXT});
    m_popupMenu1->addSeparator();
    m_popupMenu1->addActions({m_actConfig, m_extOpen, m_openInTXT});
    m_listView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_listView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu1Popup();
        m_popupMenu1->exec(m_listView->viewport()->mapToGlobal(pos));
    });
}

void TMForm::CreateToolBar()
{
    m_fastTools = new QToolBar("Fast Tools", this);
    m_fastTools->setObjectName("FastTools");
    m_fastTools->setMovable(false);
    m_fastTools->setFloatable(false);
    m_fastTools->setContextMenuPolicy(Qt::PreventContextMenu);
    m_fastTools->toggleViewAction()->setEnabled(false);
    m_fastTools->setIconSize(QSize(32, 32));
    m_fastTools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_fastTools->addAction(m_fileOpen);
    m_fastTools->addSeparator();
    m_fastTools->addActions({m_actPrevious, m_actNext, m_actGoUp});
    m_fastTools->addSeparator();
    m_fastTools->addActions({m_directory, m_prevFile, m_nextFile, m_search});
    m_fastTools->addSeparator();
    m_fastTools->addAction(m_actHelp);
    addToolBar(Qt::TopToolBarArea, m_fastTools);
}

void TMForm::CreatePages()
{
    m_pageCtr = new QStackedWidget(this);
    m_pageCtr->setObjectName("PageCtr");

    m_tabList = new QWidget;
    m_tabList->setObjectName("TabList");
    m_tabList->setWindowTitle("List");
    m_memoTitle = new TTitlePane;
    m_memoTitle->setObjectName("MemoTitle");
    m_memoTitle->setReadOnly(true);
    m_memoTitle->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memoTitle->setMinimumHeight(20);
    m_listView = new TListViewEx;
    m_listView->setObjectName("ListView");
    m_listView->setMinimumHeight(20);
    m_listView->setColumnCount(kColumnCount);
    QStringList captions;
    for (const char* caption : kBuiltInCaption)
        captions << QString::fromLatin1(caption);
    m_listView->setHeaderLabels(captions);
    m_listView->SetImages(OutlineIcons());
    m_listView->SetSortColumn(-1);
    m_listView->SetOnCompare([this](const TListRow& a, const TListRow& b) {
        return ListViewCompare(a, b, m_headerLayout, m_listView->SortColumn(),
                               m_listView->SortOrder());
    });
    connect(m_listView, &QTreeWidget::itemDoubleClicked, this, [this] { ListViewDblClick(); });
    connect(m_listView, &TListViewEx::EnterPressed, this, &TMForm::ListViewDblClick);
    connect(m_listView, &TListViewEx::TextTyped, this, &TMForm::FocusFilter);
    // A click that sorts the matches of a big file picks them anew in the new order.
    connect(m_listView, &TListViewEx::ColumnClicked, this, [this] {
        if (m_filtering)
            FollowSort();
    });
    m_listView->SetToolTipOf([this](const QModelIndex& index) { return RowToolTip(index); });
    m_levelPathDelegate =
        new TLevelPathDelegate([this](const QModelIndex& index) { return LevelPathOf(index); }, m_listView);

    m_filterEdit = new QLineEdit;
    m_filterEdit->setObjectName("FilterEdit");
    m_filterEdit->setPlaceholderText("Filter the whole file by declaration (Ctrl+F, or type on the list)");
    m_filterEdit->setClearButtonEnabled(true);
    connect(m_filterEdit, &QLineEdit::textChanged, this, &TMForm::ApplyFilter);
    auto* listPane = new QWidget;
    listPane->setObjectName("ListPane");
    auto* listPaneLayout = new QVBoxLayout(listPane);
    listPaneLayout->setContentsMargins(0, 0, 0, 0);
    listPaneLayout->setSpacing(2);
    listPaneLayout->addWidget(m_filterEdit);
    listPaneLayout->addWidget(m_listView);
    connect(m_listView->header(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) {
                if (logical < 0 || logical >= kColumnCount)
                    return;
                const int width = std::clamp(size, MinimumWidth(logical), MaximumWidth(logical));
                if (width != size)
                    m_listView->header()->resizeSection(logical, width);
            });

    m_splitterH = new QSplitter(Qt::Vertical);
    m_splitterH->setObjectName("SplitterH");
    m_splitterH->setHandleWidth(3);
    m_splitterH->setChildrenCollapsible(false);
    m_splitterH->addWidget(m_memoTitle);
    m_splitterH->addWidget(listPane);
    m_splitterH->setStretchFactor(0, 0);
    m_splitterH->setStretchFactor(1, 1);
    connect(m_splitterH, &QSplitter::splitterMoved, this,
            [this] { m_titleHeight = m_splitterH->sizes().value(0, m_titleHeight); });
    auto* listLayout = new QVBoxLayout(m_tabList);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(m_splitterH);

    m_tabShell = new QWidget;
    m_tabShell->setObjectName("TabShell");
    m_tabShell->setWindowTitle("Shell");
    m_shellPath = new QLabel;
    m_shellPath->setObjectName("ShellPath");
    m_shellPath->setTextFormat(Qt::PlainText); // a folder's name is never markup
    m_shellPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_shellPath->setContentsMargins(6, 3, 6, 3);
    m_shellList = new TShellList(m_sharedRules.TypePatterns());
    m_shellList->setObjectName("ShellList");
    connect(m_shellList, &TShellList::FolderChanged, m_shellPath, &QLabel::setText);
    connect(m_shellList, &TShellList::ItemClicked, this, &TMForm::ShellListClick);
    connect(m_shellList, &TShellList::ItemDoubleClicked, this, &TMForm::ShellListDblClick);
    m_shellPath->setText(QString::fromStdString(m_shellList->Folder()));
    auto* shellLayout = new QVBoxLayout(m_tabShell);
    shellLayout->setContentsMargins(0, 0, 0, 0);
    shellLayout->setSpacing(0);
    shellLayout->addWidget(m_shellPath);
    shellLayout->addWidget(m_shellList);

    m_pageCtr->addWidget(m_tabList);
    m_pageCtr->addWidget(m_tabShell);
    setCentralWidget(m_pageCtr);
}

void TMForm::CreateStatusBar()
{
    for (int i = 0; i < 2; ++i) {
        m_statusPanels[i] = new QLabel;
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[i]->setTextFormat(Qt::PlainText);
        m_statusPanels[i]->setFixedWidth(i == 0 ? 160 : 150);
        m_statusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addWidget(m_statusPanels[i]);
    }
    m_statusPanels[1]->setAlignment(Qt::AlignCenter);
    // Why a location could not be shown, in the rest of the bar.
    m_statusNotice = new QLabel;
    m_statusNotice->setObjectName("StatusNotice");
    m_statusNotice->setTextFormat(Qt::PlainText); // it names files and folders
    statusBar()->addWidget(m_statusNotice, 1);
    statusBar()->setObjectName("StatusBar");
}

int TMForm::MinimumWidth(int column) const
{
    // The icon column is at least as wide as the icons with their margins.
    if (column == 0)
        return std::max(kMinimumWidth[0], m_listView->iconSize().width() + 12);
    return kMinimumWidth[column];
}

int TMForm::MaximumWidth(int column) const
{
    // The icon column is exactly as wide as its icons need: 32 pixels for the smaller icons.
    return column == 0 ? MinimumWidth(0) : QWIDGETSIZE_MAX;
}

void TMForm::SetIconSize(int size)
{
    m_listView->setIconSize(QSize(size, size));
    m_listView->header()->resizeSection(0, MinimumWidth(0));
}
