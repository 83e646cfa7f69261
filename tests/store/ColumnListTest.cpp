// A list of columns' items (a class's list and its views) is counted from the
// columns' counts and read column by column. It gives the rows a plain
// reading gives, at every place and from either end, while the program
// writes marks through it; and the counts follow every kind of write.
#include "SampleCatalogue.h"

#include "store/DataModule.h"
#include "store/JetSql.h"
#include "store/Schema.h"

#include <QSqlDatabase>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class ColumnLists : public ::testing::Test
{
protected:
    ColumnLists() : dm(catalogue.path()) {}

    void SetUp() override
    {
        fillSampleCatalogue(catalogue);
        // Enough items for several read-ahead batches in each column, some
        // uploaded at the same moment, some marked, some deleted.
        catalogue.exec(QStringLiteral("BEGIN"));
        for (int i = 0; i < 900; ++i) {
            catalogue.addItem(5000 + i, i % 3 == 0 ? 32 : (i % 3 == 1 ? 31 : 11), QStringLiteral("条目%1").arg(i),
                              QStringLiteral("2004-%1-01 10:00:00").arg(1 + i / 90, 2, 10, QLatin1Char('0')), i,
                              i % 5 == 0, i % 7 == 0, i % 11 == 0);
        }
        catalogue.exec(QStringLiteral("COMMIT"));
    }

    // The rows of a statement in the lists' order: column by column, each
    // column's newest first.
    QList<qint64> plainReading(const QString &jet)
    {
        QList<qint64> ids;
        store::eachRow(dm.aq_all2,
                       QStringLiteral("select FileID from (%1) order by ColumeID, UploadDate desc, FileID desc")
                           .arg(store::translateJet(jet)),
                       [&ids](store::DataSet &q) { ids << q.fieldByName(u"FileID").asInteger(); });
        return ids;
    }

    QList<qint64> walkFrom(int place, int rows)
    {
        dm.aq_all.first();
        if (place > 0)
            dm.aq_all.moveBy(place);
        QList<qint64> ids;
        for (; ids.size() < rows && !dm.aq_all.eof(); dm.aq_all.next())
            ids << dm.aq_all.fieldByName(u"FileID").asInteger();
        return ids;
    }

    // Every column's counts as the items give them, and as kept.
    QString countsDisagreeing()
    {
        const QString recount = QStringLiteral(
            "SELECT ColumeID, count(*) AS Items, sum(HasViewed = 1) AS Viewed, sum(HasViewed = 0) AS Unviewed,"
            " sum(HasDownloaded = 1) AS Downloaded, sum(HasDownloaded = 0) AS Undownloaded"
            " FROM tb_Files WHERE Deleted = 0 GROUP BY ColumeID");
        const QString kept = QStringLiteral("SELECT * FROM tb_ColumeCounts WHERE Items <> 0 OR Viewed <> 0"
                                            " OR Unviewed <> 0 OR Downloaded <> 0 OR Undownloaded <> 0");
        return catalogue
            .scalar(QStringLiteral("SELECT group_concat(ColumeID) FROM (SELECT * FROM (%1) EXCEPT SELECT * FROM (%2)"
                                   " UNION SELECT * FROM (%2) EXCEPT SELECT * FROM (%1))")
                        .arg(recount, kept))
            .toString();
    }

    TempCatalogue catalogue;
    TDM_CDS dm;
};

