// The ways of access the windows use: fields by name, counting and skipping,
// writing through a list result, locating, filtering.
#include "SampleCatalogue.h"

#include "store/DataModule.h"
#include "store/DatabaseError.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

class DataSets : public ::testing::Test
{
protected:
    DataSets() : dm(catalogue.path()) {}
    void SetUp() override { fillSampleCatalogue(catalogue); }

    int flag(int fileId, const char *field)
    {
        return catalogue
            .scalar(QStringLiteral("SELECT %1 FROM tb_Files WHERE FileID=%2").arg(QLatin1String(field)).arg(fileId))
            .toInt();
    }

    TempCatalogue catalogue;
    TDM_CDS dm;
};

TEST_F(DataSets, FieldNamesResolveWithoutRegardToCase)
{
    dm.aq_all.setSql(QStringLiteral("select * from qry_files where FileID=1201"));
    dm.aq_all.open();
    EXPECT_EQ(dm.aq_all.fieldByName(u"ColumeName").asString(), QStringLiteral("Rock'n'Roll"));
    EXPECT_EQ(dm.aq_all.fieldByName(u"Columename").asString(), QStringLiteral("Rock'n'Roll"));
    EXPECT_FALSE(dm.aq_all.fieldByName(u"HasDownloaded").asBoolean());
    EXPECT_FALSE(dm.aq_all.fieldByName(u"Hasdownloaded").asBoolean());
    EXPECT_EQ(dm.aq_all.fieldByName(u"fileid").asInteger(), 1201);
    EXPECT_EQ(dm.aq_all.fieldByName(u"UploadDate").asDateTime(), QDateTime(QDate(2002, 6, 1), QTime(12, 0)));
    EXPECT_THROW(dm.aq_all.fieldByName(u"NoSuchField"), DatabaseError);
    dm.aq_all.close();

    catalogue.exec(QStringLiteral("INSERT INTO tb_users (Username, password) VALUES ('Bob', 'x')"));
    dm.aq_all.setSql(QStringLiteral("select * from tb_users where Username='bob'"));
    dm.aq_all.open();
    EXPECT_TRUE(dm.aq_all.eof()) << "user names match exactly";
    dm.aq_all.setSql(QStringLiteral("select * from tb_users where Username='Bob'"));
    dm.aq_all.open();
    ASSERT_FALSE(dm.aq_all.eof());
    EXPECT_EQ(dm.aq_all.fieldByName(u"username").asString(), QStringLiteral("Bob"));
    EXPECT_EQ(dm.aq_all.fieldByName(u"Username").asString(), QStringLiteral("Bob"));
}

