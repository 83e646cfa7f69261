// The special recommendations: categories, the items of one in three views,
// their tips, the item menu, deleting, favourites and opening an address.
#include "ScriptedPrompter.h"
#include "TempCatalogue.h"
#include "Wait.h"

#include "app/MainWindow.h"
#include "browser/BrowserWindow.h"
#include "browser/PlayerServer.h"
#include "browser/WebView.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "store/JetSql.h"
#include "subscribe/RecommendItemPanel.h"
#include "subscribe/RecommendPanel.h"
#include "subscribe/SubscribePanel.h"
#include "ui/skin/ListPointer.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class Recommendations : public ::testing::Test
{
protected:
    Recommendations() : dm(catalogue.path()), window(prompter, QStringLiteral("http://127.0.0.1:9/"))
    {
        // 25 links in "Kid's Corner" (ids 1..25, favourites 3 and 7), 2 in "图书".
        for (int id = 1; id <= 25; ++id)
            addLink(id, QStringLiteral("Kid's Corner"), id == 3 || id == 7);
        addLink(40, QStringLiteral("图书"), false);
        addLink(41, QStringLiteral("图书"), false);
        window.setDataModule(&dm);
        prompter.asked.clear(); // the home has no skin; the frame said so
        categories = window.pal_Recommend;
        items = window.pal_RecommendItem;
    }
    void addLink(int id, const QString &category, bool favorite)
    {
        catalogue.exec(QStringLiteral("INSERT INTO tb_Recommend (ItemID, Columename, Itemname, Classname, ItemDesc,"
                                      " ItemOther1, ItemOther2, URL, Favorite) VALUES (%1, %2, %3, '网站', %4,"
                                      " '发行：2002年', '评分：4 星', %5, %6)")
                           .arg(id)
                           .arg(store::quoted(category), store::quoted(QStringLiteral("链接%1").arg(id)),
                                store::quoted(QStringLiteral("介绍%1").arg(id)),
                                store::quoted(QStringLiteral("http://127.0.0.1:9/recommend/item%1.html").arg(id)))
                           .arg(favorite ? 1 : 0));
    }
    // Opens the category panel and double-clicks a category.
    void openCategory(const QString &name)
    {
        window.findChild<QToolButton *>(QStringLiteral("sbt_c10"))->click();
        const QList<QListWidgetItem *> found = categories->lv_Recommend->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        QListWidgetItem *item = found.at(0);
        const QPoint at = categories->lv_Recommend->visualItemRect(item).center();
        QTest::mouseClick(categories->lv_Recommend->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(categories->lv_Recommend->viewport(), Qt::LeftButton, {}, at);
    }
    QStringList shownIds()
    {
        QStringList out;
        for (int i = 0; i < items->lv_RecommendItem->topLevelItemCount(); ++i)
            out << items->rowOf(items->lv_RecommendItem->topLevelItem(i)).itemId;
        return out;
    }
    QPoint rowCentre(int row)
    {
        return items->lv_RecommendItem->visualItemRect(items->lv_RecommendItem->topLevelItem(row)).center();
    }
    int stored(const QString &where)
    {
        return catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_Recommend WHERE ") + where).toInt();
    }
    QStringList range(int from, int to)
    {
        QStringList out;
        for (int i = from; i >= to; --i)
            out << QString::number(i);
        return out;
    }

    TempCatalogue catalogue;
    TDM_CDS dm;
    ScriptedPrompter prompter;
    TFrm_Main window;
    subscribe::RecommendPanel *categories;
    subscribe::RecommendItemPanel *items;
};

TEST_F(Recommendations, CategoriesViewsAndTheBackButton)
{
    window.show();
    QStringList builtIn;
    for (int i = 0; i < categories->lv_Recommend->count(); ++i)
        builtIn << categories->lv_Recommend->item(i)->text();
    EXPECT_EQ(builtIn.join(u' '), QStringLiteral("精彩网站 影碟 图书 音碟 软件 游戏"));

    openCategory(QStringLiteral("Kid's Corner"));
    QStringList loaded;
    for (int i = 0; i < categories->lv_Recommend->count(); ++i)
        loaded << categories->lv_Recommend->item(i)->text();
    loaded.sort();
    EXPECT_EQ(loaded, (QStringList{QStringLiteral("Kid's Corner"), QStringLiteral("图书")}));
    EXPECT_EQ(window.frontPanel(), items);
    EXPECT_EQ(window.CurrentPanel, items);
    EXPECT_EQ(window.PreviousPanel, categories);
    EXPECT_EQ(window.CurrentRecommendCategory, QStringLiteral("Kid's Corner"));
    // The newest 20 of 25, newest first, under the quoted name.
    EXPECT_EQ(items->lab_RecommendItem->text(), QStringLiteral("特别推荐-Kid's Corner[最新20条]"));
    EXPECT_EQ(items->lab_RecommendItem->x(), (238 - items->lab_RecommendItem->width()) / 2);
    EXPECT_EQ(shownIds(), range(25, 6));
    const QTreeWidgetItem *first = items->lv_RecommendItem->topLevelItem(0);
    EXPECT_EQ(first->text(0), QStringLiteral("链接25"));
    EXPECT_EQ(first->text(1), QStringLiteral("网站"));

    items->N5->trigger();
    EXPECT_EQ(shownIds(), range(25, 1));
    EXPECT_EQ(items->lab_RecommendItem->text(), QStringLiteral("特别推荐-Kid's Corner[全部条目]"));
    EXPECT_TRUE(items->N5->isChecked());
    EXPECT_FALSE(items->N101->isChecked());
    items->N9->trigger();
    EXPECT_EQ(shownIds(), (QStringList{QStringLiteral("7"), QStringLiteral("3")}));
    EXPECT_EQ(items->lab_RecommendItem->text(), QStringLiteral("特别推荐-Kid's Corner[收藏条目]"));

    // Back shows the categories, back again the start panel.
    window.sb_back->click();
    EXPECT_EQ(window.frontPanel(), categories);
    window.sb_back->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Main);

    // A double-click opens the newest 20 whatever view is marked; a category
    // without favourites has an empty, titled favourites view.
    openCategory(QStringLiteral("图书"));
    EXPECT_EQ(shownIds(), (QStringList{QStringLiteral("41"), QStringLiteral("40")}));
    EXPECT_TRUE(items->N9->isChecked()) << "the mark stays where it was";
    items->N9->trigger();
    EXPECT_TRUE(shownIds().isEmpty());
    EXPECT_EQ(items->lab_RecommendItem->text(), QStringLiteral("特别推荐-图书[收藏条目]"));

    // A double-click off the focused category does nothing.
    window.findChild<QToolButton *>(QStringLiteral("sbt_c10"))->click();
    categories->lv_Recommend->setCurrentRow(1);
    window.listPointer->ListMousePos =
        categories->lv_Recommend->visualItemRect(categories->lv_Recommend->item(0)).center();
    categories->lv_RecommendDblClick();
    EXPECT_EQ(window.frontPanel(), categories);
    window.close();
}

