// The main window as the outline browser's view: drawing what the browser shows,
// the scanner and the folder listing it asks for, and the navigation handlers.

#include "browser/MainForm.h"

#include "browser/BackgroundScan.h"
#include "browser/LevelPathDelegate.h"
#include "browser/ShellList.h"
#include "browser/TextViewer.h"
#include "browser/core/HeaderLayout.h"
#include "browser/core/OutlineFilter.h"
#include "config/Config.h"
#include "config/FontText.h"
#include "config/SettingsKeys.h"
#include "scan/StructureTexts.h"
#include "widgets/ListViewEx.h"
#include "widgets/OutlineImages.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <map>

namespace {

constexpr int kBuiltInLeft = 167;
constexpr int kBuiltInTop = 171;
const char* const kVersionCaption = "Quillane 1.1";

} // namespace

TMForm::TMForm(const TMFormServices& services, QWidget* parent)
    : QMainWindow(parent), m_debugLog(services.debugLog), m_config(services.config),
      m_sharedRules(services.sharedRules), m_platform(services.platform),
      m_paths(services.paths), m_startArgument(services.startArgument),
      m_commandSourceFolders(services.sourceFolders), m_commandIncludeFolders(services.includeFolders),
      m_browser(*this, *this, services.debugLog, m_paths.dataFolder),
      m_fontColor(*ColorFromIdent("clWindowText")),
      m_exitHandler([] { QCoreApplication::exit(0); })
{
    setObjectName(QStringLiteral("MForm"));
    setWindowTitle(QString::fromLatin1(kVersionCaption));
    setWindowIcon(ProgramIcon());
    CreateActions();
    CreatePages();
    CreateStatusBar();
    m_backgroundScan = new TBackgroundScan(*this);
    CreateMenus();
    CreateToolBar();
    m_textViewer = new TTextViewer(this);
    qApp->installEventFilter(this);
    move(kBuiltInLeft, kBuiltInTop);
    resize(kBuiltInWidthPx, kBuiltInHeightPx);
    FormCreate();
}

TMForm::~TMForm()
{
    SetBusy(false);
    // The list outlives the filter's index (the widgets go after the members): while the
    // window is taken down it must show no matches, whose level paths the index gives.
    DropPendingMatches();
    m_listView->HideTableRows();
    m_filtering = false;
}

// ---- What the browser shows ----

void TMForm::ShowLevel(const TOutlineLevel& level)
{
    DropFilter();
    m_listView->setUpdatesEnabled(false);
    m_listView->clear();
    if (level.parent)
        AddOutlineRow(*level.parent, true);
    for (const TOutlineEntry& entry : level.entries)
        AddOutlineRow(entry, false);
    FitLineColumn();
    // Writing the sort column again sorts the new rows and sets the header arrow.
    m_listView->SetSortColumn(m_listView->SortColumn());
    MakeEntryCurrent(level.currentEntry);
    m_listView->setUpdatesEnabled(true);
    // The text viewer follows the file the window shows (or one of the files it includes).
    if (m_textViewer->isVisible() && m_viewerSource != m_browser.SourcePath()) {
        m_textViewer->OpenFile(m_browser.SourcePath(), 0);
        m_viewerSource = m_browser.SourcePath();
    }
    // New entries: the filter's index is made once the window is idle, so the first
    // keystroke in the filter field finds it ready.
    if (m_filterIndexVersion != m_browser.EntriesVersion())
        QTimer::singleShot(0, this, &TMForm::PrepareFilter);
}

void TMForm::FitLineColumn()
{
    // Entries from included files name their file in the Line column: once per scan it
    // widens to show the widest of the whole file's whole, in its levels and the filter's
    // matches alike (a column the user hid stays hidden).
    if (m_lineColumnVersion == m_browser.EntriesVersion())
        return;
    m_lineColumnVersion = m_browser.EntriesVersion();
    const int column = FieldSubItem(m_headerLayout, 'L') + 1;
    if (column <= 0 || m_listView->isColumnHidden(column))
        return;
    std::map<std::string, int> lastLines; // the highest line of each included file's name
    const TOutlineStore& entries = m_browser.Entries();
    for (int i = 0; HasRecordAt(entries, i); i += kRecordLines) {
        const std::string_view file = entries.File(i);
        if (!file.empty()) {
            int& last = lastLines[FileNameOf(std::string(file))];
            last = std::max(last, entries.LineNumber(i));
        }
    }
    const QFontMetrics metrics(m_listView->font());
    int widest = 0;
    for (const auto& [name, line] : lastLines)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(name + ":" + std::to_string(line))));
    const int wanted = widest + 2 * m_listView->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    if (widest > 0 && m_listView->columnWidth(column) < wanted)
        m_listView->setColumnWidth(column, wanted);
}

