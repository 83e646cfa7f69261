#include "browse/ItemRowDelegate.h"
#include "browse/ItemListModel.h"
#include "browse/RowText.h"
#include "ui/art/Artwork.h"
#include "ui/art/WindowFont.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStyleOptionViewItem>

#include <gtest/gtest.h>

namespace {

using browse::ItemListModel;
using browse::ItemRow;
using browse::ItemRowDelegate;

constexpr int kRowHeight = 19;
const QSize kCaptionCell(150, kRowHeight);
const QSize kColumnCell(85, kRowHeight);
const QRect kIconArea(0, 0, 24, kRowHeight);

ItemRow makeRow(const QString &caption, const QString &column, bool viewed, int image)
{
    ItemRow row;
    row.caption = caption;
    row.columnName = column;
    row.fileId = QStringLiteral("1");
    row.viewed = viewed ? QStringLiteral("true") : QStringLiteral("false");
    row.imageIndex = image;
    return row;
}

QFont listFont()
{
    return art::windowFont();
}

// How a text pixel relates to a pen colour drawn on white: antialiased text
// blends the pen with the background, so every channel lies on the same
// line from white to the pen colour.
bool isBlendOf(QRgb pixel, const QColor &pen)
{
    const int channels[3] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
    const int target[3] = {pen.red(), pen.green(), pen.blue()};
    int strongest = 0;
    for (int c = 1; c < 3; ++c)
        if (255 - target[c] > 255 - target[strongest])
            strongest = c;
    const double t = double(255 - channels[strongest]) / (255 - target[strongest]);
    for (int c = 0; c < 3; ++c) {
        const double expected = 255 - t * (255 - target[c]);
        if (std::abs(channels[c] - expected) > 3)
            return false;
    }
    return true;
}

struct TextPixels
{
    int inked = 0;      // pixels that are not white
    int pure = 0;       // inked pixels exactly of the pen's colour
    int offColour = 0;  // inked pixels that are not a blend of the pen
    double darkest = 0; // coverage of the strongest pixel, 0..1
};

TextPixels textPixels(const QImage &image, const QRect &area, const QColor &pen)
{
    TextPixels result;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb px = image.pixel(x, y);
            if ((px & 0xffffff) == 0xffffff)
                continue;
            ++result.inked;
            if (QColor(px) == pen)
                ++result.pure;
            if (!isBlendOf(px, pen))
                ++result.offColour;
            else
                result.darkest = std::max(result.darkest, (255.0 - qRed(px) - qGreen(px) - qBlue(px) + 2 * 255.0) /
                                                              (3 * 255.0 - pen.red() - pen.green() - pen.blue()));
        }
    }
    return result;
}

bool allWhite(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & 0xffffff) != 0xffffff)
                return false;
    return true;
}

