// The frame skin: the bitmaps of the window frame written into a home's 001/.
#include "ui/art/Artwork.h"

#include "ui/art/Drawing.h"

#include <QDir>

#include <algorithm>
#include <stdexcept>

namespace art {
namespace {

using namespace detail;

// Colours shared by every frame piece, besides borderColour.
const QRgb innerLineColour = 0xff123a96;

constexpr int bandHeight = 50;
constexpr int captionRows = 29; // rows 0..28 carry the caption, 29 is the dividing line
constexpr int leftWidth = 12;
constexpr int rightWidth = 13;
constexpr int bottomHeight = 12;

// The middle of the caption band, row by row.
QRgb bandRow(bool active, int y)
{
    if (y == 0)
        return active ? borderColour : 0xff3a4762;
    if (y == 1)
        return active ? 0xff86abf0 : 0xffb9c2d2;
    if (y < 10) {
        const double t = (y - 2) / 7.0;
        return active ? mix(rgb(0x5c8ce8), rgb(0x3c70da), t).rgb() : mix(rgb(0x929eb3), rgb(0x77849b), t).rgb();
    }
    if (y < captionRows) {
        const double t = (y - 10) / double(captionRows - 11);
        return active ? mix(rgb(0x2a5dcb), rgb(0x1a46a8), t).rgb() : mix(rgb(0x66728a), rgb(0x535e73), t).rgb();
    }
    if (y == captionRows)
        return active ? innerLineColour : 0xff4a5569;
    if (y == bandHeight - 1)
        return active ? 0xffaec6ee : 0xffc3c9d4;
    const double t = (y - captionRows - 1) / double(bandHeight - captionRows - 3);
    return active ? mix(rgb(0xeef4fd), rgb(0xcfdef6), t).rgb() : mix(rgb(0xf1f2f5), rgb(0xdadee6), t).rgb();
}

// The side and bottom edges by distance from the outside of the window:
// a dark border line, a light line, a blue body getting a little darker
// inwards and, at `inner`, the line meeting the window content.
QRgb edgeColour(int distance, int inner)
{
    if (distance <= 0)
        return borderColour;
    if (distance == 1)
        return 0xff86abf0;
    if (distance >= inner)
        return innerLineColour;
    return mix(rgb(0x3f72dc), rgb(0x2253bd), (distance - 2) / 9.0).rgb();
}

// One pixel of a whole framed window of size w x h (only the frame is meant).
// The edges are the same for active and inactive windows; only the caption
// band changes.
QRgb frameAt(bool active, int x, int y, int w, int h)
{
    const int fromLeft = x;
    const int fromRight = w - 1 - x;
    const int fromBottom = h - 1 - y;
    if (y < bandHeight) {
        if (y <= captionRows || (fromLeft >= leftWidth && fromRight >= rightWidth)) {
            if (y == 0)
                return bandRow(active, 0);
            if (fromLeft == 0 || fromRight == 0)
                return active ? borderColour : bandRow(false, 0);
            if (fromLeft == 1 || fromRight == 1)
                return bandRow(active, 1);
            return bandRow(active, y);
        }
        return fromLeft < leftWidth ? edgeColour(fromLeft, leftWidth - 1) : edgeColour(fromRight, rightWidth - 1);
    }
    const int side = fromLeft < leftWidth ? fromLeft : fromRight < rightWidth ? fromRight : -1;
    const int sideInner = fromLeft < leftWidth ? leftWidth - 1 : rightWidth - 1;
    if (fromBottom < bottomHeight) {
        // Mitred corners: the nearer outside decides.
        if (side >= 0 && side <= fromBottom)
            return edgeColour(side, sideInner);
        return edgeColour(fromBottom, bottomHeight - 1);
    }
    if (side >= 0)
        return edgeColour(side, sideInner);
    return 0xffffffff;
}

constexpr int virtualWidth = 2000;
constexpr int virtualHeight = 1000;

QImage framePiece(bool active, int x0, int y0, int w, int h, bool uniformRows = false, bool uniformColumns = false)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int vx = uniformColumns ? x0 : x0 + x;
            const int vy = uniformRows ? y0 : y0 + y;
            row[x] = frameAt(active, vx, vy, virtualWidth, virtualHeight);
        }
    }
    return img;
}

