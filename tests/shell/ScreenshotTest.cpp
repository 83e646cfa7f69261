// Pictures of the windows for people to look at, written to the build tree
// (screenshots/); the checks make sure they show what they should.
#include "DemoHome.h"
#include "ScriptedPrompter.h"
#include "Wait.h"

#include "app/MainWindow.h"
#include "store/DataModule.h"

#include <QDir>
#include <QApplication>
#include <QMouseEvent>
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

TEST(Screenshots, MainWindowAndItemList)
{
    CurrentDir here(sharedDemoHome());
    ScriptedPrompter prompter;
    TDM_CDS dm;
    TFrm_Main window(prompter, QStringLiteral("http://127.0.0.1:8731/"));
    window.setDataModule(&dm);
    window.show();
    EXPECT_TRUE(window.grab().save(shotPath(QStringLiteral("main-window.png"))));

    window.ListItems(QStringLiteral("游戏世界"), 3, 1);
    ASSERT_EQ(window.frontPanel(), window.pal_files);
    EXPECT_EQ(window.filesModel->rowCount(), 10);
    // The pointer rests on the third row, which draws it navy.
    const QRect third = window.lv_Files->visualRect(window.filesModel->index(2, 0));
    QMouseEvent move(QEvent::MouseMove, third.center(), window.lv_Files->viewport()->mapToGlobal(third.center()),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window.lv_Files->viewport(), &move);
    EXPECT_TRUE(window.grab().save(shotPath(QStringLiteral("item-list.png"))));

    window.sb_about->click();
    ASSERT_EQ(window.frontPanel(), window.pal_About);
    EXPECT_TRUE(window.grab().save(shotPath(QStringLiteral("about-panel.png"))));
    EXPECT_TRUE(prompter.asked.isEmpty());
}

} // namespace
