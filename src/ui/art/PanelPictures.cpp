// Pictures of the start panel's buttons that open panels (ranking,
// recommendations, community), and the picture of any other class.
#include "ui/art/ClassPictures.h"

#include "ui/art/Drawing.h"

#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>

namespace art::detail {

namespace {

QLinearGradient goldGradient(double x0, double x1)
{
    QLinearGradient g(x0, 0, x1, 0);
    g.setColorAt(0, rgb(0xf2a900));
    g.setColorAt(0.35, rgb(0xfff3a0));
    g.setColorAt(0.6, rgb(0xffcf33));
    g.setColorAt(1, rgb(0xd98200));
    return g;
}

} // namespace

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
    const QRadialGradient g =
        radial(QPointF(17, 13), 17, {{0, rgb(0xfffbd0)}, {0.45, rgb(0xffd21f)}, {1, rgb(0xff8f00)}});
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
        const QRadialGradient g = radial(QPointF(cx - r * 0.4, headY - r * 0.4), r * 1.6,
                                         {{0, QColor(rgb(light)).lighter(130)}, {1, rgb(darkColour)}});
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

} // namespace art::detail
