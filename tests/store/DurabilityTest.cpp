// Marks written by one process survive its being killed, and another process
// can write while the program holds the catalogue open.
#include "TempCatalogue.h"

#include "browse/OpenItem.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

class Durability : public ::testing::Test
{
protected:
    void SetUp() override
    {
        catalogue.addClass(3, QStringLiteral("游戏世界"));
        catalogue.addColumn(31, 3, QStringLiteral("益智游戏"));
        catalogue.exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
            " INSERT INTO tb_Files (FileID, ColumeID, DisplayName, UploadDate) SELECT i, 31, 'item' || i,"
            " '2003-01-01 00:00:00' FROM n"));
    }

    // What the writer has reported so far.
    struct Report
    {
        bool ready = false;
        bool done = false;
        QList<int> marked;
    };

    void startWriter(QProcess &writer, int first, int count)
    {
        writer.start(QStringLiteral(MARK_WRITER), {catalogue.path(), QString::number(first), QString::number(count)});
        EXPECT_TRUE(writer.waitForStarted());
    }

    // Reads the writer's report lines until `until` says stop.
    template <typename Until> void readReport(QProcess &writer, Report &report, Until until)
    {
        while (!until(report)) {
            if (!writer.canReadLine() && !writer.waitForReadyRead(20000)) {
                ADD_FAILURE() << "writer stalled: " << writer.readAllStandardError().toStdString();
                return;
            }
            while (writer.canReadLine()) {
                const QByteArray line = writer.readLine().trimmed();
                if (line.startsWith("marked "))
                    report.marked << line.mid(7).toInt();
                else if (line == "done")
                    report.done = true;
                else if (line == "ready")
                    report.ready = true;
            }
        }
    }

    // Starts the writer, reads its report until `until` says stop, kills it.
    template <typename Until> QList<int> runWriter(QProcess &writer, int first, int count, Until until)
    {
        startWriter(writer, first, count);
        Report report;
        readReport(writer, report, [&](const Report &r) { return until(r.marked) || r.done; });
        writer.kill();
        writer.waitForFinished();
        return report.marked;
    }

    QList<int> viewedIds()
    {
        TDM_CDS dm(catalogue.path());
        dm.aq_all.setSql(QStringLiteral("select FileID from tb_Files where HasViewed = true order by FileID"));
        dm.aq_all.open();
        QList<int> out;
        while (!dm.aq_all.eof()) {
            out << dm.aq_all.fieldByName(u"FileID").asInteger();
            dm.aq_all.next();
        }
        QSqlQuery q(dm.ac_info.database());
        EXPECT_TRUE(q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next());
        EXPECT_EQ(q.value(0).toString(), QStringLiteral("ok"));
        return out;
    }

    TempCatalogue catalogue;
};

TEST_F(Durability, CommittedMarksSurviveAKilledWriter)
{
    QProcess writer;
    const QList<int> marked = runWriter(writer, 1, 20, [](const QList<int> &) { return false; });
    EXPECT_EQ(marked.size(), 20);
    catalogue.release();
    EXPECT_EQ(viewedIds(), marked);
}

TEST_F(Durability, AWriterKilledMidwayLosesNothingItReported)
{
    QProcess writer;
    const QList<int> marked = runWriter(writer, 1, 3000, [](const QList<int> &m) { return m.size() >= 40; });
    catalogue.release();
    const QList<int> viewed = viewedIds();
    ASSERT_GE(viewed.size(), marked.size());
    for (int id : marked)
        EXPECT_TRUE(viewed.contains(id)) << id;
    // Whatever got in is a prefix of the sequence: no torn or stray writes.
    for (int i = 0; i < viewed.size(); ++i)
        EXPECT_EQ(viewed.at(i), i + 1);
}

TEST_F(Durability, TwentyKillsAtRandomMomentsLoseNoReportedMark)
{
    QRandomGenerator random(4711);
    QList<int> reported;
    int next = 1;
    for (int kill = 0; kill < 20; ++kill) {
        QProcess writer;
        writer.start(QStringLiteral(MARK_WRITER),
                     {catalogue.path(), QString::number(next), QStringLiteral("3000"), QStringLiteral("mixed")});
        ASSERT_TRUE(writer.waitForStarted());
        // Killed anywhere from opening the catalogue to the middle of a mark.
        QElapsedTimer clock;
        clock.start();
        const int lifetime = int(random.bounded(10, 250));
        while (clock.elapsed() < lifetime)
            writer.waitForReadyRead(int(lifetime - clock.elapsed()) + 1);
        writer.kill();
        writer.waitForFinished();
        while (writer.canReadLine()) {
            const QByteArray line = writer.readLine().trimmed();
            if (line.startsWith("marked "))
                reported << line.mid(7).toInt();
        }
        next = reported.isEmpty() ? 1 : reported.last() + 1;
    }
    // The writers got on: marks were reported, each item once, in order.
    ASSERT_FALSE(reported.isEmpty()) << "no writer reported a mark";
    for (qsizetype i = 1; i < reported.size(); ++i)
        EXPECT_GT(reported.at(i), reported.at(i - 1));
    catalogue.release();
    TDM_CDS dm(catalogue.path());
    for (int id : reported) {
        dm.aq_all.setSql(QStringLiteral("select HasViewed, HasDownloaded from tb_Files where FileID = %1").arg(id));
        dm.aq_all.open();
        ASSERT_FALSE(dm.aq_all.eof());
        EXPECT_TRUE(dm.aq_all.fieldByName(id % 2 == 0 ? u"HasDownloaded" : u"HasViewed").asBoolean()) << id;
        dm.aq_all.close();
    }
    QSqlQuery q(dm.ac_info.database());
    ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("ok"));
    RecordProperty("reported", int(reported.size()));
}