TEST_F(DataSets, CountSkipAndWalk)
{
    dm.aq_all.setSql(QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =3"));
    dm.aq_all.open();
    EXPECT_EQ(dm.aq_all.recordCount(), 27);
    // Rows 21..27, column by column and newest first: the four oldest of
    // column 31 (3110 is deleted), then column 32's three.
    dm.aq_all.moveBy(20);
    QStringList rest;
    while (!dm.aq_all.eof()) {
        rest << dm.aq_all.fieldByName(u"FileID").asString();
        dm.aq_all.next();
    }
    EXPECT_EQ(rest, (QStringList{QStringLiteral("3104"), QStringLiteral("3103"), QStringLiteral("3102"),
                                 QStringLiteral("3101"), QStringLiteral("3203"), QStringLiteral("3202"),
                                 QStringLiteral("3201")}));
    dm.aq_all.first();
    EXPECT_EQ(dm.aq_all.fieldByName(u"FileID").asInteger(), 3125);
    dm.aq_all.moveBy(500); // beyond the end
    EXPECT_TRUE(dm.aq_all.eof());
    EXPECT_EQ(dm.aq_all.recordCount(), 27);
    dm.aq_all.close();
    EXPECT_THROW(dm.aq_all.recordCount(), DatabaseError);
}

TEST_F(DataSets, SkippingALongWayUsesTheSameOrder)
{
    for (int i = 0; i < 150; ++i) {
        catalogue.addItem(5000 + i, 32, QStringLiteral("批量%1").arg(i),
                          QStringLiteral("2001-01-01 00:%1:%2")
                              .arg(i / 60, 2, 10, QLatin1Char('0'))
                              .arg(i % 60, 2, 10, QLatin1Char('0')));
    }
    dm.aq_all.setSql(QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =3"));
    dm.aq_all.open();
    QStringList walked;
    while (!dm.aq_all.eof()) {
        walked << dm.aq_all.fieldByName(u"FileID").asString();
        dm.aq_all.next();
    }
    ASSERT_EQ(walked.size(), 177);
    dm.aq_all.first();
    dm.aq_all.moveBy(170);
    EXPECT_EQ(dm.aq_all.fieldByName(u"FileID").asString(), walked.at(170));
    dm.aq_all.moveBy(-100);
    EXPECT_EQ(dm.aq_all.fieldByName(u"FileID").asString(), walked.at(70));
}

TEST_F(DataSets, TheCountIsTheNumberOfRowsWalked)
{
    // Items whose column is gone are still rows of the stored queries.
    catalogue.exec(QStringLiteral("DELETE FROM tb_Colume WHERE ColumeID = 11"));
    const auto countAndWalk = [&](const QString &sql) {
        dm.aq_all.setSql(sql);
        dm.aq_all.open();
        const int counted = dm.aq_all.recordCount();
        int walked = 0;
        for (; !dm.aq_all.eof(); dm.aq_all.next())
            ++walked;
        dm.aq_all.close();
        return std::pair{counted, walked};
    };
    EXPECT_EQ(countAndWalk(QStringLiteral("select FileID from qry_FilesLast where ColumeName is null")),
              std::pair(2, 2));
    for (const char *sql :
         {"select FileID from qry_FilesLast", "select FileID, HasViewed from qry_FilesRecent",
          "select FileID from qry_filestop", "select FileID from qry_files", "select * from qry_FilesLast",
          "select top 5 FileID from qry_FilesLast", "select * from tb_Files", "select * from tb_Colume"}) {
        const auto [counted, walked] = countAndWalk(QLatin1String(sql));
        EXPECT_EQ(counted, walked) << sql;
    }

    // The first rows of an unordered search are the ones it walks: each once,
    // as many as asked for (the site's search asks for 101 to see if there
    // are more than 100).
    for (int top : {5, 30}) {
        dm.aq_all.setSql(
            QStringLiteral("select top %1 * from qry_files where displayname like '%%' escape '\\'").arg(top));
        dm.aq_all.open();
        QSet<int> seen;
        for (; !dm.aq_all.eof(); dm.aq_all.next())
            seen.insert(dm.aq_all.fieldByName(u"FileID").asInteger());
        EXPECT_EQ(dm.aq_all.recordCount(), top);
        EXPECT_EQ(seen.size(), top);
        dm.aq_all.close();
    }
}

TEST_F(DataSets, MovesKeepTheirPlaceAfterALocateAndStopAtTheEnd)
{
    for (int id : {14, 15, 16})
        catalogue.addColumn(id, 1, QStringLiteral("栏目%1").arg(id));
    // The table in order: 11 12 13 14 15 16 31 32.
    auto &columns = dm.cds_ColumeInfo;
    const auto current = [&] { return columns.eof() ? -1 : columns.fieldByName(u"ColumeID").asInteger(); };
    columns.open();
    ASSERT_TRUE(columns.locate(QStringLiteral("ColumeID"), {15}));
    columns.moveBy(-1);
    EXPECT_EQ(current(), 14);
    ASSERT_TRUE(columns.locate(QStringLiteral("ColumeID"), {15}));
    columns.next();
    columns.moveBy(-3);
    EXPECT_EQ(current(), 13);
    ASSERT_TRUE(columns.locate(QStringLiteral("ColumeID"), {31}));
    columns.moveBy(-100);
    EXPECT_EQ(current(), 11) << "before the start is the first row";
    ASSERT_TRUE(columns.locate(QStringLiteral("ColumeID"), {12}));
    columns.moveBy(100);
    EXPECT_TRUE(columns.eof());
    columns.moveBy(-3);
    EXPECT_EQ(current(), 16);
    columns.close();

    // Past the end is the end, for every step size: a table, a result of
    // items and any other query.
    const auto walk = [](store::DataSet &set) {
        QList<int> out;
        for (set.first(); !set.eof(); set.next())
            out << set.fieldByName(u"FileID").asInteger();
        return out;
    };
    dm.aq_all.setSql(QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =3"));
    dm.aq_all2.setSql(QStringLiteral("select FileID, DisplayName from qry_files where ClassID = 3"));
    for (store::DataSet *set : {&dm.cds_FilesInfo, &dm.aq_all, &dm.aq_all2}) {
        set->open();
        const QList<int> rows = walk(*set);
        ASSERT_GT(rows.size(), 20) << set->name().toStdString();
        for (int step : {1, 30, 64, 65, 100, 5000}) {
            set->first();
            set->moveBy(int(rows.size()) - 1);
            set->moveBy(step);
            EXPECT_TRUE(set->eof()) << set->name().toStdString() << " " << step;
            set->moveBy(-3);
            ASSERT_FALSE(set->eof()) << set->name().toStdString() << " " << step;
            EXPECT_EQ(set->fieldByName(u"FileID").asInteger(), rows.at(rows.size() - 3))
                << set->name().toStdString() << " " << step;
        }
        set->close();
    }
}

TEST_F(DataSets, AnEditRightAfterAnAppendWritesTheNewRow)
{
    dm.cds_ColumeInfo.open();
    dm.cds_ColumeInfo.append();
    dm.cds_ColumeInfo.setFieldValue(u"ColumeID", 77);
    dm.cds_ColumeInfo.setFieldValue(u"ColumeName", QStringLiteral("old"));
    dm.cds_ColumeInfo.setFieldValue(u"ColumeParent", 3);
    dm.cds_ColumeInfo.post();
    EXPECT_TRUE(dm.cds_ColumeInfo.fieldByName(u"Subscribed").asBoolean()) << "the stored default is read back";
    dm.cds_ColumeInfo.edit();
    dm.cds_ColumeInfo.setFieldValue(u"ColumeName", QStringLiteral("new"));
    dm.cds_ColumeInfo.post();
    dm.cds_ColumeInfo.close();
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT ColumeName FROM tb_Colume WHERE ColumeID = 77")).toString(),
              QStringLiteral("new"));
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_Colume")).toInt(), 6);

    // Through a query: the table numbers the new card, and the edit finds it.
    dm.aq_all.setSql(QStringLiteral("select Top 1 * from tb_SendCards"));
    dm.aq_all.open();
    dm.aq_all.append();
    dm.aq_all.setFieldValue(u"ToName", QStringLiteral("甲"));
    dm.aq_all.post();
    EXPECT_GT(dm.aq_all.fieldByName(u"CardID").asInteger(), 0);
    dm.aq_all.edit();
    dm.aq_all.setFieldValue(u"ToName", QStringLiteral("乙"));
    dm.aq_all.post();
    dm.aq_all.close();
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT group_concat(ToName) FROM tb_SendCards")).toString(),
              QStringLiteral("乙"));
}

TEST_F(DataSets, HasDownloadedIsWrittenThroughAListResult)
{
    // As the list filler does: edit the current row of a stored-query result.
    dm.aq_all.setSql(QStringLiteral("select * from qry_files  where hasdownloaded = false and subscribed=true  and "
                                    "ClassID =3"));
    dm.aq_all.open();
    QList<int> written;
    for (int i = 0; i < 3 && !dm.aq_all.eof(); ++i) {
        written << dm.aq_all.fieldByName(u"FileID").asInteger();
        dm.aq_all.edit();
        dm.aq_all.setFieldValue(u"Hasdownloaded", true);
        dm.aq_all.post();
        EXPECT_TRUE(dm.aq_all.fieldByName(u"HasDownloaded").asBoolean());
        dm.aq_all.next();
    }
    // The walk went on past the written rows without meeting them again.
    EXPECT_EQ(written, (QList<int>{3125, 3124, 3123}));
    EXPECT_EQ(dm.aq_all.fieldByName(u"FileID").asInteger(), 3122);
    dm.aq_all.close();
    for (int id : written)
        EXPECT_EQ(flag(id, "HasDownloaded"), 1);
    EXPECT_EQ(flag(3122, "HasDownloaded"), 0);

    // Any other column of a stored query is read-only.
    dm.aq_all.setSql(QStringLiteral("select * from qry_files where FileID=1101"));
    dm.aq_all.open();
    dm.aq_all.edit();
    dm.aq_all.setFieldValue(u"DisplayName", QStringLiteral("改名"));
    EXPECT_THROW(dm.aq_all.post(), DatabaseError);
}

TEST_F(DataSets, EveryStoredQueryTakesTheDownloadMark)
{
    for (const char *query : {"qry_files", "qry_FilesLast", "qry_FilesRecent", "qry_filestop"}) {
        catalogue.exec(QStringLiteral("UPDATE tb_Files SET HasDownloaded = 0"));
        dm.aq_all.setSql(QStringLiteral("select top 1 * from %1  where subscribed=true").arg(QLatin1String(query)));
        dm.aq_all.open();
        ASSERT_FALSE(dm.aq_all.eof()) << query;
        const int id = dm.aq_all.fieldByName(u"FileID").asInteger();
        dm.aq_all.edit();
        dm.aq_all.setFieldValue(u"HasDownloaded", true);
        dm.aq_all.post();
        dm.aq_all.close();
        EXPECT_EQ(flag(id, "HasDownloaded"), 1) << query;
    }
}

TEST_F(DataSets, ExposesTheThirteenColumns)
{
    const QStringList expected = {
        QStringLiteral("FileID"),       QStringLiteral("DisplayName"), QStringLiteral("Filename"),
        QStringLiteral("URL"),          QStringLiteral("FileDesc"),    QStringLiteral("Owner"),
        QStringLiteral("UploadDate"),   QStringLiteral("ColumeName"),  QStringLiteral("ClassID"),
        QStringLiteral("classname"),    QStringLiteral("Subscribed"),  QStringLiteral("HasViewed"),
        QStringLiteral("HasDownloaded")};
    for (const char *query : {"qry_files", "qry_FilesLast", "qry_FilesRecent", "qry_filestop"}) {
        dm.aq_all.setSql(QStringLiteral("select * from %1").arg(QLatin1String(query)));
        dm.aq_all.open();
        EXPECT_EQ(dm.aq_all.fieldNames(), expected) << query;
        dm.aq_all.close();
    }
}

TEST_F(DataSets, LocateThatFailsKeepsTheCurrentRow)
{
    dm.cds_ColumeInfo.open();
    ASSERT_TRUE(dm.cds_ColumeInfo.locate(QStringLiteral("ColumeID"), {31}));
    EXPECT_EQ(dm.cds_ColumeInfo.fieldByName(u"ColumeName").asString(), QStringLiteral("益智游戏"));
    EXPECT_FALSE(dm.cds_ColumeInfo.locate(QStringLiteral("ColumeID"), {77}));
    EXPECT_EQ(dm.cds_ColumeInfo.fieldByName(u"ColumeName").asString(), QStringLiteral("益智游戏"));
    dm.cds_ColumeInfo.next();
    EXPECT_EQ(dm.cds_ColumeInfo.fieldByName(u"ColumeID").asInteger(), 32) << "walking goes on after the located row";
}

TEST_F(DataSets, ColumnFilterOnTheTableComponent)
{
    const auto names = [&] {
        dm.cds_ColumeInfo.close();
        dm.cds_ColumeInfo.open();
        QStringList out;
        while (!dm.cds_ColumeInfo.eof()) {
            out << dm.cds_ColumeInfo.fieldByName(u"ColumeName").asString();
            dm.cds_ColumeInfo.next();
        }
        return out;
    };
    dm.cds_ColumeInfo.setFiltered(true);
    dm.cds_ColumeInfo.setFilter(QStringLiteral("ColumeParent='3'"));
    EXPECT_EQ(names(), (QStringList{QStringLiteral("益智游戏"), QStringLiteral("动作")}));
    dm.cds_ColumeInfo.setFilter(QStringLiteral("ColumeParent='1'"));
    EXPECT_EQ(names(),
              (QStringList{QStringLiteral("流行金曲"), QStringLiteral("Rock'n'Roll"), QStringLiteral("冷门")}));
    EXPECT_EQ(dm.cds_ColumeInfo.recordCount(), 3);
    // A locate only finds rows inside the filter.
    EXPECT_FALSE(dm.cds_ColumeInfo.locate(QStringLiteral("ColumeID"), {31}));
    dm.cds_ColumeInfo.setFiltered(false);
    EXPECT_EQ(names().size(), 5);
    EXPECT_TRUE(dm.cds_ColumeInfo.locate(QStringLiteral("ColumeID"), {31}));
    dm.cds_ColumeInfo.close();
}

TEST_F(DataSets, SubscribingAColumnChangesTheLists)
{
    dm.cds_ColumeInfo.open();
    ASSERT_TRUE(dm.cds_ColumeInfo.locate(QStringLiteral("ColumeID"), {13}));
    dm.cds_ColumeInfo.edit();
    dm.cds_ColumeInfo.setFieldValue(u"Subscribed", true);
    dm.cds_ColumeInfo.post();
    ASSERT_TRUE(dm.cds_ColumeInfo.locate(QStringLiteral("ColumeID"), {31}));
    dm.cds_ColumeInfo.edit();
    dm.cds_ColumeInfo.setFieldValue(u"Subscribed", false);
    dm.cds_ColumeInfo.post();
    dm.cds_ColumeInfo.close();

    dm.aq_all.setSql(QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =1"));
    dm.aq_all.open();
    EXPECT_EQ(dm.aq_all.recordCount(), 4);
    dm.aq_all.setSql(QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =3"));
    dm.aq_all.open();
    EXPECT_EQ(dm.aq_all.recordCount(), 3);
    dm.aq_all.setSql(QStringLiteral("select top 10 * from qry_FilesLast  where subscribed=true  and ClassID =3"));
    dm.aq_all.open();
    EXPECT_EQ(dm.aq_all.recordCount(), 3);
    dm.aq_all.setSql(QStringLiteral("select top 1 * from qry_filestop  where subscribed=true"));
    dm.aq_all.open();
    EXPECT_EQ(dm.aq_all.fieldByName(u"FileID").asInteger(), 1301);
}

TEST_F(DataSets, AdvertisementsWalkRowByRow)
{
    catalogue.exec(QStringLiteral("INSERT INTO tb_Adver (Context, URL) VALUES ('一', 'u1'), ('二', 'u2')"));
    dm.at_Adver.open();
    EXPECT_EQ(dm.at_Adver.fieldByName(u"Context").asString(), QStringLiteral("一"));
    dm.at_Adver.next();
    EXPECT_EQ(dm.at_Adver.fieldByName(u"URL").asString(), QStringLiteral("u2"));
    dm.at_Adver.next();
    EXPECT_TRUE(dm.at_Adver.eof());
    dm.at_Adver.first();
    EXPECT_EQ(dm.at_Adver.fieldByName(u"Context").asString(), QStringLiteral("一"));
}

TEST_F(DataSets, ReadingAtTheEndOrWithoutOpeningIsAnError)
{
    EXPECT_THROW(dm.aq_all.fieldByName(u"FileID"), DatabaseError);
    dm.aq_all.setSql(QStringLiteral("select * from qry_files where FileID=-1"));
    dm.aq_all.open();
    EXPECT_TRUE(dm.aq_all.eof());
    EXPECT_EQ(dm.aq_all.recordCount(), 0);
    EXPECT_TRUE(dm.aq_all.hasField(u"displayname"));
    EXPECT_THROW(dm.aq_all.fieldByName(u"DisplayName"), DatabaseError);
    EXPECT_THROW(dm.aq_all.edit(), DatabaseError);
}

} // namespace