// Rounds the outer top corner of a top corner piece: outside the curve the
// pixels take a neutral grey, and the border and light lines follow the curve.
void roundTopCorner(QImage &img, bool active, bool left)
{
    constexpr double radius = 6;
    const double w = img.width();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (!left) {
        p.translate(w, 0);
        p.scale(-1, 1);
    }
    p.setClipRect(QRectF(0, 0, radius + 2, radius + 2));
    QPainterPath square;
    square.addRect(QRectF(0, 0, radius + 2, radius + 2));
    const QPainterPath inside = roundedRect(0, 0, 4 * radius, 4 * radius, radius);
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(0x9aa3b2));
    p.drawPath(square.subtracted(inside));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(rgb(bandRow(active, 1)), 1.0));
    p.drawPath(roundedRect(1.5, 1.5, 4 * radius, 4 * radius, radius - 1.5));
    p.setPen(QPen(rgb(active ? borderColour : bandRow(false, 0)), 1.0));
    p.drawPath(roundedRect(0.5, 0.5, 4 * radius, 4 * radius, radius - 0.5));
}

QImage topCorner(bool active, bool left)
{
    QImage img =
        left ? framePiece(active, 0, 0, 23, bandHeight) : framePiece(active, virtualWidth - 100, 0, 100, bandHeight);
    roundTopCorner(img, active, left);
    return img;
}

QImage topBand(bool active)
{
    return framePiece(active, virtualWidth / 2, 0, 1600, bandHeight, false, true);
}

// Caption buttons sit at top 6 of the active caption band.
constexpr int buttonTop = 6;

enum class Glyph { Maximise, Minimise, Restore, Close };

QImage captionButton(Glyph glyph)
{
    constexpr int w = 17;
    constexpr int h = 19;
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        std::fill_n(reinterpret_cast<QRgb *>(img.scanLine(y)), w, bandRow(true, buttonTop + y));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath face = roundedRect(0.5, 0.5, w - 1, h - 1, 3);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, rgb(0x8fb4f5));
    g.setColorAt(0.45, rgb(0x4a7fe3));
    g.setColorAt(1, rgb(0x2457c4));
    shape(p, face, g, rgb(borderColour), 1.0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 110), 1.0));
    p.drawPath(roundedRect(1.5, 1.5, w - 3, h - 3, 2));

    // Glyphs are pixel aligned for crisp edges, with a faint shadow below right.
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor shadow(0, 20, 80, 110);
    const QColor white(255, 255, 255);
    const auto box = [&p](int x, int y, int bw, int bh, int topThickness, const QColor &c, bool filled,
                          const QBrush &fill) {
        if (filled)
            p.fillRect(x, y, bw, bh, fill);
        p.fillRect(x, y, bw, topThickness, c);
        p.fillRect(x, y + bh - 1, bw, 1, c);
        p.fillRect(x, y, 1, bh, c);
        p.fillRect(x + bw - 1, y, 1, bh, c);
    };
    switch (glyph) {
    case Glyph::Maximise:
        box(5, 6, 8, 8, 2, shadow, false, Qt::NoBrush);
        box(4, 5, 8, 8, 2, white, false, Qt::NoBrush);
        break;
    case Glyph::Minimise:
        p.fillRect(5, 13, 7, 2, shadow);
        p.fillRect(4, 12, 7, 2, white);
        break;
    case Glyph::Restore:
        box(7, 4, 7, 6, 2, shadow, false, Qt::NoBrush);
        box(6, 3, 7, 6, 2, white, false, Qt::NoBrush);
        box(4, 8, 7, 6, 2, shadow, false, Qt::NoBrush);
        box(3, 7, 7, 6, 2, white, true, g);
        break;
    case Glyph::Close: {
        p.setRenderHint(QPainter::Antialiasing);
        const auto cross = [&p](double dx, const QColor &c) {
            p.setPen(QPen(c, 2.0, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(5 + dx, 6 + dx), QPointF(12 + dx, 13 + dx));
            p.drawLine(QPointF(12 + dx, 6 + dx), QPointF(5 + dx, 13 + dx));
        };
        cross(0.8, shadow);
        cross(0, white);
        break;
    }
    }
    return img;
}

