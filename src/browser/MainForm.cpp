#include "browser/MainForm.h"

#include "browser/HeaderLayout.h"
#include "browser/ListViewEx.h"
#include "browser/OutlineImages.h"
#include "browser/ShellList.h"
#include "browser/TextViewer.h"
#include "config/Config.h"
#include "config/Debug.h"
#include "config/FontText.h"
#include "config/SettingsKeys.h"
#include "dialogs/FormAbout.h"
#include "dialogs/FormCfg.h"
#include "platform/Platform.h"
#include "scan/CodeScanner.h"
#include "scan/StructureTexts.h"
#include "search/core/FileHelpers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <tuple>

namespace {

constexpr int kColumnCount = 5;
// Built-in widths, minimum widths and captions of the outline list's columns.
constexpr int kBuiltInWidth[kColumnCount] = {32, 190, 187, 187, 187};
constexpr int kMinimumWidth[kColumnCount] = {32, 50, 50, 50, 30};
const char* const kBuiltInCaption[kColumnCount] = {"  ", "Declaration", "Comment", "Type", "Line"};

constexpr int kBuiltInLeft = 167;
constexpr int kBuiltInTop = 171;
constexpr int kBuiltInWidthPx = 704;
constexpr int kBuiltInHeightPx = 390;

const char* const kFileFilter = "Pascal File (*.pas *.dpr)";
const char* const kVersionCaption = "Quillane 1.1";

std::string WithTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string ColumnKey(std::string_view prefix, int n)
{
    return std::string(prefix) + std::to_string(n);
}

// A font's face name; the classic dialog face stands for the platform's default font.
bool IsDefaultFace(const std::string& face)
{
    return face.empty() || SameText(face, "MS Sans Serif");
}

} // namespace

TMForm::TMForm(const TMFormServices& services, QWidget* parent)
    : QMainWindow(parent), m_debugLog(services.debugLog), m_config(services.config),
      m_sharedRules(services.sharedRules), m_platform(services.platform),
      m_paths(services.paths),
      m_startArgument(services.startArgument), m_fontColor(*ColorFromIdent("clWindowText")),
      m_exitHandler([] { QCoreApplication::exit(0); })
{
    setObjectName(QStringLiteral("MForm"));
    setWindowTitle(QString::fromLatin1(kVersionCaption));
    setWindowIcon(ProgramIcon());
    CreateActions();
    CreatePages();
    CreateMenus();
    CreateToolBar();
    m_textViewer = new TTextViewer(this);
    move(kBuiltInLeft, kBuiltInTop);
    resize(kBuiltInWidthPx, kBuiltInHeightPx);
    FormCreate();
}

