#include "ui/art/Drawing.h"

#include <QPolygonF>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace art::detail {

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

QRadialGradient radial(QPointF centre, double radius, const QGradientStops &stops)
{
    QRadialGradient g(centre, radius);
    for (const QGradientStop &stop : stops)
        g.setColorAt(stop.first, stop.second);
    return g;
}

void shape(QPainter &p, const QPainterPath &path, const QBrush &fill, const QColor &outline, double width)
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

QPainterPath star(QPointF centre, double outer, double inner, int points)
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

void groundShadow(QPainter &p, double cx, double width, double y)
{
    const QRadialGradient g = radial(QPointF(cx, y), width / 2, {{0, QColor(0, 0, 0, 70)}, {1, QColor(0, 0, 0, 0)}});
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.translate(cx, y);
    p.scale(1, 0.18);
    p.translate(-cx, -y);
    p.drawEllipse(QPointF(cx, y), width / 2, width / 2);
    p.restore();
}

void gloss(QPainter &p, const QPainterPath &clip, const QRectF &area, int alpha)
{
    p.save();
    p.setClipPath(clip);
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(area.top(), area.bottom(), QColor(255, 255, 255, alpha), QColor(255, 255, 255, 0)));
    p.drawEllipse(area);
    p.restore();
}

} // namespace art::detail
