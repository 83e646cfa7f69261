#include "samples/SwfWriter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>

namespace samples::swf {
namespace {

// 16.16 fixed point, as matrices store scale and rotation.
std::int32_t fixed16(double value)
{
    return std::int32_t(std::lround(value * 65536.0));
}

int signedBits(std::initializer_list<std::int32_t> values)
{
    int bits = 0;
    for (std::int32_t v : values)
        bits = std::max(bits, BitWriter::signedBits(v));
    return bits;
}

// Edge records hold their deltas in 2 to 17 bits.
int edgeBits(std::initializer_list<std::int32_t> values)
{
    const int bits = std::max(2, signedBits(values));
    if (bits > 17)
        throw std::out_of_range("shape edge too long for an edge record");
    return bits;
}

} // namespace

Matrix Matrix::translation(int x, int y)
{
    Matrix m;
    m.translateX = x;
    m.translateY = y;
    return m;
}

Matrix Matrix::transform(int x, int y, double scale, double radians)
{
    Matrix m;
    const double c = std::cos(radians) * scale;
    const double s = std::sin(radians) * scale;
    m.scaleX = c;
    m.scaleY = c;
    m.rotateSkew0 = s;
    m.rotateSkew1 = -s;
    m.translateX = x;
    m.translateY = y;
    return m;
}

void BitWriter::ub(std::uint32_t value, int bits)
{
    std::uint64_t acc = (std::uint64_t(m_pending) << bits) | (value & ((std::uint64_t(1) << bits) - 1));
    int count = m_pendingBits + bits;
    while (count >= 8) {
        count -= 8;
        m_bytes.push_back(char((acc >> count) & 0xff));
    }
    m_pending = std::uint32_t(acc & ((1u << count) - 1));
    m_pendingBits = count;
}

void BitWriter::sb(std::int32_t value, int bits)
{
    ub(std::uint32_t(value), bits);
}

void BitWriter::align()
{
    if (m_pendingBits > 0)
        ub(0, 8 - m_pendingBits);
}

void BitWriter::u8(unsigned value)
{
    align();
    m_bytes.push_back(char(value & 0xff));
}

void BitWriter::u16(unsigned value)
{
    u8(value);
    u8(value >> 8);
}

void BitWriter::u32(std::uint32_t value)
{
    u16(value & 0xffff);
    u16(value >> 16);
}

void BitWriter::color(Rgba c, bool withAlpha)
{
    u8(c.r);
    u8(c.g);
    u8(c.b);
    if (withAlpha)
        u8(c.a);
}

QByteArray BitWriter::bytes()
{
    align();
    return QByteArray(m_bytes.data(), qsizetype(m_bytes.size()));
}

int BitWriter::unsignedBits(std::uint32_t value)
{
    return int(std::bit_width(value));
}

int BitWriter::signedBits(std::int32_t value)
{
    return int(std::bit_width(std::uint32_t(value < 0 ? ~value : value))) + 1;
}

void writeRect(BitWriter &out, const Rect &rect)
{
    const int bits = signedBits({rect.xMin, rect.xMax, rect.yMin, rect.yMax});
    out.ub(std::uint32_t(bits), 5);
    out.sb(rect.xMin, bits);
    out.sb(rect.xMax, bits);
    out.sb(rect.yMin, bits);
    out.sb(rect.yMax, bits);
    out.align();
}

void writeMatrix(BitWriter &out, const Matrix &matrix)
{
    const std::int32_t scaleX = fixed16(matrix.scaleX);
    const std::int32_t scaleY = fixed16(matrix.scaleY);
    const std::int32_t skew0 = fixed16(matrix.rotateSkew0);
    const std::int32_t skew1 = fixed16(matrix.rotateSkew1);
    const bool hasScale = scaleX != 0x10000 || scaleY != 0x10000;
    out.ub(hasScale, 1);
    if (hasScale) {
        const int bits = signedBits({scaleX, scaleY});
        out.ub(std::uint32_t(bits), 5);
        out.sb(scaleX, bits);
        out.sb(scaleY, bits);
    }
    const bool hasRotate = skew0 != 0 || skew1 != 0;
    out.ub(hasRotate, 1);
    if (hasRotate) {
        const int bits = signedBits({skew0, skew1});
        out.ub(std::uint32_t(bits), 5);
        out.sb(skew0, bits);
        out.sb(skew1, bits);
    }
    // A translation of (0, 0) takes no bits at all.
    const int bits =
        matrix.translateX == 0 && matrix.translateY == 0 ? 0 : signedBits({matrix.translateX, matrix.translateY});
    out.ub(std::uint32_t(bits), 5);
    out.sb(matrix.translateX, bits);
    out.sb(matrix.translateY, bits);
    out.align();
}

int Shape::addFill(Rgba color)
{
    if (m_fills.size() >= 254)
        throw std::length_error("too many fill styles");
    m_fills.push_back(color);
    return int(m_fills.size());
}

int Shape::addLine(int width, Rgba color)
{
    if (m_lines.size() >= 254)
        throw std::length_error("too many line styles");
    m_lines.push_back({width, color});
    return int(m_lines.size());
}

void Shape::moveTo(int x, int y, int fill0, int fill1, int line)
{
    const auto valid = [](int index, size_t count) { return index >= 0 && size_t(index) <= count; };
    if (!valid(fill0, m_fills.size()) || !valid(fill1, m_fills.size()) || !valid(line, m_lines.size()))
        throw std::out_of_range("no such shape style");
    m_records.push_back({Record::Move, x, y, 0, 0, fill0, fill1, line});
    m_penX = x;
    m_penY = y;
}

void Shape::lineTo(int x, int y)
{
    if (x == m_penX && y == m_penY)
        return;
    m_records.push_back({Record::Line, x, y, 0, 0, 0, 0, 0});
    m_penX = x;
    m_penY = y;
}

void Shape::curveTo(int controlX, int controlY, int x, int y)
{
    m_records.push_back({Record::Curve, x, y, controlX, controlY, 0, 0, 0});
    m_penX = x;
    m_penY = y;
}

bool Shape::needsAlpha() const
{
    return std::any_of(m_fills.begin(), m_fills.end(), [](Rgba c) { return c.a != 255; }) ||
           std::any_of(m_lines.begin(), m_lines.end(), [](const LineStyle &l) { return l.color.a != 255; });
}

Rect Shape::bounds() const
{
    if (m_records.empty())
        return {};
    Rect r{m_records.front().x, m_records.front().x, m_records.front().y, m_records.front().y};
    const auto take = [&r](int x, int y) {
        r.xMin = std::min(r.xMin, x);
        r.xMax = std::max(r.xMax, x);
        r.yMin = std::min(r.yMin, y);
        r.yMax = std::max(r.yMax, y);
    };
    int pad = 0;
    for (const Record &rec : m_records) {
        take(rec.x, rec.y);
        // A quadratic curve stays inside the triangle of its points.
        if (rec.kind == Record::Curve)
            take(rec.controlX, rec.controlY);
        if (rec.kind == Record::Move && rec.line > 0)
            pad = std::max(pad, (m_lines.at(size_t(rec.line - 1)).width + 1) / 2);
    }
    r.xMin -= pad;
    r.xMax += pad;
    r.yMin -= pad;
    r.yMax += pad;
    return r;
}

QByteArray Shape::define(std::uint16_t id, bool withAlpha) const
{
    BitWriter out;
    out.u16(id);
    writeRect(out, bounds());
    out.u8(unsigned(m_fills.size()));
    for (Rgba c : m_fills) {
        out.u8(0x00); // solid fill
        out.color(c, withAlpha);
    }
    out.u8(unsigned(m_lines.size()));
    for (const LineStyle &l : m_lines) {
        out.u16(unsigned(l.width));
        out.color(l.color, withAlpha);
    }
    const int fillBits = BitWriter::unsignedBits(std::uint32_t(m_fills.size()));
    const int lineBits = BitWriter::unsignedBits(std::uint32_t(m_lines.size()));
    out.ub(std::uint32_t(fillBits), 4);
    out.ub(std::uint32_t(lineBits), 4);

    int penX = 0;
    int penY = 0;
    int fill0 = 0;
    int fill1 = 0;
    int line = 0;
    for (const Record &rec : m_records) {
        switch (rec.kind) {
        case Record::Move: {
            // Style change record: only the styles that change, and always a move.
            const bool newLine = rec.line != line;
            const bool newFill1 = rec.fill1 != fill1;
            const bool newFill0 = rec.fill0 != fill0;
            out.ub(0, 1);
            out.ub(0, 1); // no new style arrays
            out.ub(newLine, 1);
            out.ub(newFill1, 1);
            out.ub(newFill0, 1);
            out.ub(1, 1);
            const int bits = signedBits({rec.x, rec.y});
            out.ub(std::uint32_t(bits), 5);
            out.sb(rec.x, bits);
            out.sb(rec.y, bits);
            if (newFill0)
                out.ub(std::uint32_t(rec.fill0), fillBits);
            if (newFill1)
                out.ub(std::uint32_t(rec.fill1), fillBits);
            if (newLine)
                out.ub(std::uint32_t(rec.line), lineBits);
            fill0 = rec.fill0;
            fill1 = rec.fill1;
            line = rec.line;
            break;
        }
        case Record::Line: {
            const int dx = rec.x - penX;
            const int dy = rec.y - penY;
            const int bits = edgeBits({dx, dy});
            out.ub(1, 1);
            out.ub(1, 1);
            out.ub(std::uint32_t(bits - 2), 4);
            if (dx != 0 && dy != 0) {
                out.ub(1, 1);
                out.sb(dx, bits);
                out.sb(dy, bits);
            } else {
                out.ub(0, 1);
                out.ub(dx == 0, 1); // vertical line
                out.sb(dx == 0 ? dy : dx, bits);
            }
            break;
        }
        case Record::Curve: {
            const int cx = rec.controlX - penX;
            const int cy = rec.controlY - penY;
            const int ax = rec.x - rec.controlX;
            const int ay = rec.y - rec.controlY;
            const int bits = edgeBits({cx, cy, ax, ay});
            out.ub(1, 1);
            out.ub(0, 1);
            out.ub(std::uint32_t(bits - 2), 4);
            out.sb(cx, bits);
            out.sb(cy, bits);
            out.sb(ax, bits);
            out.sb(ay, bits);
            break;
        }
        }
        penX = rec.x;
        penY = rec.y;
    }
    out.ub(0, 6); // end of shape
    return out.bytes();
}

Writer::Writer(int version, const Rect &frameSize, double frameRate)
    : m_version(version), m_frameSize(frameSize), m_frameRate(frameRate)
{
    m_tags.reserve(4096);
}

void Writer::tag(std::uint16_t code, const QByteArray &body)
{
    // The short header holds lengths up to 62.
    const auto u16 = [this](unsigned v) {
        m_tags.append(char(v & 0xff));
        m_tags.append(char((v >> 8) & 0xff));
    };
    if (body.size() < 0x3f) {
        u16(unsigned(code << 6) | unsigned(body.size()));
    } else {
        u16(unsigned(code << 6) | 0x3fu);
        u16(unsigned(body.size()) & 0xffff);
        u16(unsigned(body.size()) >> 16);
    }
    m_tags.append(body);
}

void Writer::fileAttributes(std::uint32_t flags)
{
    BitWriter body;
    body.u32(flags);
    tag(FileAttributes, body.bytes());
}

void Writer::setBackgroundColor(Rgba color)
{
    BitWriter body;
    body.color(color, false);
    tag(SetBackgroundColor, body.bytes());
}

void Writer::defineShape(std::uint16_t id, const Shape &shape)
{
    const bool alpha = shape.needsAlpha();
    tag(alpha ? DefineShape3 : DefineShape, shape.define(id, alpha));
}

void Writer::placeObject(std::uint16_t depth, std::uint16_t characterId, const Matrix &matrix)
{
    BitWriter out;
    out.u8(0x06); // has matrix, has character
    out.u16(depth);
    out.u16(characterId);
    writeMatrix(out, matrix);
    tag(PlaceObject2, out.bytes());
}

void Writer::moveObject(std::uint16_t depth, const Matrix &matrix)
{
    BitWriter out;
    out.u8(0x05); // has matrix, move
    out.u16(depth);
    writeMatrix(out, matrix);
    tag(PlaceObject2, out.bytes());
}

void Writer::removeObject(std::uint16_t depth)
{
    BitWriter body;
    body.u16(depth);
    tag(RemoveObject2, body.bytes());
}

void Writer::showFrame()
{
    tag(ShowFrame, {});
    ++m_frames;
}

Actions &Actions::gotoFrame(unsigned frame)
{
    m_bytes.append(char(0x81));
    m_bytes.append("\x02\x00", 2);
    m_bytes.append(char(frame & 0xff));
    m_bytes.append(char((frame >> 8) & 0xff));
    return *this;
}

Actions &Actions::stop()
{
    m_bytes.append(char(0x07));
    return *this;
}

Actions &Actions::pushString(const QByteArray &text)
{
    const auto length = unsigned(text.size() + 2); // type and terminating zero
    m_bytes.append(char(0x96));
    m_bytes.append(char(length & 0xff));
    m_bytes.append(char((length >> 8) & 0xff));
    m_bytes.append(char(0)); // a string
    m_bytes.append(text);
    m_bytes.append(char(0));
    return *this;
}

Actions &Actions::getVariable()
{
    m_bytes.append(char(0x1c));
    return *this;
}

Actions &Actions::setMember()
{
    m_bytes.append(char(0x4f));
    return *this;
}

QByteArray Actions::bytes() const
{
    return m_bytes + QByteArray(1, char(0));
}

void Writer::doAction(const Actions &actions)
{
    tag(DoAction, actions.bytes());
}

void Writer::defineKeyButton(std::uint16_t id, std::uint16_t characterId, const std::vector<KeyAction> &keys)
{
    BitWriter record;
    record.u8(0x0f); // hit test, down, over and up
    record.u16(characterId);
    record.u16(1); // depth
    writeMatrix(record, Matrix{});
    record.align();
    record.u8(0); // colour transform without terms
    record.u8(0); // end of the characters
    const QByteArray characters = record.bytes();

    BitWriter body;
    body.u16(id);
    body.u8(0);                                 // not a menu
    body.u16(unsigned(characters.size()) + 2u); // from this field to the first condition
    QByteArray conditions;
    for (size_t i = 0; i < keys.size(); ++i) {
        const QByteArray actions = keys[i].actions.bytes();
        BitWriter condition;
        condition.u16(i + 1 == keys.size() ? 0u : unsigned(actions.size()) + 4u);
        condition.u8(0);                         // no mouse transitions
        condition.u8((keys[i].key & 0x7f) << 1); // key code, then "over down to idle" off
        conditions += condition.bytes() + actions;
    }
    tag(DefineButton2, body.bytes() + characters + conditions);
}

QByteArray Writer::finish()
{
    tag(End, {});
    BitWriter head;
    head.u8('F');
    head.u8('W');
    head.u8('S');
    head.u8(unsigned(m_version));
    head.u32(std::uint32_t(0)); // file length, filled in below
    writeRect(head, m_frameSize);
    head.u16(unsigned(std::lround(m_frameRate * 256.0))); // 8.8 fixed point
    head.u16(unsigned(m_frames));
    QByteArray file = head.bytes() + m_tags;
    const auto length = std::uint32_t(file.size());
    for (int i = 0; i < 4; ++i)
        file[4 + i] = char((length >> (8 * i)) & 0xff);
    return file;
}

} // namespace samples::swf