TMForm::~TMForm()
{
    SetBusy(false);
}

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
    m_actNext = MakeAction("ActNext", "&Next", QKeySequence("Ctrl+N"), "Next", 2);
    // The main menu's captions; the toolbar shows the actions' short captions.
    m_actPrevious = MakeAction("ActPrevious", "&Previous ", QKeySequence("Ctrl+P"), "Previous", 1);
    m_actPrevious->setIconText("Prev");
    // The toolbar's hint for going up is "Upward".
    m_actGoUp = MakeAction("ActGoUp", "&Upward", QKeySequence("Ctrl+U"), "Upward", 3);
    m_nextFile = MakeAction("NextFile", "Next File", QKeySequence(Qt::Key_F6), "Next File", 5);
    m_nextFile->setIconText("NextFile");
    m_prevFile =
        MakeAction("PrevFile", "Previous File", QKeySequence(Qt::Key_F5), "Previous File", 4);
    m_prevFile->setIconText("PrevFile");
    m_directory = MakeAction("Directory", "&Directory", QKeySequence("Ctrl+D"), "Explore", 8);
    // Ctrl+S belongs to Save As, which comes first in the main menu.
    m_search = MakeAction("Search", "&Search...", {}, "Search", 7);
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
    browse->addActions({m_nextFile, m_prevFile});
    browse->addSeparator();
    QMenu* iconSize = browse->addMenu("Icon Size");
    iconSize->addActions({m_listIcon16, m_listIcon20, m_listIcon32});
    browse->addAction(m_directory);

    QMenu* tools = menuBar()->addMenu("&Tools");
    tools->addActions({m_search, m_actConfig, m_chgFont, m_extOpen, m_openInTXT});

    QMenu* help = menuBar()->addMenu("&Help");
    help->addActions({m_actHelp, m_actContact, m_actHomePage});
    help->addSeparator();
    help->addAction(m_actAbout);

    m_popupMenu1 = new QMenu(this);
    m_popupMenu1->setObjectName("PopupMenu1");
    m_popupMenu1->addActions({m_copyDecl, m_copyCom, m_copyType});
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
    m_memoTitle = new QPlainTextEdit;
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
    connect(m_listView->header(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) {
                if (logical >= 0 && logical < kColumnCount && size < MinimumWidth(logical))
                    m_listView->header()->resizeSection(logical, MinimumWidth(logical));
            });

    m_splitterH = new QSplitter(Qt::Vertical);
    m_splitterH->setObjectName("SplitterH");
    m_splitterH->setHandleWidth(3);
    m_splitterH->setChildrenCollapsible(false);
    m_splitterH->addWidget(m_memoTitle);
    m_splitterH->addWidget(m_listView);
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
    m_shellPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_shellPath->setContentsMargins(6, 3, 6, 3);
    m_shellList = new TShellList;
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

    for (int i = 0; i < 2; ++i) {
        m_statusPanels[i] = new QLabel;
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[i]->setFixedWidth(i == 0 ? 160 : 150);
        m_statusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addWidget(m_statusPanels[i]);
    }
    m_statusPanels[1]->setAlignment(Qt::AlignCenter);
    statusBar()->setObjectName("StatusBar");
}

void TMForm::FormCreate()
{
    m_history = THistory();

    m_titleHeight = m_config.ReadInteger(kTitleHeight);
    if (m_titleHeight < 5)
        m_titleHeight = 100;
    m_splitterH->setSizes({m_titleHeight, std::max(100, kBuiltInHeightPx - m_titleHeight)});

    TFontDesc font;
    if (TextToFont(m_config.ReadString(kMformFont), font)) {
        m_fontColor = font.color;
        m_fontCharset = font.charset;
        setFont(FontOfDesc(font));
        if ((m_fontColor & 0xFF000000u) == 0) {
            // A fixed colour (not a system colour) is the text colour of the title and the list.
            QPalette palette = m_memoTitle->palette();
            palette.setColor(QPalette::Text, QColor::fromRgb(ColorToRgb(m_fontColor)));
            m_memoTitle->setPalette(palette);
            m_listView->setPalette(palette);
        }
    }

    const int width = m_config.ReadInteger(kMformWidth);
    const int height = m_config.ReadInteger(kMformHeight);
    move(m_config.ReadInteger(kMformLeft), m_config.ReadInteger(kMformTop));
    // A window without a stored size (a first start) keeps its built-in size.
    if (width > 0 && height > 0)
        resize(width, height);
    if (m_config.ReadBool(kMformMax))
        setWindowState(windowState() | Qt::WindowMaximized);

    m_listIcon16->setChecked(m_config.ReadBool(kIcon16));
    m_listIcon20->setChecked(m_config.ReadBool(kIcon20));
    m_listIcon32->setChecked(m_config.ReadBool(kIcon32));
    int iconSize = 20;
    if (m_listIcon16->isChecked())
        iconSize = 16;
    if (m_listIcon20->isChecked())
        iconSize = 20;
    if (m_listIcon32->isChecked())
        iconSize = 32;
    SetIconSize(iconSize);

    m_listView->setUpdatesEnabled(false);
    ApplyColumnLayout();
    ApplyColumnWidths();
    m_listView->SetSortColumn(m_config.ReadInteger(kListHeaderSortCol));
    m_listView->SetSortOrder(m_config.ReadBool(kListHeaderSortOrder) ? TSortOption::soAscending
                                                                     : TSortOption::soDescending);
    m_listView->setUpdatesEnabled(true);

    if (!m_startArgument.empty())
        m_config.WriteString(kLastView, m_startArgument);
    if (m_config.ReadString(kLastView).empty())
        m_config.WriteString(kLastView, m_paths.dataFolder + "Example.pas");
    m_history.RecordLocation(m_config.ReadString(kLastView));
    OpenLocation(m_history.Current());
    ShowDocument();
    // A column stored as "widest text" is sized once the rows are there.
    for (int column : m_autoWidthColumns)
        m_listView->resizeColumnToContents(column);
}

