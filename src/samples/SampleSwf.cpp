#include "samples/SampleSwf.h"

#include "samples/SwfWriter.h"

#include <QString>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace samples {
namespace {

using namespace swf;

constexpr int StageWidth = 400; // pixels
constexpr int StageHeight = 300;
constexpr int Frames = 24;
constexpr double FrameRate = 12;
constexpr double Pi = 3.14159265358979323846;

// SplitMix64: the picture of an item depends only on its id.
class Dice final
{
public:
    explicit Dice(int fileId)
        : m_state(std::uint64_t(std::uint32_t(fileId)) * 0x2545F4914F6CDD1Dull ^ 0x5851F42D4C957F2Dull)
    {
    }
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % std::uint64_t(n)); }
    int between(int low, int high) { return low + below(high - low + 1); } // inclusive
    bool chance() { return (next() & 1) != 0; }
    double unit() { return double(next() >> 11) / double(1ull << 53); }

private:
    std::uint64_t m_state;
};

constexpr Rgba rgb(std::uint32_t hex, std::uint8_t alpha = 255)
{
    return {std::uint8_t(hex >> 16), std::uint8_t(hex >> 8), std::uint8_t(hex), alpha};
}

struct Background
{
    Rgba color;
    bool dark;
};

const Background backgrounds[] = {
    {rgb(0x1d2b53), true},  {rgb(0x0b3d2e), true},  {rgb(0x3a1c47), true},  {rgb(0x262626), true},
    {rgb(0xf4ecd8), false}, {rgb(0xdff1f7), false}, {rgb(0xfde2e4), false}, {rgb(0xfff5cc), false},
};

const Rgba paints[] = {
    rgb(0xe63946), rgb(0xf4a261), rgb(0xe9c46a), rgb(0x2a9d8f), rgb(0x457b9d),
    rgb(0x4cc9f0), rgb(0xb5179e), rgb(0x80b918), rgb(0xff6b6b), rgb(0x7209b7),
};

Rgba shade(Rgba c, double factor)
{
    const auto f = [factor](std::uint8_t v) { return std::uint8_t(std::lround(v * factor)); };
    return {f(c.r), f(c.g), f(c.b), 255};
}

int nearest(double v)
{
    return int(std::lround(v));
}

// A circle of radius r from eight quadratic curves; clockwise on screen
// unless reversed.
void circle(Shape &shape, int r, int fill0, int fill1, int line, bool reversed = false)
{
    const double step = (reversed ? -1 : 1) * Pi / 4;
    const double reach = r / std::cos(Pi / 8); // control points sit on the tangents' crossing
    shape.moveTo(r, 0, fill0, fill1, line);
    for (int k = 1; k <= 8; ++k) {
        const double mid = (k - 0.5) * step;
        const double end = k * step;
        shape.curveTo(nearest(reach * std::cos(mid)), nearest(reach * std::sin(mid)),
                      k == 8 ? r : nearest(r * std::cos(end)), k == 8 ? 0 : nearest(r * std::sin(end)));
    }
}

void closedPolygon(Shape &shape, const std::vector<std::pair<int, int>> &points, int fill, int line)
{
    shape.moveTo(points.front().first, points.front().second, 0, fill, line);
    for (size_t i = 1; i < points.size(); ++i)
        shape.lineTo(points[i].first, points[i].second);
    shape.lineTo(points.front().first, points.front().second);
}

void star(Shape &shape, int points, int outer, int inner, int fill, int line)
{
    std::vector<std::pair<int, int>> corners;
    for (int i = 0; i < points * 2; ++i) {
        const double a = -Pi / 2 + i * Pi / points;
        const int r = i % 2 ? inner : outer;
        corners.emplace_back(nearest(r * std::cos(a)), nearest(r * std::sin(a)));
    }
    closedPolygon(shape, corners, fill, line);
}

void polygon(Shape &shape, int sides, int r, int fill, int line)
{
    std::vector<std::pair<int, int>> corners;
    for (int i = 0; i < sides; ++i) {
        const double a = -Pi / 2 + i * 2 * Pi / sides;
        corners.emplace_back(nearest(r * std::cos(a)), nearest(r * std::sin(a)));
    }
    closedPolygon(shape, corners, fill, line);
}

// A rectangle centred on the origin whose corners are quadratic curves.
void roundedRect(Shape &shape, int w, int h, int corner, int fill, int line)
{
    const int x = w / 2;
    const int y = h / 2;
    shape.moveTo(-x + corner, -y, 0, fill, line);
    shape.lineTo(x - corner, -y);
    shape.curveTo(x, -y, x, -y + corner);
    shape.lineTo(x, y - corner);
    shape.curveTo(x, y, x - corner, y);
    shape.lineTo(-x + corner, y);
    shape.curveTo(-x, y, -x, y - corner);
    shape.lineTo(-x, -y + corner);
    shape.curveTo(-x, -y, -x + corner, -y);
}

