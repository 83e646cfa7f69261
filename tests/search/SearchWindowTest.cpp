// The search window: the class tree and the two boxes, a local search
// through the window, opening what it found.
#include "DemoSite.h"
#include "ScriptedPrompter.h"
#include "TempCatalogue.h"
#include "Wait.h"

#include "browser/BrowserWindow.h"
#include "browser/PlayerServer.h"
#include "browser/WebView.h"
#include "search/IndexLoader.h"
#include "search/SearchResultModel.h"
#include "search/SearchWindow.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QStringList entries(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

class SearchWindow : public ::testing::Test
{
protected:
    SearchWindow()
        : player(browser::PlayerServer::locateRuffle()), browserWindow(player, prompter),
          window(prompter, dm, browserWindow, catalogue.home(), QStringLiteral("http://127.0.0.1:9/"))
    {
        catalogue.addClass(1, QStringLiteral("MTV精选"));
        catalogue.addClass(3, QStringLiteral("游戏世界"));
        catalogue.addColumn(11, 1, QStringLiteral("流行金曲榜"));
        catalogue.addColumn(12, 1, QStringLiteral("经典"));
        catalogue.addColumn(31, 3, QStringLiteral("益智游戏"));
        catalogue.addColumn(32, 3, QStringLiteral("动作"));
        catalogue.addColumn(33, 3, QStringLiteral("经典"));
        catalogue.addItem(101, 11, QStringLiteral("夏天的约定"), QStringLiteral("2003-01-05 10:00:00"));
        catalogue.addItem(102, 12, QStringLiteral("经典老歌"), QStringLiteral("2003-01-06"));
        catalogue.addItem(301, 31, QStringLiteral("快乐拼图"), QStringLiteral("2003-01-07"));
        catalogue.addItem(302, 33, QStringLiteral("经典桌球"), QStringLiteral("2003-01-08"));
        catalogue.addItem(303, 32, QStringLiteral("快乐赛车"), QStringLiteral("2003-01-09"));
        QDir(catalogue.home()).mkpath(QStringLiteral("local/益智游戏"));
        QFile copy(QDir(catalogue.home()).filePath(QStringLiteral("local/益智游戏/f301.swf")));
        copy.open(QIODevice::WriteOnly);
        copy.write("FWS");
        browserWindow.setProgramDir(catalogue.home());
    }
    ~SearchWindow() override
    {
        browserWindow.hide();
        window.hide();
    }
    void search(const QString &keyword)
    {
        window.ed_keyword->setText(keyword);
        QTest::mouseClick(window.SpeedButton1, Qt::LeftButton);
    }
    QStringList status() const
    {
        QStringList out;
        for (QLabel *panel : window.statusPanels)
            out << panel->text();
        return out;
    }
    QStringList captions() const
    {
        QStringList out;
        for (int i = 0; i < window.filesModel->rowCount(); ++i)
            out << window.filesModel->row(i).caption;
        return out;
    }
    void doubleClick(int row)
    {
        const QPoint at = window.lv_Files->visualRect(window.filesModel->index(row, 0)).center();
        QTest::mouseClick(window.lv_Files->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(window.lv_Files->viewport(), Qt::LeftButton, {}, at);
    }

    TempCatalogue catalogue;
    TDM_CDS dm{catalogue.path()};
    ScriptedPrompter prompter;
    browser::PlayerServer player;
    TFrm_Browser browserWindow;
    TFrm_Search window;
};

TEST_F(SearchWindow, TreeAndBoxesFollowTheChoicesWithoutSearching)
{
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Flash 搜索器"));
    // The content panel is exactly as designed, the frame around it.
    EXPECT_EQ(window.PanelBkGnd()->geometry(), QRect(10, 50, 607, 405));
    EXPECT_EQ(window.size(), QSize(625, 467));
    window.sb_searchClick();
    ASSERT_TRUE(window.isVisible());
    ASSERT_EQ(window.tv_class->topLevelItemCount(), 2);
    QTreeWidgetItem *mtv = window.tv_class->topLevelItem(0);
    EXPECT_EQ(mtv->text(0), QStringLiteral("MTV精选"));
    ASSERT_EQ(mtv->childCount(), 2);
    EXPECT_EQ(mtv->child(0)->text(0), QStringLiteral("经典")) << "shortest column name first";
    EXPECT_EQ(entries(window.cb_class),
              (QStringList{QStringLiteral("所有"), QStringLiteral("MTV精选"), QStringLiteral("游戏世界")}));

    // A column in the tree chooses its class and itself.
    QTreeWidgetItem *games = window.tv_class->topLevelItem(1);
    window.tv_class->setCurrentItem(games->child(2));
    EXPECT_EQ(window.cb_class->currentText(), QStringLiteral("游戏世界"));
    EXPECT_EQ(entries(window.cb_colume), (QStringList{QStringLiteral("所有"), games->child(0)->text(0),
                                                      games->child(1)->text(0), games->child(2)->text(0)}));
    EXPECT_EQ(window.cb_colume->currentText(), games->child(2)->text(0));
    // Then class "所有" resets the column box to "所有" alone.
    window.cb_class->setCurrentIndex(0);
    emit window.cb_class->activated(0);
    EXPECT_EQ(entries(window.cb_colume), QStringList{QStringLiteral("所有")});
    // A class node chooses the class; the column stays "所有".
    window.tv_class->setCurrentItem(mtv);
    EXPECT_EQ(window.cb_class->currentText(), QStringLiteral("MTV精选"));
    EXPECT_EQ(window.cb_colume->currentText(), QStringLiteral("所有"));
    EXPECT_EQ(window.filesModel->rowCount(), 0) << "choosing never searches";

    // Shown again: the tree is read again, the class box goes back to
    // "所有" while the column box keeps its choice.
    window.tv_class->setCurrentItem(games->child(1));
    const QString column = window.cb_colume->currentText();
    catalogue.addClass(9, QStringLiteral("新类别"));
    window.hide();
    window.sb_searchClick();
    EXPECT_EQ(window.tv_class->topLevelItemCount(), 3);
    EXPECT_EQ(window.cb_class->currentText(), QStringLiteral("所有"));
    EXPECT_EQ(window.cb_colume->currentText(), column);
}

TEST_F(SearchWindow, LocalSearchFillsTheListAndTheStatusBar)
{
    window.sb_searchClick();
    window.startIndexing();
    EXPECT_EQ(window.filesModel->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("名称"));
    QSignalSpy searched(&window, &TFrm_Search::searched);
    search(QStringLiteral("快乐"));
    ASSERT_TRUE(searched.count() == 1 || searched.wait(5000)) << "runs once the index is read";
    EXPECT_EQ(captions(), (QStringList{QStringLiteral("快乐拼图"), QStringLiteral("快乐赛车")}));
    EXPECT_EQ(status(), (QStringList{QStringLiteral("类别:所有"), QStringLiteral("栏目:所有"),
                                     QStringLiteral("关键字:快乐"), QStringLiteral("共2条")}));
    EXPECT_EQ(window.filesModel->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("条目名称"));
    EXPECT_EQ(window.filesModel->row(0).localCopy, QStringLiteral("true"));
    EXPECT_EQ(window.filesModel->row(0).imageIndex, 2);
    const QHeaderView *header = window.lv_Files->horizontalHeader();
    EXPECT_EQ(header->sectionSize(0), 150);
    EXPECT_EQ(header->sectionSize(2), 0) << "FileID is hidden";
    EXPECT_EQ(header->sectionResizeMode(7), QHeaderView::Fixed) << "and cannot be opened";

    // A column chosen with the class "所有" (kept from an earlier showing)
    // narrows by the column alone: "经典" is a column of both classes.
    window.cb_colume->clear();
    window.cb_colume->addItems({QStringLiteral("所有"), QStringLiteral("经典")});
    window.cb_colume->setCurrentIndex(1);
    search(QString());
    EXPECT_EQ(captions(), (QStringList{QStringLiteral("经典老歌"), QStringLiteral("经典桌球")}));
    EXPECT_EQ(status().last(), QStringLiteral("共2条"));

    // A keyword with a quote is searched for, not an error.
    search(QStringLiteral("o'clock"));
    EXPECT_TRUE(captions().isEmpty());
    EXPECT_EQ(status(), (QStringList{QStringLiteral("类别:所有"), QStringLiteral("栏目:经典"),
                                     QStringLiteral("关键字:o'clock"), QStringLiteral("共0条")}));
}

TEST_F(SearchWindow, ADoubleClickOpensTheLocalCopyOrTheSitesPageWithoutMarkingViewed)
{
    window.sb_searchClick();
    search(QStringLiteral("快乐"));
    ASSERT_EQ(window.filesModel->rowCount(), 2);
    doubleClick(0);
    EXPECT_TRUE(browserWindow.isVisible());
    EXPECT_EQ(browserWindow.CurrentFileID, 301);
    EXPECT_EQ(browserWindow.CurrentItemName, QStringLiteral("快乐拼图"));
    ASSERT_TRUE(waitFor([&] { return browserWindow.WebBrowser1->url().path().contains(QStringLiteral("/play/")); }))
        << "the local copy plays from the program's own player page";

    doubleClick(1);
    EXPECT_EQ(browserWindow.CurrentFileID, 303);
    ASSERT_TRUE(waitFor([&] {
        return browserWindow.WebBrowser1->url() ==
               QUrl(QStringLiteral("http://127.0.0.1:9/flash/openflash.asp?fileid=303"));
    }));
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_Files WHERE HasViewed")).toInt(), 0);

    // Below the rows nothing opens.
    browserWindow.hide();
    const QPoint below(30, window.lv_Files->viewport()->height() - 3);
    QTest::mouseDClick(window.lv_Files->viewport(), Qt::LeftButton, {}, below);
    EXPECT_FALSE(browserWindow.isVisible());
}

TEST_F(SearchWindow, ASearchAskedWhileTheIndexIsReadRunsWhenItIsThere)
{
    catalogue.exec(QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, DisplayName, UploadDate) WITH RECURSIVE"
                                  " n(i) AS (SELECT 1000 UNION ALL SELECT i + 1 FROM n WHERE i < 60000)"
                                  " SELECT i, 31, '拼图' || i || (CASE WHEN i % 20000 = 0 THEN '快乐' ELSE '' END),"
                                  " '2003-02-01' FROM n"));
    window.sb_searchClick();
    window.startIndexing();
    QSignalSpy searched(&window, &TFrm_Search::searched);
    window.ed_keyword->setText(QStringLiteral("快乐"));
    window.SpeedButton1Click();
    EXPECT_EQ(searched.count(), 0) << "not before the index is read";
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    ASSERT_TRUE(searched.wait(30000));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy pointer goes with the wait";
    EXPECT_EQ(captions(),
              (QStringList{QStringLiteral("快乐拼图"), QStringLiteral("快乐赛车"), QStringLiteral("拼图20000快乐"),
                           QStringLiteral("拼图40000快乐"), QStringLiteral("拼图60000快乐")}));
    EXPECT_EQ(status().last(), QStringLiteral("共5条"));
    EXPECT_FALSE(status().last().startsWith(QStringLiteral("正在建立索引")));

    // Once read, a search runs at once, and the index is not read again.
    window.startIndexing();
    catalogue.exec(QStringLiteral("UPDATE tb_Files SET DisplayName = '快乐' WHERE FileID = 1000"));
    window.SpeedButton1Click();
    EXPECT_EQ(searched.count(), 2);
    EXPECT_EQ(status().last(), QStringLiteral("共6条"));
}

} // namespace

