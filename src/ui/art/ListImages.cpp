// The main window's large list images (community pages, categories).
#include "ui/art/ListImages.h"

#include "ui/art/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace art {

namespace {

QImage blank()
{
    QImage img(32, 27, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

QImage person()
{
    QImage img = blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor edge(0x1f, 0x4e, 0x8c);
    // Shoulders, then the head above them.
    QPainterPath body;
    body.moveTo(6.5, 25.5);
    body.cubicTo(6.5, 17, 11, 15.5, 16, 15.5);
    body.cubicTo(21, 15.5, 25.5, 17, 25.5, 25.5);
    body.closeSubpath();
    QLinearGradient shirt(0, 15, 0, 26);
    shirt.setColorAt(0, QColor(0x6f, 0xa8, 0xf0));
    shirt.setColorAt(1, QColor(0x2d, 0x6c, 0xc4));
    p.setPen(QPen(edge, 1.0));
    p.setBrush(shirt);
    p.drawPath(body);
    p.setBrush(QColor(0xf6, 0xd2, 0xa8));
    p.setPen(QPen(QColor(0xa0, 0x70, 0x40), 1.0));
    p.drawEllipse(QPointF(16, 9), 5.5, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x4a, 0x2e, 0x18));
    p.drawChord(QRectF(10.5, 2.5, 11, 10), 0, 180 * 16);
    return img;
}

QImage sheet()
{
    QImage img = blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath page;
    page.moveTo(8.5, 1.5);
    page.lineTo(19.5, 1.5);
    page.lineTo(24.5, 6.5);
    page.lineTo(24.5, 25.5);
    page.lineTo(8.5, 25.5);
    page.closeSubpath();
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1.0));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setPen(QPen(QColor(0x3a, 0x74, 0xe0), 1.0));
    for (int y = 9; y <= 21; y += 4)
        p.drawLine(QPointF(11.5, y + 0.5), QPointF(21.5, y + 0.5));
    return img;
}

// One rounded bubble with a tail, its top left at `at`.
void bubble(QPainter &p, QPointF at, QSizeF size, const QColor &fill, bool tailLeft)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(at, size), 4, 4);
    QPainterPath tail;
    const qreal bottom = at.y() + size.height();
    const qreal x = tailLeft ? at.x() + 5 : at.x() + size.width() - 5;
    tail.moveTo(x - 2.5, bottom - 1);
    tail.lineTo(tailLeft ? x - 3 : x + 3, bottom + 4);
    tail.lineTo(x + 2.5, bottom - 1);
    tail.closeSubpath();
    p.setBrush(fill);
    p.setPen(QPen(fill.darker(160), 1.0));
    p.drawPath(path.united(tail));
}

QImage speech()
{
    QImage img = blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    bubble(p, QPointF(1.5, 2.5), QSizeF(19, 12), QColor(0xff, 0xd8, 0x60), true);
    bubble(p, QPointF(11.5, 10.5), QSizeF(19, 11), QColor(0x9c, 0xd8, 0x7c), false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x60, 0x20));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(16.5 + 4.5 * i, 16), 1.2, 1.2);
    return img;
}

QImage letter()
{
    QImage img = blank();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF envelope(2.5, 5.5, 27, 18);
    QLinearGradient paper(0, 5, 0, 24);
    paper.setColorAt(0, QColor(0xff, 0xff, 0xff));
    paper.setColorAt(1, QColor(0xe4, 0xe8, 0xf0));
    p.setPen(QPen(QColor(0x70, 0x78, 0x88), 1.0));
    p.setBrush(paper);
    p.drawRect(envelope);
    // The flap, folded down to the middle.
    p.drawPolyline(QPolygonF({envelope.topLeft(), QPointF(16, 16), envelope.topRight()}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd0, 0x30, 0x30));
    p.drawEllipse(QPointF(16, 16), 2.5, 2.5);
    return img;
}

} // namespace

QImage listImage(int index)
{
    switch (index) {
    case 0:
        return person();
    case 2:
        return sheet();
    case 3:
        return speech();
    case 4:
        return letter();
    default:
        return categoryIcon();
    }
}

} // namespace art
