#include "ui/art/Artwork.h"

#include <QColor>
#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace art {
namespace {

// ---------------------------------------------------------------------------
// Drawing helpers

QColor mix(const QColor &a, const QColor &b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(
        float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
        float(a.blueF() + (b.blueF() - a.blueF()) * t), float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QColor rgb(QRgb value)
{
    return QColor::fromRgb(value);
}

QImage transparentCanvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QLinearGradient vertical(double y0, double y1, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

QLinearGradient horizontal(double x0, double x1, const QColor &left, const QColor &right)
{
    QLinearGradient g(x0, 0, x1, 0);
    g.setColorAt(0, left);
    g.setColorAt(1, right);
    return g;
}

// Fills a path and outlines it; every picture uses the same outline weight so
// the set looks like one family.
void shape(QPainter &p, const QPainterPath &path, const QBrush &fill, const QColor &outline, double width = 1.1)
{
    p.setPen(QPen(outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(path);
}

void line(QPainter &p, QPointF a, QPointF b, const QColor &colour, double width)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(a, b);
}

QPainterPath ellipse(double cx, double cy, double rx, double ry)
{
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy), rx, ry);
    return path;
}

QPainterPath roundedRect(double x, double y, double w, double h, double r)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), r, r);
    return path;
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath star(QPointF centre, double outer, double inner, int points = 5)
{
    QPolygonF poly;
    for (int i = 0; i < points * 2; ++i) {
        const double r = i % 2 == 0 ? outer : inner;
        const double a = -M_PI / 2 + i * M_PI / points;
        poly << QPointF(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
    }
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    return path;
}

QPainterPath heart(QPointF centre, double size)
{
    const double s = size / 2;
    const double x = centre.x();
    const double y = centre.y();
    QPainterPath path;
    path.moveTo(x, y + s * 0.95);
    path.cubicTo(x - s * 0.3, y + s * 0.6, x - s * 1.05, y + s * 0.15, x - s * 1.0, y - s * 0.35);
    path.cubicTo(x - s * 0.95, y - s * 0.95, x - s * 0.15, y - s * 1.0, x, y - s * 0.45);
    path.cubicTo(x + s * 0.15, y - s * 1.0, x + s * 0.95, y - s * 0.95, x + s * 1.0, y - s * 0.35);
    path.cubicTo(x + s * 1.05, y + s * 0.15, x + s * 0.3, y + s * 0.6, x, y + s * 0.95);
    path.closeSubpath();
    return path;
}

// A soft oval shadow on the ground line under a class picture.
void groundShadow(QPainter &p, double cx, double width, double y = 32.5)
{
    QRadialGradient g(QPointF(cx, y), width / 2);
    g.setColorAt(0, QColor(0, 0, 0, 70));
    g.setColorAt(1, QColor(0, 0, 0, 0));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.translate(cx, y);
    p.scale(1, 0.18);
    p.translate(-cx, -y);
    p.drawEllipse(QPointF(cx, y), width / 2, width / 2);
    p.restore();
}

// A white gloss on the upper part of a shape.
void gloss(QPainter &p, const QPainterPath &clip, const QRectF &area, int alpha = 110)
{
    p.save();
    p.setClipPath(clip);
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(area.top(), area.bottom(), QColor(255, 255, 255, alpha), QColor(255, 255, 255, 0)));
    p.drawEllipse(area);
    p.restore();
}

// ---------------------------------------------------------------------------
// Class pictures, 40 x 36

constexpr int pictureWidth = 40;
constexpr int pictureHeight = 36;

void drawMusicTv(QPainter &p)
{
    groundShadow(p, 20, 32);
    // Antennas.
    line(p, {20, 10}, {13, 2.5}, rgb(0x4a3a78), 1.3);
    line(p, {20, 10}, {27.5, 3}, rgb(0x4a3a78), 1.3);
    shape(p, ellipse(13, 2.5, 1.6, 1.6), rgb(0xff5fa2), rgb(0xa3245e), 0.8);
    shape(p, ellipse(27.5, 3, 1.6, 1.6), rgb(0xff5fa2), rgb(0xa3245e), 0.8);
    // Feet and cabinet.
    shape(p, roundedRect(9, 29, 4, 3, 1), rgb(0x3b2a73), rgb(0x2a1d55), 0.8);
    shape(p, roundedRect(27, 29, 4, 3, 1), rgb(0x3b2a73), rgb(0x2a1d55), 0.8);
    const QPainterPath body = roundedRect(4.5, 9.5, 31, 21, 4);
    shape(p, body, vertical(9.5, 30.5, rgb(0x9a7cf0), rgb(0x5434b0)), rgb(0x33207a));
    gloss(p, body, QRectF(2, 4, 36, 14), 80);
    // Screen with a pair of beamed notes.
    const QPainterPath screen = roundedRect(7.5, 12.5, 19.5, 15, 2.5);
    shape(p, screen, vertical(12.5, 27.5, rgb(0xd8fbff), rgb(0x57c3ee)), rgb(0x2b1f6b), 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(0xe0197d));
    p.drawPath(polygon({{14.2, 15.5}, {22.2, 14.2}, {22.2, 16.6}, {14.2, 17.9}}));
    p.drawRect(QRectF(14.2, 16, 1.3, 7.6));
    p.drawRect(QRectF(20.9, 15, 1.3, 7.4));
    p.save();
    p.translate(12.9, 23.9);
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), 2.4, 1.7);
    p.restore();
    p.save();
    p.translate(19.6, 22.7);
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), 2.4, 1.7);
    p.restore();
    // Knobs and speaker slots on the side panel.
    shape(p, ellipse(31.3, 15.5, 1.9, 1.9), rgb(0xffd54f), rgb(0x9a6a00), 0.8);
    shape(p, ellipse(31.3, 20.6, 1.9, 1.9), rgb(0xffa040), rgb(0x9a4a00), 0.8);
    for (int i = 0; i < 2; ++i)
        line(p, {29.8, 24.5 + i * 2.0}, {32.8, 24.5 + i * 2.0}, rgb(0x2e1c6e), 0.9);
}

