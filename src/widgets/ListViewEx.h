#pragma once
// A report list that keeps a sort column and a sort order, sorts its rows by them
// with a stable sort, cycles the order when the user clicks a column header, and
// marks the sorted column's header with an up (ascending) or down (descending)
// arrow. Used by the outline list and the search results; user-interface thread only.

#include "widgets/core/ListCompare.h"

#include <QHeaderView>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <vector>

class TListViewEx;

// The list's header: draws the arrow of the sorted column over the usual section.
class THeaderArrows : public QHeaderView {
    Q_OBJECT
public:
    explicit THeaderArrows(TListViewEx* list);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    TListViewEx* m_list;
};

class TListViewEx : public QTreeWidget {
    Q_OBJECT
public:
    // Item data role of a row's image index.
    static constexpr int kImageRole = Qt::UserRole + 1;
    // Item data role of the number of sub-texts a row was given.
    static constexpr int kSubTextCountRole = Qt::UserRole + 2;
    // Item data role of the key a row was given (TListRow::key).
    static constexpr int kKeyRole = Qt::UserRole + 3;

    using TCompare = std::function<int(const TListRow&, const TListRow&)>;

    explicit TListViewEx(QWidget* parent = nullptr);

    int SortColumn() const { return m_sortColumn; }
    // Stores the column, sorts when it names a column and an order is set, and updates
    // the header arrows. Writing the same value again re-sorts.
    void SetSortColumn(int column);
    TSortOption SortOrder() const { return m_sortOrder; }
    // A different order is stored and the sort column written again; the same order does nothing.
    void SetSortOrder(TSortOption order);
    // The arrow the header shows on a column: soNone when it shows none.
    TSortOption ArrowOf(int column) const;

    // When set, decides the order alone, direction included; otherwise DefaultCompare.
    void SetOnCompare(TCompare compare) { m_onCompare = std::move(compare); }

    // The images rows show by index; icons that hold pixmaps of several sizes follow iconSize().
    void SetImages(std::vector<QIcon> images);
    // Appends a row: the caption in column 0, the image, and the sub-texts in columns 1, 2, ...
    QTreeWidgetItem* AddRow(TListRow row);
    // Appends rows without images in one step, each a caption followed by its sub-texts.
    void AddRows(const std::vector<QStringList>& rows);
    // Rows made once for many showings: count rows, each made by makeRow (from its
    // position) when it first shows. The list keeps them (replacing the rows of an earlier
    // table), whether it shows them or not.
    using TRowMaker = std::function<TListRow(std::size_t position)>;
    void SetTableRows(std::size_t count, TRowMaker makeRow);
    // Shows the table's rows at the positions given, in that order, instead of every row
    // the list shows. They show alone: adding a row takes them out first.
    void ShowTableRows(const std::vector<std::size_t>& rows);
    // Adds the table's rows at the positions from first to last after those shown (a
    // row shown already stays where it is), so that many rows can be shown in parts.
    void AppendTableRows(const std::size_t* first, const std::size_t* last);
    // Takes the table's rows out of the list; they are kept for the next showing.
    void HideTableRows();
    bool ShowsTableRows() const { return m_tableShown; }
    // Removes every row the list shows; the table's rows are kept.
    void clear();
    // True when a sort column and an order are set.
    bool IsSorting() const;
    static TListRow RowOf(const QTreeWidgetItem* item);
    // The captions of the columns in their on-screen order.
    std::vector<std::string> CaptionsOnScreen() const;
    // Makes the order in which the user dragged the columns their own order: captions,
    // widths, hidden columns, the rows' texts and the sort column move along, and the
    // header shows the columns unmoved. For lists whose rows hold texts only.
    void AdoptOnScreenOrder();
    // The selected row, or null.
    QTreeWidgetItem* Selected() const;

    // The user's click on a column header: ascending, or descending when the column is
    // already sorted ascending; then the column is written (sorts, moves the arrow).
    void ColumnClick(int column);

    // The column (logical index) that takes the spare width when the list is wider than
    // its columns, and gives it back when the list narrows, never below its natural
    // width: the width set by the program or the user; -1 for none.
    void SetStretchColumn(int column);
    // The width a column was given: for the stretch column its natural width, not what it
    // stretched to.
    int NaturalWidth(int column) const;

    // What the tooltip of a cell says, asked when the cell is hovered; empty for none.
    using TToolTipOf = std::function<QString(const QModelIndex&)>;
    void SetToolTipOf(TToolTipOf toolTipOf) { m_toolTipOf = std::move(toolTipOf); }
    QString ToolTipOf(const QModelIndex& index) const;
    // True when the cell's text (with its icon) is wider than the cell and is cut.
    bool IsTextCut(const QModelIndex& index) const;
    // The column that typing on the list searches (the row whose text there begins with
    // what was typed becomes current); -1: the column of the current cell.
    void SetTypeAheadColumn(int column) { m_typeAheadColumn = column; }
    void keyboardSearch(const QString& search) override;

signals:
    // Enter or Return on the list.
    void EnterPressed();
    // Text typed on the list. While something receives it, it goes there instead of
    // moving to the row that begins with it.
    void TextTyped(const QString& text);
    // The user sorted the list by a column (ColumnClick), after its rows were sorted.
    void ColumnClicked(int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void SortRows();
    void FitStretchColumn();
    int Compare(const TListRow& a, const TListRow& b) const;
    class TStoredRow;

    int m_sortColumn = 0;
    TSortOption m_sortOrder = TSortOption::soNone;
    TCompare m_onCompare;
    std::vector<QIcon> m_images;
    int m_stretchColumn = -1;
    int m_naturalWidth = 0;
    bool m_fitting = false; // the list itself is resizing the stretch column
    TToolTipOf m_toolTipOf;
    int m_typeAheadColumn = -1;
    // The table's rows, by their position in the table. Each is held either by
    // m_tableOwned or, while shown (its position in m_tableShownRows), by the list itself,
    // never by both.
    TRowMaker m_makeRow;
    std::vector<QTreeWidgetItem*> m_tableRows; // null until the row is made
    std::vector<std::unique_ptr<QTreeWidgetItem>> m_tableOwned;
    std::vector<std::size_t> m_tableShownRows;
    bool m_tableShown = false;
};