void TMForm::ApplyColumnLayout()
{
    const std::string stored = m_config.ReadString(kListHeader);
    // A layout that lacks a field would leave that field without a column.
    m_headerLayout = IsCompleteLayout(stored) ? stored : std::string(kBuiltInLayout);
    for (int k = 1; k < kColumnCount; ++k) {
        if (static_cast<std::size_t>(k) >= m_headerLayout.size())
            break;
        const std::string caption = CaptionOfLetter(m_headerLayout[static_cast<std::size_t>(k)]);
        if (!caption.empty())
            m_listView->headerItem()->setText(k, QString::fromStdString(caption));
    }
}

void TMForm::ApplyColumnWidths()
{
    m_autoWidthColumns.clear();
    QHeaderView* header = m_listView->header();
    header->setStretchLastSection(false);
    for (int n = 0; n < kColumnCount; ++n) {
        const std::string key = ColumnKey(kListHeaderWidthPrefix, n);
        const std::string text = m_config.ReadString(key);
        const int stored = IntOrZero(text);
        if (Trim(text).empty() || stored < -2) {
            header->resizeSection(n, kBuiltInWidth[n]);
        } else if (stored == -1) {
            m_listView->resizeColumnToContents(n);
            m_autoWidthColumns.push_back(n);
        } else if (stored == -2) {
            header->resizeSection(n, std::max(MinimumWidth(n), header->sectionSizeHint(n)));
        } else {
            header->resizeSection(n, std::max(MinimumWidth(n), stored));
        }
    }
}

void TMForm::FormClose()
{
    TFontDesc font;
    const QFont f = this->font();
    font.face = f.family().toStdString();
    font.size = f.pointSize() > 0 ? f.pointSize() : qRound(f.pointSizeF());
    font.bold = f.bold();
    font.italic = f.italic();
    font.underline = f.underline();
    font.strikeOut = f.strikeOut();
    font.color = m_fontColor;
    font.charset = m_fontCharset;
    m_config.WriteString(kMformFont, FontToText(font));

    // A maximized window stores the bounds it returns to.
    const bool maximized = isMaximized();
    const QRect normal = maximized ? normalGeometry() : QRect(pos(), size());
    m_config.WriteInteger(kMformLeft, normal.left());
    m_config.WriteInteger(kMformTop, normal.top());
    m_config.WriteInteger(kMformWidth, normal.width());
    m_config.WriteInteger(kMformHeight, normal.height());
    m_config.WriteBool(kMformMax, maximized);

    m_config.WriteInteger(kTitleHeight, m_titleHeight);

    m_config.WriteBool(kIcon16, m_listIcon16->isChecked());
    m_config.WriteBool(kIcon20, m_listIcon20->isChecked());
    m_config.WriteBool(kIcon32, m_listIcon32->isChecked());

    m_config.WriteString(kLastView, FolderOf(m_sourcePath));

    QHeaderView* header = m_listView->header();
    std::vector<std::string> captions;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        captions.push_back(m_listView->headerItem()->text(logical).toStdString());
        m_config.WriteInteger(ColumnKey(kListHeaderWidthPrefix, visual),
                              header->sectionSize(logical));
    }
    m_headerLayout = LayoutFromCaptions(captions);
    m_config.WriteString(kListHeader, m_headerLayout);

    m_config.WriteInteger(kListHeaderSortCol, m_listView->SortColumn());
    m_config.WriteBool(kListHeaderSortOrder, m_listView->SortOrder() == TSortOption::soAscending);
}

void TMForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    m_textViewer->close();
    event->accept();
}

void TMForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        UIUpdate();
}

QFont TMForm::FontOfDesc(const TFontDesc& desc) const
{
    QFont f = QApplication::font();
    if (!IsDefaultFace(desc.face))
        f.setFamily(QString::fromStdString(desc.face));
    if (desc.size > 0)
        f.setPointSize(desc.size);
    f.setBold(desc.bold);
    f.setItalic(desc.italic);
    f.setUnderline(desc.underline);
    f.setStrikeOut(desc.strikeOut);
    return f;
}

// ---- The outline document ----

void TMForm::OpenLocation(const std::string& location)
{
    const TLocation parsed = ParseLocation(location);
    // What is shown now, for a scan that fails: the window then keeps showing it whole,
    // so the caption, View Text and the exports still name the file the list shows.
    const auto previous = std::make_tuple(m_sourcePath, m_sourceType, m_levelStart);
    m_levelStart = parsed.levelStart;
    m_sourceType = SourceTypeOf(parsed.path);
    m_sourcePath = IsFtpPath(parsed.path) ? m_paths.dataFolder + "Temp.dat" : parsed.path;
    m_lastTypeKnown = true;
    if (parsed.path == m_scannedPath)
        return;

    TCodeScanner scanner(m_sharedRules, m_config, m_debugLog);
    if (!scanner.IsKnownType(m_sourceType)) {
        m_lastTypeKnown = false;
        SetStatusPanel(0, {});
        return;
    }
    SetBusy(true);
    scanner.SetMinimizeCallback([this] { showMinimized(); });
    try {
        scanner.ScanFile(m_sourcePath, m_sourceType);
    } catch (const std::exception&) {
        m_debugLog.AddLine("error in TMForm.UpDateUName:" + m_sourcePath);
        std::tie(m_sourcePath, m_sourceType, m_levelStart) = previous;
        return;
    }
    m_entries = scanner.Results();
    SetStatusPanel(0, QStringLiteral("Line=%1").arg(scanner.Codes().size()));
    ShowTitle(scanner.CommentBlockAt(0));
    m_shellList->SetFolder(FolderOf(m_sourcePath));
    m_scannedPath = parsed.path;
}

void TMForm::ShowDocument()
{
    if (m_sourceType.empty()) {
        m_shellList->SetFolder(m_sourcePath);
        ShowShellPage();
        SetCaption(m_sourcePath);
        SetBusy(false);
        return;
    }
    SetCaption(m_sourcePath);
    if (!m_lastTypeKnown) {
        // A file the rules cannot outline: show it among its folder's files, and keep the
        // entries of the file shown before for when the user goes back to it.
        m_shellList->SetFolder(FolderOf(m_sourcePath));
        m_shellList->SelectPath(m_sourcePath);
        ShowShellPage();
        return;
    }
    ShowLevel(m_levelStart);
}

void TMForm::ShowLevel(int s)
{
    m_listView->setUpdatesEnabled(false);
    m_listView->clear();
    if (m_entries.empty()) {
        m_memoTitle->clear();
        SetStatusPanel(0, {});
        m_listView->setUpdatesEnabled(true);
        SetBusy(false);
        return;
    }
    if (s > 2 && HasEntryAt(m_entries, s - 4)) {
        const TOutlineEntry parent = EntryAt(m_entries, s - 4);
        AddOutlineRow(kContainerIcon, "..", parent.line, parent.type, parent.declaration,
                      parent.comment);
    }
    for (int i : LevelIndexes(m_entries, s)) {
        const TOutlineEntry e = EntryAt(m_entries, i);
        AddOutlineRow(e.icon, " ", e.line, e.type, e.declaration, e.comment);
    }
    SetBusy(false);
    ShowListPage();
    m_listView->SetSortColumn(m_listView->SortColumn());
    m_listView->setUpdatesEnabled(true);
}