TEST_F(Recommendations, TipMenuDeletingAndFavourites)
{
    window.show();
    openCategory(QStringLiteral("Kid's Corner"));
    EXPECT_EQ(items->lv_RecommendItemInfoTip(items->lv_RecommendItem->topLevelItem(0)),
              QStringLiteral("\r\n[介     绍]：介绍25\r\n\r\n[其他信息1]：发行：2002年\r\n[其他信息2]：评分：4 星\r\n"
                             "[链接地址 ]：http://127.0.0.1:9/recommend/item25.html\r\n"));

    // On empty space only "查看" is offered; on an item all, and it gets the focus.
    items->N9->trigger();
    const QPoint empty(100, items->lv_RecommendItem->viewport()->height() - 2);
    ASSERT_EQ(items->lv_RecommendItem->itemAt(empty), nullptr);
    const QPoint at = items->lv_RecommendItemContextPopup(empty);
    // Both lists' menus follow one rule: the corner lands one pixel above and
    // left of the pointer, the list's column header counted.
    EXPECT_EQ(at, items->lv_RecommendItem->viewport()->mapToGlobal(empty) - QPoint(1, 1));
    EXPECT_TRUE(items->pm_Recommend->isVisible());
    EXPECT_TRUE(items->mni_Recommend_View->isEnabled());
    EXPECT_FALSE(items->mni_Recommend_Delete->isEnabled());
    EXPECT_FALSE(items->mni_Recommend_AddToFavorite->isEnabled());
    items->pm_Recommend->hide();
    items->lv_RecommendItemContextPopup(rowCentre(1));
    EXPECT_TRUE(items->mni_Recommend_Delete->isEnabled());
    EXPECT_TRUE(items->mni_Recommend_AddToFavorite->isEnabled());
    EXPECT_EQ(items->rowOf(items->lv_RecommendItem->currentItem()).itemId, QStringLiteral("3"));
    items->pm_Recommend->hide();

    // "收藏" marks the focused item; marking it again changes nothing visible.
    items->N5->trigger();
    items->lv_RecommendItem->setCurrentItem(items->lv_RecommendItem->topLevelItem(2));
    items->mni_Recommend_AddToFavorite->trigger();
    EXPECT_EQ(stored(QStringLiteral("ItemID = 23 AND Favorite = 1")), 1);
    const QImage marked = items->lv_RecommendItem->topLevelItem(2)->icon(0).pixmap(24, 19).toImage();
    EXPECT_EQ(marked, items->lv_RecommendItem->topLevelItem(18)->icon(0).pixmap(24, 19).toImage()) << "like item 7";
    EXPECT_NE(marked, items->lv_RecommendItem->topLevelItem(0)->icon(0).pixmap(24, 19).toImage());
    items->mni_Recommend_AddToFavorite->trigger();
    EXPECT_EQ(stored(QStringLiteral("Favorite = 1")), 3);
    items->N9->trigger();
    EXPECT_EQ(shownIds(), (QStringList{QStringLiteral("23"), QStringLiteral("7"), QStringLiteral("3")}));

    // Deleting one item asks first; No keeps it, Yes deletes it.
    items->N5->trigger();
    items->lv_RecommendItem->setCurrentItem(items->lv_RecommendItem->topLevelItem(0));
    prompter.answers = {platform::Prompter::Answer::No};
    items->N7->trigger();
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked.at(0).title, QStringLiteral("提示"));
    EXPECT_EQ(prompter.asked.at(0).text, QStringLiteral("您确定要删除该条目吗？"));
    EXPECT_EQ(prompter.asked.at(0).icon, platform::Prompter::Icon::Question);
    EXPECT_EQ(prompter.asked.at(0).buttons, platform::Prompter::Buttons::YesNo);
    EXPECT_EQ(shownIds().size(), 25);
    EXPECT_EQ(stored(QStringLiteral("1")), 27);
    prompter.answers = {platform::Prompter::Answer::Yes};
    items->N7->trigger();
    EXPECT_EQ(shownIds(), range(24, 1));
    EXPECT_EQ(stored(QStringLiteral("ItemID = 25")), 0);

    // Deleting all asks too, and takes the whole category, also what the view
    // does not show, and nothing of the others.
    items->N9->trigger();
    prompter.asked.clear();
    prompter.answers = {platform::Prompter::Answer::No};
    items->N8->trigger();
    EXPECT_EQ(prompter.asked.at(0).text, QStringLiteral("您确定要删除所有条目吗？"));
    EXPECT_EQ(shownIds().size(), 3);
    EXPECT_EQ(stored(QStringLiteral("1")), 26);
    prompter.answers = {platform::Prompter::Answer::Yes};
    items->N8->trigger();
    EXPECT_TRUE(shownIds().isEmpty());
    EXPECT_EQ(stored(QStringLiteral("Columename = 'Kid''s Corner'")), 0);
    EXPECT_EQ(stored(QStringLiteral("1")), 2);
    // The emptied category stays until the panel is opened again.
    EXPECT_EQ(categories->lv_Recommend->count(), 2);
    window.findChild<QToolButton *>(QStringLiteral("sbt_c10"))->click();
    EXPECT_EQ(categories->lv_Recommend->count(), 1);
    window.close();
}