// Digits as strokes on a grid 4 wide and 6 high (y down); one polyline per list.
using Stroke = std::vector<std::pair<int, int>>;
const std::vector<Stroke> &glyph(QChar c)
{
    static const std::vector<Stroke> digits[10] = {
        {{{1, 0}, {3, 0}, {4, 1}, {4, 5}, {3, 6}, {1, 6}, {0, 5}, {0, 1}, {1, 0}}, {{3, 1}, {1, 5}}},
        {{{1, 1}, {2, 0}, {2, 6}}, {{1, 6}, {3, 6}}},
        {{{0, 1}, {1, 0}, {3, 0}, {4, 1}, {4, 2}, {0, 6}, {4, 6}}},
        {{{0, 0}, {4, 0}, {2, 2}, {3, 2}, {4, 3}, {4, 5}, {3, 6}, {1, 6}, {0, 5}}},
        {{{3, 6}, {3, 0}, {0, 4}, {4, 4}}},
        {{{4, 0}, {0, 0}, {0, 3}, {3, 3}, {4, 4}, {4, 5}, {3, 6}, {0, 6}}},
        {{{3, 0}, {1, 0}, {0, 1}, {0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 4}, {3, 3}, {0, 3}}},
        {{{0, 0}, {4, 0}, {1, 6}}},
        {{{1, 3},
          {0, 2},
          {0, 1},
          {1, 0},
          {3, 0},
          {4, 1},
          {4, 2},
          {3, 3},
          {1, 3},
          {0, 4},
          {0, 5},
          {1, 6},
          {3, 6},
          {4, 5},
          {4, 4},
          {3, 3}}},
        {{{4, 3}, {1, 3}, {0, 2}, {0, 1}, {1, 0}, {3, 0}, {4, 1}, {4, 5}, {3, 6}, {1, 6}}},
    };
    static const std::vector<Stroke> minus = {{{0, 3}, {4, 3}}};
    if (c.isDigit())
        return digits[c.digitValue()];
    return minus;
}

// The item number as strokes, centred on the origin; `unit` is the grid step.
Shape numberShape(const QString &text, int unit, Rgba color)
{
    Shape shape;
    const int line = shape.addLine(unit * 2 / 3, color);
    const int advance = 6 * unit;
    const int left = -(int(text.size()) * advance - 2 * unit) / 2;
    const int top = -3 * unit;
    for (int i = 0; i < text.size(); ++i) {
        for (const Stroke &s : glyph(text.at(i))) {
            const auto at = [&](std::pair<int, int> p) {
                return std::pair<int, int>(left + i * advance + p.first * unit, top + p.second * unit);
            };
            shape.moveTo(at(s.front()).first, at(s.front()).second, 0, 0, line);
            for (size_t k = 1; k < s.size(); ++k)
                shape.lineTo(at(s[k]).first, at(s[k]).second);
        }
    }
    return shape;
}

enum class Kind { Circle, Star, RoundedRect, Polygon, Ring };

struct Actor
{
    Shape shape;
    double centreX, centreY; // twips
    double swingX, swingY;
    int lissajous; // 1 or 2 vertical swings per loop
    double phaseCos, phaseSin;
    int spin;       // half turns per loop, either way round
    double pulse;   // relative change of size
    int appear = 0; // frames in which it is on the stage
    int vanish = Frames;
};

Shape actorShape(Dice &dice, Kind kind, Rgba paint, bool darkBackground)
{
    Shape shape;
    const std::uint8_t alpha = std::uint8_t(dice.chance() ? 255 : dice.between(150, 220));
    const int fill = shape.addFill({paint.r, paint.g, paint.b, alpha});
    int line = 0;
    if (dice.below(3) != 0) {
        const Rgba edge = darkBackground ? Rgba{255, 255, 255, 255} : shade(paint, 0.55);
        line = shape.addLine(twips(dice.between(2, 4)), edge);
    }
    const int size = twips(dice.between(30, 70));
    switch (kind) {
    case Kind::Circle:
        circle(shape, size, 0, fill, line);
        break;
    case Kind::Star:
        star(shape, dice.between(5, 8), size, size * dice.between(40, 60) / 100, fill, line);
        break;
    case Kind::RoundedRect:
        roundedRect(shape, size * 2, size * dice.between(90, 150) / 100, size / dice.between(3, 5), fill, line);
        break;
    case Kind::Polygon:
        polygon(shape, dice.between(3, 6), size, fill, line);
        break;
    case Kind::Ring:
        // The hole runs the same way round with the ring on its left side.
        circle(shape, size, 0, fill, line);
        circle(shape, size * dice.between(40, 65) / 100, fill, 0, line);
        break;
    }
    return shape;
}

