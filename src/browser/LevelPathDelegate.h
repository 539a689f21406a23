#pragma once
// Draws the Declaration cell of a filter match: the declaration, then the path of the
// level it stands in, dimmed ("Count  in TInventory > Find"). Cells without a path are
// drawn as usual. User-interface thread only.

#include <QStyledItemDelegate>

#include <functional>

class TLevelPathDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // The level path of the row of a cell; empty when the row shows none.
    using TPathOf = std::function<QString(const QModelIndex&)>;

    TLevelPathDelegate(TPathOf pathOf, QObject* parent) : QStyledItemDelegate(parent), m_pathOf(std::move(pathOf)) {}

    // "in TInventory > Find": how the path follows the declaration.
    static QString PathText(const QString& path);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TPathOf m_pathOf;
};