void drawLaughingFace(QPainter &p)
{
    groundShadow(p, 20, 28, 33.5);
    const QPainterPath face = ellipse(20, 17.5, 14.5, 14.5);
    QRadialGradient g(QPointF(16, 11), 20);
    g.setColorAt(0, rgb(0xfff7a0));
    g.setColorAt(0.55, rgb(0xffd633));
    g.setColorAt(1, rgb(0xf29b00));
    shape(p, face, g, rgb(0xb36b00), 1.2);
    // Rosy cheeks.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 110, 90, 90));
    p.drawEllipse(QPointF(9.5, 19.5), 2.8, 1.8);
    p.drawEllipse(QPointF(30.5, 19.5), 2.8, 1.8);
    // Eyes squeezed shut with laughter.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(rgb(0x5a3200), 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath eyes;
    eyes.moveTo(10.5, 14.5);
    eyes.quadTo(13.5, 9.5, 16.5, 14.5);
    eyes.moveTo(23.5, 14.5);
    eyes.quadTo(26.5, 9.5, 29.5, 14.5);
    p.drawPath(eyes);
    // Wide open mouth with teeth and tongue.
    QPainterPath mouth;
    mouth.moveTo(9.5, 18.5);
    mouth.lineTo(30.5, 18.5);
    mouth.cubicTo(30.5, 25.5, 26, 29.5, 20, 29.5);
    mouth.cubicTo(14, 29.5, 9.5, 25.5, 9.5, 18.5);
    mouth.closeSubpath();
    shape(p, mouth, rgb(0x8a1620), rgb(0x5a1010), 1.1);
    p.save();
    p.setClipPath(mouth);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 18, 22, 3));
    p.setBrush(rgb(0xff6b7a));
    p.drawEllipse(QPointF(20, 30), 7, 4.5);
    p.restore();
    // Tears of joy.
    const auto tear = [&p](double x, double y, double lean) {
        QPainterPath d;
        d.moveTo(x, y);
        d.cubicTo(x + lean, y + 2, x + 2.2, y + 3.5, x, y + 4.8);
        d.cubicTo(x - 2.2, y + 3.5, x + lean - 0.5, y + 2, x, y);
        shape(p, d, vertical(y, y + 5, rgb(0xc6f0ff), rgb(0x3aa8f0)), rgb(0x1f6fb0), 0.8);
    };
    tear(6.2, 11.5, -1);
    tear(33.8, 11.5, 1);
}

