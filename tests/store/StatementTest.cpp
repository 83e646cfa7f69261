// Every statement the program issues, run on a real catalogue file through
// the data module, with the rows it must find.
#include "SampleCatalogue.h"

#include "search/LocalSearch.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "store/JetSql.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

using store::quoted;

class Statements : public ::testing::Test
{
protected:
    Statements() : dm(catalogue.path()) {}
    void SetUp() override { fillSampleCatalogue(catalogue); }

    // Opens aq_all on the statement and collects one field of every row.
    QStringList column(const QString &sql, const QString &field)
    {
        dm.aq_all.close();
        dm.aq_all.setSql(sql);
        dm.aq_all.open();
        QStringList out;
        while (!dm.aq_all.eof()) {
            out << dm.aq_all.fieldByName(field).asString();
            dm.aq_all.next();
        }
        dm.aq_all.close();
        return out;
    }

    void execute(const QString &sql)
    {
        dm.aq_all.close();
        dm.aq_all.setSql(sql);
        dm.aq_all.execSql();
    }

    int count(const QString &sql)
    {
        dm.aq_all.close();
        dm.aq_all.setSql(sql);
        dm.aq_all.open();
        const int n = dm.aq_all.recordCount();
        dm.aq_all.close();
        return n;
    }

    TempCatalogue catalogue;
    TDM_CDS dm;
};

QStringList ids(int from, int to, int except = 0)
{
    QStringList out;
    for (int i = from; from <= to ? i <= to : i >= to; i += from <= to ? 1 : -1) {
        if (i != except)
            out << QString::number(i);
    }
    return out;
}

TEST_F(Statements, ListOfAClassShowsSubscribedUndeletedItems)
{
    const QString sql = QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =3");
    EXPECT_EQ(count(sql), 24 + 3);
    const QStringList rows = column(sql, QStringLiteral("FileID"));
    EXPECT_EQ(rows.size(), 27);
    EXPECT_FALSE(rows.contains(QStringLiteral("3110"))) << "deleted items are left out";
    // Class 1: the unsubscribed column's item is not listed.
    const QStringList mtv = column(QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =1"),
                                   QStringLiteral("FileID"));
    EXPECT_EQ(QSet<QString>(mtv.begin(), mtv.end()),
              (QSet<QString>{QStringLiteral("1101"), QStringLiteral("1102"), QStringLiteral("1201")}));
}

TEST_F(Statements, ListRowsComeColumnByColumnNewestFirst)
{
    const QStringList rows = column(QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =3"),
                                    QStringLiteral("FileID"));
    QStringList expected = ids(3125, 3101, 3110) + ids(3203, 3201);
    EXPECT_EQ(rows, expected);
}

TEST_F(Statements, ViewConditions)
{
    const QString tail = QStringLiteral("  and ClassID =3");
    EXPECT_EQ(column(QStringLiteral("select * from qry_files  where hasviewed = true and subscribed=true") + tail,
                     QStringLiteral("FileID")),
              QStringList{QStringLiteral("3105")});
    EXPECT_EQ(count(QStringLiteral("select * from qry_files  where hasviewed = false and subscribed=true") + tail), 26);
    EXPECT_EQ(column(QStringLiteral("select * from qry_files  where hasdownloaded = true and subscribed=true") + tail,
                     QStringLiteral("FileID")),
              QStringList{QStringLiteral("3107")});
    EXPECT_EQ(count(QStringLiteral("select * from qry_files  where hasdownloaded = false and subscribed=true") + tail),
              26);
}

TEST_F(Statements, TopTenOfTheLatestQueryIsTheTenNewest)
{
    const QString sql = QStringLiteral("select top 10 * from qry_FilesLast  where subscribed=true  and ClassID =3");
    EXPECT_EQ(column(sql, QStringLiteral("FileID")), ids(3203, 3201) + ids(3125, 3119));
    EXPECT_EQ(count(sql), 10);
    // Without a class condition, as the recent list asks it.
    EXPECT_EQ(count(QStringLiteral("select top 10 * from qry_FilesLast  where subscribed=true")), 10);
    // Fewer than ten rows: all of them.
    EXPECT_EQ(count(QStringLiteral("select top 10 * from qry_FilesLast  where subscribed=true  and ClassID =1")), 3);
}