TEST_F(Recommendations, DoubleClickOpensTheAddressInTheBrowser)
{
    browser::PlayerServer player(browser::PlayerServer::locateRuffle());
    TFrm_Browser browserWindow(player, prompter);
    window.setBrowser(&browserWindow);
    window.show();
    openCategory(QStringLiteral("图书"));
    // A double-click away from the focused item does nothing.
    items->lv_RecommendItem->setCurrentItem(items->lv_RecommendItem->topLevelItem(0));
    window.listPointer->ListMousePos = rowCentre(1);
    items->lv_RecommendItemDblClick();
    EXPECT_FALSE(browserWindow.isVisible());

    QTest::mouseClick(items->lv_RecommendItem->viewport(), Qt::LeftButton, {}, rowCentre(1));
    QTest::mouseDClick(items->lv_RecommendItem->viewport(), Qt::LeftButton, {}, rowCentre(1));
    EXPECT_TRUE(browserWindow.isVisible());
    EXPECT_EQ(browserWindow.CurrentFileID, 0);
    EXPECT_EQ(browserWindow.CurrentItemName, QStringLiteral("链接40"));
    EXPECT_TRUE(browserWindow.sb_recommend->isVisible());
    EXPECT_TRUE(waitFor([&] {
        return browserWindow.WebBrowser1->url() == QUrl(QStringLiteral("http://127.0.0.1:9/recommend/item40.html"));
    }));
    EXPECT_EQ(stored(QStringLiteral("1")), 27) << "opening changes nothing";
    browserWindow.hide();
    window.close();
}