TEST_F(Durability, ACatalogueTruncatedOrOverwrittenWhileOpenRaisesAndRecovers)
{
    catalogue.exec(QStringLiteral("UPDATE tb_Files SET HasViewed = 1 WHERE FileID <= 7"));
    catalogue.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    catalogue.release();
    QFile file(catalogue.path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    file.close();

    TDM_CDS dm(catalogue.path());
    const auto countViewed = [&dm] {
        dm.aq_all.close();
        dm.aq_all.setSql(QStringLiteral("select * from qry_files where hasviewed = true and subscribed=true"));
        dm.aq_all.open();
        const int n = dm.aq_all.recordCount();
        dm.aq_all.close();
        return n;
    };
    // Writes the file in place, or as a new file put in its place.
    const auto writeFile = [&file](const QByteArray &bytes, bool replace) {
        QFile target(replace ? file.fileName() + QStringLiteral(".new") : file.fileName());
        ASSERT_TRUE(target.open(QIODevice::WriteOnly | QIODevice::Truncate));
        target.write(bytes);
        target.close();
        if (replace) {
            ASSERT_EQ(std::rename(qPrintable(target.fileName()), qPrintable(file.fileName())), 0);
        }
    };
    EXPECT_EQ(countViewed(), 7);

    const QByteArray damages[] = {QByteArray(), original.left(original.size() / 3), QByteArray(original.size(), '\xa5'),
                                  QByteArray("not a catalogue")};
    for (const bool replace : {false, true}) {
        for (const QByteArray &damage : damages) {
            SCOPED_TRACE(testing::Message() << damage.size() << " bytes, " << (replace ? "replaced" : "in place"));
            writeFile(damage, false);
            // Reading and writing either work from what is already read or
            // raise the store's error, which they do at least once; nothing
            // else escapes.
            int raised = 0;
            for (int attempt = 0; attempt < 3; ++attempt) {
                try {
                    countViewed();
                } catch (const DatabaseError &) {
                    ++raised;
                }
                try {
                    browse::markViewed(dm, 2000 + attempt);
                } catch (const DatabaseError &) {
                    ++raised;
                }
            }
            EXPECT_GT(raised, 0) << "the damage was noticed";
            dm.aq_all.close();
            dm.cds_FilesInfo.close();
            // The sound file comes back; put in place as a new file, only a
            // connection opened afresh reads it.
            writeFile(original, replace);
            EXPECT_GE(countViewed(), 7) << "the program goes on once the file is back";
        }
    }
    EXPECT_TRUE(browse::markViewed(dm, 8));
    EXPECT_FALSE(browse::markViewed(dm, 8)) << "already viewed";
    EXPECT_GE(countViewed(), 8);
    // The file itself is sound, as a fresh start of the program sees it.
    dm.ac_info.close();
    QSqlQuery q(dm.ac_info.database());
    ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("ok"));
}

TEST_F(Durability, AnotherProcessCommitsWhileTheProgramWalksARead)
{
    TDM_CDS dm(catalogue.path());
    // A walk of far more rows than one screen or one read-ahead, past its
    // first page.
    store::DataSet &read = dm.aq_all;
    read.setSql(QStringLiteral("select FileID, HasViewed from tb_Files order by FileID"));
    read.open();
    for (int i = 0; i < 70; ++i)
        read.next();

    QProcess writer;
    const QList<int> marked = runWriter(writer, 1000, 10, [](const QList<int> &) { return false; });
    EXPECT_EQ(marked, (QList<int>{1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009}))
        << "the writer commits while the walk is under way";
    // The walk holds no read open, so the program's own write after that
    // commit goes through.
    EXPECT_TRUE(browse::markViewed(dm, 2500));

    // The walk goes on to the end; the rows it had not read yet show both writes.
    int walked = 70;
    QList<int> viewedSeen;
    for (; !read.eof(); read.next()) {
        ++walked;
        if (read.fieldByName(u"HasViewed").asBoolean())
            viewedSeen << read.fieldByName(u"FileID").asInteger();
    }
    EXPECT_EQ(walked, 3000);
    EXPECT_EQ(viewedSeen, (QList<int>{1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 2500}));
    read.close();

    dm.aq_all.setSql(
        QStringLiteral("select * from qry_files  where hasviewed = true and subscribed=true  and ClassID =3"));
    dm.aq_all.open();
    EXPECT_EQ(dm.aq_all.recordCount(), 11);
}

TEST_F(Durability, AWriterWaitsWhileTheProgramCommits)
{
    // The program holds the write lock for a while; a writer that comes
    // meanwhile waits for it instead of failing.
    TDM_CDS dm(catalogue.path());
    dm.ac_info.begin();
    dm.ac_info.exec(QStringLiteral("UPDATE tb_Files SET Hits = Hits + 1 WHERE FileID = 1"));
    QProcess writer;
    startWriter(writer, 200, 5);
    Report report;
    readReport(writer, report, [](const Report &r) { return r.ready; });
    QThread::msleep(600);
    EXPECT_FALSE(writer.canReadLine() || writer.waitForReadyRead(100)) << "nothing is committed meanwhile";
    dm.ac_info.commit();

    readReport(writer, report, [](const Report &r) { return r.done; });
    writer.kill();
    writer.waitForFinished();
    EXPECT_EQ(report.marked, (QList<int>{200, 201, 202, 203, 204}));
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT Hits FROM tb_Files WHERE FileID = 1")).toInt(), 1);
}

} // namespace