TEST_F(Statements, RankingIsByHits)
{
    const QStringList rows =
        column(QStringLiteral("select top 10 * from qry_filestop  where subscribed=true"), QStringLiteral("FileID"));
    // 1301 has the most hits but its column is not subscribed.
    EXPECT_EQ(rows, (QStringList{QStringLiteral("3203"), QStringLiteral("3202"), QStringLiteral("3201"),
                                 QStringLiteral("1201"), QStringLiteral("1102"), QStringLiteral("1101"),
                                 QStringLiteral("3125"), QStringLiteral("3124"), QStringLiteral("3123"),
                                 QStringLiteral("3122")}));
}

TEST_F(Statements, RankingIsTheHundredMostHitSubscribedItems)
{
    // 150 more items; the two with the most hits of all are in the
    // unsubscribed column or deleted.
    for (int i = 0; i < 150; ++i)
        catalogue.addItem(6000 + i, 32, QStringLiteral("热门%1").arg(i), QStringLiteral("2001-01-01 00:00:00"),
                          1000 + i);
    catalogue.addItem(7001, 13, QStringLiteral("冷门热门"), QStringLiteral("2001-01-01 00:00:00"), 5000);
    catalogue.addItem(7002, 32, QStringLiteral("已删除"), QStringLiteral("2001-01-01 00:00:00"), 5001, false, false,
                      true);
    const QString ranking = QStringLiteral("select * from qry_filestop  where subscribed=true");
    EXPECT_EQ(column(ranking, QStringLiteral("FileID")), ids(6149, 6050));
    EXPECT_EQ(count(ranking), 100);
    EXPECT_EQ(
        column(QStringLiteral("select top 10 * from qry_filestop  where subscribed=true"), QStringLiteral("FileID")),
        ids(6149, 6140));
    EXPECT_EQ(count(ranking + QStringLiteral("  and Columename=") + quoted(QStringLiteral("动作"))), 100);
    EXPECT_EQ(count(ranking + QStringLiteral("  and Columename=") + quoted(QStringLiteral("益智游戏"))), 0);
}

TEST_F(Statements, RecentListHoldsTheLastThirtyDays)
{
    // The newest upload is 2003-02-03; thirty days back is 2003-01-04, from
    // its first second on, and a date written without a time counts too.
    catalogue.addItem(8001, 32, QStringLiteral("边上1"), QStringLiteral("2003-01-04 00:00:00"));
    catalogue.addItem(8002, 32, QStringLiteral("边上2"), QStringLiteral("2003-01-03 23:59:59"));
    catalogue.addItem(8003, 32, QStringLiteral("边上3"), QStringLiteral("2003-01-04"));
    const QStringList rows =
        column(QStringLiteral("select * from qry_FilesRecent  where subscribed=true"), QStringLiteral("FileID"));
    EXPECT_EQ(rows,
              ids(3203, 3201) + ids(3125, 3104, 3110) + (QStringList{QStringLiteral("8001"), QStringLiteral("8003")}));
    EXPECT_EQ(count(QStringLiteral("select * from qry_FilesRecent  where subscribed=true")), rows.size());
}

TEST_F(Statements, ColumnConditionWithApostrophe)
{
    const QString sql =
        QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =1  and Columename=") +
        quoted(QStringLiteral("Rock'n'Roll"));
    EXPECT_EQ(column(sql, QStringLiteral("DisplayName")), QStringList{QStringLiteral("Don't Stop")});
    EXPECT_EQ(count(sql), 1);
}

TEST_F(Statements, ColumnMenuGroupsInPinyinOrder)
{
    EXPECT_EQ(column(QStringLiteral("select columename from qry_files  where subscribed=true  and ClassID =3 group by "
                                    "columename"),
                     QStringLiteral("Columename")),
              (QStringList{QStringLiteral("动作"), QStringLiteral("益智游戏")}));
    // Chinese names come before Latin ones.
    EXPECT_EQ(column(QStringLiteral("select columename from qry_FilesLast  where subscribed=true  and ClassID =1 group "
                                    "by columename"),
                     QStringLiteral("columename")),
              (QStringList{QStringLiteral("流行金曲"), QStringLiteral("Rock'n'Roll")}));
    // A view condition narrows the columns to those with matching items.
    EXPECT_EQ(column(QStringLiteral("select columename from qry_files  where hasviewed = true and subscribed=true  and "
                                    "ClassID =3 group by columename"),
                     QStringLiteral("ColumeName")),
              QStringList{QStringLiteral("益智游戏")});
}