QImage menubar(bool active)
{
    constexpr int w = 185;
    constexpr int h = 17;
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        QRgb c;
        if (y == h - 1)
            c = active ? 0xffaec6ee : 0xffc3c9d4;
        else
            c = active ? mix(rgb(0xf4f8fe), rgb(0xd6e3f8), y / double(h - 2)).rgb()
                       : mix(rgb(0xf3f4f7), rgb(0xdde1e8), y / double(h - 2)).rgb();
        std::fill_n(reinterpret_cast<QRgb *>(img.scanLine(y)), w, c);
    }
    return img;
}

} // namespace

QStringList skinBitmapNames()
{
    return {QStringLiteral("ImageLeft"),
            QStringLiteral("ImageLeftTop"),
            QStringLiteral("ImageRight"),
            QStringLiteral("ImageBottom"),
            QStringLiteral("ImageMax"),
            QStringLiteral("ImageMin"),
            QStringLiteral("ImageNormal"),
            QStringLiteral("ImageClose"),
            QStringLiteral("ImageDeactiveLeftTop"),
            QStringLiteral("ImageDeactiveRightTop"),
            QStringLiteral("ImageDeactiveTop"),
            QStringLiteral("ImageActiveTop"),
            QStringLiteral("ImageActiveLeftTop"),
            QStringLiteral("ImageActiveRightTop"),
            QStringLiteral("ImageActiveMenubar"),
            QStringLiteral("ImageDeactiveMenubar"),
            QStringLiteral("ImageLeftBottom"),
            QStringLiteral("ImageRightBottom")};
}

QImage skinBitmap(const QString &name)
{
    const int h = virtualHeight;
    const int w = virtualWidth;
    if (name == QLatin1String("ImageLeft"))
        return framePiece(true, 0, h / 2, leftWidth, 800, true);
    if (name == QLatin1String("ImageRight"))
        return framePiece(true, w - rightWidth, h / 2, rightWidth, 800, true);
    if (name == QLatin1String("ImageBottom"))
        return framePiece(true, w / 2, h - bottomHeight, 1600, bottomHeight, false, true);
    if (name == QLatin1String("ImageLeftBottom"))
        return framePiece(true, 0, h - bottomHeight, 10, bottomHeight);
    if (name == QLatin1String("ImageRightBottom"))
        return framePiece(true, w - rightWidth, h - bottomHeight, rightWidth, bottomHeight);
    if (name == QLatin1String("ImageLeftTop") || name == QLatin1String("ImageActiveLeftTop"))
        return topCorner(true, true);
    if (name == QLatin1String("ImageDeactiveLeftTop"))
        return topCorner(false, true);
    if (name == QLatin1String("ImageActiveRightTop"))
        return topCorner(true, false);
    if (name == QLatin1String("ImageDeactiveRightTop"))
        return topCorner(false, false);
    if (name == QLatin1String("ImageActiveTop"))
        return topBand(true);
    if (name == QLatin1String("ImageDeactiveTop"))
        return topBand(false);
    if (name == QLatin1String("ImageMax"))
        return captionButton(Glyph::Maximise);
    if (name == QLatin1String("ImageMin"))
        return captionButton(Glyph::Minimise);
    if (name == QLatin1String("ImageNormal"))
        return captionButton(Glyph::Restore);
    if (name == QLatin1String("ImageClose"))
        return captionButton(Glyph::Close);
    if (name == QLatin1String("ImageActiveMenubar"))
        return menubar(true);
    if (name == QLatin1String("ImageDeactiveMenubar"))
        return menubar(false);
    throw std::invalid_argument("unknown skin bitmap: " + name.toStdString());
}

void writeSkin(const QString &home)
{
    const QString dir = QDir(home).filePath(QStringLiteral("001"));
    if (!QDir().mkpath(dir))
        throw std::runtime_error(QStringLiteral("cannot create the skin folder %1").arg(dir).toStdString());
    for (const QString &name : skinBitmapNames()) {
        const QString path = QDir(dir).filePath(name + QStringLiteral(".bmp"));
        if (!skinBitmap(name).save(path, "BMP"))
            throw std::runtime_error(QStringLiteral("cannot write the skin bitmap %1").arg(path).toStdString());
    }
}

} // namespace art