void TMForm::AddOutlineRow(int icon, const std::string& caption, const std::string& line,
                           const std::string& typeText, const std::string& declaration,
                           const std::string& comment)
{
    const bool parent = !caption.empty() && caption[0] == '.';
    auto shown = [parent](const std::string& text) {
        return parent ? ParentDecoration(text) : text;
    };
    m_listView->AddRow(
        QString::fromStdString(caption), icon,
        OutlineSubTexts(m_headerLayout, shown(line), shown(typeText), shown(declaration), comment));
}

void TMForm::RecordLocation(const std::string& location)
{
    m_history.RecordLocation(location);
}

void TMForm::GoToLocation(const std::string& location)
{
    RecordLocation(location);
    OpenLocation(location);
}

void TMForm::SetBusy(bool on)
{
    if (on == m_busy)
        return;
    m_busy = on;
    if (on) {
        m_focusBeforeBusy = QApplication::focusWidget();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        setEnabled(false);
    } else {
        QApplication::restoreOverrideCursor();
        setEnabled(true);
        // Disabling the window took the keyboard focus away; give it back.
        if (m_focusBeforeBusy && m_focusBeforeBusy->isEnabled())
            m_focusBeforeBusy->setFocus();
        m_focusBeforeBusy = nullptr;
    }
}

// ---- Navigation ----

void TMForm::ListViewDblClick()
{
    QTreeWidgetItem* row = m_listView->Selected();
    if (!row)
        return;
    if (row->data(0, TListViewEx::kImageRole).toInt() == kContainerIcon) {
        if (row->text(0).startsWith(QLatin1String(".."))) {
            ActGoUpExecute();
            return;
        }
        const int i = FindEntryByLine(m_entries, IntOrZero(FieldText(row, 'L').toStdString()));
        if (i >= 0) {
            OpenLevel(i + 4);
            ShowLevel(m_levelStart);
        }
    }
    UIUpdate();
}

void TMForm::OpenLevel(int i)
{
    GoToLocation(MakeLocation(ParseLocation(m_history.Current()).path, i));
}

void TMForm::GoUpLevel()
{
    if (IsShellPageShowing()) {
        m_shellList->MoveUp();
        const std::string folder = WithTrailingSlash(m_shellList->Folder());
        GoToLocation(folder);
        SetCaption(folder);
    } else if (m_levelStart == 0) {
        ShowShellPage();
        GoToLocation(WithTrailingSlash(m_shellList->Folder()));
    } else {
        const int start = UpperLevelStart(m_entries, m_levelStart);
        GoToLocation(MakeLocation(ParseLocation(m_history.Current()).path, start));
        ShowLevel(m_levelStart);
    }
}

void TMForm::ActGoUpExecute()
{
    GoUpLevel();
    UIUpdate();
}

void TMForm::ActNextExecute()
{
    m_history.Forward();
    OpenLocation(m_history.Current());
    ShowDocument();
    UIUpdate();
}

void TMForm::ActPreviousExecute()
{
    m_history.Back();
    OpenLocation(m_history.Current());
    ShowDocument();
    UIUpdate();
}

bool TMForm::IsListedType(const std::string& key) const
{
    for (const auto& line : m_sharedRules.Section("VAR")) {
        if (SameText(PairName(line), key))
            return !key.empty();
    }
    return false;
}

void TMForm::StepFile(int direction)
{
    m_shellList->SetFolder(FolderOf(m_sourcePath));
    const std::vector<TShellList::TItem> items = m_shellList->ListItems();
    const int count = static_cast<int>(items.size());
    const bool anyFile =
        std::any_of(items.begin(), items.end(), [](const auto& item) { return !item.folder; });
    if (anyFile) {
        const std::string current = UpperCase(m_sourcePath);
        int pos = count;
        for (int i = 0; i < count; ++i) {
            if (UpperCase(items[static_cast<std::size_t>(i)].path) == current) {
                pos = i;
                break;
            }
        }
        do {
            if (direction > 0)
                pos = pos + 1 >= count ? 0 : pos + 1;
            else
                pos = pos <= 0 ? count - 1 : pos - 1;
        } while (items[static_cast<std::size_t>(pos)].folder);
        const std::string& path = items[static_cast<std::size_t>(pos)].path;
        if (IsListedType(FileTypeKey(path))) {
            RecordLocation(path);
            SetStatusPanel(0, QString::fromStdString(path));
            OpenLocation(path);
            ShowLevel(0);
        }
    }
    UIUpdate();
}

