// Pictures of the windows for people to look at, written to the build tree
// (screenshots/); the checks make sure they show what they should.
#include "DemoHome.h"
#include "ScriptedPrompter.h"
#include "Wait.h"

#include "app/AboutPanel.h"
#include "app/MainWindow.h"
#include "store/DataModule.h"
#include "subscribe/RecommendItemPanel.h"
#include "subscribe/RecommendPanel.h"
#include "subscribe/SubscribePanel.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QString shotPath(const QString &name)
{
    const QString dir = QDir(QStringLiteral(SCREENSHOT_DIR)).absolutePath();
    QDir().mkpath(dir);
    return QDir(dir).filePath(name);
}

// Points of `area` in `picture` whose colour `matches` accepts.
template <typename Matches> int pixelsIn(const QImage &picture, const QRect &area, Matches matches)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += matches(picture.pixelColor(x, y)) ? 1 : 0;
    return n;
}

bool isNavy(const QColor &c)
{
    return c.blue() > c.red() + 40 && c.blue() > c.green() + 40;
}

bool isGreenOrGrey(const QColor &c)
{
    const bool green = c.green() > c.red() + 30 && c.green() > c.blue() + 30;
    const bool grey = qAbs(c.red() - c.green()) < 12 && qAbs(c.green() - c.blue()) < 12 && c.red() < 200;
    return green || grey;
}

// Saves the window's picture and reads the file back.
QImage saveAndReadBack(QWidget &window, const QString &name)
{
    // Views lay their items out on the next turn of the event loop.
    QCoreApplication::processEvents();
    const QString path = shotPath(name);
    EXPECT_TRUE(window.grab().save(path)) << path.toStdString();
    const QImage back(path);
    EXPECT_EQ(back.size(), window.size()) << name.toStdString();
    return back.convertToFormat(QImage::Format_RGB32);
}

// How many different colours a picture holds; a blank one has one.
int colourCount(const QImage &picture)
{
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 2)
        for (int x = 0; x < picture.width(); x += 2)
            colours.insert(picture.pixel(x, y));
    return int(colours.size());
}

// The main window on the demo home, shown.
class Screenshots : public ::testing::Test
{
protected:
    Screenshots()
    {
        window.setDataModule(&dm);
        window.show();
    }

    CurrentDir here{sharedDemoHome()};
    ScriptedPrompter prompter;
    TDM_CDS dm;
    TFrm_Main window{prompter, QStringLiteral("http://127.0.0.1:8731/")};
};