TEST_F(Recommendations, TipsFollowThePointerAndNothingHappensWithoutAnItem)
{
    window.show();
    openCategory(QStringLiteral("图书"));
    // Over a row its tip shows, without the carriage returns; over empty space none.
    QWidget *viewport = items->lv_RecommendItem->viewport();
    const auto askTip = [&](QPoint at) {
        QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &help);
    };
    askTip(rowCentre(1));
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), items->lv_RecommendItemInfoTip(items->lv_RecommendItem->topLevelItem(1)).remove(u'\r'));
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("介绍40\n")));
    askTip(QPoint(100, viewport->height() - 2));
    EXPECT_TRUE(waitFor([] { return !QToolTip::isVisible(); }));

    // No focused item: deleting one asks nothing, marking one writes nothing.
    items->lv_RecommendItem->setCurrentItem(nullptr);
    items->N7->trigger();
    items->mni_Recommend_AddToFavorite->trigger();
    EXPECT_TRUE(prompter.asked.isEmpty());
    EXPECT_EQ(stored(QStringLiteral("1")), 27);
    EXPECT_EQ(stored(QStringLiteral("Favorite = 1")), 2);
    window.close();

    // Panels not yet given the catalogue report it rather than reading or writing nothing.
    skin::ListPointer pointer;
    QString current;
    subscribe::RecommendPanel bare(pointer);
    subscribe::RecommendItemPanel bareItems(prompter, bare, pointer, current);
    EXPECT_THROW(bare.LoadRecommendCategories(), DatabaseError);
    EXPECT_THROW(bareItems.LoadRecommendItems(subscribe::AllItems), DatabaseError);
    subscribe::SubscribePanel bareSubscriptions;
    EXPECT_THROW(bareSubscriptions.sb_SaveallClick(), DatabaseError);
    EXPECT_THROW(bareSubscriptions.sb_RestoreClick(), DatabaseError);
}

} // namespace
