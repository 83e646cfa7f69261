#include "samples/SampleSwf.h"
#include "samples/SwfWriter.h"

#include <QByteArray>

#include <gtest/gtest.h>

namespace {

using namespace samples::swf;

// A movie whose background tag comes after a shape long enough for a long
// tag header, so that the reader has to step over both header forms.
QByteArray movieWithBackground(const Rgba *background)
{
    Writer swf(8, {0, twips(400), 0, twips(300)}, 12);
    swf.fileAttributes(0);
    Shape shape;
    const int fill = shape.addFill({10, 20, 30, 128});
    shape.moveTo(0, 0, 0, fill, 0);
    for (int i = 1; i <= 40; ++i)
        shape.lineTo(twips(i * 7), twips(i % 2 ? 150 : 5));
    swf.defineShape(1, shape);
    if (background)
        swf.setBackgroundColor(*background);
    swf.showFrame();
    return swf.finish();
}

TEST(SwfBackground, IsReadFromTheTagThatSetsIt)
{
    const Rgba colour{0x12, 0x34, 0xfe};
    const QByteArray withColour = movieWithBackground(&colour);
    EXPECT_EQ(samples::backgroundOf(withColour), 0x1234feu);
    // The same movie without the tag, and the blank movie a player loads first.
    EXPECT_EQ(samples::backgroundOf(movieWithBackground(nullptr)), std::nullopt);
    EXPECT_EQ(samples::backgroundOf(samples::blankSwf()), 0x000000u);
    // The sample movies all set one.
    for (int id : {1, 77, 1234})
        EXPECT_TRUE(samples::backgroundOf(samples::sampleSwf(id)).has_value()) << id;

    // Cut short anywhere before the colour, compressed or not a movie: none.
    const qsizetype colourAt = withColour.indexOf(QByteArray("\x12\x34\xfe", 3));
    ASSERT_GT(colourAt, 20);
    for (qsizetype size = 0; size < colourAt + 3; ++size)
        EXPECT_EQ(samples::backgroundOf(withColour.left(size)), std::nullopt) << size;
    EXPECT_EQ(samples::backgroundOf(QByteArray("CWS") + withColour.mid(3)), std::nullopt);
    EXPECT_EQ(samples::backgroundOf(QByteArray(64, '\0')), std::nullopt);
}

} // namespace
