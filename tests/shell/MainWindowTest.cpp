// The main window as a person sees it: sizes and places, colours, captions.
#include "DemoHome.h"
#include "ScriptedPrompter.h"
#include "TempCatalogue.h"

#include "app/AboutPanel.h"
#include "app/Advertisement.h"
#include "app/MainWindow.h"
#include "browse/ItemListPanel.h"
#include "server/SendtoDialog.h"
#include "store/DataModule.h"
#include "subscribe/RecommendItemPanel.h"
#include "subscribe/RecommendPanel.h"
#include "subscribe/SubscribePanel.h"

#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

class MainWindow : public ::testing::Test
{
protected:
    MainWindow() : here(sharedDemoHome()), window(prompter, QStringLiteral("http://127.0.0.1:8731/")) {}

    template <typename T = QWidget> T *child(const char *name)
    {
        T *w = window.findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    CurrentDir here;
    ScriptedPrompter prompter;
    TFrm_Main window;
};

TEST_F(MainWindow, IsTheSizeOfItsDesignWithTheContentInsideTheFrame)
{
    EXPECT_EQ(window.size(), QSize(258, 395));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("KelvoFlash吧 2.01"));
    EXPECT_EQ(child<QLabel>("LabelCaption")->text(), QStringLiteral("KelvoFlash吧 2.01"));
    EXPECT_EQ(child<QLabel>("LabelCaption")->pos(), QPoint(78, 12));
    EXPECT_EQ(window.PanelBkGnd()->geometry(), QRect(10, 50, 240, 333));
    EXPECT_EQ(window.pal_Backgroud->geometry(), QRect(0, 0, 240, 333));
    EXPECT_TRUE(prompter.asked.isEmpty()) << prompter.asked.value(0).text.toStdString();
    // Only minimise and close, at the right.
    EXPECT_EQ(child("ImageClose")->geometry(), QRect(236, 6, 17, 19));
    EXPECT_EQ(child("ImageMin")->geometry(), QRect(219, 6, 17, 19));
    EXPECT_FALSE(child("ImageMax")->isVisibleTo(&window));
    EXPECT_FALSE(child("ImageNormal")->isVisibleTo(&window));
    EXPECT_FALSE(window.GetcanResize());
}

