#include "browser/ListViewEx.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

THeaderArrows::THeaderArrows(TListViewEx* list) : QHeaderView(Qt::Horizontal, list), m_list(list)
{
    setSectionsClickable(true);
    setSectionsMovable(true);
    setFirstSectionMovable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void THeaderArrows::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    // The section's own drawing leaves the painter clipped; the arrow gets a clean state.
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    const TSortOption arrow = m_list->ArrowOf(logicalIndex);
    if (arrow == TSortOption::soNone || rect.width() < 16)
        return;
    // A small filled triangle at the right edge, pointing up for ascending.
    const qreal half = 4.0;
    const QPointF c(rect.right() - 10.0, rect.center().y() + 0.5);
    QPainterPath path;
    if (arrow == TSortOption::soAscending) {
        path.moveTo(c.x() - half, c.y() + half / 2);
        path.lineTo(c.x() + half, c.y() + half / 2);
        path.lineTo(c.x(), c.y() - half / 2 - 1);
    } else {
        path.moveTo(c.x() - half, c.y() - half / 2);
        path.lineTo(c.x() + half, c.y() - half / 2);
        path.lineTo(c.x(), c.y() + half / 2 + 1);
    }
    path.closeSubpath();
    painter->save();
    painter->setClipRect(rect);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(path, palette().color(QPalette::ButtonText));
    painter->restore();
}

TListViewEx::TListViewEx(QWidget* parent) : QTreeWidget(parent)
{
    setHeader(new THeaderArrows(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The list sorts itself; turning the view's own sorting off also makes the header
    // unclickable, so the clicks are switched on again.
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    connect(header(), &QHeaderView::sectionClicked, this, &TListViewEx::ColumnClick);
}

void TListViewEx::SetSortColumn(int column)
{
    m_sortColumn = column;
    if (column >= 0 && column < columnCount() && m_sortOrder != TSortOption::soNone)
        SortRows();
    header()->viewport()->update();
}

void TListViewEx::SetSortOrder(TSortOption order)
{
    if (order == m_sortOrder)
        return;
    m_sortOrder = order;
    SetSortColumn(m_sortColumn);
}

TSortOption TListViewEx::ArrowOf(int column) const
{
    if (m_sortOrder == TSortOption::soNone || column != m_sortColumn || column < 0 ||
        column >= columnCount())
        return TSortOption::soNone;
    return m_sortOrder;
}

void TListViewEx::SetImages(std::vector<QIcon> images)
{
    m_images = std::move(images);
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        const int image = item->data(0, kImageRole).toInt();
        if (image >= 0 && static_cast<std::size_t>(image) < m_images.size())
            item->setIcon(0, m_images[static_cast<std::size_t>(image)]);
    }
}

QTreeWidgetItem* TListViewEx::AddRow(const QString& caption, int image,
                                     const std::vector<std::string>& subTexts)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, caption);
    item->setData(0, kImageRole, image);
    if (image >= 0 && static_cast<std::size_t>(image) < m_images.size())
        item->setIcon(0, m_images[static_cast<std::size_t>(image)]);
    const int shown = std::min(static_cast<int>(subTexts.size()), std::max(0, columnCount() - 1));
    for (int i = 0; i < shown; ++i)
        item->setText(i + 1, QString::fromStdString(subTexts[static_cast<std::size_t>(i)]));
    item->setData(0, kSubTextCountRole, shown);
    addTopLevelItem(item);
    return item;
}

void TListViewEx::AddRows(const std::vector<QStringList>& rows)
{
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const QStringList& texts : rows) {
        auto* item = new QTreeWidgetItem(texts);
        item->setData(0, kImageRole, -1);
        item->setData(0, kSubTextCountRole, std::max<int>(0, std::min<int>(texts.size(), columnCount()) - 1));
        items.append(item);
    }
    addTopLevelItems(items);
}

TListRow TListViewEx::RowOf(const QTreeWidgetItem* item)
{
    TListRow row;
    row.caption = item->text(0).toStdString();
    row.image = item->data(0, kImageRole).toInt();
    const int count = item->data(0, kSubTextCountRole).toInt();
    for (int i = 0; i < count; ++i)
        row.subTexts.push_back(item->text(i + 1).toStdString());
    return row;
}

QTreeWidgetItem* TListViewEx::Selected() const
{
    const auto items = selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

void TListViewEx::ColumnClick(int column)
{
    if (column == m_sortColumn && m_sortOrder == TSortOption::soAscending)
        m_sortOrder = TSortOption::soDescending;
    else
        m_sortOrder = TSortOption::soAscending;
    SetSortColumn(column);
}

void TListViewEx::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        emit EnterPressed();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

int TListViewEx::Compare(const TListRow& a, const TListRow& b) const
{
    if (m_onCompare)
        return m_onCompare(a, b);
    return DefaultCompare(a, b, m_sortColumn, m_sortOrder);
}

void TListViewEx::SortRows()
{
    const int count = topLevelItemCount();
    if (count < 2)
        return;
    QTreeWidgetItem* current = currentItem();
    QTreeWidgetItem* selected = Selected();
    struct TEntry {
        TListRow row;
        QTreeWidgetItem* item;
    };
    std::vector<TEntry> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        rows.push_back({RowOf(topLevelItem(i)), topLevelItem(i)});
    std::stable_sort(rows.begin(), rows.end(), [this](const TEntry& a, const TEntry& b) {
        return Compare(a.row, b.row) < 0;
    });
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    invisibleRootItem()->takeChildren();
    QList<QTreeWidgetItem*> sorted;
    sorted.reserve(count);
    for (const auto& r : rows)
        sorted.append(r.item);
    addTopLevelItems(sorted);
    if (current)
        setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    if (selected) {
        selected->setSelected(true);
        scrollToItem(selected);
    }
    setUpdatesEnabled(updates);
}
