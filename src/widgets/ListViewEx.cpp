#include "widgets/ListViewEx.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>
#include <QMetaMethod>
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
    // A width set by the program or the user is the stretch column's natural width; any
    // change of the columns changes the spare width.
    connect(header(), &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (m_fitting)
            return;
        if (logical == m_stretchColumn)
            m_naturalWidth = size;
        FitStretchColumn();
    });
}

void TListViewEx::SetSortColumn(int column)
{
    m_sortColumn = column;
    if (IsSorting())
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

// A row that keeps its texts and image as given, shared with the table they came from,
// and makes the view's values of them only when asked: filling the list with many rows
// then costs little, as only the rows on screen are ever asked.
class TListViewEx::TStoredRow : public QTreeWidgetItem {
public:
    TStoredRow(std::shared_ptr<const TListRow> row, int columns, const std::vector<QIcon>& images)
        : m_row(std::move(row)), m_images(images),
          m_shown(std::min(static_cast<int>(m_row->subTexts.size()), std::max(0, columns - 1)))
    {
        // The item counts its columns by what it stores itself: a mark in the last column
        // gives it the list's count, which the list's change notices rely on.
        if (columns > 0)
            QTreeWidgetItem::setData(columns - 1, kColumnsMarkRole, true);
    }

    const TListRow& Row() const { return *m_row; }

    QVariant data(int column, int role) const override
    {
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            if (const std::string* text = Text(*m_row, column))
                return QString::fromStdString(*text);
        } else if (column == 0 && role == kKeyRole) {
            return m_row->key;
        } else if (column == 0 && role == kImageRole) {
            return m_row->image;
        } else if (column == 0 && role == kSubTextCountRole) {
            return m_shown;
        } else if (column == 0 && role == Qt::DecorationRole && m_row->image >= 0 &&
                   static_cast<std::size_t>(m_row->image) < m_images.size()) {
            return m_images[static_cast<std::size_t>(m_row->image)];
        }
        return QTreeWidgetItem::data(column, role);
    }

    void setData(int column, int role, const QVariant& value) override
    {
        const bool text = (role == Qt::DisplayRole || role == Qt::EditRole) && Text(*m_row, column);
        const bool stored = text || (column == 0 && (role == kKeyRole || role == kImageRole));
        if (!stored) {
            QTreeWidgetItem::setData(column, role, value);
            return;
        }
        // The row leaves the shared table before it changes.
        auto own = std::make_shared<TListRow>(*m_row);
        if (text)
            *Text(*own, column) = value.toString().toStdString();
        else if (role == kKeyRole)
            own->key = value.toInt();
        else
            own->image = value.toInt();
        m_row = std::move(own);
        emitDataChanged();
    }

private:
    static constexpr int kColumnsMarkRole = Qt::UserRole + 4;

    template <typename TRow>
    auto Text(TRow& row, int column) const -> decltype(&row.caption)
    {
        if (column == 0)
            return &row.caption;
        return column > 0 && column <= m_shown ? &row.subTexts[static_cast<std::size_t>(column - 1)]
                                               : nullptr;
    }

    std::shared_ptr<const TListRow> m_row;
    const std::vector<QIcon>& m_images; // the list's, which outlives its rows
    int m_shown;                         // sub-texts shown: at most one per column after the first
};

QTreeWidgetItem* TListViewEx::AddRow(TListRow row)
{
    HideTableRows();
    auto* item = new TStoredRow(std::make_shared<const TListRow>(std::move(row)), columnCount(), m_images);
    addTopLevelItem(item);
    return item;
}

void TListViewEx::SetTableRows(std::size_t count, TRowMaker makeRow)
{
    HideTableRows();
    m_makeRow = std::move(makeRow);
    m_tableRows.assign(count, nullptr);
    m_tableOwned.clear();
    m_tableOwned.resize(count);
}

void TListViewEx::ShowTableRows(const std::vector<std::size_t>& rows)
{
    if (m_tableShown)
        HideTableRows();
    else
        QTreeWidget::clear();
    m_tableShown = true;
    AppendTableRows(rows.data(), rows.data() + rows.size());
}

void TListViewEx::AppendTableRows(const std::size_t* first, const std::size_t* last)
{
    if (!m_tableShown)
        ShowTableRows({});
    // A row is made the first time it shows; the rows shown pass from m_tableOwned to the list.
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(last - first));
    for (const std::size_t* row = first; row != last; ++row) {
        if (*row >= m_tableRows.size() || (m_tableRows[*row] && !m_tableOwned[*row]))
            continue; // no row of the table, or one shown already
        if (!m_tableRows[*row]) {
            m_tableOwned[*row] = std::make_unique<TStoredRow>(std::make_shared<const TListRow>(m_makeRow(*row)),
                                                              columnCount(), m_images);
            m_tableRows[*row] = m_tableOwned[*row].get();
        }
        items.append(m_tableOwned[*row].release());
        m_tableShownRows.push_back(*row);
    }
    addTopLevelItems(items);
}

void TListViewEx::HideTableRows()
{
    if (!m_tableShown)
        return;
    // The list lets go of the rows it shows (the table's alone), which pass back to m_tableOwned.
    invisibleRootItem()->takeChildren();
    for (std::size_t row : m_tableShownRows)
        m_tableOwned[row].reset(m_tableRows[row]);
    m_tableShownRows.clear();
    m_tableShown = false;
}

void TListViewEx::clear()
{
    HideTableRows();
    QTreeWidget::clear();
}

bool TListViewEx::IsSorting() const
{
    return m_sortColumn >= 0 && m_sortColumn < columnCount() && m_sortOrder != TSortOption::soNone;
}

