// The item list panel on its own, without the main window: what it asks of
// the window goes out through its signals.
#include "ScriptedPrompter.h"
#include "TempCatalogue.h"

#include "browse/ItemListPanel.h"
#include "browse/ListQuery.h"
#include "store/DataModule.h"
#include "ui/skin/ListPointer.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

TEST(ItemListPanel, ListsOpensAndSendsThroughItsSignals)
{
    TempCatalogue catalogue;
    catalogue.addClass(3, QStringLiteral("游戏世界"));
    catalogue.addColumn(31, 3, QStringLiteral("益智游戏"));
    for (int i = 1; i <= 12; ++i)
        catalogue.addItem(3100 + i, 31, QStringLiteral("游戏%1").arg(i),
                          QStringLiteral("2003-01-%1 10:00:00").arg(i, 2, 10, QLatin1Char('0')));
    TDM_CDS dm(catalogue.path());
    ScriptedPrompter prompter;
    skin::ListPointer pointer;
    const QString home = catalogue.home();
    browse::ItemListPanel panel(prompter, home, QStringLiteral("http://127.0.0.1:9/"), pointer, {});
    panel.setDataModule(&dm);
    panel.resize(238, 271);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));

    // Each page asks the window to bring the panel forward.
    QSignalSpy listed(&panel, &browse::ItemListPanel::listed);
    panel.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
    EXPECT_EQ(listed.count(), 1);
    EXPECT_EQ(panel.filesModel->rowCount(), 10);
    EXPECT_EQ(panel.lab_Files->text(), QStringLiteral("游戏世界-全部条目"));
    panel.sb_nextpage->click();
    EXPECT_EQ(listed.count(), 2);
    EXPECT_EQ(panel.filesModel->rowCount(), 2);
    EXPECT_EQ(panel.state.CurrentPage, 2);

    // A double-click on a row asks for its page and marks it viewed.
    QSignalSpy opened(&panel, &browse::ItemListPanel::openItemPage);
    const QRect first = panel.lv_Files->visualRect(panel.filesModel->index(0, 0));
    const QString fileId = panel.filesModel->row(0).fileId;
    QTest::mouseMove(panel.lv_Files->viewport(), first.center());
    QTest::mouseClick(panel.lv_Files->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(panel.lv_Files->viewport(), Qt::LeftButton, {}, first.center());
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.at(0).at(0).toString(),
              QStringLiteral("http://127.0.0.1:9/flash/openflash.asp?fileid=%1").arg(fileId))
        << opened.at(0).at(0).toString().toStdString();
    EXPECT_EQ(opened.at(0).at(2).toInt(), fileId.toInt());
    EXPECT_EQ(panel.filesModel->row(0).viewed, QStringLiteral("true"));

    // "推荐给好友" on the row the menu was opened on asks for a card.
    QSignalSpy cards(&panel, &browse::ItemListPanel::sendAsCard);
    panel.lv_FilesContextPopup(first.center());
    panel.pm_Files->hide();
    panel.T1->trigger();
    ASSERT_EQ(cards.count(), 1);
    EXPECT_EQ(cards.at(0).at(0).toInt(), fileId.toInt());
    EXPECT_EQ(cards.at(0).at(1).toString(), panel.filesModel->row(0).caption);
}