TEST_F(ColumnLists, EveryPlaceFromEitherEndHoldsThePlainReadingsRow)
{
    const QStringList views = {QString(), QStringLiteral("hasviewed = true and "),
                               QStringLiteral("hasviewed = false and "), QStringLiteral("hasdownloaded = true and "),
                               QStringLiteral("hasdownloaded = false and ")};
    const QStringList narrowings = {QString(),
                                    QStringLiteral("  and ClassID =3"),
                                    QStringLiteral("  and ClassID =1"),
                                    QStringLiteral("  and ClassID =3  and Columename='动作'"),
                                    QStringLiteral("  and Columename='Rock''n''Roll'"),
                                    QStringLiteral("  and ClassID =7")};
    int lists = 0;
    for (const QString &view : views) {
        for (const QString &narrowing : narrowings) {
            const QString jet = QStringLiteral("select * from qry_files  where ") + view +
                                QStringLiteral("subscribed=true") + narrowing;
            const QList<qint64> plain = plainReading(jet);
            dm.aq_all.setSql(jet);
            dm.aq_all.open();
            ASSERT_EQ(dm.aq_all.recordCount(), plain.size()) << qPrintable(jet);
            EXPECT_EQ(walkFrom(0, int(plain.size()) + 1), plain) << qPrintable(jet);
            // Pages of ten anywhere, the last ones read from the far end.
            for (int place = 0; place < plain.size(); place += 13)
                ASSERT_EQ(walkFrom(place, 10), plain.mid(place, 10)) << qPrintable(jet) << " at " << place;
            EXPECT_TRUE(walkFrom(int(plain.size()), 1).isEmpty());
            dm.aq_all.close();
            lists += plain.isEmpty() ? 0 : 1;
        }
    }
    EXPECT_GE(lists, 20);

    // Statements of another shape are read the plain way, and still agree.
    for (const char *jet :
         {"select * from qry_files where hasviewed = true or ClassID = 3 and subscribed=true",
          "select * from qry_files where hasviewed = true and hasdownloaded = false and subscribed=true",
          "select * from qry_files where FileID > 5100 and subscribed=true and ClassID =3",
          "select * from qry_files where not hasviewed = true and subscribed=true",
          "select * from qry_files where subscribed=true and (ClassID = 3 or ClassID = 1) and hasdownloaded = false",
          "select * from qry_files where subscribed=true and ClassID in (1, 3) and hasviewed = true",
          "select * from qry_files where subscribed=true and (ClassID = 3 and FileID > 5100)",
          "select * from qry_files where subscribed=true and hasviewed > 0 and ClassID = 3",
          "select * from qry_files where subscribed=true and hasdownloaded = 2",
          "select * from qry_files where subscribed=true and hasviewed = 1 is not null"}) {
        QList<qint64> plain = plainReading(QLatin1String(jet));
        dm.aq_all.setSql(QLatin1String(jet));
        dm.aq_all.open();
        ASSERT_EQ(dm.aq_all.recordCount(), plain.size()) << jet;
        QList<qint64> walked = walkFrom(0, int(plain.size()) + 1);
        std::sort(plain.begin(), plain.end());
        std::sort(walked.begin(), walked.end());
        EXPECT_EQ(walked, plain) << jet;
        dm.aq_all.close();
    }
}

TEST_F(ColumnLists, MarksWrittenWhileWalkingMoveNoRow)
{
    // Marking each row of "not downloaded" as downloaded takes it out of the
    // view; the walk still meets every row once, in order.
    const QString jet = QStringLiteral("select * from qry_files  where hasdownloaded = false and subscribed=true");
    const QList<qint64> plain = plainReading(jet);
    ASSERT_GT(plain.size(), 200);
    dm.aq_all.setSql(jet);
    dm.aq_all.open();
    QList<qint64> walked;
    for (; !dm.aq_all.eof(); dm.aq_all.next()) {
        walked << dm.aq_all.fieldByName(u"FileID").asInteger();
        dm.aq_all.edit();
        dm.aq_all.setFieldValue(u"HasDownloaded", true);
        dm.aq_all.post();
    }
    EXPECT_EQ(walked, plain);
    EXPECT_EQ(dm.aq_all.recordCount(), plain.size());
    dm.aq_all.open();
    EXPECT_EQ(dm.aq_all.recordCount(), 0);
    EXPECT_TRUE(dm.aq_all.eof());
    dm.aq_all.close();
    EXPECT_EQ(countsDisagreeing(), QString());
}

