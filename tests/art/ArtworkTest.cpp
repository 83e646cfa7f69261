#include "ui/art/Artwork.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <stdexcept>

namespace {

QImage skin(const char *name)
{
    return art::skinBitmap(QString::fromLatin1(name));
}

struct Mean
{
    double r = 0, g = 0, b = 0;
    double luminance() const { return 0.2126 * r + 0.7152 * g + 0.0722 * b; }
};

Mean meanColour(const QImage &img, const QRect &area)
{
    Mean m;
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            m.r += c.red();
            m.g += c.green();
            m.b += c.blue();
            ++n;
        }
    }
    m.r /= n;
    m.g /= n;
    m.b /= n;
    return m;
}

double luminance(const QColor &c)
{
    return 0.2126 * c.red() + 0.7152 * c.green() + 0.0722 * c.blue();
}

double maxLuminance(const QImage &img, const QRect &area)
{
    double best = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            best = std::max(best, luminance(img.pixelColor(x, y)));
    return best;
}

QList<QRgb> column(const QImage &img, int x)
{
    QList<QRgb> out;
    for (int y = 0; y < img.height(); ++y)
        out << img.pixel(x, y);
    return out;
}

QList<QRgb> row(const QImage &img, int y, int from = 0, int count = -1)
{
    QList<QRgb> out;
    const int end = count < 0 ? img.width() : from + count;
    for (int x = from; x < end; ++x)
        out << img.pixel(x, y);
    return out;
}

// Average hue, saturation and value of the solid pixels of an icon.
struct Tone
{
    double hue = 0; // degrees, of the saturated pixels only
    double saturation = 0;
    double value = 0;
    int pixels = 0;
};

Tone tone(const QImage &img)
{
    Tone t;
    double hx = 0, hy = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.alpha() < 230)
                continue;
            t.saturation += c.hsvSaturationF();
            t.value += c.valueF();
            if (c.hsvHue() >= 0 && c.hsvSaturationF() > 0.15) {
                hx += std::cos(c.hsvHue() * M_PI / 180);
                hy += std::sin(c.hsvHue() * M_PI / 180);
            }
            ++t.pixels;
        }
    }
    if (t.pixels > 0) {
        t.saturation /= t.pixels;
        t.value /= t.pixels;
    }
    t.hue = std::fmod(std::atan2(hy, hx) * 180 / M_PI + 360, 360);
    return t;
}

int opaquePixels(const QImage &img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qAlpha(img.pixel(x, y)) > 200 ? 1 : 0;
    return n;
}

const std::map<QString, QSize> &expectedSizes()
{
    static const std::map<QString, QSize> sizes = {
        {QStringLiteral("ImageLeft"), {12, 800}},
        {QStringLiteral("ImageLeftTop"), {23, 50}},
        {QStringLiteral("ImageRight"), {13, 800}},
        {QStringLiteral("ImageBottom"), {1600, 12}},
        {QStringLiteral("ImageMax"), {17, 19}},
        {QStringLiteral("ImageMin"), {17, 19}},
        {QStringLiteral("ImageNormal"), {17, 19}},
        {QStringLiteral("ImageClose"), {17, 19}},
        {QStringLiteral("ImageDeactiveLeftTop"), {23, 50}},
        {QStringLiteral("ImageDeactiveRightTop"), {100, 50}},
        {QStringLiteral("ImageDeactiveTop"), {1600, 50}},
        {QStringLiteral("ImageActiveTop"), {1600, 50}},
        {QStringLiteral("ImageActiveLeftTop"), {23, 50}},
        {QStringLiteral("ImageActiveRightTop"), {100, 50}},
        {QStringLiteral("ImageActiveMenubar"), {185, 17}},
        {QStringLiteral("ImageDeactiveMenubar"), {185, 17}},
        {QStringLiteral("ImageLeftBottom"), {10, 12}},
        {QStringLiteral("ImageRightBottom"), {13, 12}},
    };
    return sizes;
}

// ---------------------------------------------------------------------------

