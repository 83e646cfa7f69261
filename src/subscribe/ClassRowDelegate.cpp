#include "subscribe/ClassRowDelegate.h"

#include "ui/skin/Colours.h"

#include <QFontMetrics>
#include <QPainter>

namespace subscribe {

void ClassRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QRect r = option.rect;
    painter->save();
    painter->fillRect(r, Qt::white);
    QFont font = option.font;
    font.setPointSize(9);
    painter->setFont(font);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->setPen(selected ? skin::kNavy : QColor(0, 128, 0));
    const QFontMetrics fm(font);
    const int x = r.left() + 2 + kImageWidth;
    const int y = r.top() + (r.height() - fm.height()) / 2;
    painter->drawText(x, y + fm.ascent(), index.data(Qt::DisplayRole).toString());
    painter->restore();
}

QSize ClassRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QFont font = option.font;
    font.setPointSize(9);
    return {2 + kImageWidth + QFontMetrics(font).horizontalAdvance(index.data(Qt::DisplayRole).toString()), kRowHeight};
}

} // namespace subscribe