void drawGamePad(QPainter &p)
{
    groundShadow(p, 20, 34);
    QPainterPath body = roundedRect(3, 10.5, 34, 15, 7.5);
    body = body.united(ellipse(9.5, 23, 6.5, 7.5));
    body = body.united(ellipse(30.5, 23, 6.5, 7.5));
    shape(p, body, vertical(10, 31, rgb(0x8fa1b8), rgb(0x48566c)), rgb(0x2a3446), 1.2);
    gloss(p, body, QRectF(3, 6, 34, 14), 90);
    // Direction cross.
    const QPainterPath cross = roundedRect(8.5, 15, 3.4, 10, 0.8).united(roundedRect(5.2, 18.3, 10, 3.4, 0.8));
    shape(p, cross, vertical(15, 25, rgb(0x3b4658), rgb(0x1e2532)), rgb(0x151a24), 0.7);
    // Start and select.
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(0x2e3848));
    p.drawRoundedRect(QRectF(16.3, 17.2, 3, 1.6), 0.8, 0.8);
    p.drawRoundedRect(QRectF(20.7, 17.2, 3, 1.6), 0.8, 0.8);
    // Four coloured action buttons.
    const struct
    {
        double x, y;
        QRgb fill, edge;
    } buttons[] = {{29.5, 15.6, 0xffd23f, 0x9a7400},
                   {33, 19.3, 0xff4d4d, 0x992020},
                   {29.5, 23, 0x47d16b, 0x1f7a35},
                   {26, 19.3, 0x4aa3ff, 0x1d5aa0}};
    for (const auto &b : buttons) {
        QRadialGradient g(QPointF(b.x - 0.6, b.y - 0.7), 2.4);
        g.setColorAt(0, rgb(0xffffff));
        g.setColorAt(0.35, rgb(b.fill));
        g.setColorAt(1, rgb(b.edge));
        shape(p, ellipse(b.x, b.y, 1.9, 1.9), g, rgb(b.edge), 0.7);
    }
}

void drawPalette(QPainter &p)
{
    groundShadow(p, 19, 32);
    QPainterPath board = ellipse(18, 19, 15.5, 12);
    board = board.subtracted(ellipse(12.5, 25.5, 2.8, 2.3));
    board = board.subtracted(ellipse(4.5, 26, 4.5, 3.2));
    shape(p, board, vertical(7, 31, rgb(0xf8e1b0), rgb(0xd9a45c)), rgb(0x9c6a2e), 1.2);
    const struct
    {
        double x, y;
        QRgb colour;
    } blobs[] = {{9.5, 16.5, 0xe53935},
                 {15.5, 11.6, 0xfdd835},
                 {22.8, 11.2, 0x43a047},
                 {28.6, 15.2, 0x1e88e5},
                 {20.5, 25.6, 0x8e24aa}};
    for (const auto &b : blobs) {
        const QColor c = rgb(b.colour);
        QRadialGradient g(QPointF(b.x - 0.8, b.y - 0.8), 3);
        g.setColorAt(0, c.lighter(150));
        g.setColorAt(1, c);
        shape(p, ellipse(b.x, b.y, 2.7, 2.4), g, c.darker(150), 0.7);
    }
    // A brush lying across the palette.
    p.save();
    p.translate(27, 24);
    p.rotate(-52);
    shape(p, roundedRect(0, -1.3, 14, 2.6, 1.3), horizontal(0, 14, rgb(0xc0392b), rgb(0x7b1f16)), rgb(0x5a140e), 0.7);
    shape(p, roundedRect(-4, -1.5, 4.6, 3, 0.4), vertical(-1.5, 1.5, rgb(0xf0f0f0), rgb(0x8a8a8a)), rgb(0x5f5f5f), 0.6);
    QPainterPath tip;
    tip.moveTo(-4, -1.5);
    tip.cubicTo(-7, -1.6, -8.5, -0.4, -10, 0);
    tip.cubicTo(-8.5, 0.4, -7, 1.6, -4, 1.5);
    tip.closeSubpath();
    shape(p, tip, horizontal(-10, -4, rgb(0x1e88e5), rgb(0x4e342e)), rgb(0x2b1d18), 0.6);
    p.restore();
}