namespace {

TEST(OnlineSearch, PostsTheKeywordInGbkAndTheSiteListsTheItemsFound)
{
    TempCatalogue catalogue;
    catalogue.addClass(3, QStringLiteral("游戏世界"));
    catalogue.addColumn(31, 3, QStringLiteral("益智游戏"));
    catalogue.addItem(301, 31, QStringLiteral("快乐拼图"), QStringLiteral("2003-01-07"));
    catalogue.addItem(302, 31, QStringLiteral("100% 快乐 & 开心"), QStringLiteral("2003-01-08"));
    catalogue.addItem(303, 31, QStringLiteral("忧伤的歌"), QStringLiteral("2003-01-09"));
    DemoSite site(catalogue.home(), browser::PlayerServer::locateRuffle());
    ASSERT_TRUE(site.listen()) << site.errorString().toStdString();
    TDM_CDS dm(catalogue.path());
    browser::PlayerServer player(browser::PlayerServer::locateRuffle());
    ScriptedPrompter prompter;
    TFrm_Browser browserWindow(player, prompter);
    TFrm_Search window(prompter, dm, browserWindow, catalogue.home(), site.baseUrl());
    window.sb_searchClick();
    window.cb_class->setCurrentIndex(1);

    window.ed_keyword->setText(QStringLiteral("% 快乐 &"));
    QTest::mouseClick(window.SpeedButton2, Qt::LeftButton);
    EXPECT_TRUE(browserWindow.isVisible());
    const auto posts = [&] {
        QList<ReceivedRequest> out;
        for (const ReceivedRequest &r : site.requests()) {
            if (r.method == "POST")
                out << r;
        }
        return out;
    };
    QPointer<TFrm_Browser> second;
    QObject::connect(&browserWindow, &TFrm_Browser::pageWindowOpened, [&](TFrm_Browser *w) { second = w; });
    ASSERT_TRUE(waitFor([&] { return !posts().isEmpty(); }, 15000));
    const ReceivedRequest post = posts().constFirst();
    EXPECT_EQ(post.method, QByteArray("POST"));
    EXPECT_EQ(post.target, QByteArray("/flash/colume.asp"));
    EXPECT_EQ(post.body, QByteArray("title=%25+%BF%EC%C0%D6+%26")) << "GBK bytes, encoded; no class or column";
    EXPECT_EQ(post.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
    QString text;
    ASSERT_TRUE(waitFor(
        [&] {
            browserWindow.WebBrowser1->toPlainText([&](const QString &t) { text = t; });
            return text.contains(QStringLiteral("100% 快乐 & 开心"));
        },
        15000))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("快乐拼图"))) << "only names holding the whole keyword";

    // The site's own list links each item to its playing page; an empty
    // keyword is posted as an empty value, the answer in a window of its own.
    window.ed_keyword->clear();
    QTest::mouseClick(window.SpeedButton2, Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return posts().size() >= 2; }, 15000));
    EXPECT_EQ(posts().at(1).body, QByteArray("title="));
    EXPECT_TRUE(second && second->isVisible());
    if (second)
        second->close();
    waitFor([&] { return second.isNull(); }, 3000);
    browserWindow.hide();
    window.hide();
}

} // namespace