void TMForm::MakeEntryCurrent(int entryIndex)
{
    // The entry asked for; otherwise the first entry in the list's order, so that the
    // arrow keys work at once (the parent row only when the level has no entries).
    QTreeWidgetItem* wanted = nullptr;
    QTreeWidgetItem* firstEntry = nullptr;
    for (int i = 0; i < m_listView->topLevelItemCount() && !wanted && !(entryIndex < 0 && firstEntry); ++i) {
        QTreeWidgetItem* row = m_listView->topLevelItem(i);
        const int entry = row->data(0, TListViewEx::kKeyRole).toInt();
        if (entryIndex >= 0 && entry == entryIndex)
            wanted = row;
        else if (!firstEntry && entry >= 0)
            firstEntry = row;
    }
    QTreeWidgetItem* current = wanted ? wanted : firstEntry ? firstEntry : m_listView->topLevelItem(0);
    if (current) {
        m_listView->setCurrentItem(current);
        m_listView->scrollToItem(current);
    }
}

void TMForm::AddOutlineRow(const TOutlineEntry& entry, bool parent)
{
    // The parent row shows its declaration, type and line decorated as "..< %s >".
    auto shown = [parent](const std::string& text) {
        return parent ? ParentDecoration(text) : text;
    };
    m_listView->AddRow({parent ? ".." : " ", parent ? kContainerIcon : entry.icon,
                        OutlineSubTexts(m_headerLayout, shown(LineCellText(entry)), shown(entry.type),
                                        shown(entry.declaration), entry.comment),
                        parent ? -1 : entry.index});
}

QString TMForm::RowToolTip(const QModelIndex& index) const
{
    // The Line cell of an entry from an included file: that file's whole path.
    const int entry = index.siblingAtColumn(0).data(TListViewEx::kKeyRole).toInt();
    if (index.column() == FieldSubItem(m_headerLayout, 'L') + 1 && HasRecordAt(m_browser.Entries(), entry)) {
        const std::string_view file = m_browser.Entries().File(entry);
        if (!file.empty())
            return Qt::convertFromPlainText(QString::fromStdString(std::string(file)), Qt::WhiteSpaceNoWrap);
    }
    const QModelIndex declaration = index.sibling(index.row(), FieldSubItem(m_headerLayout, 'D') + 1);
    const QModelIndex comment = index.sibling(index.row(), FieldSubItem(m_headerLayout, 'C') + 1);
    if (!m_listView->IsTextCut(declaration) && !m_listView->IsTextCut(comment))
        return {};
    // The declaration in bold, the level path in italics, the comment; each on one line as
    // wide as it is, wrapped only past the screen's width.
    QFont bold = QToolTip::font();
    bold.setBold(true);
    const QString text = declaration.data().toString();
    int widest = QFontMetrics(bold).horizontalAdvance(text);
    QString tip = QStringLiteral("<b>%1</b>").arg(text.toHtmlEscaped());
    const QString path = LevelPathOf(declaration);
    if (!path.isEmpty()) {
        const QString line = TLevelPathDelegate::PathText(path);
        widest = std::max(widest, QFontMetrics(QToolTip::font()).horizontalAdvance(line));
        tip += QStringLiteral("<br><i>%1</i>").arg(line.toHtmlEscaped());
    }
    const QString note = comment.data().toString().trimmed();
    if (!note.isEmpty()) {
        widest = std::max(widest, QFontMetrics(QToolTip::font()).horizontalAdvance(note));
        tip += QStringLiteral("<br>%1").arg(note.toHtmlEscaped());
    }
    const QScreen* screen = m_listView->screen();
    const int room = (screen ? screen->availableGeometry().width() : 800) - 40;
    if (widest <= room)
        return QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(tip);
    return QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>").arg(room).arg(tip);
}