void drawScroll(QPainter &p)
{
    groundShadow(p, 20, 26, 34);
    // Hanging cord.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(rgb(0x8d2f1a), 0.9));
    p.drawPolyline(QPolygonF({{13.5, 3.8}, {20, 0.8}, {26.5, 3.8}}));
    // Paper with a brocade border.
    const QPainterPath paper = roundedRect(10, 4.5, 20, 26, 0.5);
    shape(p, paper, rgb(0x5f8f6a), rgb(0x2f5a3a), 1.0);
    const QPainterPath sheet = roundedRect(12, 6.5, 16, 22.5, 0.3);
    shape(p, sheet, vertical(6, 29, rgb(0xfffbee), rgb(0xf1e1b8)), rgb(0xc9b27c), 0.6);
    // An ink-wash landscape: a red sun over two misty peaks.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe5, 0x39, 0x35, 210));
    p.drawEllipse(QPointF(16.5, 11), 2.4, 2.4);
    p.save();
    p.setClipPath(sheet);
    QPainterPath far;
    far.moveTo(12, 24);
    far.cubicTo(14, 20, 15.5, 16.5, 17.5, 15.5);
    far.cubicTo(19.5, 17, 21, 20.5, 24, 23);
    far.lineTo(24, 29);
    far.lineTo(12, 29);
    far.closeSubpath();
    p.setBrush(vertical(15.5, 27, QColor(70, 80, 80, 150), QColor(70, 80, 80, 0)));
    p.drawPath(far);
    QPainterPath nearPeak;
    nearPeak.moveTo(12, 29);
    nearPeak.lineTo(12, 27);
    nearPeak.cubicTo(14, 25.5, 15, 22.5, 16.5, 21);
    nearPeak.cubicTo(18, 22.5, 18.5, 24, 20, 24.5);
    nearPeak.cubicTo(21.2, 23.5, 21.8, 22.8, 22.5, 22.5);
    nearPeak.cubicTo(24, 24.5, 26, 26.5, 28, 27.2);
    nearPeak.lineTo(28, 29);
    nearPeak.closeSubpath();
    p.setBrush(vertical(21, 29, QColor(25, 30, 30, 235), QColor(25, 30, 30, 60)));
    p.drawPath(nearPeak);
    p.restore();
    // A column of brush-written characters on the right.
    p.setPen(QPen(rgb(0x1b1b1b), 1.1, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(23.4, 8.6), QPointF(26.4, 8.4));
    p.drawLine(QPointF(24.9, 7.6), QPointF(24.7, 11.4));
    p.drawLine(QPointF(23.6, 11.6), QPointF(26.2, 10.6));
    p.drawLine(QPointF(23.4, 13.6), QPointF(26.2, 13.4));
    p.drawLine(QPointF(24.8, 13.6), QPointF(23.4, 16.4));
    p.drawLine(QPointF(24.8, 13.8), QPointF(26.4, 16.2));
    p.drawLine(QPointF(23.6, 18.4), QPointF(23.6, 20.6));
    p.drawLine(QPointF(23.6, 18.4), QPointF(26.2, 18.4));
    p.drawLine(QPointF(26.2, 18.4), QPointF(26, 20.8));
    p.drawLine(QPointF(23.6, 20.6), QPointF(26, 20.6));
    // A red seal under the writing.
    shape(p, roundedRect(23.2, 22.6, 3, 3, 0.4), rgb(0xd32f2f), rgb(0x8e1b1b), 0.5);
    // Wooden rollers with knobs.
    const auto roller = [&p](double y) {
        shape(p, roundedRect(8, y, 24, 3.2, 1.6), vertical(y, y + 3.2, rgb(0xb07a44), rgb(0x5d3715)), rgb(0x3e230c),
              0.8);
        shape(p, ellipse(7.2, y + 1.6, 1.6, 2.1), rgb(0xe0b040), rgb(0x8a6000), 0.6);
        shape(p, ellipse(32.8, y + 1.6, 1.6, 2.1), rgb(0xe0b040), rgb(0x8a6000), 0.6);
    };
    roller(2.8);
    roller(29.6);
}

void drawClapper(QPainter &p)
{
    groundShadow(p, 20, 32);
    const QColor dark = rgb(0x263238);
    // Board.
    const QPainterPath board = roundedRect(5, 14.5, 30, 17, 1.5);
    shape(p, board, vertical(14.5, 31.5, rgb(0x4f5b66), rgb(0x1e262c)), rgb(0x101518), 1.1);
    p.setPen(QPen(QColor(255, 255, 255, 170), 0.8));
    p.drawLine(QPointF(7.5, 23.5), QPointF(32.5, 23.5));
    p.drawLine(QPointF(20, 23.5), QPointF(20, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(0xffb300));
    p.drawEllipse(QPointF(12.5, 27.3), 1.7, 1.7);
    p.setBrush(rgb(0x4fc3f7));
    p.drawRoundedRect(QRectF(23, 26.4, 7, 1.8), 0.9, 0.9);
    // Striped bar on the board and the open clapper arm above it.
    const auto stripes = [&p, &dark](const QRectF &r, double phase) {
        const QPainterPath bar = roundedRect(r.x(), r.y(), r.width(), r.height(), 0.8);
        shape(p, bar, Qt::white, rgb(0x101518), 1.0);
        p.save();
        p.setClipPath(bar);
        p.setPen(Qt::NoPen);
        p.setBrush(dark);
        for (double x = r.x() - 6 + phase; x < r.right() + 6; x += 7) {
            p.drawPath(polygon(
                {{x, r.bottom()}, {x + 3.5, r.bottom()}, {x + 3.5 + r.height(), r.top()}, {x + r.height(), r.top()}}));
        }
        p.restore();
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(rgb(0x101518), 1.0));
        p.drawPath(bar);
    };
    stripes(QRectF(5, 10.5, 30, 4.2), 0);
    p.save();
    p.translate(5.5, 10.5);
    p.rotate(-17);
    stripes(QRectF(-0.5, -4.6, 30, 4.2), 3.5);
    p.restore();
    // Hinge.
    shape(p, ellipse(6.2, 10.3, 1.5, 1.5), rgb(0xcfd8dc), rgb(0x455a64), 0.6);
}

void drawBookAndCap(QPainter &p)
{
    groundShadow(p, 20, 34, 33.5);
    // Cover behind the pages.
    QPainterPath cover;
    cover.moveTo(20, 22);
    cover.cubicTo(15, 19.5, 8, 19.5, 2.5, 21);
    cover.lineTo(2.5, 32);
    cover.cubicTo(8, 30.8, 15, 31, 20, 33);
    cover.cubicTo(25, 31, 32, 30.8, 37.5, 32);
    cover.lineTo(37.5, 21);
    cover.cubicTo(32, 19.5, 25, 19.5, 20, 22);
    cover.closeSubpath();
    shape(p, cover, vertical(19, 33, rgb(0x3f7fe0), rgb(0x1c4aa0)), rgb(0x123070), 1.0);
    // Two pages.
    const auto page = [&p](double side) {
        QPainterPath pg;
        pg.moveTo(20, 20.8);
        pg.cubicTo(20 - side * 5, 18, 20 - side * 11, 18, 20 - side * 15.8, 19.4);
        pg.lineTo(20 - side * 15.8, 30.2);
        pg.cubicTo(20 - side * 11, 29, 20 - side * 5, 29.5, 20, 31.6);
        pg.closeSubpath();
        shape(p, pg, vertical(18, 32, rgb(0xffffff), rgb(0xe3ebf5)), rgb(0x7d8ea8), 0.8);
        p.setPen(QPen(rgb(0x9fb2cc), 0.7));
        for (int i = 0; i < 3; ++i) {
            const double y = 22.6 + i * 2.5;
            p.drawLine(QPointF(20 - side * 3, y + 0.2), QPointF(20 - side * 13, y - 0.8));
        }
    };
    page(1);
    page(-1);
    // Mortarboard: cap band, board, tassel.
    QPainterPath band;
    band.moveTo(11.5, 10.5);
    band.lineTo(28.5, 10.5);
    band.lineTo(28.5, 16);
    band.cubicTo(24, 18.4, 16, 18.4, 11.5, 16);
    band.closeSubpath();
    shape(p, band, vertical(10, 18, rgb(0x47505e), rgb(0x1f242c)), rgb(0x101318), 1.0);
    const QPainterPath board = polygon({{20, 2.5}, {37, 8.5}, {20, 14.5}, {3, 8.5}});
    shape(p, board, vertical(2.5, 14.5, rgb(0x5d6878), rgb(0x262c36)), rgb(0x101318), 1.0);
    gloss(p, board, QRectF(6, 1, 26, 10), 60);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(rgb(0xf9b800), 1.1, Qt::SolidLine, Qt::RoundCap));
    QPainterPath cord;
    cord.moveTo(20, 8.5);
    cord.quadTo(28, 9.5, 32.5, 10.5);
    cord.lineTo(32.5, 15.5);
    p.drawPath(cord);
    shape(p, polygon({{31.6, 15}, {33.4, 15}, {34.3, 19.2}, {30.7, 19.2}}), rgb(0xffc928), rgb(0xa07000), 0.6);
    shape(p, ellipse(20, 8.5, 1.3, 0.9), rgb(0xffd54f), rgb(0xa07000), 0.6);
}

