// Pictures of the windows for people to look at, written to the build tree
// (screenshots/); the checks make sure they show what they should.
#include "DemoHome.h"
#include "ScriptedPrompter.h"
#include "Wait.h"

#include "app/MainWindow.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QSet>
#include <QToolButton>
#include <QTreeView>

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

TEST(Screenshots, MainWindowAndItemList)
{
    CurrentDir here(sharedDemoHome());
    ScriptedPrompter prompter;
    TDM_CDS dm;
    TFrm_Main window(prompter, QStringLiteral("http://127.0.0.1:8731/"));
    window.setDataModule(&dm);
    window.show();
    const QImage main = saveAndReadBack(window, QStringLiteral("main-window.png"));
    EXPECT_GT(colourCount(main), 50) << "the frame, the buttons and their pictures are drawn";

    window.ListItems(QStringLiteral("游戏世界"), 3, 1);
    ASSERT_EQ(window.frontPanel(), window.pal_files);
    EXPECT_EQ(window.filesModel->rowCount(), 10);
    // The pointer rests on the third row, which draws it navy.
    const QRect third = window.lv_Files->visualRect(window.filesModel->index(2, 0));
    QMouseEvent move(QEvent::MouseMove, third.center(), window.lv_Files->viewport()->mapToGlobal(third.center()),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window.lv_Files->viewport(), &move);
    const QImage list = saveAndReadBack(window, QStringLiteral("item-list.png"));
    const QPoint viewport = window.lv_Files->viewport()->mapTo(&window, QPoint(0, 0));
    // The captions, right of the state icons.
    const QMargins icon(24, 0, 0, 0);
    const QRect thirdShown = third.translated(viewport) - icon;
    const QRect firstShown = window.lv_Files->visualRect(window.filesModel->index(0, 0)).translated(viewport) - icon;
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

} // namespace
