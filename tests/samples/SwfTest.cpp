#include "samples/SampleSwf.h"
#include "samples/SwfWriter.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// An independent reader for what the sample files use, to check the writer
// against the file format rather than against itself.

struct Malformed : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

class Bits
{
public:
    explicit Bits(const QByteArray &data) : m_data(data) {}

    std::uint32_t ub(int n)
    {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            if (m_bit >= size_t(m_data.size()) * 8)
                throw Malformed("read past the end");
            const auto byte = std::uint8_t(m_data[qsizetype(m_bit / 8)]);
            v = (v << 1) | ((byte >> (7 - m_bit % 8)) & 1u);
            ++m_bit;
        }
        return v;
    }
    std::int32_t sb(int n)
    {
        const std::uint32_t v = ub(n);
        if (n > 0 && n < 32 && (v >> (n - 1)) & 1u)
            return std::int32_t(v | ~((1u << n) - 1));
        return std::int32_t(v);
    }
    void align() { m_bit = (m_bit + 7) / 8 * 8; }
    unsigned u8()
    {
        align();
        return ub(8);
    }
    unsigned u16()
    {
        const unsigned lo = u8();
        return lo | (u8() << 8);
    }
    std::uint32_t u32()
    {
        const std::uint32_t lo = u16();
        return lo | (std::uint32_t(u16()) << 16);
    }
    QByteArray bytes(qsizetype n)
    {
        align();
        if (pos() + n > m_data.size())
            throw Malformed("block runs past the end");
        const QByteArray out = m_data.mid(pos(), n);
        m_bit += size_t(n) * 8;
        return out;
    }
    qsizetype pos() const { return qsizetype((m_bit + 7) / 8); }

private:
    QByteArray m_data;
    size_t m_bit = 0;
};

struct Rect
{
    int xMin, xMax, yMin, yMax;
};

Rect readRect(Bits &in)
{
    const int n = int(in.ub(5));
    Rect r{};
    r.xMin = in.sb(n);
    r.xMax = in.sb(n);
    r.yMin = in.sb(n);
    r.yMax = in.sb(n);
    in.align();
    return r;
}

struct Matrix
{
    double scaleX = 1, scaleY = 1, skew0 = 0, skew1 = 0;
    int x = 0, y = 0;
    bool operator==(const Matrix &) const = default;
};

Matrix readMatrix(Bits &in)
{
    Matrix m;
    if (in.ub(1)) {
        const int n = int(in.ub(5));
        m.scaleX = in.sb(n) / 65536.0;
        m.scaleY = in.sb(n) / 65536.0;
    }
    if (in.ub(1)) {
        const int n = int(in.ub(5));
        m.skew0 = in.sb(n) / 65536.0;
        m.skew1 = in.sb(n) / 65536.0;
    }
    const int n = int(in.ub(5));
    m.x = in.sb(n);
    m.y = in.sb(n);
    in.align();
    return m;
}

struct Tag
{
    unsigned code;
    QByteArray body;
};

struct Swf
{
    QByteArray signature;
    unsigned version = 0;
    std::uint32_t declaredLength = 0;
    Rect frame{};
    unsigned frameRate = 0; // 8.8 fixed point
    unsigned frameCount = 0;
    std::vector<Tag> tags;
};

enum : unsigned {
    End = 0,
    ShowFrame = 1,
    DefineShape = 2,
    SetBackgroundColor = 9,
    PlaceObject2 = 26,
    RemoveObject2 = 28,
    DefineShape3 = 32,
    FileAttributes = 69,
};

// Walks the tags up to End; End must be the last bytes of the file.
Swf readSwf(const QByteArray &file)
{
    Bits in(file);
    Swf swf;
    swf.signature = in.bytes(3);
    swf.version = in.u8();
    swf.declaredLength = in.u32();
    swf.frame = readRect(in);
    swf.frameRate = in.u16();
    swf.frameCount = in.u16();
    while (true) {
        if (in.pos() >= file.size())
            throw Malformed("no End tag");
        const unsigned head = in.u16();
        Tag tag{head >> 6, {}};
        qsizetype length = head & 0x3f;
        if (length == 0x3f)
            length = qsizetype(in.u32());
        tag.body = in.bytes(length);
        swf.tags.push_back(tag);
        if (tag.code == End)
            break;
    }
    if (in.pos() != file.size())
        throw Malformed("bytes after the End tag");
    return swf;
}

