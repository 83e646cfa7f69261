// Values read the ways the windows read them, the rules of editing and
// appending, locating in a query's result, and filters on queries and tables.
#include "SampleCatalogue.h"

#include "store/DataModule.h"
#include "store/DatabaseError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

class Editing : public ::testing::Test
{
protected:
    Editing() : dm(catalogue.path()) {}
    void SetUp() override { fillSampleCatalogue(catalogue); }

    QString stored(const QString &sql) { return catalogue.scalar(sql).toString(); }

    TempCatalogue catalogue;
    TDM_CDS dm;
};

TEST_F(Editing, FieldsReadTextAsNumbersMarksAndDates)
{
    // Values as older writers left them: marks as words, dates in several forms.
    catalogue.exec(QStringLiteral("INSERT INTO tb_users (Username, password, savepass, LoginDate) VALUES"
                                  " ('a', '42', 'True', '2003-04-05'), ('b', '', ' false ', '2003-04-05 06:07'),"
                                  " ('c', '7x', '', '2003-04-05T06:07:08.000'), ('d', '-3', 'yes', 'someday'),"
                                  " ('e', '0', '1', '2003-04-05 06:07:08')"));
    struct Expected
    {
        QString user;
        std::optional<int> integer;
        std::optional<bool> boolean;
        std::optional<QDateTime> date;
    };
    const QDate day(2003, 4, 5);
    const Expected expected[] = {
        {QStringLiteral("a"), 42, true, QDateTime(day, QTime(0, 0))},
        {QStringLiteral("b"), std::nullopt, false, QDateTime(day, QTime(6, 7))},
        {QStringLiteral("c"), std::nullopt, false, QDateTime(day, QTime(6, 7, 8))},
        {QStringLiteral("d"), -3, std::nullopt, std::nullopt},
        {QStringLiteral("e"), 0, true, QDateTime(day, QTime(6, 7, 8))},
    };
    store::DataSet &users = dm.aq_all;
    users.setSql(QStringLiteral("select * from tb_users order by Username"));
    users.open();
    for (const Expected &e : expected) {
        SCOPED_TRACE(e.user.toStdString());
        ASSERT_FALSE(users.eof());
        ASSERT_EQ(users.fieldByName(u"Username").asString(), e.user);
        const store::Field password = users.fieldByName(u"password");
        if (e.integer) {
            EXPECT_EQ(password.asInteger(), *e.integer);
        } else if (!password.asString().isEmpty()) {
            EXPECT_THROW(password.asInteger(), DatabaseError);
        }
        if (e.boolean) {
            EXPECT_EQ(users.fieldByName(u"savepass").asBoolean(), *e.boolean);
        } else {
            EXPECT_THROW(users.fieldByName(u"savepass").asBoolean(), DatabaseError);
        }
        if (e.date) {
            EXPECT_EQ(users.fieldByName(u"LoginDate").asDateTime(), *e.date);
        } else {
            EXPECT_THROW(users.fieldByName(u"LoginDate").asDateTime(), DatabaseError);
        }
        users.next();
    }
    EXPECT_TRUE(users.eof());

    // NULL reads as nothing in every way.
    users.setSql(QStringLiteral("select max(Hits) as Most from tb_Files where FileID < 0"));
    users.open();
    const store::Field null = users.fieldByName(u"Most");
    EXPECT_TRUE(null.isNull());
    EXPECT_TRUE(null.asString().isNull());
    EXPECT_EQ(null.asInteger(), 0);
    EXPECT_FALSE(null.asBoolean());
    EXPECT_FALSE(null.asDateTime().isValid());
}