TEST_F(ColumnLists, CountsFollowEveryWriteAndABulkLoad)
{
    EXPECT_EQ(countsDisagreeing(), QString());
    // Marks, moves to another column, deletion flags, removals and new items,
    // by the program's connection and by another.
    const char *const writes[] = {
        "UPDATE tb_Files SET HasViewed = 1 WHERE FileID % 3 = 0",
        "UPDATE tb_Files SET HasDownloaded = 1 - HasDownloaded WHERE FileID % 4 = 1",
        "UPDATE tb_Files SET HasViewed = HasViewed WHERE FileID % 2 = 0",
        "UPDATE tb_Files SET ColumeID = 12 WHERE FileID BETWEEN 5100 AND 5150",
        "UPDATE tb_Files SET Deleted = 1 WHERE FileID % 13 = 0",
        "UPDATE tb_Files SET Deleted = 0, ColumeID = 31 WHERE FileID % 11 = 0",
        "DELETE FROM tb_Files WHERE FileID % 17 = 0",
        "UPDATE tb_Files SET ColumeID = 99 WHERE FileID BETWEEN 5300 AND 5310",
        "INSERT INTO tb_Files (FileID, ColumeID, HasViewed, Deleted) VALUES (9001, 32, 1, 0), (9002, 32, 0, 1),"
        " (9003, 55, 0, 0)",
        "UPDATE tb_Files SET FileID = FileID + 10000 WHERE FileID BETWEEN 5200 AND 5210",
        // Rows replaced, moved to another column with other marks; rows an
        // insert leaves alone; an insert that updates instead.
        "INSERT OR REPLACE INTO tb_Files (FileID, ColumeID, HasViewed, HasDownloaded, Deleted) SELECT FileID,"
        " 43 - ColumeID, 1 - HasViewed, HasDownloaded, FileID % 19 = 0 FROM tb_Files WHERE FileID % 6 = 0",
        "INSERT OR IGNORE INTO tb_Files (FileID, ColumeID, HasViewed) SELECT FileID, 31, 1 FROM tb_Files"
        " WHERE FileID % 5 = 1",
        "INSERT INTO tb_Files (FileID, ColumeID, HasDownloaded) SELECT FileID, 11, 1 FROM tb_Files WHERE FileID % 7 = 3"
        " ON CONFLICT (FileID) DO UPDATE SET HasDownloaded = 1 - HasDownloaded",
        "PRAGMA recursive_triggers = ON; INSERT OR REPLACE INTO tb_Files (FileID, ColumeID, HasViewed)"
        " SELECT FileID, 12, 1 FROM tb_Files WHERE FileID % 8 = 0; PRAGMA recursive_triggers = OFF",
    };
    for (size_t i = 0; i < std::size(writes); ++i) {
        for (const QString &statement : QString::fromUtf8(writes[i]).split(QStringLiteral("; "))) {
            if (i % 2 == 0) {
                catalogue.exec(statement);
            } else {
                dm.aq_all.setSql(statement);
                dm.aq_all.execSql();
            }
        }
        ASSERT_EQ(countsDisagreeing(), QString()) << writes[i];
    }

    // A bulk load goes without the triggers and counts afresh at its end.
    QSqlDatabase &db = dm.ac_info.database();
    store::dropListIndexes(db);
    catalogue.exec(QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, HasDownloaded) SELECT FileID + 20000, 31, 1"
                                  " FROM tb_Files"));
    catalogue.exec(QStringLiteral("UPDATE tb_Files SET Deleted = 1 WHERE FileID BETWEEN 3101 AND 3110"));
    EXPECT_NE(countsDisagreeing(), QString());
    store::createListIndexes(db);
    EXPECT_EQ(countsDisagreeing(), QString());
}

TEST_F(ColumnLists, RowsRemovedElsewhereWhileWalkingAreLeftOut)
{
    const QString jet = QStringLiteral("select * from qry_files  where subscribed=true  and ClassID =3");
    const QList<qint64> plain = plainReading(jet);
    dm.aq_all.setSql(jet);
    dm.aq_all.open();
    const QList<qint64> head = walkFrom(0, 5);
    // Another program removes rows past those read ahead: a hundred of the
    // first column's, half of the next one's.
    QStringList gone;
    for (qint64 id : plain.mid(100, 100))
        gone << QString::number(id);
    catalogue.exec(QStringLiteral("DELETE FROM tb_Files WHERE FileID IN (%1) OR (ColumeID = 32 AND FileID % 2 = 0)")
                       .arg(gone.join(u',')));
    QList<qint64> rest;
    for (; !dm.aq_all.eof(); dm.aq_all.next())
        rest << dm.aq_all.fieldByName(u"FileID").asInteger();
    dm.aq_all.close();
    const QList<qint64> now = plainReading(jet);
    EXPECT_EQ(head, plain.mid(0, 5));
    EXPECT_EQ(head + rest, now) << "every row still there, once, in order";
    EXPECT_LT(now.size(), plain.size() - 100);

    // So too in a result whose item numbers were all read when it opened.
    dm.aq_all.setSql(QStringLiteral("select * from qry_files where ClassID = 3 or ClassID = 1"));
    dm.aq_all.open();
    const QList<qint64> order = walkFrom(0, 1000);
    QList<qint64> all = walkFrom(0, 3);
    gone.clear();
    for (qint64 id : order.mid(64)) {
        if (id % 5 == 0)
            gone << QString::number(id);
    }
    catalogue.exec(QStringLiteral("DELETE FROM tb_Files WHERE FileID IN (%1)").arg(gone.join(u',')));
    for (; !dm.aq_all.eof(); dm.aq_all.next())
        all << dm.aq_all.fieldByName(u"FileID").asInteger();
    dm.aq_all.close();
    QList<qint64> left;
    for (const QString &id :
         catalogue.scalar(QStringLiteral("SELECT group_concat(FileID) FROM qry_files WHERE ClassID IN (1, 3)"))
             .toString()
             .split(u','))
        left << id.toLongLong();
    EXPECT_EQ(QSet<qint64>(all.begin(), all.end()), QSet<qint64>(left.begin(), left.end()));
    EXPECT_EQ(all.size(), left.size()) << "each row once";
    EXPECT_EQ(all.size(), order.size() - gone.size());
}

} // namespace
