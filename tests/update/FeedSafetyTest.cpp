// flashbar-update against a feed it cannot trust: answers that are not
// pages, too large, refused, late or missing; hostile names and items it
// has already; a catalogue another process keeps busy; a kill between pages.
#include "UpdateSupport.h"

#include "catalogue/DemoCatalogue.h"
#include "common/LocalCopy.h"
#include "store/Connection.h"
#include "update/Feed.h"
#include "update/Updater.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A demo catalogue made once; each case works on its own copy.
QString templateHome()
{
    static QTemporaryDir *dir = [] {
        auto *d = new QTemporaryDir;
        catalogue::DemoOptions options;
        options.items = 50;
        catalogue::writeDemoCatalogue(d->path(), options);
        return d;
    }();
    return dir->path();
}

class FeedSafety : public ::testing::Test
{
protected:
    FeedSafety()
    {
        QDir(home.path()).mkpath(QStringLiteral("Data"));
        QFile::copy(catalogue::cataloguePath(templateHome()), catalogue::cataloguePath(home.path()));
    }
    static qint64 logSize() { return QFileInfo(update::logPath()).size(); }
    static QString logTail(qint64 from)
    {
        QFile log(update::logPath());
        log.open(QIODevice::ReadOnly);
        log.seek(from);
        return QString::fromUtf8(log.readAll());
    }

    QTemporaryDir home;
    ScriptedSite site;
};

update::FeedItem item(int id, int column, const QString &name, const QString &file)
{
    return {id, column, name, file, QString(), QString(), QStringLiteral("某人"), QStringLiteral("2030-01-01 08:00:00"),
            0};
}

// Items of a new column 9001 in class 1, and whatever else is given.
QByteArray pageOf(QList<update::FeedItem> items, std::optional<update::FeedCursor> next = std::nullopt,
                  QList<update::FeedColumn> columns = {})
{
    update::FeedPage page;
    page.classes = {{1, QStringLiteral("MTV")}};
    page.columns =
        columns.isEmpty() ? QList<update::FeedColumn>{{9001, 1, QStringLiteral("新栏目"), QString()}} : columns;
    page.items = std::move(items);
    page.next = next;
    return update::feedJson(page);
}

TEST_F(FeedSafety, AnswersThatAreNoPagesWriteNothingAndAreLogged)
{
    QByteArray badField = pageOf({item(5001, 9001, QStringLiteral("好"), QStringLiteral("a.swf"))});
    badField.replace("\"id\":5001", "\"id\":\"5001\"");
    QByteArray longName =
        pageOf({item(5001, 9001, QString(update::kMaxNameChars + 1, u'长'), QStringLiteral("a.swf"))});
    QByteArray oversized = pageOf({item(5001, 9001, QStringLiteral("好"), QStringLiteral("a.swf"))});
    oversized.append(QByteArray(update::kMaxPageBytes, ' '));
    const struct
    {
        QByteArray name;
        ScriptedSite::Answer answer;
        QString logged;
    } cases[] = {
        {"html", {"<html><body>维护中</body></html>"}, QStringLiteral("not JSON")},
        {"truncated",
         {pageOf({item(5001, 9001, QStringLiteral("好"), QStringLiteral("a.swf"))}).chopped(9)},
         QStringLiteral("not JSON")},
        {"other-format", {R"({"format":"other/2","items":[]})"}, QStringLiteral("not a page of the format")},
        {"bad-field", {badField}, QStringLiteral("\"id\" is not a number")},
        {"long-name", {longName}, QStringLiteral("longer than")},
        {"orphan",
         {pageOf({item(5001, 77, QStringLiteral("好"), QStringLiteral("a.swf"))})},
         QStringLiteral("column 77 is not on the page")},
        {"oversized", {oversized}, QStringLiteral("larger than")},
        {"refused", {"{}", 500}, QStringLiteral("500")},
        {"silent", {QByteArray(), 0}, QStringLiteral("no answer within 1500 ms")},
    };
    const QStringList before = catalogueRows(home.path());
    for (const auto &c : cases) {
        site.script(c.name, {c.answer});
        const qint64 logged = logSize();
        const CompanionRun run = runCompanion(home.path(), site.site(c.name), 1500);
        EXPECT_EQ(run.exitCode, 1) << c.name.constData() << ": " << run.output.toStdString();
        EXPECT_LT(run.ms, 10000) << c.name.constData();
        EXPECT_EQ(catalogueRows(home.path()), before) << c.name.constData();
        EXPECT_TRUE(logTail(logged).contains(c.logged)) << c.name.constData() << ": " << logTail(logged).toStdString();
    }

    // A site that is down: nothing listens on the port.
    QTcpServer gone;
    gone.listen(QHostAddress::LocalHost, 0);
    const QString down = QStringLiteral("http://127.0.0.1:%1/").arg(gone.serverPort());
    gone.close();
    const qint64 logged = logSize();
    const CompanionRun run = runCompanion(home.path(), down, 1500);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(logTail(logged).contains(QStringLiteral("refused"))) << logTail(logged).toStdString();
    EXPECT_EQ(catalogueRows(home.path()), before);
}