Swf parsed(const QByteArray &file)
{
    try {
        return readSwf(file);
    } catch (const Malformed &e) {
        ADD_FAILURE() << "malformed file: " << e.what();
        return {};
    }
}

struct PathStyle
{
    int fill0, fill1, line;
    bool operator==(const PathStyle &) const = default;
};

void PrintTo(const PathStyle &p, std::ostream *os)
{
    *os << "{fill0 " << p.fill0 << ", fill1 " << p.fill1 << ", line " << p.line << '}';
}

struct ShapeInfo
{
    unsigned id = 0;
    std::vector<PathStyle> paths; // the styles of each path that has edges
    Rect bounds{};
    int straightEdges = 0;
    int curvedEdges = 0;
    bool translucent = false;
    std::vector<std::string> problems;
};

// Decodes a DefineShape or DefineShape3 body: styles and the record stream,
// which must end with an end record exactly at the end of the tag.
ShapeInfo readShape(const Tag &tag)
{
    const bool alpha = tag.code == DefineShape3;
    Bits in(tag.body);
    ShapeInfo s;
    s.id = in.u16();
    s.bounds = readRect(in);
    const auto problem = [&s](const std::string &what) { s.problems.push_back(what); };
    const auto styles = [&](bool lines) {
        unsigned count = in.u8();
        if (count == 0xff && tag.code != DefineShape)
            count = in.u16();
        for (unsigned i = 0; i < count; ++i) {
            if (lines) {
                in.u16(); // width
            } else if (const unsigned type = in.u8(); type != 0x00) {
                problem("fill style " + std::to_string(type) + " is not solid");
            }
            in.u8();
            in.u8();
            in.u8();
            if (alpha && in.u8() != 255)
                s.translucent = true;
        }
        return int(count);
    };
    int fills = styles(false);
    int lines = styles(true);
    int fillBits = int(in.ub(4));
    int lineBits = int(in.ub(4));

    int x = 0, y = 0;
    int startX = 0, startY = 0;
    bool filled = false;
    const auto inside = [&](int px, int py) {
        if (px < s.bounds.xMin || px > s.bounds.xMax || py < s.bounds.yMin || py > s.bounds.yMax)
            problem("point " + std::to_string(px) + "," + std::to_string(py) + " outside the bounds");
    };
    const auto closePath = [&] {
        if (filled && (x != startX || y != startY))
            problem("a filled path does not return to its start");
    };
    int fill0 = 0, fill1 = 0, line = 0;
    bool pathStarted = false;
    const auto edge = [&] {
        if (fill0 == 0 && fill1 == 0 && line == 0)
            problem("an edge with neither fill nor line");
        if (!pathStarted)
            s.paths.push_back({fill0, fill1, line});
        pathStarted = true;
    };
    while (true) {
        if (in.ub(1) == 0) {
            const unsigned flags = in.ub(5);
            if (flags == 0) {
                closePath();
                break;
            }
            if (flags & 0x10) { // new styles
                if (tag.code == DefineShape)
                    problem("new styles in a DefineShape");
                in.align();
                fills = styles(false);
                lines = styles(true);
                fillBits = int(in.ub(4));
                lineBits = int(in.ub(4));
            }
            if (flags & 0x01) { // move to (absolute)
                closePath();
                const int n = int(in.ub(5));
                x = startX = in.sb(n);
                y = startY = in.sb(n);
                inside(x, y);
            }
            if (flags & 0x02)
                fill0 = int(in.ub(fillBits));
            if (flags & 0x04)
                fill1 = int(in.ub(fillBits));
            if (flags & 0x08)
                line = int(in.ub(lineBits));
            if (fill0 > fills || fill1 > fills || line > lines)
                problem("style out of range");
            filled = fill0 != 0 || fill1 != 0;
            pathStarted = false;
        } else if (in.ub(1) == 1) {
            const int n = int(in.ub(4)) + 2;
            if (in.ub(1)) {
                x += in.sb(n);
                y += in.sb(n);
            } else if (in.ub(1)) {
                y += in.sb(n);
            } else {
                x += in.sb(n);
            }
            inside(x, y);
            edge();
            ++s.straightEdges;
        } else {
            const int n = int(in.ub(4)) + 2;
            x += in.sb(n);
            y += in.sb(n);
            inside(x, y); // the control point; the curve stays within it and its ends
            x += in.sb(n);
            y += in.sb(n);
            inside(x, y);
            edge();
            ++s.curvedEdges;
        }
    }
    in.align();
    if (in.pos() != tag.body.size())
        problem("shape records end " + std::to_string(tag.body.size() - in.pos()) + " bytes before the tag does");
    return s;
}