void drawCard(QPainter &p)
{
    groundShadow(p, 20, 34);
    const QColor edge = rgb(0xb0305e);
    const QPainterPath body = roundedRect(3.5, 9.5, 33, 22, 2);
    shape(p, body, vertical(9.5, 31.5, rgb(0xfff0f5), rgb(0xf7b8cf)), edge, 1.1);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(mix(edge, Qt::white, 0.3), 0.9));
    p.drawLine(QPointF(4.5, 30.5), QPointF(16, 20.5));
    p.drawLine(QPointF(35.5, 30.5), QPointF(24, 20.5));
    // Open flap folded down over the front.
    QPainterPath flap;
    flap.moveTo(4, 10.2);
    flap.lineTo(20, 23);
    flap.lineTo(36, 10.2);
    flap.closeSubpath();
    shape(p, flap, vertical(10, 23, rgb(0xffd3e2), rgb(0xf28fb1)), edge, 1.0);
    // A heart seal where the flap closes.
    const QPainterPath h = heart(QPointF(20, 20), 13);
    QRadialGradient g(QPointF(17.5, 16.5), 9);
    g.setColorAt(0, rgb(0xff8a8a));
    g.setColorAt(0.5, rgb(0xf02849));
    g.setColorAt(1, rgb(0xb0102a));
    shape(p, h, g, rgb(0x7a0a1c), 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(QPointF(16.6, 16.2), 1.6, 1.1);
}