TEST_F(Statements, ItemByNumber)
{
    EXPECT_EQ(column(QStringLiteral("select * from qry_files where FileID=3201"), QStringLiteral("DisplayName")),
              QStringList{QStringLiteral("射击1")});
    EXPECT_TRUE(
        column(QStringLiteral("select * from qry_files where FileID=3110"), QStringLiteral("FileID")).isEmpty());
}

TEST_F(Statements, LocalSearch)
{
    using search::kAll;
    using search::localSearchStatement;
    const auto like = [](const QString &kw) { return localSearchStatement(kw, kAll, kAll); };
    EXPECT_EQ(count(like(QStringLiteral("游戏1"))), 10) << "3101 and 3110..3119 less the deleted one";
    EXPECT_EQ(count(like(QString())), 24 + 3 + 3 + 1) << "an empty keyword finds every item";
    EXPECT_EQ(column(like(QStringLiteral("'t S")), QStringLiteral("FileID")), QStringList{QStringLiteral("1201")});
    EXPECT_EQ(count(like(QStringLiteral("don't stop"))), 1) << "like ignores the case of Latin letters";
    EXPECT_EQ(count(localSearchStatement(QStringLiteral("门"), QStringLiteral("MTV精选"), kAll)), 1)
        << "the search does not follow subscriptions";
    EXPECT_EQ(count(localSearchStatement(QString(), kAll, QStringLiteral("Rock'n'Roll"))), 1);
    EXPECT_EQ(count(localSearchStatement(QString(), QStringLiteral("游戏世界"), QStringLiteral("动作"))), 3);
    EXPECT_EQ(count(localSearchStatement(QString(), QStringLiteral("游戏世界"), QStringLiteral("流行金曲"))), 0)
        << "class and column both narrow";
}

TEST_F(Statements, ClassesAndColumnsForTheSearchTree)
{
    EXPECT_EQ(column(QStringLiteral("select * from tb_Class"), QStringLiteral("classname")),
              (QStringList{QStringLiteral("MTV精选"), QStringLiteral("游戏世界")}));
    EXPECT_EQ(column(QStringLiteral("select * from tb_colume where columeparent=3 order by len(columename)"),
                     QStringLiteral("columename")),
              (QStringList{QStringLiteral("动作"), QStringLiteral("益智游戏")}));
}

TEST_F(Statements, RecommendationGroupsAndViews)
{
    EXPECT_EQ(
        column(QStringLiteral("select columename from tb_recommend group by columename"), QStringLiteral("Columename")),
        (QStringList{QStringLiteral("精彩网站"), QStringLiteral("Kid's Corner")}));
    const QString group = quoted(QStringLiteral("精彩网站"));
    EXPECT_EQ(column(QStringLiteral("select * from tb_recommend where columename=") + group +
                         QStringLiteral(" order by ItemID Desc"),
                     QStringLiteral("ItemID")),
              ids(25, 1));
    EXPECT_EQ(column(QStringLiteral("select * from tb_recommend where Favorite = true and columename=") + group +
                         QStringLiteral(" order by ItemID Desc"),
                     QStringLiteral("ItemID")),
              (QStringList{QStringLiteral("25"), QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("10"),
                           QStringLiteral("5")}));
    EXPECT_EQ(column(QStringLiteral("select Top 20 * from tb_recommend where columename=") + group +
                         QStringLiteral(" order by ItemID Desc"),
                     QStringLiteral("ItemID")),
              ids(25, 6));
    EXPECT_EQ(column(QStringLiteral("select Top 20 * from tb_recommend where columename=") +
                         quoted(QStringLiteral("Kid's Corner")) + QStringLiteral(" order by ItemID Desc"),
                     QStringLiteral("Itemname")),
              (QStringList{QStringLiteral("童话屋"), QStringLiteral("儿童乐园")}));
}