// An icon as it appears over the white row.
QImage iconOnWhite(int index)
{
    QImage image(kIconArea.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.drawImage(0, 0, art::stateIcon(index));
    p.end();
    return image;
}

class ItemRowDelegateTest : public ::testing::Test
{
protected:
    ItemRowDelegateTest()
        : delegate({QPixmap::fromImage(art::stateIcon(0)), QPixmap::fromImage(art::stateIcon(1)),
                    QPixmap::fromImage(art::stateIcon(2))})
    {
    }

    void setRows(const QList<ItemRow> &rows) { model.setRows(rows); }

    // Draws one cell into an image first filled with magenta, so that any
    // part the delegate leaves alone shows.
    QImage render(int row, int column, QSize cell, QStyle::State state = {}, QPoint at = {}, QSize canvas = {}) const
    {
        QImage image(canvas.isValid() ? canvas : cell, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = QRect(at, cell);
        option.state = QStyle::State_Enabled | QStyle::State_Active | state;
        option.font = listFont();
        delegate.paint(&painter, option, model.index(row, column));
        painter.end();
        return image;
    }

    ItemListModel model;
    ItemRowDelegate delegate;
};

const QColor kGreen(0, 128, 0);
const QColor kGrey(128, 128, 128);
const QColor kNavy(0, 0, 128);

TEST_F(ItemRowDelegateTest, TextColourFollowsViewedAndHot)
{
    setRows({makeRow(QStringLiteral("小破孩拜年"), QStringLiteral("搞笑"), false, 0),
             makeRow(QStringLiteral("小破孩拜年"), QStringLiteral("搞笑"), true, 0)});
    const QRect captionText(24, 0, kCaptionCell.width() - 24, kRowHeight);
    const QRect columnText(0, 0, kColumnCell.width(), kRowHeight);

    struct Case
    {
        int row;
        QStyle::State state;
        QColor pen;
        const char *what;
    };
    const Case cases[] = {
        {0, {}, kGreen, "not viewed"},
        {1, {}, kGrey, "viewed"},
        {0, QStyle::State_MouseOver, kNavy, "hot, not viewed"},
        {1, QStyle::State_MouseOver, kNavy, "hot, viewed"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto &[column, cell, area] :
             {std::tuple{0, kCaptionCell, captionText}, std::tuple{1, kColumnCell, columnText}}) {
            SCOPED_TRACE(column);
            const TextPixels text = textPixels(render(c.row, column, cell, c.state), area, c.pen);
            EXPECT_GT(text.inked, 30);
            EXPECT_EQ(text.offColour, 0);
            // Real strokes, not a faint smear: sharp text is the pen's colour throughout.
            EXPECT_GT(text.darkest, 0.6);
            EXPECT_EQ(text.pure, text.inked);
        }
    }
}

TEST_F(ItemRowDelegateTest, SelectionAndFocusAreNotDrawn)
{
    setRows({makeRow(QStringLiteral("新年快乐"), QStringLiteral("贺卡"), false, 1),
             makeRow(QStringLiteral("新年快乐"), QStringLiteral("贺卡"), true, 2)});
    const QStyle::State selected = QStyle::State_Selected | QStyle::State_HasFocus;
    for (int row = 0; row < 2; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(render(row, 0, kCaptionCell, selected), render(row, 0, kCaptionCell));
        EXPECT_EQ(render(row, 1, kColumnCell, selected), render(row, 1, kColumnCell));
        // Under the pointer too, selection changes nothing.
        EXPECT_EQ(render(row, 0, kCaptionCell, selected | QStyle::State_MouseOver),
                  render(row, 0, kCaptionCell, QStyle::State_MouseOver));
    }
}

TEST_F(ItemRowDelegateTest, IconMatchesImageIndex)
{
    setRows({makeRow(QStringLiteral("甲"), QStringLiteral("乙"), false, 0),
             makeRow(QStringLiteral("甲"), QStringLiteral("乙"), false, 1),
             makeRow(QStringLiteral("甲"), QStringLiteral("乙"), false, 2),
             makeRow(QStringLiteral("甲"), QStringLiteral("乙"), false, 3),
             makeRow(QStringLiteral("甲"), QStringLiteral("乙"), false, -1)});
    // The three pictures differ, so a wrong pick cannot pass.
    ASSERT_NE(iconOnWhite(0), iconOnWhite(1));
    ASSERT_NE(iconOnWhite(1), iconOnWhite(2));
    ASSERT_NE(iconOnWhite(0), iconOnWhite(2));

    for (int index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        const QImage cell = render(index, 0, kCaptionCell);
        EXPECT_EQ(cell.copy(kIconArea), iconOnWhite(index));
    }
    for (int row : {3, 4}) {
        SCOPED_TRACE(row);
        EXPECT_TRUE(allWhite(render(row, 0, kCaptionCell), kIconArea));
    }
    // The column-name cell never carries an icon: its text starts at the left.
    const QImage column = render(1, 1, kColumnCell);
    EXPECT_FALSE(allWhite(column, QRect(0, 0, 12, kRowHeight)));
    EXPECT_NE(column.copy(kIconArea), iconOnWhite(1));
}

// First and last row of an image area that holds anything but white; -1 when
// the area is blank.
std::pair<int, int> inkedRows(const QImage &image, const QRect &area)
{
    int first = -1;
    int last = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        if (!allWhite(image, QRect(area.left(), y, area.width(), 1))) {
            if (first < 0)
                first = y;
            last = y;
        }
    }
    return {first, last};
}

TEST_F(ItemRowDelegateTest, BackgroundIsWhiteAndTextCentred)
{
    const QString captionText = QStringLiteral("小破孩拜年");
    const QString columnText = QStringLiteral("搞笑");
    setRows({makeRow(captionText, columnText, false, 7)});
    const QFontMetrics fm(listFont());
    const art::TextBox box = art::textBox(listFont());
    const int baseline = (kRowHeight - box.height) / 2 + box.ascent;

    for (const auto &[column, cell, text, left] :
         {std::tuple{0, kCaptionCell, captionText, 24}, std::tuple{1, kColumnCell, columnText, 0}}) {
        SCOPED_TRACE(column);
        const QImage image = render(0, column, cell);
        // The text's own ink box, placed at its position; everything else is
        // white, with no magenta left over.
        const QRect ink = fm.boundingRect(text).translated(left, baseline);
        QImage rest = image;
        QPainter p(&rest);
        p.fillRect(ink, Qt::white);
        p.end();
        EXPECT_TRUE(allWhite(rest, rest.rect()));

        // Vertically centred: as much room above the ink as below it, give or
        // take the pixel the division drops.
        const auto [first, last] = inkedRows(image, QRect(QPoint(0, 0), cell));
        ASSERT_GE(first, 0);
        EXPECT_LE(std::abs(first - (kRowHeight - 1 - last)), 1);
        // And starting at its place.
        EXPECT_FALSE(allWhite(image, QRect(left, 0, 3, kRowHeight)));
    }
}

TEST_F(ItemRowDelegateTest, DrawsInsideTheCellOnly)
{
    setRows({makeRow(QStringLiteral("小破孩拜年"), QStringLiteral("搞笑幽默"), true, 2)});
    const QSize canvas(300, 60);
    const QPoint at(85, 19);
    for (const auto &[column, cell] : {std::pair{0, kCaptionCell}, std::pair{1, kColumnCell}}) {
        SCOPED_TRACE(column);
        const QImage placed = render(0, column, cell, {}, at, canvas);
        EXPECT_EQ(placed.copy(QRect(at, cell)), render(0, column, cell));
        // Nothing outside the cell is touched.
        QImage outside = placed;
        QPainter p(&outside);
        p.fillRect(QRect(at, cell), Qt::magenta);
        p.end();
        QImage untouched(canvas, QImage::Format_RGB32);
        untouched.fill(Qt::magenta);
        EXPECT_EQ(outside, untouched);
    }
}

TEST_F(ItemRowDelegateTest, LongTextIsShortenedToTheColumn)
{
    const QFontMetrics fm(listFont());
    const int captionK = kCaptionCell.width() / art::textBox(listFont()).height - 2;
    const int columnK = kColumnCell.width() / art::textBox(listFont()).height - 2;
    // The Song face's 12-pixel line: 9 characters and "..." in the caption, 4 in the column.
    EXPECT_EQ(captionK, 10);
    EXPECT_EQ(columnK, 5);
    const QString longCaption = QStringLiteral("大话西游之月光宝盒完整珍藏版本");
    const QString longColumn = QStringLiteral("动漫游戏综合专区");
    ASSERT_GT(fm.horizontalAdvance(longCaption), browse::captionSpace(kCaptionCell.width()));
    ASSERT_GT(fm.horizontalAdvance(longColumn), browse::columnNameSpace(kColumnCell.width()));
    ASSERT_GT(longCaption.size(), captionK);
    ASSERT_GT(longColumn.size(), columnK);

    const QString ellipsis = QStringLiteral("...");
    setRows({makeRow(longCaption, longColumn, false, 1),
             makeRow(longCaption.left(captionK - 1) + ellipsis, longColumn.left(columnK - 1) + ellipsis, false, 1),
             makeRow(longCaption.left(captionK), longColumn.left(columnK), false, 1)});
    EXPECT_EQ(render(0, 0, kCaptionCell), render(1, 0, kCaptionCell));
    EXPECT_EQ(render(0, 1, kColumnCell), render(1, 1, kColumnCell));
    // A text that fits is drawn whole, not cut.
    EXPECT_NE(render(2, 0, kCaptionCell), render(1, 0, kCaptionCell));
    EXPECT_NE(render(2, 1, kColumnCell), render(1, 1, kColumnCell));
}

// Repeats `letter` until the text is just wider than `space`.
QString justTooWide(QChar letter, int space)
{
    const QFontMetrics fm(listFont());
    QString text;
    while (fm.horizontalAdvance(text) <= space)
        text += letter;
    return text;
}

TEST_F(ItemRowDelegateTest, MarginCountsAgainstTheSpace)
{
    // Texts a few pixels too wide for the space, though not for the column:
    // the icon and the 3-pixel margin count.
    const QFontMetrics fm(listFont());
    const QString caption = justTooWide(QLatin1Char('i'), browse::captionSpace(kCaptionCell.width()));
    const QString column = justTooWide(QLatin1Char('i'), browse::columnNameSpace(kColumnCell.width()));
    ASSERT_LE(fm.horizontalAdvance(caption), kCaptionCell.width() - 24);
    ASSERT_LE(fm.horizontalAdvance(column), kColumnCell.width());
    const int captionK = kCaptionCell.width() / art::textBox(listFont()).height - 2;
    const int columnK = kColumnCell.width() / art::textBox(listFont()).height - 2;
    ASSERT_GT(caption.size(), captionK);
    ASSERT_GT(column.size(), columnK);

    const QString ellipsis = QStringLiteral("...");
    setRows({makeRow(caption, column, true, 0),
             makeRow(caption.left(captionK - 1) + ellipsis, column.left(columnK - 1) + ellipsis, true, 0)});
    EXPECT_EQ(render(0, 0, kCaptionCell), render(1, 0, kCaptionCell));
    EXPECT_EQ(render(0, 1, kColumnCell), render(1, 1, kColumnCell));
}

TEST_F(ItemRowDelegateTest, RowHeightFitsIconAndText)
{
    setRows({makeRow(QStringLiteral("小破孩拜年"), QStringLiteral("搞笑"), false, 0)});
    const QFontMetrics fm(listFont());
    QStyleOptionViewItem option;
    for (int column = 0; column < 2; ++column) {
        const QSize hint = delegate.sizeHint(option, model.index(0, column));
        EXPECT_GE(hint.height(), kRowHeight);
        EXPECT_GE(hint.height(), fm.lineSpacing() + 4);
        EXPECT_LE(hint.height(), std::max(kRowHeight, fm.lineSpacing() + 4));
    }
}

} // namespace
