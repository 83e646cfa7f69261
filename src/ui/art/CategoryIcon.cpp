// The recommendation categories' picture.
#include "ui/art/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace art {

QImage categoryIcon()
{
    QImage img(32, 27, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor edge(0x8a, 0x5c, 0x10);
    // The back of the folder with its tab.
    QPainterPath back;
    back.moveTo(2.5, 5.5);
    back.lineTo(11.5, 5.5);
    back.lineTo(14, 8.5);
    back.lineTo(29.5, 8.5);
    back.lineTo(29.5, 24.5);
    back.lineTo(2.5, 24.5);
    back.closeSubpath();
    QLinearGradient backFill(0, 5, 0, 25);
    backFill.setColorAt(0, QColor(0xf7, 0xd5, 0x7a));
    backFill.setColorAt(1, QColor(0xd9, 0xa2, 0x32));
    p.setPen(QPen(edge, 1.0));
    p.setBrush(backFill);
    p.drawPath(back);
    // A sheet sticking out of it.
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x9a, 0x9a, 0x9a), 1.0));
    p.drawRect(QRectF(6.5, 9.5, 19, 10));
    p.setPen(QPen(QColor(0x3a, 0x74, 0xe0), 1.0));
    p.drawLine(QPointF(9, 12.5), QPointF(23, 12.5));
    p.drawLine(QPointF(9, 15.5), QPointF(20, 15.5));
    // The front flap.
    QPainterPath front;
    front.moveTo(2.5, 13.5);
    front.lineTo(29.5, 13.5);
    front.lineTo(27.5, 24.5);
    front.lineTo(4.5, 24.5);
    front.closeSubpath();
    QLinearGradient frontFill(0, 13, 0, 25);
    frontFill.setColorAt(0, QColor(0xff, 0xe4, 0x8f));
    frontFill.setColorAt(1, QColor(0xe8, 0xb0, 0x3c));
    p.setPen(QPen(edge, 1.0));
    p.setBrush(frontFill);
    p.drawPath(front);
    p.end();
    return img;
}

} // namespace art