TEST_F(FeedSafety, HostileNamesAreStoredWithoutLocalCopiesAndKnownItemsAreSkipped)
{
    const QList<update::FeedColumn> columns = {
        {9001, 1, QStringLiteral("新栏目"), QString()},
        {9002, 1, QStringLiteral(".."), QString()},
        {9003, 1, QStringLiteral("a/b\x01"), QStringLiteral("'; DROP TABLE tb_Files; --")}};
    const QList<update::FeedItem> items = {
        item(5001, 9001, QStringLiteral("Robert'); DROP TABLE tb_Files;--"), QStringLiteral("../../.bashrc")),
        item(5002, 9002, QStringLiteral("<script>alert(1)</script>"), QStringLiteral("plain.swf")),
        item(5003, 9003, QStringLiteral("控制\t字符\n"), QStringLiteral("x.swf")),
        item(5004, 9001, QStringLiteral("零\u0000字节"), QStringLiteral("nul\u0000.swf")),
        // Item 1001 is in the catalogue already, under another name.
        item(1001, 9001, QStringLiteral("冒名顶替"), QStringLiteral("evil.swf")),
    };
    // Texts that may be empty may also be left out.
    QByteArray page = pageOf(items, std::nullopt, columns);
    page.replace("\"description\":\"\",", "").replace("\"url\":\"\",", "");
    site.script("hostile", {{page}});
    const QStringList before = catalogueRows(home.path());
    const CompanionRun run = runCompanion(home.path(), site.site("hostile"));
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("4 new items"))) << run.output.toStdString();

    const QStringList now = catalogueRows(home.path());
    for (const QString &row : before)
        EXPECT_TRUE(now.contains(row)) << "kept as it was: " << row.toStdString();
    store::Connection side(catalogue::cataloguePath(home.path()));
    QSqlQuery q(side.database());
    q.exec(QStringLiteral("SELECT f.FileID, f.DisplayName, f.Filename, c.ColumeName FROM tb_Files f"
                          " JOIN tb_Colume c ON c.ColumeID = f.ColumeID WHERE f.FileID > 5000 ORDER BY f.FileID"));
    for (const update::FeedItem &sent : items.first(4)) {
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), sent.id);
        EXPECT_EQ(q.value(1).toString(), sent.name) << "stored as the site sent it";
        EXPECT_EQ(q.value(2).toString(), sent.file);
        EXPECT_FALSE(LocalCopyPath(home.path(), q.value(3).toString(), q.value(2).toString()).has_value())
            << "no local copy for " << sent.id;
    }
    EXPECT_FALSE(q.next());
    side.close();

    // Everything on the page is known now: a second run adds nothing.
    const CompanionRun again = runCompanion(home.path(), site.site("hostile"));
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_TRUE(again.output.contains(QStringLiteral("0 new items"))) << again.output.toStdString();
    EXPECT_EQ(catalogueRows(home.path()), now);
}

TEST_F(FeedSafety, ABusyCatalogueIsWaitedForAndAKillBetweenPagesKeepsTheWrittenOnes)
{
    // Another process holds the write lock, with a mark of its own, while
    // the companion comes to write; both writes stay.
    site.script("busy", {{pageOf({item(5001, 9001, QStringLiteral("等一等"), QStringLiteral("a.swf"))})}});
    store::Connection other(catalogue::cataloguePath(home.path()));
    other.exec(QStringLiteral("BEGIN IMMEDIATE"));
    other.exec(QStringLiteral("UPDATE tb_Files SET HasViewed = 1 - HasViewed WHERE FileID = 1002"));
    QProcess companion;
    companion.start(QStringLiteral(FLASHBAR_UPDATE),
                    {QStringLiteral("--home"), home.path(), QStringLiteral("--site"), site.site("busy")});
    EXPECT_TRUE(waitFor([&] { return site.requests("busy") > 0; }, 10000));
    waitFor([] { return false; }, 1500);
    EXPECT_EQ(companion.state(), QProcess::Running) << "it waits for the lock";
    QSqlQuery q(other.database());
    q.exec(QStringLiteral("SELECT HasViewed FROM tb_Files WHERE FileID = 1002"));
    ASSERT_TRUE(q.next());
    const QString viewed = q.value(0).toString();
    q.finish();
    other.exec(QStringLiteral("COMMIT"));
    ASSERT_TRUE(waitFor([&] { return companion.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(companion.exitCode(), 0) << companion.readAllStandardError().toStdString();
    q.exec(QStringLiteral("SELECT (SELECT count(*) FROM tb_Files WHERE FileID = 5001),"
                          " (SELECT HasViewed FROM tb_Files WHERE FileID = 1002)"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 1) << "the companion's item";
    EXPECT_EQ(q.value(1).toString(), viewed) << "the other writer's mark";

    // The first page is written; killed while it waits for the second, the
    // catalogue holds the first page whole and nothing of the second.
    const QList<update::FeedItem> first = {item(6001, 9001, QStringLiteral("一"), QStringLiteral("1.swf")),
                                           item(6002, 9001, QStringLiteral("二"), QStringLiteral("2.swf"))};
    site.script("paged", {{pageOf(first, update::FeedCursor{first.last().uploaded, 6002})}, {QByteArray(), 0}});
    companion.start(QStringLiteral(FLASHBAR_UPDATE),
                    {QStringLiteral("--home"), home.path(), QStringLiteral("--site"), site.site("paged"),
                     QStringLiteral("--timeout"), QStringLiteral("60000")});
    ASSERT_TRUE(waitFor([&] { return site.requests("paged") == 2; }, 20000));
    companion.kill();
    companion.waitForFinished();
    q.exec(QStringLiteral("SELECT count(*) FROM tb_Files WHERE FileID IN (6001, 6002)"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 2);
    q.exec(QStringLiteral("PRAGMA integrity_check"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("ok"));
}

} // namespace
