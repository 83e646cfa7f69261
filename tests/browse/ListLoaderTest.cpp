// Loading item lists from a real catalogue: statements, paging, list state,
// local copies.
#include "TempCatalogue.h"

#include "browse/ListLoader.h"
#include "browse/ListQuery.h"
#include "browse/OpenItem.h"
#include "common/LocalCopy.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

using namespace browse;

class ListLoader : public ::testing::Test
{
protected:
    ListLoader() : dm(catalogue.path()) {}

    void SetUp() override
    {
        catalogue.addClass(3, QStringLiteral("游戏世界"));
        catalogue.addClass(1, QStringLiteral("MTV精选"));
        catalogue.addColumn(31, 3, QStringLiteral("益智游戏"));
        catalogue.addColumn(32, 3, QStringLiteral("Rock'n'Roll"));
        catalogue.addColumn(11, 1, QStringLiteral("流行金曲"));
        // 25 items in column 31, newest last; 3 in column 32; 2 in class 1.
        for (int i = 1; i <= 25; ++i) {
            catalogue.addItem(3100 + i, 31, QStringLiteral("拼图%1").arg(i),
                              QStringLiteral("2003-01-%1 10:00:00").arg(i, 2, 10, QLatin1Char('0')), i, i == 3, i == 4);
        }
        for (int i = 1; i <= 3; ++i)
            catalogue.addItem(3200 + i, 32, QStringLiteral("摇滚%1").arg(i),
                              QStringLiteral("2002-01-0%1 00:00:00").arg(i));
        catalogue.addItem(1101, 11, QStringLiteral("歌1"), QStringLiteral("2003-02-01 08:00:00"));
        catalogue.addItem(1102, 11, QStringLiteral("歌2"), QStringLiteral("2003-02-02 08:00:00"));
    }

    ListPage load(const QString &title, int classNumber, int command)
    {
        return ListItems(dm, state, home(), title, classNumber, command);
    }
    QString home() const { return catalogue.home(); }

    QStringList ids(const ListPage &page)
    {
        QStringList out;
        for (const ItemRow &r : page.rows)
            out << r.fileId;
        return out;
    }

