#pragma once
// The search window's result list: a report list that keeps a sort column and a sort
// order, sorts on a header click (the sorted column's second click flips the order,
// another column starts ascending) with a stable, case-insensitive text compare, and
// shows the sort indicator on the sorted column. Rows are not re-sorted as they arrive.
// GUI thread only.

#include <QStringList>
#include <QTreeWidget>

#include <vector>

class TSearchResultList : public QTreeWidget {
    Q_OBJECT
public:
    enum class TSortOrder { None, Ascending, Descending };

    explicit TSearchResultList(QWidget* parent = nullptr);

    // The plain text compare: ASCII letters without regard to case, every other
    // character by its code; 0 for equal texts.
    static int CompareText(const QString& a, const QString& b);

    int SortColumn() const { return m_sortColumn; }
    // Stores the column, sorts the rows (when an order is set and the column exists)
    // and moves the sort indicator. Writing the same column again re-sorts.
    void SetSortColumn(int column);
    TSortOrder SortOrder() const { return m_sortOrder; }
    // A different order is stored and the column written again; the same order changes nothing.
    void SetSortOrder(TSortOrder order);

    // Appends rows at the end, each a caption followed by its cells.
    void AddRows(const std::vector<QStringList>& rows);
    // The caption of the selected row, or the empty text when none is selected.
    QString SelectedCaption() const;

    // What a click on a column's header does.
    void ColumnClick(int column);

private:
    void SortRows();
    void UpdateHeaderArrow();

    int m_sortColumn = 0;
    TSortOrder m_sortOrder = TSortOrder::None;
};