std::vector<int> someIds()
{
    std::vector<int> ids = {0, 1, 7, 42, 1001, 1002, 1003, 20000, 123456, 1000999, 2147483647, -1, -2147483647 - 1};
    for (int id = 2000; id < 2060; ++id)
        ids.push_back(id);
    return ids;
}

std::string label(int id)
{
    return "file id " + std::to_string(id);
}

TEST(SampleSwf, TheHeaderDescribesAStageOfFourHundredByThreeHundred)
{
    for (int id : someIds()) {
        SCOPED_TRACE(label(id));
        const QByteArray file = samples::sampleSwf(id);
        const Swf swf = parsed(file);
        EXPECT_EQ(swf.signature, QByteArray("FWS"));
        EXPECT_EQ(swf.version, 8u);
        EXPECT_EQ(swf.declaredLength, std::uint32_t(file.size()));
        EXPECT_EQ(swf.frame.xMin, 0);
        EXPECT_EQ(swf.frame.yMin, 0);
        EXPECT_EQ(swf.frame.xMax, 400 * 20);
        EXPECT_EQ(swf.frame.yMax, 300 * 20);
        EXPECT_EQ(swf.frameRate, 12u << 8);
        unsigned shown = 0;
        for (const Tag &t : swf.tags)
            shown += t.code == ShowFrame;
        EXPECT_EQ(swf.frameCount, shown);
        EXPECT_GE(shown, 12u);
        // Small enough to write a hundred thousand of them.
        EXPECT_LT(file.size(), 6 * 1024);
    }
}

TEST(SampleSwf, TagsStartWithAttributesAndBackgroundAndEndOnce)
{
    for (int id : someIds()) {
        SCOPED_TRACE(label(id));
        const Swf swf = parsed(samples::sampleSwf(id));
        ASSERT_GE(swf.tags.size(), 3u);
        EXPECT_EQ(swf.tags.front().code, unsigned(FileAttributes));
        ASSERT_EQ(swf.tags.front().body.size(), 4);
        // No ActionScript 3 in a version 8 file.
        EXPECT_EQ(std::uint8_t(swf.tags.front().body[0]) & 0x08, 0);
        EXPECT_EQ(swf.tags.back().code, unsigned(End));
        bool background = false;
        for (size_t i = 0; i + 1 < swf.tags.size(); ++i) {
            const Tag &t = swf.tags[i];
            EXPECT_NE(t.code, unsigned(End)) << "End before the last tag";
            EXPECT_TRUE(i == 0 || t.code != FileAttributes);
            if (t.code == SetBackgroundColor) {
                EXPECT_EQ(t.body.size(), 3);
                background = true;
            }
            if (t.code == ShowFrame) {
                EXPECT_TRUE(background) << "a frame is shown before the background colour is set";
                EXPECT_TRUE(t.body.isEmpty());
            }
            EXPECT_TRUE(t.code == ShowFrame || t.code == DefineShape || t.code == DefineShape3 ||
                        t.code == SetBackgroundColor || t.code == PlaceObject2 || t.code == RemoveObject2 ||
                        t.code == FileAttributes)
                << "unexpected tag " << t.code;
        }
    }
}

TEST(SampleSwf, ShapeRecordsDecodeWithinTheirTags)
{
    int straight = 0;
    int curved = 0;
    int translucent = 0;
    for (int id : someIds()) {
        SCOPED_TRACE(label(id));
        const Swf swf = parsed(samples::sampleSwf(id));
        for (const Tag &t : swf.tags) {
            if (t.code != DefineShape && t.code != DefineShape3)
                continue;
            try {
                const ShapeInfo s = readShape(t);
                EXPECT_TRUE(s.problems.empty()) << "shape " << s.id << ": " << s.problems.front();
                EXPECT_GT(s.straightEdges + s.curvedEdges, 0) << "shape " << s.id << " draws nothing";
                EXPECT_LT(s.bounds.xMin, s.bounds.xMax);
                EXPECT_LT(s.bounds.yMin, s.bounds.yMax);
                straight += s.straightEdges;
                curved += s.curvedEdges;
                translucent += s.translucent;
            } catch (const Malformed &e) {
                ADD_FAILURE() << "a shape runs past its tag: " << e.what();
            }
        }
    }
    // Across these files the reader has seen every kind of record.
    EXPECT_GT(straight, 0);
    EXPECT_GT(curved, 0);
    EXPECT_GT(translucent, 0);
}