TEST(SkinBitmaps, AreTheEighteenNamesInLoadingOrderWithTheirSizes)
{
    const QStringList names = art::skinBitmapNames();
    ASSERT_EQ(names.size(), 18);
    EXPECT_EQ(names.first(), QStringLiteral("ImageLeft"));
    EXPECT_EQ(names.at(7), QStringLiteral("ImageClose"));
    EXPECT_EQ(names.at(11), QStringLiteral("ImageActiveTop"));
    EXPECT_EQ(names.last(), QStringLiteral("ImageRightBottom"));
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), 18);
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(expectedSizes().count(name), 1u);
        const QImage img = art::skinBitmap(name);
        EXPECT_EQ(img.size(), expectedSizes().at(name));
        EXPECT_FALSE(img.hasAlphaChannel());
    }
    EXPECT_THROW(art::skinBitmap(QStringLiteral("ImageTop")), std::invalid_argument);
    EXPECT_THROW(art::skinBitmap(QString()), std::invalid_argument);
}

TEST(SkinBitmaps, StretchedPiecesAreUniformAlongTheirLength)
{
    const QImage left = skin("ImageLeft");
    const QImage right = skin("ImageRight");
    for (int y : {1, 399, 799}) {
        EXPECT_EQ(row(left, y), row(left, 0)) << y;
        EXPECT_EQ(row(right, y), row(right, 0)) << y;
    }
    for (const char *name : {"ImageBottom", "ImageActiveTop", "ImageDeactiveTop"}) {
        const QImage img = skin(name);
        for (int x : {1, 800, 1599})
            EXPECT_EQ(column(img, x), column(img, 0)) << name << " column " << x;
    }
    // The edges are not a flat fill: a border line sets them off.
    for (const QImage &edge : {left, right}) {
        const QList<QRgb> colours = row(edge, 0);
        EXPECT_GT(QSet<QRgb>(colours.begin(), colours.end()).size(), 2);
    }
}

TEST(SkinBitmaps, CornerPiecesJoinTheBandAndTheEdges)
{
    for (const char *state : {"Active", "Deactive"}) {
        SCOPED_TRACE(state);
        const QString s = QString::fromLatin1(state);
        const QImage leftTop = art::skinBitmap(QStringLiteral("Image%1LeftTop").arg(s));
        const QImage rightTop = art::skinBitmap(QStringLiteral("Image%1RightTop").arg(s));
        const QImage top = art::skinBitmap(QStringLiteral("Image%1Top").arg(s));
        EXPECT_EQ(column(leftTop, 22), column(top, 0));
        EXPECT_EQ(column(rightTop, 0), column(top, 0));
        // The lower rows turn into the side edges.
        EXPECT_EQ(row(leftTop, 49, 0, 12), row(skin("ImageLeft"), 0));
        EXPECT_EQ(row(rightTop, 49, 87, 13), row(skin("ImageRight"), 0));
    }
    EXPECT_EQ(skin("ImageLeftTop"), skin("ImageActiveLeftTop"));
    const QImage leftBottom = skin("ImageLeftBottom");
    const QImage rightBottom = skin("ImageRightBottom");
    const QImage bottom = skin("ImageBottom");
    EXPECT_EQ(row(leftBottom, 0), row(skin("ImageLeft"), 0, 0, 10));
    EXPECT_EQ(row(rightBottom, 0), row(skin("ImageRight"), 0));
    EXPECT_EQ(column(rightBottom, 0), column(bottom, 0));
    for (int y : {10, 11})
        EXPECT_EQ(row(leftBottom, y, 1, 9), row(bottom, y, 0, 9)) << y;
}

TEST(SkinBitmaps, ActiveCaptionIsBlueAndInactiveClearlyDifferent)
{
    const QImage active = skin("ImageActiveTop");
    const QImage inactive = skin("ImageDeactiveTop");
    const QRect caption(0, 2, 1600, 27);
    const Mean a = meanColour(active, caption);
    const Mean i = meanColour(inactive, caption);
    EXPECT_GT(a.b, a.r + 80);
    EXPECT_GT(a.b, a.g + 50);
    // Grey-blue: still bluish but with much less saturation.
    EXPECT_GT(i.b, i.r);
    EXPECT_LT(i.b - i.r, (a.b - a.r) / 2);
    const Mean wa = meanColour(active, QRect(0, 0, 1600, 50));
    const Mean wi = meanColour(inactive, QRect(0, 0, 1600, 50));
    EXPECT_GT(std::hypot(wa.r - wi.r, wa.g - wi.g, wa.b - wi.b), 40);
    // The strip joining the content is much lighter than the caption.
    EXPECT_GT(meanColour(active, QRect(0, 31, 1600, 17)).luminance(), a.luminance() + 80);
    EXPECT_GT(meanColour(inactive, QRect(0, 31, 1600, 17)).luminance(), i.luminance() + 60);
}