void TMForm::ShowFolder(const std::string& folder, const std::string& selectedPath)
{
    m_shellList->SetFolder(folder);
    if (!selectedPath.empty())
        m_shellList->SelectPath(selectedPath);
}

void TMForm::ShowPage(TBrowserPage page)
{
    m_pageCtr->setCurrentWidget(page == TBrowserPage::List ? m_tabList : m_tabShell);
    // The keys work on the page shown, without a click first.
    FocusInPage(page == TBrowserPage::List ? static_cast<QWidget*>(m_listView) : m_shellList);
}

void TMForm::FocusInPage(QWidget* widget)
{
    // A busy window is disabled and takes no focus: the widget gets it when the busy
    // state ends.
    if (m_busy)
        m_focusBeforeBusy = widget;
    else
        widget->setFocus();
}

bool TMForm::IsShellPageShowing() const
{
    return m_pageCtr->currentWidget() == m_tabShell;
}

void TMForm::ShowTitle(const TLines& title)
{
    // Blank lines around the comment's text (after a "{" on a line of its own) are left out.
    QStringList lines;
    for (const auto& line : title)
        lines << QString::fromStdString(line);
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    m_memoTitle->setPlainText(lines.join(QLatin1Char('\n')));
}

void TMForm::ShowCaption(const std::string& path)
{
    const std::string appCaption = m_config.ReadString(kAppCaption);
    const std::string caption = appCaption.empty() ? path : path + " - " + appCaption;
    setWindowTitle(QString::fromStdString(caption));
}

void TMForm::ShowStatus(const std::string& text)
{
    m_statusPanels[0]->setText(QString::fromStdString(text));
}

QString TMForm::StatusPanelText(int panel) const
{
    return m_statusPanels[panel]->text();
}

void TMForm::ShowNotice(const std::string& text)
{
    m_statusNotice->setText(QString::fromStdString(text));
    // A long notice is cut by the window's edge; its tooltip holds it whole, as written (a
    // tooltip takes markup it finds in its text, and a notice names files).
    m_statusNotice->setToolTip(text.empty() ? QString()
                                            : Qt::convertFromPlainText(m_statusNotice->text(), Qt::WhiteSpaceNoWrap));
}