TEST(SampleSwf, TheDisplayListOnlyHoldsDefinedShapesThatMove)
{
    for (int id : someIds()) {
        SCOPED_TRACE(label(id));
        const Swf swf = parsed(samples::sampleSwf(id));
        QSet<unsigned> defined;
        QSet<unsigned> placed;
        std::map<unsigned, Matrix> onStage; // depth -> where it is
        std::map<unsigned, std::vector<Matrix>> seen;
        for (const Tag &t : swf.tags) {
            Bits in(t.body);
            try {
                if (t.code == DefineShape || t.code == DefineShape3) {
                    const unsigned character = in.u16();
                    EXPECT_FALSE(defined.contains(character)) << "character " << character << " defined twice";
                    defined.insert(character);
                } else if (t.code == PlaceObject2) {
                    const unsigned flags = in.u8();
                    const unsigned depth = in.u16();
                    EXPECT_EQ(flags & 0xf8, 0u) << "only characters and matrices are placed";
                    const bool move = flags & 0x01;
                    if (flags & 0x02) {
                        const unsigned character = in.u16();
                        EXPECT_TRUE(defined.contains(character)) << "character " << character << " is not defined";
                        placed.insert(character);
                    }
                    EXPECT_EQ(move, onStage.count(depth) == 1) << "depth " << depth;
                    Matrix m = onStage[depth];
                    if (flags & 0x04)
                        m = readMatrix(in);
                    EXPECT_EQ(in.pos(), t.body.size()) << "PlaceObject2 has trailing bytes";
                    EXPECT_GE(m.x, 0);
                    EXPECT_LE(m.x, swf.frame.xMax);
                    EXPECT_GE(m.y, 0);
                    EXPECT_LE(m.y, swf.frame.yMax);
                    onStage[depth] = m;
                } else if (t.code == RemoveObject2) {
                    const unsigned depth = in.u16();
                    EXPECT_EQ(onStage.erase(depth), 1u) << "nothing to remove at depth " << depth;
                } else if (t.code == ShowFrame) {
                    for (const auto &[depth, m] : onStage)
                        seen[depth].push_back(m);
                }
            } catch (const Malformed &e) {
                ADD_FAILURE() << "tag " << t.code << " is cut short: " << e.what();
            }
        }
        EXPECT_EQ(placed, defined) << "a shape is defined but never shown";
        // At least one shape moves or turns from frame to frame.
        bool moves = false;
        for (const auto &[depth, matrices] : seen) {
            for (size_t i = 1; i < matrices.size(); ++i)
                moves = moves || !(matrices[i] == matrices[i - 1]);
        }
        EXPECT_TRUE(moves);
        EXPECT_GE(seen.size(), 3u) << "shapes and the number";
    }
}

TEST(SampleSwf, TheSameIdGivesTheSameBytesAndOtherIdsOthers)
{
    QSet<QByteArray> files;
    const std::vector<int> ids = someIds();
    for (int id : ids) {
        const QByteArray file = samples::sampleSwf(id);
        EXPECT_EQ(file, samples::sampleSwf(id)) << label(id);
        files.insert(file);
    }
    EXPECT_EQ(files.size(), qsizetype(ids.size()));
}