void TMForm::NextFileExecute()
{
    StepFile(+1);
}

void TMForm::PrevFileExecute()
{
    StepFile(-1);
}

void TMForm::DirectoryExecute()
{
    ShowShellPage();
    m_shellList->SelectPath(m_sourcePath);
    UIUpdate();
}

void TMForm::ShellListClick(const QString& path)
{
    if (!m_shellList->SelectedPath().empty())
        SetCaption(path.toStdString());
}

void TMForm::ShellListDblClick(const QString& path, bool folder)
{
    const std::string p = path.toStdString();
    if (p.empty())
        return;
    // A folder is recorded with its trailing "/", so that its location never yields a
    // file-type key (a folder named "v1.2" would otherwise give the key "2").
    GoToLocation(folder ? WithTrailingSlash(p) : p);
    if (!folder && IsListedType(FileTypeKey(p)))
        ShowLevel(0);
    SetCaption(p);
    UIUpdate();
}

void TMForm::UIUpdate()
{
    m_actNext->setEnabled(m_history.Pos() != 0);
    m_actPrevious->setEnabled(static_cast<int>(m_history.Items().size()) != m_history.Pos() + 1);
    const bool shell = IsShellPageShowing();
    for (QAction* a : {m_directory, m_nextFile, m_prevFile, m_openInTXT, m_extOpen, m_fileSaveAs,
                       m_exportTXT, m_exportHTM})
        a->setEnabled(!shell);
    if (!shell)
        SetCaption(m_sourcePath);
}

// ---- The frame's actions ----

std::string TMForm::ChooseOpenFile()
{
    return QFileDialog::getOpenFileName(this, "Open",
                                        QString::fromStdString(FolderOf(m_sourcePath)), kFileFilter)
        .toStdString();
}

std::string TMForm::ChooseSaveFile(const std::string& suggested, const std::string& defaultSuffix,
                                   const QString& filter)
{
    QFileDialog dialog(this, "Save As", QString::fromStdString(suggested), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromStdString(LowerCase(defaultSuffix)));
    dialog.selectFile(QString::fromStdString(suggested));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toStdString();
}

std::optional<QFont> TMForm::ChooseFont(const QFont& initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, this, "Font");
    return ok ? std::optional<QFont>(font) : std::nullopt;
}

void TMForm::FileOpenExecute()
{
    const std::string path = ChooseOpenFile();
    if (path.empty())
        return;
    GoToLocation(path);
    ShowDocument();
    UIUpdate();
}

void TMForm::FileSaveAsExecute()
{
    const std::string target = ChooseSaveFile(m_sourcePath, FileTypeKey(m_sourcePath), kFileFilter);
    if (target.empty())
        return;
    try {
        CopyFileData(m_sourcePath, target);
    } catch (const TFileError& e) {
        m_platform.ShowMessage(e.what(), "Quillane");
    }
}

TExportView TMForm::CurrentExportView() const
{
    TExportView view;
    const QHeaderView* header = m_listView->header();
    for (int visual = 0; visual < header->count(); ++visual)
        view.captions.push_back(m_listView->headerItem()->text(header->logicalIndex(visual)).toStdString());
    for (int i = 0; i < m_listView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_listView->topLevelItem(i);
        TExportRow row;
        row.caption = item->text(0).toStdString();
        row.image = item->data(0, TListViewEx::kImageRole).toInt();
        for (char letter : {'D', 'C', 'T', 'L'})
            row.fields[letter] = FieldText(item, letter).toStdString();
        view.rows.push_back(std::move(row));
    }
    view.title = SplitLines(m_memoTitle->toPlainText().toStdString());
    view.sourcePath = m_sourcePath;
    return view;
}

