// The main window's filter: the field above the outline list, and the list showing every
// entry of the file whose declaration holds its text while it holds any.

#include "browser/MainForm.h"

#include "browser/core/HeaderLayout.h"
#include "browser/core/OutlineFilter.h"
#include "widgets/ListViewEx.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

void TMForm::ApplyFilter(const QString& text)
{
    if (text.isEmpty()) {
        EndFilter(false);
        return;
    }
    if (!m_filtering) {
        const QTreeWidgetItem* current = m_listView->currentItem();
        m_entryBeforeFilter = current ? current->data(0, TListViewEx::kKeyRole).toInt() : -1;
        m_filtering = true;
    }
    PrepareFilter();
    ShowMatches(m_filterIndex->Match(text.toStdString()));
}

void TMForm::PrepareFilter()
{
    if (m_filterIndex && m_filterIndexVersion == m_browser.EntriesVersion())
        return;
    // Each keystroke then only matches and picks rows from these.
    const TLines& entries = m_browser.Entries();
    m_filterIndex = std::make_unique<TOutlineFilter>(entries);
    auto rows = std::make_shared<std::vector<TListRow>>();
    rows->reserve(RecordCount(entries));
    for (int i = 0; HasRecordAt(entries, i); i += kRecordLines) {
        const TOutlineEntry e = EntryAt(entries, i);
        rows->push_back({" ", e.icon, OutlineSubTexts(m_headerLayout, LineCellText(e), e.type, e.declaration, e.comment), i});
    }
    m_filterRows = std::move(rows);
    m_listView->SetTableRows(m_filterRows);
    m_filterIndexVersion = m_browser.EntriesVersion();
    m_filterOrder = m_listView->SortedOrder(*m_filterRows);
    m_filterOrderSort = {m_listView->SortColumn(), m_listView->SortOrder()};
}

void TMForm::ShowMatches(const std::vector<int>& matches)
{
    // The whole file's rows in the list's order, sorted again only when the user has
    // sorted the list anew since.
    const std::pair<int, TSortOption> sort{m_listView->SortColumn(), m_listView->SortOrder()};
    if (sort != m_filterOrderSort) {
        m_filterOrder = m_listView->SortedOrder(*m_filterRows);
        m_filterOrderSort = sort;
    }
    std::vector<char> matched(m_filterRows->size(), 0);
    for (int i : matches)
        matched[static_cast<std::size_t>(i / kRecordLines)] = 1;
    std::vector<std::size_t> shown;
    shown.reserve(matches.size());
    for (std::size_t row : m_filterOrder)
        if (matched[row])
            shown.push_back(row);

    m_listView->setUpdatesEnabled(false);
    // The rows of the last keystroke's matches are kept for the next; a level's are not.
    m_listView->ShowTableRows(shown);
    MakeEntryCurrent(-1);
    m_listView->setUpdatesEnabled(true);
    m_statusPanels[1]->setText(matches.size() == 1 ? QStringLiteral("1 match")
                                                   : QStringLiteral("%1 matches").arg(matches.size()));
}

QString TMForm::LevelPathOf(const QModelIndex& index) const
{
    if (!m_filtering || !m_filterIndex)
        return {};
    const int entry = index.sibling(index.row(), 0).data(TListViewEx::kKeyRole).toInt();
    return QString::fromStdString(m_filterIndex->LevelPath(entry));
}

void TMForm::EndFilter(bool focusList)
{
    if (!m_filtering)
        return;
    const bool filterHadFocus = m_filterEdit->hasFocus();
    // The browser's level was never left: it is shown again, which drops the filter.
    m_browser.ShowLevel(m_browser.LevelStart(), m_entryBeforeFilter);
    if (!focusList && filterHadFocus)
        m_filterEdit->setFocus();
}

void TMForm::DropFilter()
{
    m_listView->HideTableRows();
    m_filtering = false;
    m_entryBeforeFilter = -1;
    // Not filtering any more, the field's own change signal ends nothing; it also hides
    // the field's clear button.
    if (!m_filterEdit->text().isEmpty())
        m_filterEdit->clear();
    m_statusPanels[1]->clear();
}

bool TMForm::FilterEditKey(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_filtering)
            EndFilter(true);
        else
            m_listView->setFocus();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_filtering && m_listView->currentItem())
            ListViewDblClick();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // The keys that move through the list move through the matches.
        QApplication::sendEvent(m_listView, event);
        return true;
    default:
        return false;
    }
}

bool TMForm::ListKeyWhileFiltering(QKeyEvent* event)
{
    // Esc ends the filter; Backspace edits it rather than going up a level, so the
    // shortcut gives way to it.
    if (event->key() != Qt::Key_Escape && event->key() != Qt::Key_Backspace)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->key() == Qt::Key_Escape) {
        EndFilter(true);
    } else {
        m_filterEdit->setFocus();
        m_filterEdit->end(false);
        m_filterEdit->backspace();
    }
    return true;
}

void TMForm::FocusFilter(const QString& typed)
{
    if (m_browser.IsShellPageShowing())
        return;
    m_filterEdit->setFocus(Qt::ShortcutFocusReason);
    if (typed.isEmpty()) {
        m_filterEdit->selectAll();
    } else {
        m_filterEdit->end(false);
        m_filterEdit->insert(typed);
    }
}
