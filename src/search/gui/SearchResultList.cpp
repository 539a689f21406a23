#include "search/gui/SearchResultList.h"

#include <QHeaderView>

#include <algorithm>

TSearchResultList::TSearchResultList(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Long paths keep their beginning and their file name in view.
    setTextElideMode(Qt::ElideMiddle);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, &TSearchResultList::ColumnClick);
}

namespace {

QByteArray CompareKey(const QString& text)
{
    QByteArray key = text.toUtf8();
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return key;
}

} // namespace

int TSearchResultList::CompareText(const QString& a, const QString& b)
{
    // UTF-8 bytes compared without sign keep the order of the character codes.
    const int c = CompareKey(a).compare(CompareKey(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void TSearchResultList::SetSortColumn(int column)
{
    m_sortColumn = column;
    SortRows();
    UpdateHeaderArrow();
}

void TSearchResultList::SetSortOrder(TSortOrder order)
{
    if (order == m_sortOrder)
        return;
    m_sortOrder = order;
    SetSortColumn(m_sortColumn);
}

void TSearchResultList::ColumnClick(int column)
{
    m_sortOrder = column == m_sortColumn && m_sortOrder == TSortOrder::Ascending
                      ? TSortOrder::Descending
                      : TSortOrder::Ascending;
    SetSortColumn(column);
}

void TSearchResultList::AddRows(const std::vector<QStringList>& rows)
{
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const auto& cells : rows)
        items.append(new QTreeWidgetItem(cells));
    addTopLevelItems(items);
}

QString TSearchResultList::SelectedCaption() const
{
    const auto selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text(0);
}

void TSearchResultList::SortRows()
{
    if (m_sortOrder == TSortOrder::None || m_sortColumn < 0 || m_sortColumn >= columnCount())
        return;
    QTreeWidgetItem* current = currentItem();
    const bool currentSelected = current && current->isSelected();
    struct TKeyed {
        QByteArray key;
        QTreeWidgetItem* item;
    };
    std::vector<TKeyed> rows;
    const QList<QTreeWidgetItem*> items = invisibleRootItem()->takeChildren();
    rows.reserve(static_cast<std::size_t>(items.size()));
    for (QTreeWidgetItem* item : items)
        rows.push_back({CompareKey(item->text(m_sortColumn)), item});
    const bool descending = m_sortOrder == TSortOrder::Descending;
    // Stable, so rows with equal texts keep their earlier order in either direction.
    std::stable_sort(rows.begin(), rows.end(), [descending](const TKeyed& a, const TKeyed& b) {
        return descending ? b.key < a.key : a.key < b.key;
    });
    QList<QTreeWidgetItem*> sorted;
    sorted.reserve(items.size());
    for (const auto& row : rows)
        sorted.append(row.item);
    addTopLevelItems(sorted);
    if (current) {
        setCurrentItem(current, 0, currentSelected ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                                                   : QItemSelectionModel::NoUpdate);
        scrollToItem(current);
    }
}

void TSearchResultList::UpdateHeaderArrow()
{
    const bool shown = m_sortOrder != TSortOrder::None && m_sortColumn >= 0 && m_sortColumn < columnCount();
    // Qt draws its ascending indicator as a down arrow; this list shows an up arrow for
    // ascending and a down arrow for descending, so the header gets the opposite order.
    header()->setSortIndicator(shown ? m_sortColumn : -1,
                               m_sortOrder == TSortOrder::Descending ? Qt::AscendingOrder : Qt::DescendingOrder);
}