TEST_F(Editing, ChangesAreHeldUntilPostedAndStoredAsTheCatalogueKeepsThem)
{
    store::DataSet &cards = dm.aq_all;
    cards.setSql(QStringLiteral("select * from tb_SendCards"));
    cards.open();
    EXPECT_EQ(cards.recordCount(), 0);
    EXPECT_THROW(cards.setFieldValue(u"ToName", QStringLiteral("甲")), DatabaseError) << "not editing";

    cards.append();
    EXPECT_TRUE(cards.fieldByName(u"ToName").isNull()) << "a new row starts empty";
    const QDateTime sent(QDate(2003, 4, 5), QTime(6, 7, 8));
    cards.setFieldValue(u"toname", QStringLiteral("甲"));
    cards.setFieldValue(u"ToName", QStringLiteral("乙"));
    cards.setFieldValue(u"SendDate", sent);
    cards.setFieldValue(u"SendFlag", true);
    EXPECT_THROW(cards.setFieldValue(u"NoSuchField", 1), DatabaseError);
    // The pending values are what the row reads until it is posted.
    EXPECT_EQ(cards.fieldByName(u"ToName").asString(), QStringLiteral("乙"));
    EXPECT_EQ(cards.fieldByName(u"SendDate").asDateTime(), sent);
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM tb_SendCards")), QStringLiteral("0"));
    cards.post();
    EXPECT_EQ(cards.recordCount(), 1);
    EXPECT_EQ(stored(QStringLiteral("SELECT ToName || '|' || SendDate || '|' || SendFlag FROM tb_SendCards")),
              QStringLiteral("乙|2003-04-05 06:07:08|1"));

    // A cancelled edit writes nothing and the row reads as stored again; an
    // edit without changes posts nothing.
    cards.edit();
    cards.setFieldValue(u"ToName", QStringLiteral("丙"));
    cards.cancel();
    EXPECT_EQ(cards.fieldByName(u"ToName").asString(), QStringLiteral("乙"));
    cards.edit();
    cards.post();
    EXPECT_EQ(cards.state(), store::DataSet::State::Browse);
    cards.edit();
    cards.setFieldValue(u"SendDate", QDate(2004, 1, 2));
    cards.setFieldValue(u"Tobody", QString());
    cards.post();
    EXPECT_EQ(stored(QStringLiteral("SELECT ToName || '|' || SendDate || '|' || quote(Tobody) FROM tb_SendCards")),
              QStringLiteral("乙|2004-01-02|''"));
    cards.close();

    // A row appended with no values takes the table's defaults and its key.
    dm.at_Adver.open();
    dm.at_Adver.append();
    dm.at_Adver.post();
    EXPECT_GT(dm.at_Adver.fieldByName(u"AdverID").asInteger(), 0);
    EXPECT_EQ(dm.at_Adver.fieldByName(u"Context").asString(), QStringLiteral(""));
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM tb_Adver")), QStringLiteral("1"));

    // Rows that cannot be told apart are not written: a table the program
    // does not update, a result without its table's key.
    for (const char *sql : {"select * from tb_ColumeCounts", "select ColumeName, Subscribed from tb_Colume"}) {
        SCOPED_TRACE(sql);
        cards.setSql(QLatin1String(sql));
        cards.open();
        ASSERT_FALSE(cards.eof());
        cards.edit();
        cards.setFieldValue(cards.fieldNames().last(), 0);
        EXPECT_THROW(cards.post(), DatabaseError);
    }
    EXPECT_EQ(stored(QStringLiteral(
                  "SELECT group_concat(Subscribed, '') FROM (SELECT Subscribed FROM tb_Colume ORDER BY ColumeID)")),
              QStringLiteral("11011"));
    EXPECT_EQ(stored(QStringLiteral("SELECT min(Items) FROM tb_ColumeCounts")), QStringLiteral("1"));

    // A statement run on an open data set closes it first.
    cards.setSql(QStringLiteral("select * from tb_Class"));
    cards.open();
    cards.setSql(QStringLiteral("delete * from tb_Adver"));
    cards.execSql();
    EXPECT_FALSE(cards.active());
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM tb_Adver")), QStringLiteral("0"));
    cards.setSql(QStringLiteral("  "));
    EXPECT_THROW(cards.open(), DatabaseError) << "no statement";
}

