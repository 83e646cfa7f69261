#pragma once

#include <QByteArray>

#include <cstdint>
#include <string>
#include <vector>

// A small writer of uncompressed SWF files: enough for vector animations made
// of solid-coloured shapes placed, moved and removed frame by frame.
// Coordinates are in twips (1/20 pixel).
namespace samples::swf {

constexpr int twips(double pixels)
{
    return int(pixels * 20.0 + (pixels < 0 ? -0.5 : 0.5));
}

struct Rgba
{
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
};

struct Rect
{
    int xMin = 0;
    int xMax = 0;
    int yMin = 0;
    int yMax = 0;
};

// x' = scaleX * x + rotateSkew1 * y + translateX
// y' = rotateSkew0 * x + scaleY * y + translateY
struct Matrix
{
    double scaleX = 1;
    double scaleY = 1;
    double rotateSkew0 = 0;
    double rotateSkew1 = 0;
    int translateX = 0;
    int translateY = 0;

    static Matrix translation(int x, int y);
    // Scales by `scale`, turns by `radians` (clockwise on screen), then moves to (x, y).
    static Matrix transform(int x, int y, double scale, double radians);
};

// Writes values bit by bit, most significant bit first, as SWF packs them.
// Byte-sized values are little-endian and start on a byte boundary.
class BitWriter final
{
public:
    void ub(std::uint32_t value, int bits);
    void sb(std::int32_t value, int bits);
    void align(); // pads the current byte with zero bits

    void u8(unsigned value);
    void u16(unsigned value);
    void u32(std::uint32_t value);
    void color(Rgba c, bool withAlpha);

    // The bytes written so far, the last one padded.
    QByteArray bytes();

    static int unsignedBits(std::uint32_t value); // bits for UB; 0 for 0
    static int signedBits(std::int32_t value);    // bits for SB, sign included; 1 for 0 and -1

private:
    std::string m_bytes;
    std::uint32_t m_pending = 0; // bits not yet in m_bytes, at most 7
    int m_pendingBits = 0;
};

void writeRect(BitWriter &out, const Rect &rect);
void writeMatrix(BitWriter &out, const Matrix &matrix);

// One shape: its fill and line styles and its outline, drawn with a pen.
// Style indices are 1-based as in the file; 0 means "none".
class Shape final
{
public:
    int addFill(Rgba color);
    int addLine(int width, Rgba color);

    // Starts a new path at (x, y) with the given styles. fill1 fills the
    // right side of the path's edges, so clockwise (on screen) outlines use
    // fill1 and holes traversed the other way round also use fill1.
    void moveTo(int x, int y, int fill0, int fill1, int line);
    void lineTo(int x, int y);
    void curveTo(int controlX, int controlY, int x, int y);

    // True when a style colour is not opaque: the shape needs DefineShape3.
    bool needsAlpha() const;
    Rect bounds() const;
    bool isEmpty() const { return m_records.empty(); }

    // The body of a DefineShape (RGB colours) or DefineShape3 (RGBA) tag.
    QByteArray define(std::uint16_t id, bool withAlpha) const;

private:
    struct Record
    {
        enum Kind { Move, Line, Curve } kind;
        int x, y;               // end point
        int controlX, controlY; // curves only
        int fill0, fill1, line; // moves only
    };
    struct LineStyle
    {
        int width;
        Rgba color;
    };

    std::vector<Rgba> m_fills;
    std::vector<LineStyle> m_lines;
    std::vector<Record> m_records;
    int m_penX = 0;
    int m_penY = 0;
};

// AVM1 action records, as DoAction tags and button conditions hold them.
class Actions final
{
public:
    Actions &gotoFrame(unsigned frame); // 0-based
    Actions &stop();
    Actions &pushString(const QByteArray &text);
    Actions &getVariable(); // pops a name, pushes its value
    Actions &setMember();   // pops value, name, object
    // The records followed by the end of the list.
    QByteArray bytes() const;

private:
    QByteArray m_bytes;
};

// Actions a button runs when a key is pressed: a character's code for
// printable keys, 1 to 19 for the named keys (left, right, … escape).
struct KeyAction
{
    unsigned key;
    Actions actions;
};

class Writer final
{
public:
    // frameRate in frames per second (8.8 fixed point in the file).
    Writer(int version, const Rect &frameSize, double frameRate);

    void fileAttributes(std::uint32_t flags);
    void setBackgroundColor(Rgba color);
    // DefineShape3 when the shape has translucent colours, else DefineShape.
    void defineShape(std::uint16_t id, const Shape &shape);
    void placeObject(std::uint16_t depth, std::uint16_t characterId, const Matrix &matrix);
    void moveObject(std::uint16_t depth, const Matrix &matrix);
    void removeObject(std::uint16_t depth);
    void showFrame();
    void doAction(const Actions &actions);
    // A button that shows `characterId` in all its states and answers keys.
    void defineKeyButton(std::uint16_t id, std::uint16_t characterId, const std::vector<KeyAction> &keys);

    // Appends the End tag and returns the whole file.
    QByteArray finish();

    enum TagCode : std::uint16_t {
        End = 0,
        ShowFrame = 1,
        DefineShape = 2,
        SetBackgroundColor = 9,
        DoAction = 12,
        PlaceObject2 = 26,
        RemoveObject2 = 28,
        DefineShape3 = 32,
        DefineButton2 = 34,
        FileAttributes = 69,
    };

private:
    void tag(std::uint16_t code, const QByteArray &body);

    int m_version;
    Rect m_frameSize;
    double m_frameRate;
    int m_frames = 0;
    QByteArray m_tags;
};

} // namespace samples::swf