TEST(SkinBitmaps, WhiteCaptionTextAndButtonsStandOut)
{
    for (const char *state : {"Active", "Deactive"}) {
        SCOPED_TRACE(state);
        const QString s = QString::fromLatin1(state);
        const QImage top = art::skinBitmap(QStringLiteral("Image%1Top").arg(s));
        const QImage leftTop = art::skinBitmap(QStringLiteral("Image%1LeftTop").arg(s));
        const QImage rightTop = art::skinBitmap(QStringLiteral("Image%1RightTop").arg(s));
        // Caption text: white, rows 12..26.
        EXPECT_LT(meanColour(top, QRect(0, 12, 1600, 15)).luminance(), 120);
        EXPECT_LT(maxLuminance(top, QRect(0, 12, 1600, 15)), 140);
        EXPECT_LT(maxLuminance(leftTop, QRect(2, 12, 21, 15)), 140);
        // Behind the caption buttons.
        EXPECT_LT(meanColour(rightTop, QRect(2, 6, 96, 19)).luminance(), 120);
    }
}

TEST(SkinBitmaps, CaptionButtonsHaveDistinctLightGlyphsOnABlueFace)
{
    const QStringList names{QStringLiteral("ImageMax"), QStringLiteral("ImageMin"), QStringLiteral("ImageNormal"),
                            QStringLiteral("ImageClose")};
    QList<QImage> buttons;
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        const QImage img = art::skinBitmap(name);
        buttons << img;
        int light = 0;
        for (int y = 3; y < 16; ++y)
            for (int x = 3; x < 14; ++x)
                light += luminance(img.pixelColor(x, y)) > 225 ? 1 : 0;
        EXPECT_GE(light, 10);
        const Mean face = meanColour(img, img.rect());
        EXPECT_GT(face.b, face.r + 60);
    }
    for (int a = 0; a < buttons.size(); ++a)
        for (int b = a + 1; b < buttons.size(); ++b)
            EXPECT_NE(buttons.at(a), buttons.at(b)) << names.at(a).toStdString() << " " << names.at(b).toStdString();
}

// Fills freed memory around `bytes` in size with a pattern, so that a
// picture drawn next in reused memory shows any pixel it never painted.
void soilFreedMemory(qsizetype bytes, char pattern)
{
    QList<QByteArray> blocks;
    for (qsizetype size = std::max<qsizetype>(16, bytes - 256); size <= bytes + 256; size += 16)
        blocks << QByteArray(size, pattern) << QByteArray(size, pattern);
}

TEST(SkinBitmaps, PicturesAreTheSameEveryTime)
{
    const auto same = [](const std::function<QImage()> &draw, const std::string &what) {
        const QImage first = draw();
        soilFreedMemory(first.sizeInBytes(), char(0x5a));
        const QImage second = draw();
        soilFreedMemory(first.sizeInBytes(), char(0xa5));
        EXPECT_EQ(second, first) << what;
        EXPECT_EQ(draw(), first) << what;
    };
    for (const QString &name : art::skinBitmapNames())
        same([&] { return art::skinBitmap(name); }, name.toStdString());
    for (int tag : {1, 3, 12})
        same([&] { return art::classButtonPicture(tag); }, "class " + std::to_string(tag));
    for (int index : {0, 1, 2})
        same([&] { return art::stateIcon(index); }, "icon " + std::to_string(index));
    same([] { return art::windowIcon(); }, "window icon");
}

// ---------------------------------------------------------------------------