TEST_F(Editing, LocateSearchesAQueryResultRowByRow)
{
    for (const char *sql : {"select * from qry_files where ClassID = 3", // read by item number
                            "select FileID, ColumeName, DisplayName, HasViewed from qry_files where ClassID = 3"}) {
        SCOPED_TRACE(sql);
        store::DataSet &set = dm.aq_all;
        set.setSql(QLatin1String(sql));
        set.open();
        QList<int> rows;
        for (; !set.eof(); set.next())
            rows << set.fieldByName(u"FileID").asInteger();
        ASSERT_EQ(rows.size(), 27);
        const auto current = [&set] { return set.eof() ? -1 : set.fieldByName(u"FileID").asInteger(); };
        const auto after = [&rows](int id) { return rows.value(rows.indexOf(id) + 1, -1); };

        // Several fields, a text and a mark.
        ASSERT_TRUE(
            set.locate(QStringLiteral("ColumeName; DisplayName"), {QStringLiteral("动作"), QStringLiteral("射击2")}));
        EXPECT_EQ(current(), 3202);
        set.next();
        EXPECT_EQ(current(), after(3202)) << "the walk goes on from the located row";
        ASSERT_TRUE(set.locate(QStringLiteral("HasViewed"), {true}));
        set.moveBy(0);
        EXPECT_EQ(current(), 3105);

        // A value that no row has changes nothing, at a row or at the end.
        set.first();
        set.moveBy(2);
        EXPECT_FALSE(set.locate(QStringLiteral("DisplayName"), {QStringLiteral("没有")}));
        EXPECT_EQ(current(), rows.at(2));
        set.next();
        EXPECT_EQ(current(), rows.at(3));
        set.moveBy(100);
        ASSERT_TRUE(set.eof());
        EXPECT_FALSE(set.locate(QStringLiteral("FileID"), {3110})) << "deleted";
        set.next();
        EXPECT_TRUE(set.eof());

        EXPECT_THROW(set.locate(QStringLiteral("FileID;ColumeName"), {3101}), DatabaseError);
        EXPECT_THROW(set.locate(QStringLiteral(";"), {}), DatabaseError);
        EXPECT_THROW(set.locate(QStringLiteral("Hits"), {1}), DatabaseError);
        set.close();
    }
}

TEST_F(Editing, FiltersNarrowQueriesAndLongTables)
{
    // A query with a filter: its rows and its count.
    store::DataSet &columns = dm.aq_all;
    columns.setSql(QStringLiteral("select * from tb_Colume"));
    columns.setFilter(QStringLiteral("Subscribed = true and ColumeParent <> 3"));
    columns.setFiltered(true);
    columns.open();
    QStringList names;
    for (; !columns.eof(); columns.next())
        names << columns.fieldByName(u"ColumeName").asString();
    EXPECT_EQ(names, (QStringList{QStringLiteral("流行金曲"), QStringLiteral("Rock'n'Roll")}));
    EXPECT_EQ(columns.recordCount(), 2);
    columns.setFiltered(false);
    columns.open();
    EXPECT_EQ(columns.recordCount(), 5);
    columns.close();

    // A table longer than a read-ahead batch, with a filter: walked whole,
    // and moves after a locate count only the rows inside the filter.
    catalogue.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300)"
                                  " INSERT INTO tb_Files (FileID, ColumeID, UploadDate) SELECT 6000 + i,"
                                  " CASE WHEN i % 3 = 0 THEN 11 ELSE 32 END, '2004-01-01' FROM n"));
    store::DataSet &items = dm.cds_FilesInfo;
    items.setFilter(QStringLiteral("ColumeID = 32 and FileID > 3000"));
    items.setFiltered(true);
    items.open();
    QList<int> walked;
    for (; !items.eof(); items.next())
        walked << items.fieldByName(u"FileID").asInteger();
    ASSERT_EQ(walked.size(), 3 + 200);
    EXPECT_EQ(items.recordCount(), walked.size());
    EXPECT_TRUE(std::is_sorted(walked.begin(), walked.end()));
    for (const int located : {6100, 6002}) {
        ASSERT_TRUE(items.locate(QStringLiteral("FileID"), {located}));
        items.moveBy(-2);
        EXPECT_EQ(items.fieldByName(u"FileID").asInteger(), walked.at(walked.indexOf(located) - 2));
        items.moveBy(70);
        EXPECT_EQ(items.fieldByName(u"FileID").asInteger(), walked.at(walked.indexOf(located) + 68));
    }
    EXPECT_FALSE(items.locate(QStringLiteral("FileID"), {6003})) << "outside the filter";
    items.close();
}

} // namespace