TEST_F(MainWindow, HeaderButtonsAndPanels)
{
    const char *names[] = {"sb_back", "sb_search", "sb_refresh", "sb_set", "sb_about", "sb_exit"};
    const char16_t *captions[] = {u"返回", u"搜索", u"最新", u"帮助", u"关于", u"退出"};
    for (int i = 0; i < 6; ++i) {
        auto *b = child<QToolButton>(names[i]);
        EXPECT_EQ(b->parentWidget(), window.pal_header);
        EXPECT_EQ(b->geometry(), QRect(40 * i, 0, 40, 23)) << names[i];
        EXPECT_EQ(b->text(), QString::fromUtf16(captions[i]));
        EXPECT_TRUE(b->autoRaise());
    }
    EXPECT_EQ(window.pal_header->height(), 24);
    EXPECT_EQ(window.pal_header->palette().color(QPalette::Window), QColor(166, 202, 240));
    EXPECT_EQ(window.pal_footer->height(), 36);
    EXPECT_EQ(window.pal_footer->geometry().bottom(), window.pal_Backgroud->height() - 2);
    EXPECT_EQ(window.pal_Backgroud->palette().color(QPalette::Window), QColor(224, 224, 224));
    // The footer label is a link: blue, underlined below its characters (a
    // clear row between), with a hand cursor.
    const QImage footer = window.lab_Footinfo->grab().toImage();
    const auto blueIn = [&footer](int y) {
        int blue = 0;
        for (int x = 0; x < footer.width(); ++x)
            blue += QColor(footer.pixel(x, y)) == QColor(Qt::blue) ? 1 : 0;
        return blue;
    };
    int underline = -1;
    for (int y = footer.height() / 2; y < footer.height() && underline < 0; ++y) {
        if (blueIn(y) > footer.width() * 8 / 10)
            underline = y;
    }
    ASSERT_GT(underline, 0);
    EXPECT_EQ(blueIn(underline - 1), 0) << "the underline is below the glyphs";
    EXPECT_GT(blueIn(underline - 2), 0) << "right below them";
    EXPECT_EQ(window.lab_Footinfo->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(window.lab_Footinfo->cursor().shape(), Qt::PointingHandCursor);

    const std::pair<QWidget *, const char16_t *> panels[] = {
        {window.pal_Main, nullptr},          {window.pal_files, nullptr},
        {window.pal_About, u"关于"},         {window.pal_Subscribe, u"订阅"},
        {window.pal_Recommend, u"特别推荐"}, {window.pal_RecommendItem, u"特别推荐"},
        {window.pal_Club, u"Zanto社区-列表"}};
    // Header, panels and footer lie whole inside the background's bevel, one
    // under the other without a gap.
    const QRect inside = static_cast<QFrame *>(window.pal_Backgroud)->contentsRect();
    EXPECT_TRUE(inside.contains(window.pal_header->geometry()));
    EXPECT_TRUE(inside.contains(window.pal_footer->geometry()));
    for (const auto &[panel, title] : panels) {
        EXPECT_EQ(panel->geometry(), QRect(1, 25, 238, 271)) << panel->objectName().toStdString();
        EXPECT_TRUE(inside.contains(panel->geometry())) << panel->objectName().toStdString();
        EXPECT_EQ(panel->geometry().top(), window.pal_header->geometry().bottom() + 1);
        EXPECT_EQ(panel->geometry().bottom() + 1, window.pal_footer->geometry().top());
        if (!title)
            continue;
        const auto labels = panel->findChildren<QLabel *>();
        ASSERT_FALSE(labels.isEmpty());
        EXPECT_EQ(labels.first()->text(), QString::fromUtf16(title));
        EXPECT_EQ(labels.first()->parentWidget()->palette().color(QPalette::Window), QColor(0, 0, 128));
        EXPECT_EQ(labels.first()->parentWidget()->height(), 22);
    }
    EXPECT_EQ(window.frontPanel(), window.pal_Main);

    // As drawn: the start panel's grey reaches the background's bevel and
    // its last row meets the footer.
    const QImage shot = window.pal_Backgroud->grab().toImage();
    const QColor grey(224, 224, 224);
    EXPECT_EQ(QColor(shot.pixel(238, 150)), grey);
    EXPECT_NE(QColor(shot.pixel(239, 150)), grey) << "the bevel shows";
    EXPECT_EQ(QColor(shot.pixel(120, 295)), grey);
    EXPECT_EQ(QColor(shot.pixel(120, 296)), QColor(166, 202, 240));
}

TEST_F(MainWindow, TwelveClassButtonsInTheirGrid)
{
    struct Expected
    {
        const char *name;
        int left, top;
        const char16_t *caption;
        int tag;
    } expected[] = {
        {"sbt_c1", 7, 5, u"MTV 精选", 1},       {"sbt_c2", 82, 5, u"捧腹大笑", 2},
        {"sbt_c3", 157, 5, u"游戏世界", 3},     {"sbt_c4", 7, 70, u"工作室专栏", 4},
        {"sbt_c8", 82, 70, u"优秀短片", 8},     {"sbt_c7", 157, 70, u"诗词欣赏", 7},
        {"sbt_c9", 7, 135, u"学习空间", 9},     {"sbt_c12", 82, 135, u"精品广告", 12},
        {"sbt_c11", 157, 135, u"贺卡多多", 11}, {"sbt_c6", 7, 200, u"最新排行", 6},
        {"sbt_c10", 82, 200, u"特别推荐", 10},  {"sbt_c5", 157, 200, u"Zanto社区", 5},
    };
    for (const Expected &e : expected) {
        auto *b = child<QToolButton>(e.name);
        EXPECT_EQ(b->parentWidget(), window.pal_Main);
        EXPECT_EQ(b->geometry(), QRect(e.left, e.top, 75, 65)) << e.name;
        EXPECT_EQ(b->text(), QString::fromUtf16(e.caption));
        EXPECT_EQ(b->property("Tag").toInt(), e.tag);
        EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_FALSE(b->icon().isNull());
    }
    EXPECT_EQ(child<QToolButton>("sbt_c1")->toolTip(), QStringLiteral("this is all beauty girl"));
}

TEST_F(MainWindow, InitialStateAndTheShowingRules)
{
    EXPECT_EQ(window.pal_files->state.CurrentPage, 1);
    EXPECT_EQ(window.pal_files->state.CurrentView, 0);
    EXPECT_FALSE(window.login.IsOnline);
    EXPECT_TRUE(window.login.LoggedInUser.isEmpty());
    EXPECT_EQ(window.ProgramDir, QDir::currentPath());
    EXPECT_EQ(window.CurrentPanel, nullptr);
    EXPECT_EQ(window.PreviousPanel, nullptr);
    for (const QPixmap &p : window.itemBitmaps)
        EXPECT_EQ(p.size(), QSize(24, 19));

    TDM_CDS dm;
    window.setDataModule(&dm);
    QSignalSpy ready(&window, &TFrm_Main::ready);
    window.show();
    EXPECT_EQ(window.pal_files->state.CurrentView, 1);
    EXPECT_TRUE(window.advertisement->tm_advertisement->isActive());
    EXPECT_EQ(window.advertisement->tm_advertisement->interval(), 20000);
    EXPECT_TRUE(ready.wait(5000));

    window.showPanel(window.pal_About);
    EXPECT_EQ(window.CurrentPanel, window.pal_About);
    EXPECT_EQ(window.PreviousPanel, window.pal_Main);
    EXPECT_EQ(window.frontPanel(), window.pal_About);
    window.close();
}

// Without a catalogue to read the saved users from, the start says so and ends.
TEST_F(MainWindow, WithoutADataModuleTheStartFailsAndCloses)
{
    QSignalSpy unavailable(&window, &TFrm_Main::databaseUnavailable);
    QSignalSpy closed(&window, &TFrm_Main::closed);
    QSignalSpy ready(&window, &TFrm_Main::ready);
    window.show();
    ASSERT_TRUE(unavailable.wait(5000));
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(ready.count(), 0);
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_TRUE(prompter.asked.at(0).text.contains(QStringLiteral("数据库")))
        << prompter.asked.at(0).text.toStdString();
    EXPECT_FALSE(window.isVisible());
}

// "Back" returns from a list to the start panel, and from a recommended
// category's items to the categories, which then lead back to the start.
TEST_F(MainWindow, TheBackButtonFollowsWhereTheUserCameFrom)
{
    window.sb_back->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Main) << "nothing to go back to";

    window.sb_about->click();
    EXPECT_EQ(window.frontPanel(), window.pal_About);
    window.sb_back->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Main);

    child<QToolButton>("sbt_c5")->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Club);
    window.sb_back->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Main);

    window.pal_files->sb_subscribe->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Subscribe);

    TDM_CDS dm;
    window.setDataModule(&dm);
    child<QToolButton>("sbt_c10")->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Recommend);
    emit window.pal_Recommend->categoryOpened();
    EXPECT_EQ(window.frontPanel(), window.pal_RecommendItem);
    window.sb_back->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Recommend);
    EXPECT_EQ(window.CurrentPanel, window.pal_Recommend);
    EXPECT_EQ(window.PreviousPanel, window.pal_Main);
    window.sb_back->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Main);
    window.sb_exit->click();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindow, NewItemsNoticeTurnsTheLatestButtonRed)
{
    const QColor before = window.sb_refresh->palette().color(QPalette::ButtonText);
    window.newItemsNotice(0);
    window.newItemsNotice(-3);
    EXPECT_EQ(window.sb_refresh->palette().color(QPalette::ButtonText), before);
    window.newItemsNotice(5);
    EXPECT_EQ(window.sb_refresh->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
    window.newItemsNotice(0);
    EXPECT_EQ(window.sb_refresh->palette().color(QPalette::ButtonText), QColor(255, 0, 0)) << "it stays red";
}

TEST_F(MainWindow, FooterRotatesTheAdvertisements)
{
    TempCatalogue catalogue;
    catalogue.exec(QStringLiteral("INSERT INTO tb_Adver (Context, URL) VALUES ('甲', 'http://a/'), ('乙', 'http://b/'),"
                                  " ('丙', 'http://c/')"));
    TDM_CDS dm(catalogue.path());
    window.setDataModule(&dm);
    EXPECT_EQ(window.lab_Footinfo->hint(), QStringLiteral("http://127.0.0.1:8731/"));
    QStringList shown;
    for (int i = 0; i < 5; ++i) {
        QMetaObject::invokeMethod(window.advertisement->tm_advertisement, "timeout");
        shown << window.lab_Footinfo->text() + window.lab_Footinfo->toolTip();
    }
    EXPECT_EQ(shown,
              (QStringList{QStringLiteral("甲http://a/"), QStringLiteral("乙http://b/"), QStringLiteral("丙http://c/"),
                           QStringLiteral("甲http://a/"), QStringLiteral("乙http://b/")}));
}

TEST_F(MainWindow, AnEmptyAdvertisementTableLeavesTheFooterAlone)
{
    TempCatalogue catalogue;
    TDM_CDS dm(catalogue.path());
    window.setDataModule(&dm);
    const QString text = window.lab_Footinfo->text();
    for (int i = 0; i < 3; ++i)
        QMetaObject::invokeMethod(window.advertisement->tm_advertisement, "timeout");
    EXPECT_EQ(window.lab_Footinfo->text(), text);
    EXPECT_EQ(window.lab_Footinfo->hint(), QStringLiteral("http://127.0.0.1:8731/"));
}

// A window without its catalogue, browser, card dialog or login dialog
// lets what would need them come to nothing: the footer stays, no page
// opens, and a card offline asks only whether to log in.
TEST_F(MainWindow, WhatNeedsAMissingCompanionComesToNothing)
{
    const QString footer = window.lab_Footinfo->text();
    QMetaObject::invokeMethod(window.advertisement->tm_advertisement, "timeout");
    EXPECT_EQ(window.lab_Footinfo->text(), footer);

    window.setBrowser(nullptr);
    const QString page = QStringLiteral("http://127.0.0.1:8731/flash/1.html");
    emit window.pal_files->openItemPage(page, QStringLiteral("一"), 1);
    emit window.pal_RecommendItem->openItemPage(page, QStringLiteral("一"));
    window.SendItemAsCard(1, QStringLiteral("一"));
    window.sb_set->click();
    EXPECT_TRUE(prompter.asked.isEmpty());

    TFrm_Sendto cards(prompter, QStringLiteral("http://127.0.0.1:8731/"));
    window.setCardDialog(&cards);
    prompter.answers = {platform::Prompter::Answer::Yes};
    window.SendItemAsCard(1, QStringLiteral("一"));
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_TRUE(prompter.asked[0].text.contains(QStringLiteral("离线"))) << prompter.asked[0].text.toStdString();
    EXPECT_FALSE(cards.isVisible());
}

TEST_F(MainWindow, TheFooterOpensOnlyWebAndMailAddresses)
{
    TempCatalogue catalogue;
    catalogue.exec(QStringLiteral("INSERT INTO tb_Adver (Context, URL) VALUES ('甲', 'http://a.example/'),"
                                  " ('乙', 'javascript:alert(1)'), ('丙', 'mailto:ad@kelvo.example'),"
                                  " ('丁', 'file:///etc/passwd'), ('戊', '/etc/passwd'), ('己', 'flashbar-evil:run')"));
    TDM_CDS dm(catalogue.path());
    window.setDataModule(&dm);
    QList<QUrl> opened;
    window.desktopOpener = [&](const QUrl &url) {
        opened << url;
        return true;
    };
    window.show();
    QStringList tips;
    for (int i = 0; i < 6; ++i) {
        QMetaObject::invokeMethod(window.advertisement->tm_advertisement, "timeout");
        QToolTip::hideText();
        QTest::mouseClick(window.lab_Footinfo, Qt::LeftButton, {}, QPoint(3, 3));
        tips << QToolTip::text();
    }
    EXPECT_EQ(opened, (QList<QUrl>{QUrl(QStringLiteral("http://a.example/")),
                                   QUrl(QStringLiteral("mailto:ad@kelvo.example"))}));
    for (int i : {1, 3, 4, 5})
        EXPECT_TRUE(tips.at(i).startsWith(QStringLiteral("未打开地址"))) << tips.at(i).toStdString();
    window.hide();
}

} // namespace