// Every angle the animation needs is a whole number of 48ths of a turn plus
// an actor's phase, so a table and the angle sum formulas replace most sin/cos.
struct Angle
{
    double cos, sin;
    Angle plus(double phaseCos, double phaseSin) const
    {
        return {cos * phaseCos - sin * phaseSin, sin * phaseCos + cos * phaseSin};
    }
};

Angle steps(int n)
{
    static const auto table = [] {
        std::array<Angle, 2 * Frames> t{};
        for (int i = 0; i < 2 * Frames; ++i)
            t[size_t(i)] = {std::cos(Pi * i / Frames), std::sin(Pi * i / Frames)};
        return t;
    }();
    return table[size_t(((n % (2 * Frames)) + 2 * Frames) % (2 * Frames))];
}

Matrix actorMatrix(const Actor &a, int frame)
{
    // One loop of the movie is a full turn of the swing.
    const Angle swingX = steps(2 * frame).plus(a.phaseCos, a.phaseSin);
    const Angle swingY = steps(2 * a.lissajous * frame).plus(a.phaseCos, a.phaseSin);
    const Angle pulse = steps(4 * frame).plus(a.phaseCos, a.phaseSin);
    const Angle turn = steps(a.spin * frame).plus(a.phaseCos, a.phaseSin);
    const double scale = 1 + a.pulse * pulse.sin;
    Matrix m;
    m.scaleX = m.scaleY = turn.cos * scale;
    m.rotateSkew0 = turn.sin * scale;
    m.rotateSkew1 = -turn.sin * scale;
    m.translateX = nearest(a.centreX + a.swingX * swingX.cos);
    m.translateY = nearest(a.centreY + a.swingY * swingY.sin);
    return m;
}

} // namespace

QByteArray sampleSwf(int fileId)
{
    Dice dice(fileId);
    Writer swf(8, {0, twips(StageWidth), 0, twips(StageHeight)}, FrameRate);
    swf.fileAttributes(0); // ActionScript 1/2, local files only
    const Background &background = backgrounds[dice.below(int(std::size(backgrounds)))];
    swf.setBackgroundColor(background.color);

    // Two to four shapes of different kinds and colours circling around the stage.
    std::vector<Kind> kinds = {Kind::Circle, Kind::Star, Kind::RoundedRect, Kind::Polygon, Kind::Ring};
    std::vector<Rgba> colors(std::begin(paints), std::end(paints));
    std::vector<Actor> actors(size_t(dice.between(2, 4)));
    for (Actor &a : actors) {
        const size_t k = size_t(dice.below(int(kinds.size())));
        const size_t c = size_t(dice.below(int(colors.size())));
        a.shape = actorShape(dice, kinds[k], colors[c], background.dark);
        kinds.erase(kinds.begin() + std::ptrdiff_t(k));
        colors.erase(colors.begin() + std::ptrdiff_t(c));
        a.centreX = twips(dice.between(90, 310));
        a.centreY = twips(dice.between(80, 170));
        a.swingX = twips(dice.between(20, 80));
        a.swingY = twips(dice.between(15, 60));
        a.lissajous = dice.between(1, 2);
        const double phase = dice.unit() * 2 * Pi;
        a.phaseCos = std::cos(phase);
        a.phaseSin = std::sin(phase);
        a.spin = (dice.chance() ? 1 : -1) * dice.between(1, 2);
        a.pulse = dice.between(0, 25) / 100.0;
    }
    // The last one blinks: on the stage for only part of the loop.
    actors.back().appear = dice.between(0, 4);
    actors.back().vanish = actors.back().appear + dice.between(10, 16);

    // The item number on a translucent panel at the bottom, above the shapes.
    const QString number = QString::number(fileId);
    const int digitsWide = int(number.size()) * 6 - 2;
    const int unit = std::min(twips(6), twips(340) / digitsWide);
    Shape panel;
    const int panelFill = panel.addFill(background.dark ? Rgba{0, 0, 0, 110} : Rgba{255, 255, 255, 150});
    roundedRect(panel, digitsWide * unit + twips(24), 6 * unit + twips(20), twips(10), panelFill, 0);
    const Shape digits = numberShape(number, unit, background.dark ? rgb(0xfff3c4) : rgb(0x1d1d1d));

    std::uint16_t id = 0;
    for (const Actor &a : actors)
        swf.defineShape(++id, a.shape);
    const std::uint16_t panelId = ++id;
    swf.defineShape(panelId, panel);
    const std::uint16_t digitsId = ++id;
    swf.defineShape(digitsId, digits);

    const std::uint16_t panelDepth = 10;
    const std::uint16_t digitsDepth = 11;
    const int numberY = twips(StageHeight) - 3 * unit - twips(22);
    for (int frame = 0; frame < Frames; ++frame) {
        for (size_t i = 0; i < actors.size(); ++i) {
            const Actor &a = actors[i];
            const auto depth = std::uint16_t(i + 1);
            if (frame == a.vanish)
                swf.removeObject(depth);
            else if (frame == a.appear)
                swf.placeObject(depth, std::uint16_t(i + 1), actorMatrix(a, frame));
            else if (frame > a.appear && frame < a.vanish)
                swf.moveObject(depth, actorMatrix(a, frame));
        }
        if (frame == 0) {
            swf.placeObject(panelDepth, panelId, Matrix::translation(twips(StageWidth / 2), numberY));
            swf.placeObject(digitsDepth, digitsId, Matrix::translation(twips(StageWidth / 2), numberY));
        }
        swf.showFrame();
    }
    return swf.finish();
}