void TMForm::ExportTXTExecute()
{
    MakeFolders(m_paths.exportFolder);
    const std::string file = m_paths.exportFolder + "TempFile.txt";
    try {
        WriteLinesCrLf(file, TextTableLines(CurrentExportView()));
    } catch (const TExportError& e) {
        m_platform.ShowMessage(e.what(), "Quillane");
        return;
    }
    m_platform.OpenInShell(file);
}

bool TMForm::StepIntoLine(int lineNumber)
{
    for (int i = 0; HasEntryAt(m_entries, i); i += 4) {
        if (IntOrZero(EntryAt(m_entries, i).line) == lineNumber) {
            OpenLevel(i + 4);
            ShowLevel(m_levelStart);
            return true;
        }
    }
    return false;
}

void TMForm::ExportHTMExecute()
{
    const std::string chosen = ChooseSaveFile("Index.html", "html", "HTML files (*.html *.htm)");
    if (chosen.empty())
        return;

    // The walk moves through the levels with the window's own navigation.
    class TWindowNavigator : public TExportNavigator {
    public:
        explicit TWindowNavigator(TMForm& form) : m_form(form) {}
        TExportView CurrentView() const override { return m_form.CurrentExportView(); }
        bool StepInto(int lineNumber) override { return m_form.StepIntoLine(lineNumber); }
        void GoUp() override { m_form.ActGoUpExecute(); }

    private:
        TMForm& m_form;
    } navigator(*this);

    std::set<std::string> written;
    try {
        ExportLevel(navigator, FolderOf(chosen), "", FileNameOf(chosen), written);
    } catch (const TExportError& e) {
        m_platform.ShowMessage(e.what(), "Quillane");
        return;
    }
    m_platform.OpenInShell(chosen);
}

bool TMForm::RunConfigDialog()
{
    TFormCfg dialog(m_config, m_debugLog, m_platform, this);
    return dialog.exec() == QDialog::Accepted;
}

void TMForm::ShowTitle(const TLines& lines)
{
    QStringList title;
    for (const auto& line : lines)
        title << QString::fromStdString(line);
    m_memoTitle->setPlainText(title.join(QLatin1Char('\n')));
}

void TMForm::ActConfigExecute()
{
    if (!RunConfigDialog() || IsShellPageShowing())
        return;
    SetBusy(true);
    // A new scanner reads the indicator just stored.
    TCodeScanner scanner(m_sharedRules, m_config, m_debugLog);
    scanner.SetMinimizeCallback([this] { showMinimized(); });
    try {
        scanner.ScanFile(m_sourcePath, m_sourceType);
    } catch (const std::exception&) {
        m_debugLog.AddLine("error in TMForm.UpDateUName(UN:String);");
        SetBusy(false);
        return;
    }
    if (scanner.Results().empty()) {
        SetBusy(false);
        return;
    }
    m_entries = scanner.Results();
    SetStatusPanel(0, QStringLiteral("Line=%1").arg(scanner.Codes().size()));
    ShowTitle(scanner.CommentBlockAt(0));
    ShowLevel(m_levelStart);
}

void TMForm::ActExitExecute()
{
    m_exitHandler();
}

void TMForm::SetSearchHandler(std::function<void()> handler)
{
    m_searchHandler = std::move(handler);
    m_search->setEnabled(static_cast<bool>(m_searchHandler));
}

void TMForm::SearchExecute()
{
    if (m_searchHandler)
        m_searchHandler();
}

int TMForm::MinimumWidth(int column) const
{
    // The icon column is at least as wide as the icons with their margins.
    if (column == 0)
        return std::max(kMinimumWidth[0], m_listView->iconSize().width() + 12);
    return kMinimumWidth[column];
}

void TMForm::SetIconSize(int size)
{
    m_listView->setIconSize(QSize(size, size));
    QHeaderView* header = m_listView->header();
    if (header->sectionSize(0) < MinimumWidth(0))
        header->resizeSection(0, MinimumWidth(0));
}

void TMForm::ListIcon16Execute()
{
    SetIconSize(16);
    m_listIcon16->setChecked(true);
    m_listIcon20->setChecked(false);
    m_listIcon32->setChecked(false);
}