void drawMegaphone(QPainter &p)
{
    groundShadow(p, 18, 30);
    // Handle under the cone.
    p.save();
    p.translate(14, 21);
    p.rotate(12);
    shape(p, roundedRect(-1.8, -1, 3.6, 10, 1.4), horizontal(-1.8, 1.8, rgb(0x6b6b6b), rgb(0x2e2e2e)), rgb(0x1f1f1f),
          0.8);
    p.restore();
    // Mouthpiece.
    shape(p, roundedRect(3, 14.5, 6, 7, 1.6), horizontal(3, 9, rgb(0x707a85), rgb(0x3a4149)), rgb(0x22272d), 0.9);
    // Cone.
    const QPainterPath cone = polygon({{8, 14.5}, {27, 6.5}, {27, 29.5}, {8, 21.5}});
    shape(p, cone, vertical(6, 30, rgb(0xffc15a), rgb(0xe8560c)), rgb(0x8a3000), 1.1);
    gloss(p, cone, QRectF(4, 3, 26, 16), 90);
    // Stripe around the cone.
    p.save();
    p.setClipPath(cone);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawPath(polygon({{15.5, 0}, {18.5, 0}, {18.5, 36}, {15.5, 36}}));
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(rgb(0x8a3000), 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(cone);
    // Bell rim.
    shape(p, ellipse(27, 18, 3, 11.5), vertical(6, 30, rgb(0xffe3b3), rgb(0xd9822b)), rgb(0x8a3000), 1.1);
    shape(p, ellipse(27.4, 18, 1.6, 8.5), vertical(9, 27, rgb(0xb84a00), rgb(0x6a2400)), rgb(0x6a2400), 0.5);
    // Sound waves.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const double r = 6 + i * 3.2;
        QPainterPath arc;
        arc.arcMoveTo(QRectF(27 - r, 18 - r, 2 * r, 2 * r), 35);
        arc.arcTo(QRectF(27 - r, 18 - r, 2 * r, 2 * r), 35, -70);
        p.setPen(QPen(i == 1 ? rgb(0xff7043) : rgb(0xffa726), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(arc);
    }
}

QLinearGradient goldGradient(double x0, double x1)
{
    QLinearGradient g(x0, 0, x1, 0);
    g.setColorAt(0, rgb(0xf2a900));
    g.setColorAt(0.35, rgb(0xfff3a0));
    g.setColorAt(0.6, rgb(0xffcf33));
    g.setColorAt(1, rgb(0xd98200));
    return g;
}

void drawTrophy(QPainter &p)
{
    groundShadow(p, 20, 28, 33.5);
    const QColor edge = rgb(0x9a5a00);
    // Handles.
    p.setBrush(Qt::NoBrush);
    for (double side : {-1.0, 1.0}) {
        QPainterPath handle;
        handle.moveTo(20 + side * 9.5, 6.5);
        handle.cubicTo(20 + side * 16.5, 6, 20 + side * 16, 15.5, 20 + side * 7, 17);
        p.setPen(QPen(edge, 3.4, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(handle);
        p.setPen(QPen(rgb(0xffd54f), 1.7, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(handle);
    }
    // Cup.
    QPainterPath cup;
    cup.moveTo(10.5, 4.5);
    cup.lineTo(29.5, 4.5);
    cup.cubicTo(29.5, 15, 25.5, 20.5, 20, 20.5);
    cup.cubicTo(14.5, 20.5, 10.5, 15, 10.5, 4.5);
    cup.closeSubpath();
    shape(p, cup, goldGradient(10.5, 29.5), edge, 1.1);
    shape(p, ellipse(20, 4.6, 9.5, 1.6), vertical(3, 6.2, rgb(0xd98200), rgb(0xffe082)), edge, 0.9);
    // Stem and base.
    shape(p, polygon({{18, 20}, {22, 20}, {23, 25.5}, {17, 25.5}}), goldGradient(17, 23), edge, 0.9);
    shape(p, roundedRect(13, 25, 14, 3, 1), goldGradient(13, 27), edge, 0.9);
    shape(p, roundedRect(10.5, 27.8, 19, 4.4, 1.2), vertical(27.8, 32.2, rgb(0x8d5a3b), rgb(0x4e2c17)), rgb(0x3a1f0e),
          0.9);
    shape(p, roundedRect(16, 29, 8, 2, 0.5), rgb(0xffe082), rgb(0x9a5a00), 0.5);
    // Star on the cup.
    shape(p, star(QPointF(20, 11.5), 4.6, 2), rgb(0xffffff), rgb(0xe08a00), 0.7);
}

void drawStar(QPainter &p)
{
    groundShadow(p, 20, 28, 33.5);
    const QPainterPath s = star(QPointF(20, 18), 16, 7);
    QRadialGradient g(QPointF(17, 13), 17);
    g.setColorAt(0, rgb(0xfffbd0));
    g.setColorAt(0.45, rgb(0xffd21f));
    g.setColorAt(1, rgb(0xff8f00));
    shape(p, s, g, rgb(0xc24d00), 1.2);
    // Facets: each arm is darker on one side.
    p.save();
    p.setClipPath(s);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 80, 0, 55));
    for (int i = 0; i < 5; ++i) {
        const double a = -M_PI / 2 + i * 2 * M_PI / 5;
        const double b = a + M_PI / 5;
        p.drawPath(polygon(
            {{20, 18}, {20 + 16 * std::cos(a), 18 + 16 * std::sin(a)}, {20 + 7 * std::cos(b), 18 + 7 * std::sin(b)}}));
    }
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(rgb(0xc24d00), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(s);
    // Sparkles.
    shape(p, star(QPointF(34, 6), 3.6, 0.9, 4), rgb(0xfff59d), rgb(0xf5a300), 0.6);
    shape(p, star(QPointF(6, 9), 2.6, 0.7, 4), rgb(0xfff59d), rgb(0xf5a300), 0.6);
    shape(p, star(QPointF(34.5, 28), 2.2, 0.6, 4), rgb(0xfff59d), rgb(0xf5a300), 0.6);
}

void drawPeople(QPainter &p)
{
    groundShadow(p, 20, 36, 33.5);
    const auto person = [&p](double cx, double headY, double scale, QRgb light, QRgb darkColour, QRgb edge) {
        const double r = 5.2 * scale;
        QPainterPath body;
        const double top = headY + r + 1.2 * scale;
        const double half = 9 * scale;
        body.moveTo(cx - half, 32);
        body.lineTo(cx - half, top + 6 * scale);
        body.cubicTo(cx - half, top - 0.5 * scale, cx + half, top - 0.5 * scale, cx + half, top + 6 * scale);
        body.lineTo(cx + half, 32);
        body.closeSubpath();
        shape(p, body, vertical(top, 32, rgb(light), rgb(darkColour)), rgb(edge), 1.1);
        gloss(p, body, QRectF(cx - half, top - 3, 2 * half, 10), 80);
        const QPainterPath head = ellipse(cx, headY, r, r);
        QRadialGradient g(QPointF(cx - r * 0.4, headY - r * 0.4), r * 1.6);
        g.setColorAt(0, QColor(rgb(light)).lighter(130));
        g.setColorAt(1, rgb(darkColour));
        shape(p, head, g, rgb(edge), 1.1);
    };
    person(26.5, 9, 0.95, 0x64b5f6, 0x1565c0, 0x0d3c7a);
    person(14, 12.5, 1.0, 0xffb74d, 0xe65100, 0x8a3000);
}

void drawFolder(QPainter &p)
{
    groundShadow(p, 20, 34);
    const QColor edge = rgb(0xa0700a);
    const QPainterPath back = polygon({{4, 7.5}, {14.5, 7.5}, {17.5, 10.5}, {36, 10.5}, {36, 30.5}, {4, 30.5}});
    shape(p, back, vertical(7.5, 30.5, rgb(0xf2c14e), rgb(0xd99a1a)), edge, 1.1);
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(0xffffff));
    p.drawRect(QRectF(7, 12, 26, 6));
    const QPainterPath front = polygon({{4, 14.5}, {36, 14.5}, {36, 30.5}, {4, 30.5}});
    shape(p, front, vertical(14.5, 30.5, rgb(0xffe08a), rgb(0xf5b82e)), edge, 1.1);
    gloss(p, front, QRectF(2, 10, 36, 12), 70);
}

// ---------------------------------------------------------------------------
// Frame skin

// Colours shared by every frame piece.
const QRgb borderColour = 0xff0b2b7a;
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
    QRadialGradient g(QPointF(7.5, 6.5), 13);
    g.setColorAt(0, rgb(0x8dc0ff));
    g.setColorAt(0.5, rgb(0x3a74e0));
    g.setColorAt(1, rgb(0x133f9e));
    shape(p, ellipse(10, 10, 9.2, 9.2), g, rgb(borderColour), 1.0);
    const QPainterPath bolt = polygon({{12.2, 2.2}, {5, 11}, {9.4, 11}, {7.6, 17.8}, {15, 8.6}, {10.6, 8.6}});
    shape(p, bolt, vertical(2, 18, rgb(0xfff59d), rgb(0xffa000)), rgb(0x8a5200), 0.8);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

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
