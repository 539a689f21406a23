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
#include <QTimer>

#include <algorithm>
#include <utility>

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
    ShowMatches(m_filterIndex->Match(m_browser.Entries(), text.toStdString()));
}

namespace {

// The matches shown at once; the others follow in parts, one per pass of the event
// loop, each twice as large as the one before up to the largest.
constexpr std::size_t kFirstMatches = 2000;
constexpr std::size_t kLargestMatchPart = 16384;
// The most matches the list shows: past them the window would hold a row for every
// entry of a huge file, and no one reads so many; the status bar says so.
constexpr std::size_t kMostListedMatches = 100000;
// From this many entries on, the entries are sorted in a new order on a worker: making
// and sorting their rows takes about 2 us an entry.
constexpr std::size_t kOrderOnWorkerFrom = 50000;

// The list row of the entry at entry index i, as the filter shows it.
TListRow FilterRow(const TOutlineStore& entries, int i, const std::string& layout)
{
    const TOutlineEntry e = EntryAt(entries, i);
    return {" ", e.icon, OutlineSubTexts(layout, LineCellText(e), e.type, e.declaration, e.comment), i};
}

// Thrown out of a sort whose worker was asked to stop.
struct TOrderStopped {};

// The entries' order in the list's sort (the compare the window gives the list), worked
// out from rows made for this and let go; any thread. A stop request ends it with
// TOrderStopped.
std::vector<std::uint32_t> FilterOrder(const TOutlineStore& entries, const std::string& layout,
                                       std::pair<int, TSortOption> sort, int columns,
                                       std::stop_token stop = {})
{
    std::vector<std::uint32_t> order(RecordCount(entries));
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<std::uint32_t>(i);
    if (sort.first < 0 || sort.first >= columns || sort.second == TSortOption::soNone)
        return order;
    std::vector<TListRow> rows;
    rows.reserve(order.size());
    for (int i = 0; HasRecordAt(entries, i); i += kRecordLines) {
        if ((i & 0xFFFF) == 0 && stop.stop_requested())
            throw TOrderStopped();
        rows.push_back(FilterRow(entries, i, layout));
    }
    std::size_t compares = 0;
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        if ((++compares & 0xFFFF) == 0 && stop.stop_requested())
            throw TOrderStopped();
        return ListViewCompare(rows[a], rows[b], layout, sort.first, sort.second) < 0;
    });
    return order;
}

} // namespace

TMForm::TFilterTable TMForm::MakeFilterTable(const TOutlineStore& entries, const std::string& layout,
                                             std::pair<int, TSortOption> sort)
{
    TFilterTable table;
    table.index = std::make_unique<TOutlineFilter>(entries);
    table.order = FilterOrder(entries, layout, sort, kColumnCount);
    table.sort = sort;
    return table;
}

void TMForm::PrepareFilter()
{
    if (m_filterIndex && m_filterIndexVersion == m_browser.EntriesVersion())
        return;
    // Each keystroke then only matches and picks rows, made from the entries when shown.
    const TOutlineStore& entries = m_browser.Entries();
    std::optional<TFilterTable> scanned = std::exchange(m_scannedFilter, std::nullopt);
    const bool fromScan = scanned && !entries.empty() && m_scannedFilterEntries == entries.Identity();
    m_scannedFilterEntries = nullptr;
    TFilterTable table = fromScan ? std::move(*scanned)
                                  : MakeFilterTable(entries, m_headerLayout,
                                                    {m_listView->SortColumn(), m_listView->SortOrder()});
    m_filterIndex = std::move(table.index);
    MakeFilterListRows();
    m_filterIndexVersion = m_browser.EntriesVersion();
    m_filterOrder = std::move(table.order);
    m_filterOrderSort = table.sort;
}

void TMForm::MakeFilterListRows()
{
    m_listView->SetTableRows(m_filterIndex->EntryCount(), [this](std::size_t row) {
        return FilterRow(m_browser.Entries(), static_cast<int>(kRecordLines * row), m_headerLayout);
    });
    m_filterRowsMade = 0;
}

bool TMForm::IsFilterBusy() const
{
    return m_filterIndexVersion != m_browser.EntriesVersion() || m_matchesShown < m_matchRows.size() ||
           m_orderJob.running;
}