void TListViewEx::AddRows(const std::vector<QStringList>& rows)
{
    HideTableRows();
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
    if (const auto* stored = dynamic_cast<const TStoredRow*>(item))
        return stored->Row();
    TListRow row;
    row.caption = item->text(0).toStdString();
    row.image = item->data(0, kImageRole).toInt();
    const int count = item->data(0, kSubTextCountRole).toInt();
    for (int i = 0; i < count; ++i)
        row.subTexts.push_back(item->text(i + 1).toStdString());
    return row;
}

std::vector<std::string> TListViewEx::CaptionsOnScreen() const
{
    std::vector<std::string> captions;
    for (int visual = 0; visual < header()->count(); ++visual)
        captions.push_back(headerItem()->text(header()->logicalIndex(visual)).toStdString());
    return captions;
}

void TListViewEx::AdoptOnScreenOrder()
{
    QHeaderView* head = header();
    if (!head->sectionsMoved())
        return;
    struct TColumn {
        QString caption;
        int width;
        bool hidden;
    };
    const int count = columnCount();
    std::vector<int> logicalAt;
    std::vector<TColumn> columns;
    for (int v = 0; v < count; ++v) {
        const int l = head->logicalIndex(v);
        logicalAt.push_back(l);
        columns.push_back({headerItem()->text(l), columnWidth(l), isColumnHidden(l)});
    }
    std::vector<QStringList> rows;
    for (int r = 0; r < topLevelItemCount(); ++r) {
        QStringList cells;
        for (int l : logicalAt)
            cells << topLevelItem(r)->text(l);
        rows.push_back(cells);
    }
    const int sortedOnScreen = m_sortColumn >= 0 && m_sortColumn < count ? head->visualIndex(m_sortColumn) : m_sortColumn;

    for (int v = 0; v < count; ++v)
        head->moveSection(head->visualIndex(v), v);
    for (int v = 0; v < count; ++v) {
        const TColumn& column = columns[static_cast<std::size_t>(v)];
        headerItem()->setText(v, column.caption);
        setColumnHidden(v, column.hidden);
        if (!column.hidden)
            setColumnWidth(v, column.width);
    }
    for (int r = 0; r < topLevelItemCount(); ++r) {
        const QStringList& cells = rows[static_cast<std::size_t>(r)];
        for (int v = 0; v < count; ++v)
            topLevelItem(r)->setText(v, cells[v]);
    }
    SetSortColumn(sortedOnScreen);
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
    emit ColumnClicked(column);
}

void TListViewEx::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        emit EnterPressed();
        return;
    }
    const QString text = event->text();
    const bool typed = !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace() &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (typed && isSignalConnected(QMetaMethod::fromSignal(&TListViewEx::TextTyped))) {
        emit TextTyped(text);
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
        const TListRow* row;
        QTreeWidgetItem* item;
    };
    // Stored rows are compared where they are; the others are read once.
    std::vector<TListRow> readRows;
    readRows.reserve(static_cast<std::size_t>(count));
    std::vector<TEntry> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        const auto* stored = dynamic_cast<const TStoredRow*>(item);
        if (!stored)
            readRows.push_back(RowOf(item));
        rows.push_back({stored ? &stored->Row() : &readRows.back(), item});
    }
    std::stable_sort(rows.begin(), rows.end(), [this](const TEntry& a, const TEntry& b) {
        return Compare(*a.row, *b.row) < 0;
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

void TListViewEx::SetStretchColumn(int column)
{
    m_stretchColumn = column;
    m_naturalWidth = column >= 0 ? header()->sectionSize(column) : 0;
    FitStretchColumn();
}

int TListViewEx::NaturalWidth(int column) const
{
    return column == m_stretchColumn ? m_naturalWidth : header()->sectionSize(column);
}

void TListViewEx::FitStretchColumn()
{
    QHeaderView* h = header();
    if (m_stretchColumn < 0 || m_stretchColumn >= h->count() || h->isSectionHidden(m_stretchColumn))
        return;
    int others = 0;
    for (int i = 0; i < h->count(); ++i)
        if (i != m_stretchColumn && !h->isSectionHidden(i))
            others += h->sectionSize(i);
    const int wanted = std::max(m_naturalWidth, viewport()->width() - others);
    if (h->sectionSize(m_stretchColumn) != wanted) {
        m_fitting = true;
        h->resizeSection(m_stretchColumn, wanted);
        m_fitting = false;
    }
}

void TListViewEx::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    FitStretchColumn();
}

QString TListViewEx::ToolTipOf(const QModelIndex& index) const
{
    return m_toolTipOf && index.isValid() ? m_toolTipOf(index) : QString();
}

bool TListViewEx::IsTextCut(const QModelIndex& index) const
{
    if (!index.isValid() || isColumnHidden(index.column()))
        return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QAbstractItemDelegate* delegate = itemDelegateForIndex(index);
    return delegate && delegate->sizeHint(option, index).width() > columnWidth(index.column());
}

bool TListViewEx::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && m_toolTipOf) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString tip = ToolTipOf(index);
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(index));
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}

void TListViewEx::keyboardSearch(const QString& search)
{
    // The search runs in the column of the current cell: the type-ahead column's cell of
    // the current row is made current first.
    if (m_typeAheadColumn >= 0 && m_typeAheadColumn < columnCount() && model()->rowCount() > 0) {
        const QModelIndex current = currentIndex();
        const int row = current.isValid() ? current.row() : 0;
        selectionModel()->setCurrentIndex(model()->index(row, m_typeAheadColumn), QItemSelectionModel::NoUpdate);
    }
    QTreeWidget::keyboardSearch(search);
}
