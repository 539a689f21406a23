#include "browser/LevelPathDelegate.h"

#include <QApplication>
#include <QPainter>

namespace {

// The gap between the declaration and its path, in average character widths.
constexpr int kGapChars = 2;

} // namespace

QString TLevelPathDelegate::PathText(const QString& path)
{
    return QStringLiteral("in ") + path;
}

void TLevelPathDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    const QString path = m_pathOf(index);
    if (path.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QString declaration = opt.text;
    // The style draws the background, the selection and the focus; the texts come after.
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget)
                           .adjusted(margin, 0, -margin, 0);
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                            : QPalette::Inactive;
    QColor color = opt.palette.color(
        group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text);
    const QFontMetrics& metrics = opt.fontMetrics;
    const QString shown = metrics.elidedText(declaration, Qt::ElideRight, text.width());
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(color);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    const QRect rest =
        text.adjusted(metrics.horizontalAdvance(shown) + kGapChars * metrics.averageCharWidth(), 0, 0, 0);
    if (rest.width() > metrics.averageCharWidth() * 3) {
        color.setAlphaF(0.6f);
        painter->setPen(color);
        painter->drawText(rest, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          metrics.elidedText(PathText(path), Qt::ElideRight, rest.width()));
    }
    painter->restore();
}

QSize TLevelPathDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QString path = m_pathOf(index);
    if (!path.isEmpty()) {
        const QFontMetrics& metrics = option.fontMetrics;
        size.rwidth() += kGapChars * metrics.averageCharWidth() + metrics.horizontalAdvance(PathText(path));
    }
    return size;
}