TEST_F(Statements, GroupsOfChineseNamesComeInPinyinOrder)
{
    // By code point 游 < 贺 < 阿; by pinyin a < he < you.
    catalogue.exec(QStringLiteral("INSERT INTO tb_Recommend (Columename, Itemname) VALUES ('游戏', 'x'), ('贺卡', 'y'),"
                                  " ('阿里', 'z'), ('贺卡', 'w')"));
    EXPECT_EQ(
        column(QStringLiteral("select columename from tb_recommend group by columename"), QStringLiteral("columename")),
        (QStringList{QStringLiteral("阿里"), QStringLiteral("贺卡"), QStringLiteral("精彩网站"), QStringLiteral("游戏"),
                     QStringLiteral("Kid's Corner")}));
}

TEST_F(Statements, RecommendationWrites)
{
    execute(QStringLiteral("update tb_Recommend set favorite=true where ItemID=26"));
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT Favorite FROM tb_Recommend WHERE ItemID=26")).toInt(), 1);
    execute(QStringLiteral("delete * from tb_Recommend where ItemID=3"));
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_Recommend")).toInt(), 26);
    execute(QStringLiteral("delete * from tb_Recommend where Columename=") + quoted(QStringLiteral("Kid's Corner")));
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_Recommend")).toInt(), 24);
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_Recommend WHERE Columename='精彩网站'")).toInt(),
              24);
}

TEST_F(Statements, UsersAreSavedAndListedNewestFirst)
{
    const auto save = [&](const QString &name, const QString &password, const QString &date) {
        dm.aq_all.close();
        dm.aq_all.setSql(QStringLiteral("select * from tb_users where Username=") + quoted(name));
        dm.aq_all.open();
        if (dm.aq_all.eof()) {
            dm.aq_all.append();
            dm.aq_all.setFieldValue(u"Username", name);
        } else {
            dm.aq_all.edit();
        }
        dm.aq_all.setFieldValue(u"password", password);
        dm.aq_all.setFieldValue(u"savepass", !password.isEmpty());
        dm.aq_all.setFieldValue(u"LoginDate", QDateTime::fromString(date, Qt::ISODate));
        dm.aq_all.post();
        dm.aq_all.close();
    };
    save(QStringLiteral("O'Neil"), QStringLiteral("pw1"), QStringLiteral("2003-03-01T10:00:00"));
    save(QStringLiteral("小明"), QString(), QStringLiteral("2003-03-02T10:00:00"));
    save(QStringLiteral("O'Neil"), QStringLiteral("pw2"), QStringLiteral("2003-03-03T10:00:00"));

    EXPECT_EQ(column(QStringLiteral("select * from tb_users order by logindate desc"), QStringLiteral("username")),
              (QStringList{QStringLiteral("O'Neil"), QStringLiteral("小明")}));
    EXPECT_EQ(column(QStringLiteral("select * from tb_users where Username=") + quoted(QStringLiteral("O'Neil")),
                     QStringLiteral("Password")),
              QStringList{QStringLiteral("pw2")});
    EXPECT_EQ(column(QStringLiteral("select * from tb_users where Username=") + quoted(QStringLiteral("小明")),
                     QStringLiteral("savepass")),
              QStringList{QStringLiteral("0")});
}

TEST_F(Statements, SentCardIsAppended)
{
    dm.aq_all.close();
    dm.aq_all.setSql(QStringLiteral("select Top 1 * from tb_SendCards"));
    dm.aq_all.open();
    EXPECT_TRUE(dm.aq_all.eof());
    dm.aq_all.append();
    dm.aq_all.setFieldValue(u"ToName", QStringLiteral("D'Arcy"));
    dm.aq_all.setFieldValue(u"ToMail", QStringLiteral("darcy@example.invalid"));
    dm.aq_all.setFieldValue(u"FromName", QStringLiteral("小红"));
    dm.aq_all.setFieldValue(u"Tobody", QStringLiteral("生日快乐！\n第二行"));
    dm.aq_all.setFieldValue(u"Filename", QStringLiteral("card.swf"));
    dm.aq_all.setFieldValue(u"SendDate", QDateTime(QDate(2003, 4, 5), QTime(6, 7, 8)));
    dm.aq_all.setFieldValue(u"SendFlag", true);
    dm.aq_all.post();
    dm.aq_all.close();
    EXPECT_EQ(catalogue
                  .scalar(QStringLiteral("SELECT ToName || '|' || Tobody || '|' || SendDate || '|' || SendFlag"
                                         " FROM tb_SendCards"))
                  .toString(),
              QStringLiteral("D'Arcy|生日快乐！\n第二行|2003-04-05 06:07:08|1"));
}

