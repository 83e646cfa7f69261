#pragma once

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <initializer_list>

// Shapes, colours and gradients the program's pictures are drawn with.
namespace art::detail {

// The dark outer line of the window frame; the window icon is outlined in it.
inline constexpr QRgb borderColour = 0xff0b2b7a;

// `a` blended towards `b` by `t` (0..1).
QColor mix(const QColor &a, const QColor &b, double t);
QColor rgb(QRgb value);
QImage transparentCanvas(int w, int h);
QLinearGradient vertical(double y0, double y1, const QColor &top, const QColor &bottom);
QLinearGradient horizontal(double x0, double x1, const QColor &left, const QColor &right);
// A radial gradient through the given colour stops (positions 0..1).
QRadialGradient radial(QPointF centre, double radius, const QGradientStops &stops);

// Fills a path and outlines it; every picture uses the same outline weight so
// the set looks like one family.
void shape(QPainter &p, const QPainterPath &path, const QBrush &fill, const QColor &outline, double width = 1.1);
void line(QPainter &p, QPointF a, QPointF b, const QColor &colour, double width);

QPainterPath ellipse(double cx, double cy, double rx, double ry);
QPainterPath roundedRect(double x, double y, double w, double h, double r);
QPainterPath polygon(std::initializer_list<QPointF> points);
QPainterPath star(QPointF centre, double outer, double inner, int points = 5);
QPainterPath heart(QPointF centre, double size);

// A soft oval shadow on the ground line under a class picture.
void groundShadow(QPainter &p, double cx, double width, double y = 32.5);
// A white gloss on the upper part of a shape.
void gloss(QPainter &p, const QPainterPath &clip, const QRectF &area, int alpha = 110);

} // namespace art::detail