    void makeLocalCopy(const QString &column, const QString &file)
    {
        QDir(home()).mkpath(QStringLiteral("local/") + column);
        QFile f(QDir(home()).filePath(QStringLiteral("local/%1/%2").arg(column, file)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("FWS");
    }

    TempCatalogue catalogue;
    TDM_CDS dm;
    ListState state;
};

TEST_F(ListLoader, PagesThroughTwentyEightItems)
{
    const ListPage first = load(QStringLiteral("游戏世界"), 3, FirstPage);
    EXPECT_EQ(first.caption, QStringLiteral("游戏世界-全部条目"));
    EXPECT_EQ(first.paging.label, QStringLiteral("1/3页"));
    EXPECT_EQ(ids(first).first(), QStringLiteral("3125")) << "newest first";
    EXPECT_EQ(first.rows.size(), 10);
    EXPECT_EQ(load(QStringLiteral("游戏世界"), 3, NextPage).paging.label, QStringLiteral("2/3页"));
    const ListPage last = load(QStringLiteral("游戏世界"), 3, LastPage);
    EXPECT_EQ(last.paging.label, QStringLiteral("3/3页"));
    EXPECT_EQ(ids(last), (QStringList{QStringLiteral("3105"), QStringLiteral("3104"), QStringLiteral("3103"),
                                      QStringLiteral("3102"), QStringLiteral("3101"), QStringLiteral("3203"),
                                      QStringLiteral("3202"), QStringLiteral("3201")}));
    EXPECT_EQ(load(QStringLiteral("游戏世界"), 3, NextPage).paging.page, 3) << "next on the last page stays";
    EXPECT_FALSE(dm.aq_all.active());
    EXPECT_FALSE(dm.aq_all2.active());
}

TEST_F(ListLoader, TheColumnMenuListsColumnsWithItemsInReverseOrder)
{
    const ListPage page = load(QStringLiteral("游戏世界"), 3, FirstPage);
    // The query gives Chinese names first, then Latin ones; the menu turns that round.
    EXPECT_EQ(page.columnMenu, (QStringList{kAllColumns, QStringLiteral("Rock'n'Roll"), QStringLiteral("益智游戏")}));
    EXPECT_TRUE(page.columnMenuEnabled);
}

TEST_F(ListLoader, AColumnWithAnApostropheNarrowsTheList)
{
    load(QStringLiteral("游戏世界"), 3, FirstPage);
    state.ColumnFilter = QStringLiteral("Rock'n'Roll");
    const ListPage page = load(QStringLiteral("游戏世界"), 3, FirstPage);
    EXPECT_EQ(page.caption, QStringLiteral("游戏世界-全部条目(Rock'n'Roll)"));
    EXPECT_EQ(page.rows.size(), 3);
    EXPECT_EQ(page.paging.label, QStringLiteral("1/1页"));
    // The menu still offers every column of the class.
    EXPECT_EQ(page.columnMenu.size(), 3);
}

TEST_F(ListLoader, ChangingTheClassResetsViewAndColumn)
{
    load(QStringLiteral("游戏世界"), 3, FirstPage);
    state.CurrentView = 3;
    state.ColumnFilter = QStringLiteral("益智游戏");
    load(QStringLiteral("游戏世界"), 3, NextPage);
    EXPECT_EQ(state.CurrentView, 3) << "the same class keeps the view";
    EXPECT_EQ(state.ColumnFilter, QStringLiteral("益智游戏"));

    const ListPage other = load(QStringLiteral("MTV 精选"), 1, FirstPage);
    EXPECT_TRUE(other.classChanged);
    EXPECT_EQ(state.CurrentView, 0);
    EXPECT_TRUE(state.ColumnFilter.isEmpty());
    EXPECT_EQ(state.CurrentPage, 1);
    EXPECT_TRUE(other.caption.endsWith(QStringLiteral("-全部条目")));
}

TEST_F(ListLoader, ViewsSpecialListsAndTheTopTenRule)
{
    state.CurrentClass = 3;
    state.CurrentView = 1;
    const ListPage latest = load(QStringLiteral("游戏世界"), 3, FirstPage);
    EXPECT_EQ(latest.caption, QStringLiteral("游戏世界-最新10条"));
    EXPECT_EQ(latest.rows.size(), 10);
    EXPECT_EQ(ids(latest).first(), QStringLiteral("3125"));
    EXPECT_EQ(latest.paging.label, QStringLiteral("1/1页"));

    state.CurrentView = 2;
    EXPECT_EQ(ids(load(QStringLiteral("游戏世界"), 3, FirstPage)), QStringList{QStringLiteral("3103")});
    state.CurrentView = 4;
    EXPECT_EQ(ids(load(QStringLiteral("游戏世界"), 3, FirstPage)), QStringList{QStringLiteral("3104")});

    // "最新" is always captioned 最近更新, with the column when one is chosen.
    const ListPage recent = load(QStringLiteral("最近更新"), RecentListClass, FirstPage);
    EXPECT_EQ(recent.caption, QStringLiteral("最近更新"));
    state.ColumnFilter = QStringLiteral("流行金曲");
    EXPECT_EQ(load(QStringLiteral("最近更新"), RecentListClass, FirstPage).caption,
              QStringLiteral("最近更新(流行金曲)"));

    const ListPage ranking = load(QStringLiteral("最新排行"), RankingListClass, FirstPage);
    EXPECT_EQ(ranking.caption, QStringLiteral("最新排行-全部条目"));
    EXPECT_EQ(ids(ranking).first(), QStringLiteral("3125")) << "most hits first";
}

TEST_F(ListLoader, AFailedLoadLeavesTheListStateAlone)
{
    state.CurrentClass = 3;
    state.CurrentView = 3;
    state.ColumnFilter = QStringLiteral("益智游戏");
    load(QStringLiteral("游戏世界"), 3, NextPage);
    const ListState before = state;
    ASSERT_EQ(before.CurrentPage, 2);

    catalogue.exec(QStringLiteral("DROP VIEW qry_FilesRecent"));
    EXPECT_THROW(load(QStringLiteral("最近更新"), RecentListClass, FirstPage), DatabaseError);
    EXPECT_EQ(state.CurrentTitle, before.CurrentTitle);
    EXPECT_EQ(state.CurrentClass, 3);
    EXPECT_EQ(state.CurrentView, 3);
    EXPECT_EQ(state.ColumnFilter, before.ColumnFilter);
    EXPECT_EQ(state.CurrentPage, 2);
    EXPECT_FALSE(dm.aq_all.active());
    EXPECT_FALSE(dm.aq_all2.active());

    // The next page command pages the list that is shown.
    const ListPage next = load(state.CurrentTitle, state.CurrentClass, NextPage);
    EXPECT_EQ(next.caption, QStringLiteral("游戏世界-未点击条目(益智游戏)"));
    EXPECT_EQ(next.paging.label, QStringLiteral("3/3页"));
    EXPECT_EQ(ids(next).size(), 4);
}

TEST_F(ListLoader, AnEmptyListDisablesEverything)
{
    catalogue.exec(QStringLiteral("UPDATE tb_Colume SET Subscribed = 0 WHERE ColumeParent = 3"));
    const ListPage page = load(QStringLiteral("游戏世界"), 3, FirstPage);
    EXPECT_TRUE(page.rows.isEmpty());
    EXPECT_EQ(page.paging.label, QStringLiteral("0/0页"));
    EXPECT_FALSE(page.paging.firstEnabled || page.paging.priorEnabled || page.paging.nextEnabled ||
                 page.paging.lastEnabled);
    EXPECT_TRUE(page.columnMenu.isEmpty());
    EXPECT_FALSE(page.columnMenuEnabled);
}

TEST_F(ListLoader, ALocalCopyMarksTheItemDownloadedEvenInTheNotDownloadedView)
{
    makeLocalCopy(QStringLiteral("益智游戏"), QStringLiteral("f3125.swf"));
    state.CurrentClass = 3;
    state.CurrentView = 5;
    const ListPage page = load(QStringLiteral("游戏世界"), 3, FirstPage);
    ASSERT_EQ(page.rows.first().fileId, QStringLiteral("3125"));
    const ItemRow &row = page.rows.first();
    EXPECT_EQ(row.imageIndex, 2);
    EXPECT_EQ(row.localCopy, QStringLiteral("true"));
    EXPECT_EQ(row.localLocation, QStringLiteral("/local/益智游戏/f3125.swf"));
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT HasDownloaded FROM tb_Files WHERE FileID = 3125")).toInt(), 1);
    // Items recorded as downloaded without a copy show the second icon.
    state.CurrentView = 4;
    const ListPage downloaded = load(QStringLiteral("游戏世界"), 3, FirstPage);
    EXPECT_EQ(ids(downloaded), (QStringList{QStringLiteral("3125"), QStringLiteral("3104")}));
    EXPECT_EQ(downloaded.rows.at(1).imageIndex, 1);
    EXPECT_EQ(downloaded.rows.at(1).localCopy, QStringLiteral("false"));
}

TEST_F(ListLoader, OnlyAnOrdinaryVisibleFileCountsAsALocalCopy)
{
    const QString column = QStringLiteral("益智游戏");
    QDir(home()).mkpath(QStringLiteral("local/益智游戏/f3125.swf"));
    EXPECT_FALSE(ExistingLocalCopy(home(), column, QStringLiteral("f3125.swf"))) << "a directory";
    makeLocalCopy(column, QStringLiteral(".f3124.swf"));
    EXPECT_FALSE(ExistingLocalCopy(home(), column, QStringLiteral(".f3124.swf"))) << "a hidden file";
    makeLocalCopy(column, QStringLiteral("f3123.swf"));
    EXPECT_TRUE(ExistingLocalCopy(home(), column, QStringLiteral("f3123.swf")));
}

TEST_F(ListLoader, RowsCarryTheirFieldsByPosition)
{
    state.CurrentClass = 3;
    state.CurrentView = 2;
    const ItemRow row = load(QStringLiteral("游戏世界"), 3, FirstPage).rows.first();
    EXPECT_EQ(row.caption, QStringLiteral("拼图3"));
    EXPECT_EQ(row.subItem(0), QStringLiteral("益智游戏"));
    EXPECT_EQ(row.subItem(1), QStringLiteral("3103"));
    EXPECT_EQ(row.subItem(2), QStringLiteral("http://127.0.0.1/files/f3103.swf"));
    EXPECT_EQ(row.subItem(3), QStringLiteral("说明3103"));
    EXPECT_EQ(row.subItem(4), QStringLiteral("作者"));
    EXPECT_EQ(row.subItem(5), QStringLiteral("2003-1-3 10:00:00"));
    EXPECT_EQ(row.subItem(7), QStringLiteral("true"));
    EXPECT_EQ(row.subItem(8), QStringLiteral("false"));
    EXPECT_EQ(row.subItem(9), QStringLiteral("f3103.swf"));
    EXPECT_EQ(row.imageIndex, 0);
    EXPECT_EQ(dateText(QDateTime(QDate(2002, 1, 1), QTime(0, 0))), QStringLiteral("2002-1-1"));
}

TEST_F(ListLoader, ItemMarksAreWrittenOnceAndShowInTheNextLoad)
{
    const auto flag = [&](int fileId, const char *field) {
        return catalogue
            .scalar(QStringLiteral("SELECT %1 FROM tb_Files WHERE FileID=%2").arg(QLatin1String(field)).arg(fileId))
            .toInt();
    };
    EXPECT_TRUE(markViewed(dm, 3102));
    EXPECT_EQ(flag(3102, "HasViewed"), 1);
    EXPECT_EQ(flag(3101, "HasViewed"), 0);
    EXPECT_FALSE(markViewed(dm, 3102)) << "an item already viewed is not found again";
    EXPECT_FALSE(markViewed(dm, 3103)) << "nor one viewed before";
    EXPECT_FALSE(markViewed(dm, 999999));
    EXPECT_FALSE(dm.cds_FilesInfo.active());

    EXPECT_TRUE(markDeleted(dm, 3104));
    EXPECT_TRUE(markDeleted(dm, 3104)) << "deleting again finds the item again";
    EXPECT_FALSE(markDeleted(dm, 999999));
    EXPECT_EQ(flag(3104, "Deleted"), 1);
    EXPECT_EQ(flag(3105, "Deleted"), 0);

    state.CurrentClass = 3;
    state.CurrentView = 2;
    EXPECT_EQ(ids(load(QStringLiteral("游戏世界"), 3, FirstPage)),
              (QStringList{QStringLiteral("3103"), QStringLiteral("3102")}));
    state.CurrentView = 4;
    EXPECT_TRUE(ids(load(QStringLiteral("游戏世界"), 3, FirstPage)).isEmpty()) << "3104 is gone from the lists";
}

TEST_F(ListLoader, FillItemListTakesAllRowsWithoutALimit)
{
    dm.aq_all.setSql(QStringLiteral("select * from qry_files where displayname like '%拼图1%'"));
    dm.aq_all.open();
    EXPECT_EQ(FillItemList(dm.aq_all, home(), 0).size(), 11);
    EXPECT_TRUE(dm.aq_all.eof());
    dm.aq_all.first();
    EXPECT_EQ(FillItemList(dm.aq_all, home(), 4).size(), 4);
    EXPECT_FALSE(dm.aq_all.eof()) << "left on the first row not taken";
}

} // namespace