TEST_F(Statements, UnsafeTextCannotRewriteAStatement)
{
    // A keyword that would end the quoted text and add a condition finds
    // only names that really hold it.
    const QString attack = QStringLiteral("' or 1=1 or displayname like '");
    EXPECT_EQ(count(QStringLiteral("select * from qry_files where displayname like ") + quoted(u'%' + attack + u'%')),
              0);
    execute(QStringLiteral("delete * from tb_Recommend where Columename=") + quoted(QStringLiteral("x' or '1'='1")));
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_Recommend")).toInt(), 27);
}

TEST_F(Statements, AFailingStatementRaisesDatabaseError)
{
    for (const char *sql : {"select * from no_such_table", "select * from qry_files where NoSuchField = 1"}) {
        dm.aq_all.setSql(QLatin1String(sql));
        EXPECT_THROW(dm.aq_all.open(), DatabaseError) << sql;
        EXPECT_FALSE(dm.aq_all.active());
    }
    // A walk that fails in its step closes its set all the same.
    EXPECT_THROW(store::eachRow(dm.aq_all, QStringLiteral("select * from tb_Class"),
                                [](store::DataSet &set) { set.fieldByName(u"NoSuchField"); }),
                 DatabaseError);
    EXPECT_FALSE(dm.aq_all.active());
    // The data module goes on working afterwards.
    EXPECT_EQ(count(QStringLiteral("select * from tb_Class")), 2);
}

TEST_F(Statements, JetFormsReadTheRowsOfTheirSqliteForms)
{
    // Each statement as the program writes it, and as SQLite reads it.
    const std::pair<const char *, const char *> forms[] = {
        {"select top 3 * from qry_FilesLast", "select * from qry_FilesLast limit 3"},
        {"SELECT TOP 4 * FROM QRY_FILESLAST WHERE ClassID = 3 and Subscribed = TRUE",
         "select * from qry_FilesLast where ClassID = 3 and Subscribed = 1 limit 4"},
        {"select top 3 * from qry_FilesLast where ClassID = 3 order by FileID",
         "select * from qry_FilesLast where ClassID = 3 order by FileID limit 3"},
        {"select top 2 FileID from qry_FilesLast where ClassID = 1",
         "select FileID from qry_FilesLast where ClassID = 1 limit 2"},
        {"select top 4 * from qry_FilesLast as q where q.ClassID = 3",
         "select * from qry_FilesLast as q where q.ClassID = 3 limit 4"},

        {"select len(classname) as FileID from tb_Class order by len (classname) desc",
         "select length(classname) as FileID from tb_Class order by length(classname) desc"},
        {"select FileID, Hits as len from tb_Files where FileID < 1300 order by len",
         "select FileID from tb_Files where FileID < 1300 order by Hits"},
        {"select ColumeParent as FileID, count(*) as n from tb_Colume group by 1",
         "select ColumeParent as FileID, count(*) as n from tb_Colume group by 1"},
        {"select ColumeParent as FileID from tb_Colume where Subscribed = false group by ColumeParent order by 1 desc",
         "select ColumeParent as FileID from tb_Colume where Subscribed = 0 group by ColumeParent order by 1 desc"},
        {"select top 1 classname as FileID from qry_files group by classname",
         "select classname as FileID from qry_files group by classname order by classname collate PINYIN limit 1"},
        {"select FileID from (select * from qry_filestop where subscribed=true) where FileID > 3120 \n  ",
         "select FileID from qry_filestop where Subscribed = 1 and FileID > 3120"},
    };
    for (const auto &[jet, sqlite] : forms) {
        SCOPED_TRACE(jet);
        QStringList expected;
        QSqlQuery q(dm.ac_info.database());
        ASSERT_TRUE(q.exec(QLatin1String(sqlite))) << q.lastError().text().toStdString();
        while (q.next())
            expected << q.value(0).toString();
        q.finish();
        EXPECT_EQ(column(QLatin1String(jet), QStringLiteral("FileID")), expected);
        EXPECT_EQ(count(QLatin1String(jet)), expected.size());
    }
    // Deleting with and without the star.
    execute(QStringLiteral("delete from tb_Recommend where ItemID <= 20"));
    execute(QStringLiteral("DELETE * FROM tb_Recommend WHERE ItemID > 25"));
    EXPECT_EQ(column(QStringLiteral("select * from tb_Recommend"), QStringLiteral("ItemID")), ids(21, 25));
}