TEST(WriteSkin, WritesEveryBitmapAsABmpThatReadsBackUnchanged)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    art::writeSkin(home.path());
    const QDir dir(home.filePath(QStringLiteral("001")));
    EXPECT_EQ(dir.entryList({QStringLiteral("*.bmp")}, QDir::Files).size(), 18);
    for (const QString &name : art::skinBitmapNames()) {
        SCOPED_TRACE(name.toStdString());
        QImageReader reader(dir.filePath(name + QStringLiteral(".bmp")));
        EXPECT_EQ(reader.format(), QByteArray("bmp"));
        const QImage back = reader.read();
        ASSERT_FALSE(back.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(back.size(), expectedSizes().at(name));
        EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), art::skinBitmap(name));
    }
    // Writing again over an existing skin works.
    EXPECT_NO_THROW(art::writeSkin(home.path()));
}

TEST(WriteSkin, ThrowsWhenTheFolderCannotBeMade)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString file = home.filePath(QStringLiteral("plain-file"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_THROW(art::writeSkin(file), std::runtime_error);
    EXPECT_THROW(art::writeSkin(file + QStringLiteral("/below")), std::runtime_error);

    // A directory named like a bitmap file is in the way.
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("001/ImageMin.bmp")));
    EXPECT_THROW(art::writeSkin(home.path()), std::runtime_error);
}

// ---------------------------------------------------------------------------

TEST(StateIcons, AreAGreyArrowAColouredArrowAndABrownDiamond)
{
    const QImage dim = art::stateIcon(0);
    const QImage done = art::stateIcon(1);
    const QImage local = art::stateIcon(2);
    for (const QImage &img : {dim, done, local}) {
        EXPECT_EQ(img.size(), QSize(24, 19));
        EXPECT_TRUE(img.hasAlphaChannel());
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
        EXPECT_GT(opaquePixels(img), 60);
    }
    const Tone grey = tone(dim);
    const Tone coloured = tone(done);
    const Tone brown = tone(local);
    EXPECT_LT(grey.saturation, 0.08);
    EXPECT_GT(coloured.saturation, 0.45);
    EXPECT_GT(brown.saturation, 0.3);
    EXPECT_LT(brown.saturation, 0.9);
    EXPECT_GT(brown.hue, 12);
    EXPECT_LT(brown.hue, 45);
    EXPECT_LT(brown.value, 0.8);
    EXPECT_NE(dim, done);
    EXPECT_NE(done, local);
    EXPECT_NE(dim, local);
    // Both arrows have the same outline; only the colour tells them apart.
    EXPECT_EQ(opaquePixels(dim), opaquePixels(done));
}

TEST(StateIcons, OutOfRangeIndexesGiveTheDimArrow)
{
    for (int index : {-1, 3, 100})
        EXPECT_EQ(art::stateIcon(index), art::stateIcon(0)) << index;
}

TEST(ClassPictures, EachClassHasItsOwnPictureOnATransparentGround)
{
    const QList<int> tags{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    QList<QImage> pictures;
    for (int tag : tags) {
        SCOPED_TRACE(tag);
        const QImage img = art::classButtonPicture(tag);
        EXPECT_EQ(img.size(), QSize(40, 36));
        EXPECT_EQ(img.format(), QImage::Format_ARGB32);
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(img.pixel(39, 35)), 0);
        EXPECT_GT(opaquePixels(img), 300);
        // Colourful, not a grey silhouette.
        EXPECT_GT(tone(img).saturation, 0.15);
        pictures << img;
    }
    const QImage folder = art::classButtonPicture(0);
    EXPECT_EQ(folder.size(), QSize(40, 36));
    EXPECT_GT(opaquePixels(folder), 300);
    EXPECT_EQ(art::classButtonPicture(13), folder);
    EXPECT_EQ(art::classButtonPicture(-5), folder);
    pictures << folder;
    for (int a = 0; a < pictures.size(); ++a)
        for (int b = a + 1; b < pictures.size(); ++b)
            EXPECT_NE(pictures.at(a), pictures.at(b)) << "pictures " << a << " and " << b;
}

TEST(WindowIcon, IsABlueDiscWithTransparentCorners)
{
    const QImage icon = art::windowIcon();
    EXPECT_EQ(icon.size(), QSize(20, 20));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(19, 19)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(10, 10)), 255);
    const QColor rim = icon.pixelColor(3, 10);
    EXPECT_GT(rim.blue(), rim.red() + 60);
}

} // namespace
