#include "ui/skin/LinkLabel.h"

#include <QMouseEvent>
#include <QPainter>

namespace skin {

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    setPalette(p);
}

void LinkLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    // Drawn here, one pixel clear below the Chinese characters, whose ink
    // ends on the baseline; the face's own underline would cut through them.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics(font());
    const int y = contentsRect().top() + metrics.ascent() + 2;
    painter.drawLine(contentsRect().left(), y, contentsRect().left() + metrics.horizontalAdvance(text()) - 1, y);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

} // namespace skin
