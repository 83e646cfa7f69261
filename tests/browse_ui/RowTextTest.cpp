#include "browse/RowText.h"
#include "browse/ItemListModel.h"
#include "browse/ItemRow.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using browse::captionSpace;
using browse::columnNameSpace;
using browse::fitCellText;
using browse::Rgb;
using browse::rowTextColour;

// The list's default layout: columns 150 and 85 pixels, "w" 12 pixels high.
constexpr int kFirstColumn = 150;
constexpr int kSecondColumn = 85;
constexpr int kLetter = 12;

TEST(CellSpace, LeavesRoomForIconAndMargin)
{
    EXPECT_EQ(captionSpace(kFirstColumn), 123);
    EXPECT_EQ(columnNameSpace(kSecondColumn), 82);
}

TEST(FitCellText, TextThatFitsStaysWhole)
{
    const QString caption = QStringLiteral("大话西游之月光宝盒完整版本");
    // Exactly as wide as the space still fits.
    EXPECT_EQ(fitCellText(caption, 123, captionSpace(kFirstColumn), kFirstColumn, kLetter), caption);
    EXPECT_EQ(fitCellText(caption, 40, captionSpace(kFirstColumn), kFirstColumn, kLetter), caption);
    EXPECT_EQ(fitCellText(QString(), 0, captionSpace(kFirstColumn), kFirstColumn, kLetter), QString());
}

TEST(FitCellText, TooWideCaptionKeepsNineCharacters)
{
    // k = 150 / 12 - 2 = 10: nine characters and the ellipsis, counted per
    // Chinese character.
    const QString caption = QStringLiteral("大话西游之月光宝盒完整版本");
    EXPECT_EQ(fitCellText(caption, 124, captionSpace(kFirstColumn), kFirstColumn, kLetter),
              QStringLiteral("大话西游之月光宝盒..."));
    EXPECT_EQ(fitCellText(QStringLiteral("abcdefghijklmnop"), 200, captionSpace(kFirstColumn), kFirstColumn, kLetter),
              QStringLiteral("abcdefghi..."));
    // Eleven characters are one too many.
    EXPECT_EQ(
        fitCellText(QStringLiteral("一二三四五六七八九十百"), 132, captionSpace(kFirstColumn), kFirstColumn, kLetter),
        QStringLiteral("一二三四五六七八九..."));
}

TEST(FitCellText, TooWideColumnNameKeepsFourCharacters)
{
    // k = 85 / 12 - 2 = 5.
    EXPECT_EQ(fitCellText(QStringLiteral("动漫游戏专区"), 83, columnNameSpace(kSecondColumn), kSecondColumn, kLetter),
              QStringLiteral("动漫游戏..."));
    EXPECT_EQ(fitCellText(QStringLiteral("动漫游戏专区"), 82, columnNameSpace(kSecondColumn), kSecondColumn, kLetter),
              QStringLiteral("动漫游戏专区"));
}

TEST(FitCellText, TooWideButShortTextStaysWhole)
{
    // Wide letters can overflow the space with no more than k characters;
    // such a text is left as it is.
    EXPECT_EQ(fitCellText(QStringLiteral("WWWWWWWWWW"), 140, captionSpace(kFirstColumn), kFirstColumn, kLetter),
              QStringLiteral("WWWWWWWWWW"));
    EXPECT_EQ(fitCellText(QStringLiteral("MMMMM"), 90, columnNameSpace(kSecondColumn), kSecondColumn, kLetter),
              QStringLiteral("MMMMM"));
    EXPECT_EQ(fitCellText(QStringLiteral("MMMMMM"), 108, columnNameSpace(kSecondColumn), kSecondColumn, kLetter),
              QStringLiteral("MMMM..."));
}

TEST(FitCellText, CharacterCountDropsTheFraction)
{
    // 143 / 12 = 11.9 -> 11, so k = 9; 144 / 12 = 12, so k = 10.
    const QString caption = QStringLiteral("一二三四五六七八九十百千");
    EXPECT_EQ(fitCellText(caption, 200, captionSpace(143), 143, kLetter), QStringLiteral("一二三四五六七八..."));
    EXPECT_EQ(fitCellText(caption, 200, captionSpace(144), 144, kLetter), QStringLiteral("一二三四五六七八九..."));
    // A taller font leaves fewer characters: 150 / 14 = 10, k = 8.
    EXPECT_EQ(fitCellText(caption, 200, captionSpace(150), 150, 14), QStringLiteral("一二三四五六七..."));
}

TEST(FitCellText, NarrowColumnGivesBareEllipsis)
{
    // A column narrower than two letters leaves k <= 0.
    EXPECT_EQ(fitCellText(QStringLiteral("动漫"), 24, columnNameSpace(20), 20, kLetter), QStringLiteral("..."));
    // A font without height does not divide by zero.
    EXPECT_EQ(fitCellText(QStringLiteral("动漫"), 24, columnNameSpace(20), 20, 0), QStringLiteral("动漫"));
}

TEST(RowTextColour, HotThenViewedThenGreen)
{
    const Rgb navy{0, 0, 128};
    const Rgb grey{128, 128, 128};
    const Rgb green{0, 128, 0};
    EXPECT_EQ(rowTextColour(true, false), navy);
    EXPECT_EQ(rowTextColour(true, true), navy);
    EXPECT_EQ(rowTextColour(false, true), grey);
    EXPECT_EQ(rowTextColour(false, false), green);
}

