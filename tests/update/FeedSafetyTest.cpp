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

namespace {

TEST_F(FeedSafety, PagesFollowOnAFeedThatGoesBackStopsAndWhatCannotRunIsLogged)
{
    // The log of this test is its own, and has grown past its bound.
    QTemporaryDir data;
    const QByteArray previousData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    QDir().mkpath(QFileInfo(update::logPath()).path());
    QFile grown(update::logPath());
    ASSERT_TRUE(grown.open(QIODevice::WriteOnly));
    grown.write(QByteArray(1100 * 1024, 'x'));
    grown.close();

    // Two pages, the site named by the environment: both are written.
    const QString later = QStringLiteral("2030-01-02 09:00:00");
    const QList<update::FeedItem> first = {item(6001, 9001, QStringLiteral("一"), QStringLiteral("1.swf")),
                                           item(6002, 9001, QStringLiteral("二"), QStringLiteral("2.swf"))};
    update::FeedItem third = item(6003, 9001, QStringLiteral("三"), QStringLiteral("3.swf"));
    third.uploaded = later;
    const update::FeedCursor cursor{first.last().uploaded, 6002};
    site.script("pages", {{pageOf(first, cursor)}, {pageOf({third})}});
    QProcess companion;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FLASHBAR_SITE"), site.site("pages"));
    companion.setProcessEnvironment(environment);
    companion.start(QStringLiteral(FLASHBAR_UPDATE), {QStringLiteral("--home"), home.path()});
    ASSERT_TRUE(waitFor([&] { return companion.state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(companion.exitCode(), 0) << companion.readAllStandardError().toStdString();
    EXPECT_TRUE(companion.readAllStandardOutput().contains("3 new items"));
    EXPECT_EQ(site.requests("pages"), 2);
    store::Connection side(catalogue::cataloguePath(home.path()));
    QSqlQuery q(side.database());
    q.exec(QStringLiteral("SELECT group_concat(FileID) FROM tb_Files WHERE FileID > 6000"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("6001,6002,6003"));
    q.finish();
    side.close();

    // A second page that would start where the first did is not followed;
    // the first stays written.
    const QList<update::FeedItem> again = {item(6011, 9001, QStringLiteral("回"), QStringLiteral("r.swf"))};
    const update::FeedCursor stuck{later, 6011};
    update::FeedItem atLater = again.first();
    atLater.uploaded = later;
    site.script("back", {{pageOf({atLater}, stuck)}, {pageOf({atLater}, stuck)}});
    const CompanionRun back = runCompanion(home.path(), site.site("back"));
    EXPECT_EQ(back.exitCode, 1);
    EXPECT_EQ(site.requests("back"), 2);
    // The grown log was started again by the first line written since.
    EXPECT_LT(logSize(), 1024 * 1024);
    EXPECT_FALSE(logTail(0).contains(QStringLiteral("xxxx")));
    EXPECT_TRUE(logTail(0).contains(QStringLiteral("after 1 new items: the feed's next page goes back")))
        << logTail(0).toStdString();

    // Arguments it cannot work with, and a home without a catalogue.
    QTemporaryDir empty;
    const struct
    {
        QStringList arguments;
        QString logged;
    } refused[] = {
        {{QStringLiteral("--site"), QStringLiteral("ftp://127.0.0.1/")},
         QStringLiteral("not an http or https address")},
        {{QStringLiteral("--timeout"), QStringLiteral("soon")}, QStringLiteral("--timeout takes")},
        {{QStringLiteral("--timeout"), QStringLiteral("0")}, QStringLiteral("--timeout takes")},
        {{QStringLiteral("--home"), empty.path()}, empty.path()},
    };
    for (const auto &c : refused) {
        const qint64 logged = logSize();
        QProcess p;
        p.start(QStringLiteral(FLASHBAR_UPDATE),
                QStringList{QStringLiteral("--home"), home.path(), QStringLiteral("--site"), site.site("pages")} +
                    c.arguments);
        ASSERT_TRUE(waitFor([&] { return p.state() == QProcess::NotRunning; }, 30000));
        EXPECT_EQ(p.exitCode(), 1) << c.logged.toStdString();
        EXPECT_TRUE(logTail(logged).contains(c.logged)) << logTail(logged).toStdString();
    }
    EXPECT_EQ(QDir(empty.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    // Without --site or FLASHBAR_SITE the settings file names the site; a
    // bad address there is logged and the default one used instead. A
    // catalogue whose times are written otherwise asks for the whole feed.
    QTemporaryDir config;
    const QString settings = QDir(config.path()).filePath(QStringLiteral("flashbar/flashbar.conf"));
    QDir().mkpath(QFileInfo(settings).path());
    {
        store::Connection side(catalogue::cataloguePath(home.path()));
        side.exec(QStringLiteral("UPDATE tb_Files SET UploadDate = '3000/1/1' WHERE FileID = 6001"));
    }
    site.script("settings", {{pageOf({item(6021, 9001, QStringLiteral("设"), QStringLiteral("s.swf"))})}});
    for (const QString &address : {site.site("settings"), QStringLiteral("ftp://127.0.0.1/")}) {
        QFile file(settings);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[site]\naddress=" + address.toUtf8() + "\n");
        file.close();
        const qint64 logged = logSize();
        QProcess p;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("FLASHBAR_SITE"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        p.setProcessEnvironment(environment);
        p.start(QStringLiteral(FLASHBAR_UPDATE),
                {QStringLiteral("--home"), home.path(), QStringLiteral("--timeout"), QStringLiteral("1500")});
        ASSERT_TRUE(waitFor([&] { return p.state() == QProcess::NotRunning; }, 30000));
        if (address.startsWith(QStringLiteral("http"))) {
            EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
            EXPECT_EQ(site.lastPath("settings"), "/settings/feed/items.json?since=&after=0&limit=500");
        } else {
            EXPECT_TRUE(logTail(logged).contains(QStringLiteral("is used instead"))) << logTail(logged).toStdString();
        }
    }
    EXPECT_EQ(site.requests("settings"), 1);
    if (previousData.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", previousData);
}

} // namespace

namespace {

// A page the catalogue refuses, by a row it will not take or a statement it
// cannot make, is written not at all, its new column neither; a catalogue
// kept busy past one wait is tried again; a damaged one is reported before
// the site is asked.
TEST_F(FeedSafety, ARefusedPageWritesNothingABusyCatalogueIsTriedAgainADamagedOneIsReported)
{
    const QList<update::FeedItem> page = {item(7001, 9001, QStringLiteral("满"), QStringLiteral("f.swf"))};
    site.script("refused", {{pageOf(page)}});
    store::Connection other(catalogue::cataloguePath(home.path()));
    const QStringList before = catalogueRows(home.path());
    const struct
    {
        const char *trigger;
        const char *logged;
    } refusals[] = {
        {"BEFORE INSERT ON tb_Files BEGIN SELECT RAISE(ABORT, 'no room'); END", "no room"},
        {"AFTER INSERT ON tb_Class BEGIN INSERT INTO gone VALUES (1); END", "gone"},
    };
    for (const auto &r : refusals) {
        other.exec(QStringLiteral("CREATE TRIGGER refuse ") + QLatin1String(r.trigger));
        const qint64 logged = logSize();
        const CompanionRun refused = runCompanion(home.path(), site.site("refused"));
        EXPECT_EQ(refused.exitCode, 1) << r.logged;
        EXPECT_TRUE(logTail(logged).contains(QLatin1String(r.logged))) << logTail(logged).toStdString();
        EXPECT_EQ(catalogueRows(home.path()), before) << r.logged;
        other.exec(QStringLiteral("DROP TRIGGER refuse"));
    }

    site.script("busy", {{pageOf(page)}});
    other.exec(QStringLiteral("BEGIN IMMEDIATE"));
    QProcess companion;
    companion.start(QStringLiteral(FLASHBAR_UPDATE),
                    {QStringLiteral("--home"), home.path(), QStringLiteral("--site"), site.site("busy")});
    ASSERT_TRUE(waitFor([&] { return site.requests("busy") > 0; }, 10000));
    waitFor([] { return false; }, store::Connection::kBusyTimeoutMs + 1500);
    EXPECT_EQ(companion.state(), QProcess::Running) << "it tries again";
    other.exec(QStringLiteral("COMMIT"));
    ASSERT_TRUE(waitFor([&] { return companion.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(companion.exitCode(), 0) << companion.readAllStandardError().toStdString();
    QSqlQuery q(other.database());
    q.exec(QStringLiteral("SELECT count(*) FROM tb_Files WHERE FileID = 7001"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 1);

    // The index the newest upload is read from, overwritten.
    q.exec(QStringLiteral("SELECT (SELECT rootpage FROM sqlite_master WHERE name = 'ix_Files_Uploaded'),"
                          " (SELECT page_size FROM pragma_page_size)"));
    ASSERT_TRUE(q.next());
    const qint64 root = q.value(0).toLongLong();
    const qint64 pageSize = q.value(1).toLongLong();
    q.finish();
    other.close();
    QFile file(catalogue::cataloguePath(home.path()));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek((root - 1) * pageSize));
    file.write(QByteArray(pageSize, '\xff'));
    file.close();
    site.script("damaged", {{pageOf(page)}});
    const qint64 logged = logSize();
    const CompanionRun damaged = runCompanion(home.path(), site.site("damaged"));
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_EQ(site.requests("damaged"), 0);
    EXPECT_TRUE(logTail(logged).contains(QStringLiteral("数据库错误"))) << logTail(logged).toStdString();
}

} // namespace