QString TMForm::NoticeText() const
{
    return m_statusNotice->text();
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

bool TMForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Ctrl+X cuts in a text field instead of ending the program with the user's edit.
        if (event->type() == QEvent::ShortcutOverride && IsTextField(watched) &&
            QKeySequence(key->keyCombination()) == QKeySequence("Ctrl+X")) {
            event->accept();
            return true;
        }
        if (watched == m_filterEdit && event->type() == QEvent::KeyPress)
            return FilterEditKey(key);
        if (watched == m_listView && m_filtering && ListKeyWhileFiltering(key))
            return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* widget = qobject_cast<QWidget*>(watched);
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (widget && widget->window() == this &&
            (button == Qt::BackButton || button == Qt::ForwardButton)) {
            QAction* step = button == Qt::BackButton ? m_actPrevious : m_actNext;
            if (step->isEnabled())
                step->trigger();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TMForm::IsTextField(const QObject* object) const
{
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget && widget->window() == this &&
           (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
            qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QTextEdit*>(widget));
}

// ---- What the browser asks for ----

bool TMForm::IsKnownType(const std::string& key) const
{
    return !key.empty() && m_sharedRules.BlockNameFor(key).has_value();
}

TScanOutcome TMForm::Scan(const std::string& path, const std::string& key)
{
    // Trace mode minimizes the window before the scanner shows its trace; the worker
    // asks the user-interface thread to.
    const QPointer<TMForm> self(this);
    const auto minimize = [self] {
        QMetaObject::invokeMethod(qApp, [self] { if (self) self->showMinimized(); }, Qt::QueuedConnection);
    };
    // The worker also makes the filter's table of the entries, which the window takes
    // when the browser has taken the entries.
    const std::string layout = m_headerLayout;
    const std::pair<int, TSortOption> sort{m_listView->SortColumn(), m_listView->SortOrder()};
    std::optional<TFilterTable> filter;
    const std::optional<TIncludeOptions> includes = IncludeOptions();
    TScanOutcome outcome = m_backgroundScan->Run(FileNameOf(path), [&](const TScanControl& control) {
        TScanOutcome scanned = ScanOutline(m_sharedRules, m_config, m_debugLog, path, key, minimize, includes, control);
        if (scanned.failure == TOpenFailure::None && !scanned.entries.empty())
            filter = MakeFilterTable(scanned.entries, layout, sort);
        // The scanner's lines of a big file are gone now; the window need not keep their room.
        ReleaseFreedMemory();
        return scanned;
    });
    m_scannedFilter = std::move(filter);
    m_scannedFilterEntries = m_scannedFilter ? outcome.entries.Identity() : nullptr;
    return outcome;
}

bool TMForm::IsScanning() const
{
    return m_backgroundScan->IsRunning();
}

std::vector<TFolderItem> TMForm::ListFolder(const std::string& folder)
{
    return m_shellList->ListFolder(folder);
}

// ---- Navigation ----

void TMForm::OpenFile(const std::string& path)
{
    m_browser.Open(path);
    UIUpdate();
}

void TMForm::OpenEntry(const std::string& path, int sourceLine, const std::string& declaration)
{
    m_browser.OpenEntry(path, sourceLine, declaration);
    UIUpdate();
}

void TMForm::ListViewDblClick()
{
    QTreeWidgetItem* row = m_listView->Selected();
    if (!row)
        return;
    if (m_filtering) {
        // A match opens the level it stands in.
        m_browser.ShowEntry(row->data(0, TListViewEx::kKeyRole).toInt());
    } else if (row->data(0, TListViewEx::kImageRole).toInt() == kContainerIcon) {
        if (row->text(0).startsWith(QLatin1String(".."))) {
            ActGoUpExecute();
            return;
        }
        m_browser.StepInto(row->data(0, TListViewEx::kKeyRole).toInt());
    } else if (ShowEntryInViewer(row->data(0, TListViewEx::kKeyRole).toInt())) {
        // An entry that holds nothing: its line in the text viewer (the included file's for
        // an entry from an include), with the keyboard kept here for the next jump.
        activateWindow();
    }
    UIUpdate();
}

void TMForm::ActGoUpExecute()
{
    m_browser.GoUp();
    UIUpdate();
}

void TMForm::ActNextExecute()
{
    m_browser.Forward();
    UIUpdate();
}

void TMForm::ActPreviousExecute()
{
    m_browser.Back();
    UIUpdate();
}

void TMForm::NextFileExecute()
{
    m_browser.NextFile();
    UIUpdate();
}

void TMForm::PrevFileExecute()
{
    m_browser.PrevFile();
    UIUpdate();
}

void TMForm::DirectoryExecute()
{
    m_browser.ShowDirectory();
    UIUpdate();
}

void TMForm::ShellListClick(const QString& path)
{
    if (!m_shellList->SelectedPath().empty())
        ShowCaption(path.toStdString());
}

void TMForm::ShellListDblClick(const QString& path, bool folder)
{
    if (path.isEmpty())
        return;
    m_browser.OpenShellItem(path.toStdString(), folder);
    UIUpdate();
}

void TMForm::UIUpdate()
{
    m_actNext->setEnabled(m_browser.History().CanGoForward());
    m_actPrevious->setEnabled(m_browser.History().CanGoBack());
    const bool shell = m_browser.IsShellPageShowing();
    for (QAction* a : {m_directory, m_nextFile, m_prevFile, m_openInTXT, m_extOpen, m_fileSaveAs,
                       m_exportTXT, m_exportHTM})
        a->setEnabled(!shell);
    if (!shell)
        ShowCaption(m_browser.SourcePath());
}

QString TMForm::FieldText(const QTreeWidgetItem* row, char letter) const
{
    const int sub = FieldSubItem(m_headerLayout, letter);
    if (!row || sub < 0)
        return {};
    return row->text(sub + 1);
}
