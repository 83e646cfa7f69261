// The class buttons' pictures by tag, and the program's icons.
#include "ui/art/Artwork.h"

#include "ui/art/ClassPictures.h"
#include "ui/art/Drawing.h"

#include <QRadialGradient>

namespace art {

using namespace detail;

QImage classButtonPicture(int tag)
{
    QImage img = transparentCanvas(pictureWidth, pictureHeight);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    switch (tag) {
    case 1:
        drawMusicTv(p);
        break;
    case 2:
        drawLaughingFace(p);
        break;
    case 3:
        drawGamePad(p);
        break;
    case 4:
        drawPalette(p);
        break;
    case 5:
        drawPeople(p);
        break;
    case 6:
        drawTrophy(p);
        break;
    case 7:
        drawScroll(p);
        break;
    case 8:
        drawClapper(p);
        break;
    case 9:
        drawBookAndCap(p);
        break;
    case 10:
        drawStar(p);
        break;
    case 11:
        drawCard(p);
        break;
    case 12:
        drawMegaphone(p);
        break;
    default:
        drawFolder(p);
        break;
    }
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

QImage stateIcon(int index)
{
    QImage img = transparentCanvas(24, 19);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (index == 2) {
        const QPainterPath diamond = polygon({{12, 1.5}, {20.5, 9.5}, {12, 17.5}, {3.5, 9.5}});
        shape(p, diamond, vertical(1.5, 17.5, rgb(0xc8935c), rgb(0x7a4620)), rgb(0x4f2a0e), 1.0);
        // Light facet on the upper left.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 235, 200, 110));
        p.drawPath(polygon({{12, 3}, {12, 9.5}, {5.5, 9.5}}));
        p.end();
        return img.convertToFormat(QImage::Format_ARGB32);
    }
    const bool coloured = index == 1;
    const QPainterPath arrow =
        polygon({{9.5, 1.5}, {14.5, 1.5}, {14.5, 8.5}, {19.5, 8.5}, {12, 17.5}, {4.5, 8.5}, {9.5, 8.5}});
    if (coloured)
        shape(p, arrow, vertical(1.5, 17.5, rgb(0x7fe07a), rgb(0x1f9a34)), rgb(0x12682a), 1.0);
    else
        shape(p, arrow, vertical(1.5, 17.5, rgb(0xd2d2d2), rgb(0x9a9a9a)), rgb(0x7c7c7c), 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, coloured ? 120 : 90));
    p.drawRect(QRectF(10.5, 2.5, 1.5, 6));
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

// A recommendation category: a folder with a sheet in it.
QImage categoryIcon()
{
    QImage img(32, 27, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // The folder's back and front flap are filled and outlined alike.
    const auto panel = [&p](const QPainterPath &path, const QLinearGradient &fill) {
        p.setPen(QPen(QColor(0x8a, 0x5c, 0x10), 1.0));
        p.setBrush(fill);
        p.drawPath(path);
    };
    // The back of the folder with its tab.
    panel(polygon({{2.5, 5.5}, {11.5, 5.5}, {14, 8.5}, {29.5, 8.5}, {29.5, 24.5}, {2.5, 24.5}}),
          vertical(5, 25, QColor(0xf7, 0xd5, 0x7a), QColor(0xd9, 0xa2, 0x32)));
    // A sheet sticking out of it.
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x9a, 0x9a, 0x9a), 1.0));
    p.drawRect(QRectF(6.5, 9.5, 19, 10));
    p.setPen(QPen(QColor(0x3a, 0x74, 0xe0), 1.0));
    p.drawLine(QPointF(9, 12.5), QPointF(23, 12.5));
    p.drawLine(QPointF(9, 15.5), QPointF(20, 15.5));
    // The front flap.
    panel(polygon({{2.5, 13.5}, {29.5, 13.5}, {27.5, 24.5}, {4.5, 24.5}}),
          vertical(13, 25, QColor(0xff, 0xe4, 0x8f), QColor(0xe8, 0xb0, 0x3c)));
    p.end();
    return img;
}

QImage windowIcon()
{
    return programIcon(20);
}

QImage programIcon(int size)
{
    QImage img = transparentCanvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 20-unit grid, scaled to the size asked for.
    p.scale(size / 20.0, size / 20.0);
    const QRadialGradient g =
        radial(QPointF(7.5, 6.5), 13, {{0, rgb(0x8dc0ff)}, {0.5, rgb(0x3a74e0)}, {1, rgb(0x133f9e)}});
    shape(p, ellipse(10, 10, 9.2, 9.2), g, rgb(borderColour), 1.0);
    const QPainterPath bolt = polygon({{12.2, 2.2}, {5, 11}, {9.4, 11}, {7.6, 17.8}, {15, 8.6}, {10.6, 8.6}});
    shape(p, bolt, vertical(2, 18, rgb(0xfff59d), rgb(0xffa000)), rgb(0x8a5200), 0.8);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

} // namespace art