TEST_F(Statements, AnErrorPartwayThroughTheRowsIsRaisedNotTakenForTheEnd)
{
    // True for every item but 3120, where it fails as SQLite reaches it.
    const QString failsAt3120 = QStringLiteral("abs(FileID - 3120 - 9223372036854775807 - 1) > 0");
    const auto fails = [this](store::DataSet &set) {
        try {
            set.open();
            for (; !set.eof(); set.next())
                set.fieldByName(u"FileID");
        } catch (const DatabaseError &e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("overflow"))) << e.text().toStdString();
            set.close();
            return true;
        }
        set.close();
        return false;
    };
    // A query read a page at a time, a result of items read by number, a
    // table read a batch at a time.
    dm.aq_all.setSql(QStringLiteral("select FileID from tb_Files where ") + failsAt3120 +
                     QStringLiteral(" order by FileID"));
    EXPECT_TRUE(fails(dm.aq_all));
    dm.aq_all.setSql(QStringLiteral("select * from qry_files where ") + failsAt3120);
    EXPECT_TRUE(fails(dm.aq_all));
    // A class's list, whose columns' condition fails at the third column.
    dm.aq_all.setSql(QStringLiteral("select * from qry_files where subscribed=true and"
                                    " (abs(ClassID - 3 - 9223372036854775807 - 1) > 0)"));
    EXPECT_TRUE(fails(dm.aq_all));
    dm.cds_FilesInfo.setFilter(failsAt3120);
    dm.cds_FilesInfo.setFiltered(true);
    EXPECT_TRUE(fails(dm.cds_FilesInfo));
    dm.cds_FilesInfo.setFiltered(false);
    EXPECT_FALSE(fails(dm.cds_FilesInfo));
    EXPECT_EQ(count(QStringLiteral("select * from qry_files where FileID <> 3120 and ") + failsAt3120), 24 + 3 + 4 - 1);
}

TEST_F(Statements, NamesThatOnlyLookAlikeAreNeitherEqualNorOrderedByChance)
{
    // The same name composed and decomposed, and with an invisible mark:
    // pinyin order may hold them equal; their bytes then decide.
    const QString decomposed = QStringLiteral("Cafe\u0301");
    const QString composed = QStringLiteral("Caf\u00e9");
    const QString marked = QStringLiteral("Caf\u00e9\u200b");
    for (const QString &name : {marked, composed, decomposed, composed})
        catalogue.exec(
            QStringLiteral("INSERT INTO tb_Recommend (Columename, Itemname) VALUES (%1, 'x')").arg(quoted(name)));
    QStringList groups =
        column(QStringLiteral("select columename from tb_recommend group by columename"), QStringLiteral("columename"));
    groups.removeAll(QStringLiteral("精彩网站"));
    groups.removeAll(QStringLiteral("Kid's Corner"));
    EXPECT_EQ(groups, (QStringList{decomposed, composed, marked}));
    EXPECT_EQ(column(QStringLiteral("select Columename from tb_Recommend where Itemname = 'x'"
                                    " order by Columename collate PINYIN"),
                     QStringLiteral("Columename")),
              (QStringList{decomposed, composed, composed, marked}));
    EXPECT_EQ(count(QStringLiteral("select * from tb_Recommend where Columename = ") + quoted(composed) +
                    QStringLiteral(" collate PINYIN")),
              2);
}

} // namespace