void TMForm::ShowMatches(const std::vector<int>& matches)
{
    // The whole file's rows in the list's order, sorted again only when the user has
    // sorted the list anew since.
    FollowSort();
    std::vector<char> matched(m_filterIndex->EntryCount(), 0);
    for (int i : matches)
        matched[static_cast<std::size_t>(i / kRecordLines)] = 1;
    m_matchRows.clear();
    m_matchRows.reserve(std::min(matches.size(), kMostListedMatches));
    for (const std::size_t row : m_filterOrder) {
        if (m_matchRows.size() == kMostListedMatches)
            break;
        if (matched[row])
            m_matchRows.push_back(row);
    }
    m_matchesShown = std::min(m_matchRows.size(), kFirstMatches);
    m_matchPart = kFirstMatches;

    m_listView->setUpdatesEnabled(false);
    // The rows of the last keystrokes' matches are kept for the next ones, up to a few
    // times the most the list shows; a level's are not.
    m_filterRowsMade += m_matchRows.size();
    if (m_filterRowsMade > 4 * kMostListedMatches) {
        MakeFilterListRows();
        m_filterRowsMade = m_matchRows.size();
    }
    m_listView->ShowTableRows({});
    m_listView->AppendTableRows(m_matchRows.data(), m_matchRows.data() + m_matchesShown);
    MakeEntryCurrent(-1);
    m_listView->setUpdatesEnabled(true);
    m_statusPanels[1]->setText(matches.size() == 1 ? QStringLiteral("1 match")
                                                   : QStringLiteral("%1 matches").arg(matches.size()));
    m_listedNotice = m_matchRows.size() < matches.size();
    m_statusNotice->setText(m_listedNotice ? QStringLiteral("The first %1 matches are listed; type more to narrow them")
                                                 .arg(kMostListedMatches)
                                           : QString());
    if (m_matchesShown < m_matchRows.size()) {
        if (!m_matchTimer) {
            m_matchTimer = new QTimer(this);
            m_matchTimer->setSingleShot(true);
            m_matchTimer->setInterval(0);
            connect(m_matchTimer, &QTimer::timeout, this, &TMForm::ShowMoreMatches);
        }
        m_matchTimer->start();
    }
}

void TMForm::FollowSort()
{
    const std::pair<int, TSortOption> sort{m_listView->SortColumn(), m_listView->SortOrder()};
    const int version = m_browser.EntriesVersion();
    if (sort == m_filterOrderSort ||
        (m_orderJob.running && sort == m_orderJob.sort && version == m_orderJob.version))
        return;
    // Any answer still to come is for an order no longer wanted.
    const unsigned job = ++m_orderJob.serial;
    const std::shared_ptr<const TOutlineStore> entries = m_browser.SharedEntries();
    if (RecordCount(*entries) < kOrderOnWorkerFrom) {
        m_orderWorker = {};
        m_orderJob.running = false;
        m_filterOrder = FilterOrder(*entries, m_headerLayout, sort, kColumnCount);
        m_filterOrderSort = sort;
        return;
    }
    // The worker keeps the entries; a worker still sorting for another order is stopped
    // first. The answer comes back through the application object, which outlives the window.
    m_orderJob.sort = sort;
    m_orderJob.version = version;
    m_orderJob.running = true;
    const QPointer<TMForm> self(this);
    m_orderWorker = std::jthread([self, job, version, entries, sort, layout = m_headerLayout](std::stop_token stop) {
        std::optional<std::vector<std::uint32_t>> order;
        try {
            order = FilterOrder(*entries, layout, sort, kColumnCount, stop);
        } catch (const TOrderStopped&) {
        }
        // The rows made for the sort are gone, sorted or not.
        ReleaseFreedMemory();
        if (!order)
            return;
        QMetaObject::invokeMethod(qApp, [self, job, version, sort, order = std::move(*order)]() mutable {
            if (!self || job != self->m_orderJob.serial)
                return;
            self->m_orderJob.running = false;
            if (version != self->m_browser.EntriesVersion())
                return;
            self->m_filterOrder = std::move(order);
            self->m_filterOrderSort = sort;
            if (self->m_filtering)
                self->ApplyFilter(self->m_filterEdit->text());
        }, Qt::QueuedConnection);
    });
}

void TMForm::ShowMoreMatches()
{
    // One part per pass. Adding rows costs the list a layout of all it shows: the parts
    // grow, so that the layouts stay few, up to a size that keeps a pass short.
    m_matchPart = std::min(2 * m_matchPart, kLargestMatchPart);
    const std::size_t end = std::min(m_matchRows.size(), m_matchesShown + m_matchPart);
    m_listView->AppendTableRows(m_matchRows.data() + m_matchesShown, m_matchRows.data() + end);
    m_matchesShown = end;
    if (m_matchesShown < m_matchRows.size())
        m_matchTimer->start();
    else
        DropPendingMatches();
}

void TMForm::DropPendingMatches()
{
    if (m_matchTimer)
        m_matchTimer->stop();
    m_matchRows = {};
    m_matchesShown = 0;
}

QString TMForm::LevelPathOf(const QModelIndex& index) const
{
    if (!m_filtering || !m_filterIndex)
        return {};
    const int entry = index.sibling(index.row(), 0).data(TListViewEx::kKeyRole).toInt();
    return QString::fromStdString(m_filterIndex->LevelPath(m_browser.Entries(), entry));
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
    DropPendingMatches();
    if (std::exchange(m_listedNotice, false))
        m_statusNotice->clear();
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
