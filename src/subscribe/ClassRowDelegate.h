#pragma once

#include <QStyledItemDelegate>

namespace subscribe {

// Draws a row of the subscription panel's class list: white, 9-point text,
// navy for the selected class and green for the others, no highlight bar.
class ClassRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int kRowHeight = 20;
    // Width of the list's (empty) small images, before the caption.
    static constexpr int kImageWidth = 1;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace subscribe
