// Pictures of the catalogue's classes on the start panel's buttons.
#include "ui/art/ClassPictures.h"

#include "ui/art/Drawing.h"

#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>

namespace art::detail {

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
    const QRadialGradient g =
        radial(QPointF(16, 11), 20, {{0, rgb(0xfff7a0)}, {0.55, rgb(0xffd633)}, {1, rgb(0xf29b00)}});
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
        const QRadialGradient g =
            radial(QPointF(b.x - 0.6, b.y - 0.7), 2.4, {{0, rgb(0xffffff)}, {0.35, rgb(b.fill)}, {1, rgb(b.edge)}});
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
        const QRadialGradient g = radial(QPointF(b.x - 0.8, b.y - 0.8), 3, {{0, c.lighter(150)}, {1, c}});
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
    const QRadialGradient g =
        radial(QPointF(17.5, 16.5), 9, {{0, rgb(0xff8a8a)}, {0.5, rgb(0xf02849)}, {1, rgb(0xb0102a)}});
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

} // namespace art::detail