TEST_F(Screenshots, MainWindowAndItemList)
{
    const QImage main = saveAndReadBack(window, QStringLiteral("main-window.png"));
    EXPECT_GT(colourCount(main), 50) << "the frame, the buttons and their pictures are drawn";

    window.ListItems(QStringLiteral("游戏世界"), 3, 1);
    ASSERT_EQ(window.frontPanel(), window.pal_files);
    EXPECT_EQ(window.pal_files->filesModel->rowCount(), 10);
    // The pointer rests on the third row, which draws it navy.
    const QRect third = window.pal_files->lv_Files->visualRect(window.pal_files->filesModel->index(2, 0));
    QMouseEvent move(QEvent::MouseMove, third.center(),
                     window.pal_files->lv_Files->viewport()->mapToGlobal(third.center()), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(window.pal_files->lv_Files->viewport(), &move);
    const QImage list = saveAndReadBack(window, QStringLiteral("item-list.png"));
    const QPoint viewport = window.pal_files->lv_Files->viewport()->mapTo(&window, QPoint(0, 0));
    // The captions, right of the state icons.
    const QMargins icon(24, 0, 0, 0);
    const QRect thirdShown = third.translated(viewport) - icon;
    const QRect firstShown =
        window.pal_files->lv_Files->visualRect(window.pal_files->filesModel->index(0, 0)).translated(viewport) - icon;
    EXPECT_GT(pixelsIn(list, thirdShown, isNavy), 20) << "the row under the pointer is navy";
    EXPECT_EQ(pixelsIn(list, thirdShown, isGreenOrGrey), 0);
    EXPECT_GT(pixelsIn(list, firstShown, isGreenOrGrey), 20) << "the other rows are green or grey";
    EXPECT_EQ(pixelsIn(list, firstShown, isNavy), 0);
    EXPECT_NE(list, main);

    window.sb_about->click();
    ASSERT_EQ(window.frontPanel(), window.pal_About);
    const QImage about = saveAndReadBack(window, QStringLiteral("about-panel.png"));
    EXPECT_NE(about, list);
    EXPECT_NE(about, main);
    EXPECT_TRUE(prompter.asked.isEmpty());
}

// The subscription panel with a class chosen, and the two recommendation
// panels, as a person reaches them from the main window.
TEST_F(Screenshots, SubscriptionAndRecommendationPanels)
{
    window.ListItems(QStringLiteral("游戏世界"), 3, 1);
    window.pal_files->sb_subscribe->click();
    subscribe::SubscribePanel *subscribe = window.pal_Subscribe;
    ASSERT_EQ(window.frontPanel(), subscribe);
    QTreeWidget *classes = subscribe->lv_subscribe_Class;
    QTest::mouseClick(classes->viewport(), Qt::LeftButton, {},
                      classes->visualItemRect(classes->topLevelItem(2)).center());
    EXPECT_EQ(subscribe->lab_Subscribe->text(), QStringLiteral("订阅——游戏世界"));
    // The demo catalogue leaves one column of the class unsubscribed.
    int checked = 0;
    const QList<subscribe::ColumnRow> rows = subscribe->columnRows();
    for (const subscribe::ColumnRow &row : rows)
        checked += row.subscribed ? 1 : 0;
    EXPECT_GE(rows.size(), 4);
    EXPECT_GT(checked, 0);
    EXPECT_LT(checked, rows.size());
    const QImage subscription = saveAndReadBack(window, QStringLiteral("subscribe-panel.png"));
    const QPoint columnsAt = subscribe->lv_subscribe_Colume->viewport()->mapTo(&window, QPoint(0, 0));
    const QRect firstColumn =
        subscribe->lv_subscribe_Colume->visualItemRect(subscribe->lv_subscribe_Colume->topLevelItem(0))
            .translated(columnsAt);
    EXPECT_GT(pixelsIn(subscription, firstColumn, isNavy), 20) << "the column names are navy";
    // The chosen class is written navy, the others green.
    const QPoint classesAt = classes->viewport()->mapTo(&window, QPoint(0, 0));
    const QRect chosenClass = classes->visualItemRect(classes->topLevelItem(2)).translated(classesAt);
    const QRect otherClass = classes->visualItemRect(classes->topLevelItem(3)).translated(classesAt);
    EXPECT_GT(pixelsIn(subscription, chosenClass, isNavy), 20);
    EXPECT_EQ(pixelsIn(subscription, otherClass, isNavy), 0);
    EXPECT_GT(pixelsIn(subscription, otherClass, isGreenOrGrey), 20);

    window.findChild<QToolButton *>(QStringLiteral("sbt_c10"))->click();
    subscribe::RecommendPanel *categories = window.pal_Recommend;
    ASSERT_EQ(window.frontPanel(), categories);
    EXPECT_GE(categories->lv_Recommend->count(), 4);
    const QImage categoryPicture = saveAndReadBack(window, QStringLiteral("recommend-categories.png"));
    EXPECT_GT(colourCount(categoryPicture), 50) << "the category icons are drawn";

    // A double-click on a category opens its newest twenty items.
    QListWidgetItem *category = categories->lv_Recommend->item(0);
    const QPoint at = categories->lv_Recommend->visualItemRect(category).center();
    QTest::mouseClick(categories->lv_Recommend->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(categories->lv_Recommend->viewport(), Qt::LeftButton, {}, at);
    subscribe::RecommendItemPanel *items = window.pal_RecommendItem;
    ASSERT_EQ(window.frontPanel(), items);
    EXPECT_EQ(items->lab_RecommendItem->text(), QStringLiteral("特别推荐-%1[最新20条]").arg(category->text()));
    EXPECT_GT(items->lv_RecommendItem->topLevelItemCount(), 10);
    const QImage itemPicture = saveAndReadBack(window, QStringLiteral("recommend-items.png"));
    EXPECT_NE(itemPicture, categoryPicture);
    EXPECT_NE(itemPicture, subscription);
    EXPECT_TRUE(prompter.asked.isEmpty());
}

} // namespace
