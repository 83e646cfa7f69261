#include "browse/ListQuery.h"

#include <gtest/gtest.h>

namespace {

using browse::buildListStatement;

TEST(ListStatement, OrdinaryClassAllItems)
{
    const auto s = buildListStatement(QStringLiteral("游戏世界"), 3, 0, QString());
    EXPECT_EQ(s.rows, QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =3"));
    EXPECT_EQ(
        s.columnMenu,
        QStringLiteral("select columename from qry_files  where subscribed=true  and ClassID =3 group by columename"));
    EXPECT_EQ(s.caption, QStringLiteral("游戏世界-全部条目"));
}

TEST(ListStatement, LatestTenReadsTheLatestQueryExceptForTheRanking)
{
    const auto ordinary = buildListStatement(QStringLiteral("游戏世界"), 3, 1, QString());
    EXPECT_EQ(ordinary.rows,
              QStringLiteral("select top 10 * from qry_FilesLast  where subscribed=true  and ClassID =3"));
    EXPECT_EQ(ordinary.caption, QStringLiteral("游戏世界-最新10条"));
    const auto recent = buildListStatement(QStringLiteral("最近更新"), browse::RecentListClass, 1, QString());
    EXPECT_EQ(recent.rows, QStringLiteral("select top 10 * from qry_FilesLast  where subscribed=true"));
    EXPECT_EQ(recent.caption, QStringLiteral("最近更新"));
    const auto ranking = buildListStatement(QStringLiteral("最新排行"), browse::RankingListClass, 1, QString());
    EXPECT_EQ(ranking.rows, QStringLiteral("select top 10 * from qry_filestop  where subscribed=true"));
    EXPECT_EQ(ranking.columnMenu,
              QStringLiteral("select columename from qry_filestop  where subscribed=true group by columename"));
}

TEST(ListStatement, ViewConditionsAndTheColumnFilter)
{
    const auto s =
        buildListStatement(QStringLiteral("最近更新"), browse::RecentListClass, 3, QStringLiteral("Rock'n'Roll"));
    EXPECT_EQ(s.rows, QStringLiteral("select * from qry_FilesRecent  where hasviewed = false and subscribed=true  and "
                                     "Columename='Rock''n''Roll'"));
    // The column menu is built before the column condition.
    EXPECT_EQ(s.columnMenu, QStringLiteral("select columename from qry_FilesRecent  where hasviewed = false and "
                                           "subscribed=true group by columename"));
    EXPECT_EQ(s.caption, QStringLiteral("最近更新(Rock'n'Roll)"));
    EXPECT_EQ(buildListStatement(QStringLiteral("MTV 精选"), 1, 5, QStringLiteral("流行金曲")).caption,
              QStringLiteral("MTV 精选-未下载条目(流行金曲)"));
    EXPECT_EQ(
        buildListStatement(QStringLiteral("x"), 1, 4, QString()).rows,
        QStringLiteral("select * from qry_files  where hasdownloaded = true and subscribed=true  and ClassID =1"));
    EXPECT_EQ(buildListStatement(QStringLiteral("x"), 1, 2, QString()).rows,
              QStringLiteral("select * from qry_files  where hasviewed = true and subscribed=true  and ClassID =1"));
}

} // namespace