// The writer on its own, with values the sample files do not use.
TEST(SwfWriter, RoundTripsNegativeAndLargeValues)
{
    namespace swf = samples::swf;
    swf::Shape shape;
    const int fill = shape.addFill({10, 20, 30, 255});
    const int line = shape.addLine(40, {1, 2, 3, 255});
    shape.moveTo(-6000, -3, 0, fill, line);
    shape.lineTo(6000, -3);            // horizontal, 12000 twips: 15 bits
    shape.lineTo(6000, 5000);          // vertical
    shape.curveTo(0, 9000, -6000, -3); // the control point reaches furthest
    shape.moveTo(0, 0, fill, 0, 0);    // filled on its left side
    shape.lineTo(-1, -1);
    shape.lineTo(1, -1);
    shape.lineTo(0, 0);
    EXPECT_FALSE(shape.needsAlpha());

    swf::Writer writer(8, {0, 11000, -20, 8000}, 24.5);
    writer.fileAttributes(0);
    writer.defineShape(5, shape);
    const swf::Matrix turned = swf::Matrix::transform(-16000, 123, 1.5, 3.14159265358979 / 2);
    writer.placeObject(3, 5, turned);
    writer.moveObject(3, swf::Matrix::translation(0, 0));
    writer.showFrame();
    writer.removeObject(3);
    writer.showFrame();
    const Swf file = parsed(writer.finish());
    EXPECT_EQ(file.frame.xMax, 11000);
    EXPECT_EQ(file.frame.yMin, -20);
    EXPECT_EQ(file.frameRate, 0x1880u);
    EXPECT_EQ(file.frameCount, 2u);
    ASSERT_EQ(file.tags.size(), 8u);

    ASSERT_EQ(file.tags[1].code, unsigned(DefineShape)); // opaque colours only
    const ShapeInfo s = readShape(file.tags[1]);
    EXPECT_TRUE(s.problems.empty()) << s.problems.front();
    EXPECT_EQ(s.id, 5u);
    EXPECT_EQ(s.straightEdges, 5);
    EXPECT_EQ(s.curvedEdges, 1);
    EXPECT_EQ(s.paths, (std::vector<PathStyle>{{0, fill, line}, {fill, 0, 0}}));
    // The bounds include half the line width.
    EXPECT_EQ(s.bounds.xMin, -6020);
    EXPECT_EQ(s.bounds.xMax, 6020);
    EXPECT_EQ(s.bounds.yMin, -23);
    EXPECT_EQ(s.bounds.yMax, 9020);

    Bits place(file.tags[2].body);
    EXPECT_EQ(place.u8(), 0x06u);
    EXPECT_EQ(place.u16(), 3u);
    EXPECT_EQ(place.u16(), 5u);
    const Matrix m = readMatrix(place);
    EXPECT_NEAR(m.scaleX, 0, 1e-4);
    EXPECT_NEAR(m.skew0, 1.5, 1e-4);
    EXPECT_NEAR(m.skew1, -1.5, 1e-4);
    EXPECT_EQ(m.x, -16000);
    EXPECT_EQ(m.y, 123);

    Bits move(file.tags[3].body);
    EXPECT_EQ(move.u8(), 0x05u);
    EXPECT_EQ(move.u16(), 3u);
    EXPECT_EQ(readMatrix(move), Matrix());
    EXPECT_EQ(move.pos(), file.tags[3].body.size());

    EXPECT_EQ(file.tags[5].code, unsigned(RemoveObject2));
}

TEST(SwfWriter, TranslucentShapesUseDefineShape3AndLongTagHeaders)
{
    namespace swf = samples::swf;
    swf::Shape shape;
    const int fill = shape.addFill({200, 100, 0, 128});
    shape.moveTo(0, 0, 0, fill, 0);
    for (int i = 1; i <= 40; ++i)
        shape.lineTo(i * 100, (i % 2) * 300);
    shape.lineTo(0, 0);
    swf::Writer writer(8, {0, 8000, 0, 6000}, 12);
    writer.defineShape(1, shape);
    const Swf file = parsed(writer.finish());
    ASSERT_EQ(file.tags.size(), 2u);
    EXPECT_EQ(file.tags[0].code, unsigned(DefineShape3));
    EXPECT_GT(file.tags[0].body.size(), 62);
    const ShapeInfo s = readShape(file.tags[0]);
    EXPECT_TRUE(s.problems.empty()) << s.problems.front();
    EXPECT_TRUE(s.translucent);
    EXPECT_EQ(s.straightEdges, 41);
    EXPECT_EQ(s.paths, (std::vector<PathStyle>{{0, fill, 0}}));
}

TEST(SwfWriter, RefusesEdgesTooLongForARecord)
{
    namespace swf = samples::swf;
    swf::Shape shape;
    shape.moveTo(-40000, 0, 0, 0, 0);
    shape.lineTo(40000, 0);
    EXPECT_THROW(shape.define(1, false), std::out_of_range);
    EXPECT_THROW(shape.moveTo(0, 0, 1, 0, 0), std::out_of_range); // no such fill style
}

} // namespace