QByteArray blankSwf()
{
    Writer swf(8, {0, twips(StageWidth), 0, twips(StageHeight)}, FrameRate);
    swf.fileAttributes(0);
    swf.setBackgroundColor({0, 0, 0});
    swf.showFrame();
    return swf.finish();
}

std::array<unsigned, 3> keySwfColours()
{
    return {0x2a6f97, 0xc8553d, 0x7fb069};
}

namespace {

Shape stageRect(unsigned colour, int width, int height)
{
    Shape rect;
    const int fill = rect.addFill(rgb(colour));
    rect.moveTo(0, 0, 0, fill, 0);
    rect.lineTo(width, 0);
    rect.lineTo(width, height);
    rect.lineTo(0, height);
    rect.lineTo(0, 0);
    return rect;
}

Actions askForFullScreen()
{
    return Actions().pushString("Stage").getVariable().pushString("displayState").pushString("fullScreen").setMember();
}

} // namespace

QByteArray keySwf()
{
    const std::array<unsigned, 3> colours = keySwfColours();
    Writer swf(8, {0, twips(StageWidth), 0, twips(StageHeight)}, FrameRate);
    swf.fileAttributes(0);
    swf.setBackgroundColor(rgb(colours[0]));
    swf.defineShape(1, stageRect(colours[1], twips(StageWidth), twips(StageHeight)));
    swf.defineShape(2, stageRect(colours[2], twips(StageWidth), twips(StageHeight)));
    // The button that hears the keys is a speck in the corner.
    swf.defineShape(3, stageRect(colours[0], twips(2), twips(2)));
    swf.defineKeyButton(
        4, 3, {{'a', Actions().gotoFrame(1).stop()}, {'b', Actions().gotoFrame(2).stop()}, {'f', askForFullScreen()}});
    swf.placeObject(5, 4, Matrix{});
    swf.doAction(askForFullScreen().stop());
    swf.showFrame();
    swf.placeObject(1, 1, Matrix{});
    swf.doAction(Actions().stop());
    swf.showFrame();
    swf.removeObject(1);
    swf.placeObject(1, 2, Matrix{});
    swf.doAction(Actions().stop());
    swf.showFrame();
    return swf.finish();
}

std::optional<unsigned> backgroundOf(const QByteArray &swf)
{
    if (swf.size() < 9 || !swf.startsWith("FWS"))
        return std::nullopt;
    const auto byte = [&swf](qsizetype at) { return unsigned(quint8(swf.at(at))); };
    const int nbits = int(byte(8) >> 3);
    qsizetype pos = 8 + (5 + 4 * nbits + 7) / 8 + 4;
    while (pos + 2 <= swf.size()) {
        const unsigned head = byte(pos) | (byte(pos + 1) << 8);
        qsizetype length = head & 0x3f;
        pos += 2;
        if (length == 0x3f) {
            if (pos + 4 > swf.size())
                return std::nullopt;
            length = qsizetype(byte(pos) | (byte(pos + 1) << 8) | (byte(pos + 2) << 16) | (byte(pos + 3) << 24));
            pos += 4;
        }
        if ((head >> 6) == Writer::SetBackgroundColor && pos + 3 <= swf.size())
            return (byte(pos) << 16) | (byte(pos + 1) << 8) | byte(pos + 2);
        if ((head >> 6) == Writer::End || length < 0)
            return std::nullopt;
        pos += length;
    }
    return std::nullopt;
}

} // namespace samples