void TMForm::ListIcon20Execute()
{
    SetIconSize(20);
    m_listIcon16->setChecked(false);
    m_listIcon20->setChecked(true);
    m_listIcon32->setChecked(false);
}

void TMForm::ListIcon32Execute()
{
    SetIconSize(32);
    m_listIcon16->setChecked(false);
    m_listIcon20->setChecked(false);
    m_listIcon32->setChecked(true);
}

void TMForm::ChgFontExecute()
{
    const auto chosen = ChooseFont(m_memoTitle->font());
    if (!chosen)
        return;
    setFont(*chosen);
    m_memoTitle->setFont(*chosen);
}

int TMForm::SelectedSourceLine() const
{
    QTreeWidgetItem* row = m_listView->Selected();
    if (!row)
        return 0;
    if (row->text(0).startsWith(QLatin1String("..")) && HasEntryAt(m_entries, m_levelStart - 4))
        return IntOrZero(EntryAt(m_entries, m_levelStart - 4).line);
    return IntOrZero(FieldText(row, 'L').toStdString());
}

void TMForm::OpenInTXTExecute()
{
    if (IsShellPageShowing())
        return;
    if (!m_textViewer->OpenFile(m_sourcePath, SelectedSourceLine())) {
        m_debugLog.AddLine("View Text cannot read " + m_sourcePath);
        return;
    }
    m_textViewer->show();
    m_textViewer->raise();
    m_textViewer->activateWindow();
}

void TMForm::ExtOpenExecute()
{
    if (!IsShellPageShowing())
        m_platform.OpenInShell(m_sourcePath);
}

QString TMForm::FieldText(const QTreeWidgetItem* row, char letter) const
{
    const int sub = FieldSubItem(m_headerLayout, letter);
    if (!row || sub < 0)
        return {};
    return row->text(sub + 1);
}

void TMForm::CopyField(char letter)
{
    QTreeWidgetItem* row = m_listView->Selected();
    if (row)
        m_platform.SetClipboardText(FieldText(row, letter).toStdString());
}

void TMForm::CopyDeclExecute()
{
    CopyField('D');
}

void TMForm::CopyComExecute()
{
    CopyField('C');
}

void TMForm::CopyTypeExecute()
{
    CopyField('T');
}

void TMForm::PopupMenu1Popup()
{
    const bool selected = m_listView->Selected() != nullptr;
    for (QAction* a : {m_copyDecl, m_copyCom, m_copyType})
        a->setEnabled(selected);
}

void TMForm::ActHelpExecute()
{
    if (!m_platform.ShowHelp(""))
        m_debugLog.AddLine("Help file open error!");
}

void TMForm::ActContactExecute()
{
    const std::string address = m_config.ReadString(kContactMail);
    if (!address.empty())
        m_platform.OpenInShell(address);
}

void TMForm::ActHomePageExecute()
{
    const std::string address = m_config.ReadString(kDeveloperHomepage);
    if (!address.empty())
        m_platform.OpenInShell(address);
}

void TMForm::ActAboutExecute()
{
    TFormAbout about(m_paths, this);
    about.exec();
}

// ---- Pages, caption, status ----

bool TMForm::IsShellPageShowing() const
{
    return m_pageCtr->currentWidget() == m_tabShell;
}

void TMForm::ShowListPage()
{
    m_pageCtr->setCurrentWidget(m_tabList);
}

void TMForm::ShowShellPage()
{
    m_pageCtr->setCurrentWidget(m_tabShell);
}

void TMForm::SetCaption(const std::string& path)
{
    const std::string appCaption = m_config.ReadString(kAppCaption);
    const std::string caption = appCaption.empty() ? path : path + " - " + appCaption;
    setWindowTitle(QString::fromStdString(caption));
}

void TMForm::SetStatusPanel(int panel, const QString& text)
{
    m_statusPanels[panel]->setText(text);
}

QString TMForm::StatusPanelText(int panel) const
{
    return m_statusPanels[panel]->text();
}