browse::ItemRow sampleRow()
{
    browse::ItemRow row;
    row.caption = QStringLiteral("小破孩拜年");
    row.columnName = QStringLiteral("搞笑幽默");
    row.fileId = QStringLiteral("1024");
    row.description = QStringLiteral("过年啦");
    row.owner = QStringLiteral("拾荒者");
    row.uploadDate = QStringLiteral("2003-1-28");
    row.viewed = QStringLiteral("false");
    return row;
}

// The fixed parts are spelled with escapes so that a look-alike character
// (a half-width colon, a different number of spaces) cannot slip through.
const QString kColon = QStringLiteral("\uFF1A");
const QString kCrLf = QStringLiteral("\r\n");

QString expectedTip(const QString &id, const QString &description, const QString &owner, const QString &date)
{
    return kCrLf + QStringLiteral("*****更多功能\uFF0C请点击鼠标右键*****") + kCrLf + kCrLf + QStringLiteral("[ID]") +
           kColon + id + kCrLf + kCrLf + QStringLiteral("[说    明]") + kColon + description + kCrLf + kCrLf +
           QStringLiteral("[作    者]") + kColon + owner + kCrLf + QStringLiteral("[更新日期]") + kColon + date + kCrLf;
}

TEST(ItemTip, ExactText)
{
    const QString tip = browse::itemTip(sampleRow());
    EXPECT_EQ(tip, expectedTip(QStringLiteral("1024"), QStringLiteral("过年啦"), QStringLiteral("拾荒者"),
                               QStringLiteral("2003-1-28")));
    EXPECT_TRUE(tip.startsWith(QStringLiteral("\r\n*****")));
    EXPECT_TRUE(tip.endsWith(QStringLiteral("2003-1-28\r\n")));
    EXPECT_EQ(tip.count(QStringLiteral("\r\n")), 9);
    EXPECT_FALSE(tip.contains(QStringLiteral("\n\n")));
    EXPECT_TRUE(tip.contains(QStringLiteral("[说") + QString(4, QLatin1Char(' ')) + QStringLiteral("明]")));
}

TEST(ItemTip, MultiLineDescriptionKeptUnchanged)
{
    browse::ItemRow row = sampleRow();
    row.description = QStringLiteral("第一行\r\n第二行\n第三行");
    EXPECT_EQ(browse::itemTip(row), expectedTip(QStringLiteral("1024"), QStringLiteral("第一行\r\n第二行\n第三行"),
                                                QStringLiteral("拾荒者"), QStringLiteral("2003-1-28")));
}

TEST(ItemTip, EmptyFieldsKeepTheirLines)
{
    browse::ItemRow row = sampleRow();
    row.description.clear();
    const QString tip = browse::itemTip(row);
    EXPECT_EQ(tip,
              expectedTip(QStringLiteral("1024"), QString(), QStringLiteral("拾荒者"), QStringLiteral("2003-1-28")));
    EXPECT_TRUE(tip.contains(QStringLiteral("\r\n\r\n[说    明]\uFF1A\r\n\r\n[作    者]")));

    EXPECT_EQ(browse::itemTip(browse::ItemRow{}), expectedTip({}, {}, {}, {}));
}

TEST(ItemTip, IsTheModelsToolTip)
{
    browse::ItemListModel model;
    browse::ItemRow other = sampleRow();
    other.fileId = QStringLiteral("7");
    other.description = QStringLiteral("另一条");
    model.setRows({sampleRow(), other});
    for (int column = 0; column < 2; ++column) {
        EXPECT_EQ(model.index(0, column).data(Qt::ToolTipRole).toString(), browse::itemTip(sampleRow()));
        EXPECT_EQ(model.index(1, column).data(Qt::ToolTipRole).toString(), browse::itemTip(other));
    }
}

// Qt's own model checks watch the list through every change; rows asked
// for outside the list change nothing.
TEST(ItemListModel, PassesQtsModelChecksAndIgnoresRowsOutsideTheList)
{
    static QStringList complaints;
    complaints.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                complaints << text;
        });
    {
        browse::ItemListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
        browse::ItemRow other = sampleRow();
        other.caption = QStringLiteral("另一条");
        other.columnName = QStringLiteral("益智游戏");
        model.setRows({sampleRow(), other, sampleRow()});
        EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("条目名称"));
        EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("栏目名称"));
        EXPECT_FALSE(model.headerData(1, Qt::Vertical, Qt::DisplayRole).isValid());
        EXPECT_FALSE(model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
        EXPECT_EQ(model.index(1, 1).data().toString(), QStringLiteral("益智游戏"));

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        for (int outside : {-1, 3}) {
            model.updateRow(outside, other);
            model.removeRow(outside);
        }
        EXPECT_EQ(changed.count(), 0);
        EXPECT_EQ(removed.count(), 0);
        EXPECT_EQ(model.rowCount(), 3);
        EXPECT_FALSE(model.index(3, 0).data().isValid());

        model.updateRow(2, other);
        ASSERT_EQ(changed.count(), 1);
        EXPECT_EQ(changed.at(0).at(1).toModelIndex(), model.index(2, 1)) << "the whole row";
        model.removeRow(0);
        EXPECT_EQ(removed.count(), 1);
        EXPECT_EQ(model.rowCount(), 2);
        EXPECT_EQ(model.index(1, 0).data().toString(), QStringLiteral("另一条"));
        EXPECT_EQ(model.rowCount(model.index(0, 0)), 0) << "a table: rows have no children";
        EXPECT_EQ(model.columnCount(model.index(0, 0)), 0);
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(complaints.isEmpty()) << complaints.join(u'\n').toStdString();
}

} // namespace
