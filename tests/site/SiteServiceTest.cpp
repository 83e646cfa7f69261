// The demo site's feed, what it does when its own files or the catalogue
// cannot be used, the requests it keeps, and the flashbar-site program.
#include "FileSending.h"
#include "SiteHttp.h"
#include "catalogue/PublishedCatalogue.h"
#include "samples/SampleSwf.h"
#include "update/Feed.h"

#include "store/Connection.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QThread>

namespace {

using namespace sitetest;

TEST(SiteFeed, PagesThroughThePublishedItemsAndPlaysNewOnes)
{
    SiteHome h(30);
    for (const char *query : {"?since=yesterday", "?since=2001-02-03", "?after=-1", "?after=x", "?limit=0",
                              "?limit=1001", "?limit=ten", "?limit", "?after=99999999999"}) {
        SCOPED_TRACE(query);
        const Answer bad = h.get(QByteArray("/feed/items.json") + query);
        EXPECT_EQ(bad.status, 400);
        EXPECT_TRUE(bad.header("Content-Type").startsWith("text/html"));
    }
    EXPECT_FALSE(QFileInfo::exists(catalogue::publishedPath(h.home()))); // made on first use only

    const int first = catalogue::publishItems(h.home(), 4);
    QList<int> ids;
    QString query = QStringLiteral("?limit=7");
    for (int pages = 0; pages < 20 && !query.isEmpty(); ++pages) {
        const Answer answer = h.get("/feed/items.json" + query.toLatin1());
        ASSERT_EQ(answer.status, 200);
        EXPECT_EQ(answer.header("Content-Type"), "application/json");
        const update::FeedPage page = update::parseFeedPage(answer.body);
        EXPECT_LE(page.items.size(), 7);
        for (const update::FeedItem &item : page.items)
            ids << item.id;
        query = page.next ? QStringLiteral("?since=%1&after=%2&limit=7")
                                .arg(QString::fromLatin1(QUrl::toPercentEncoding(page.next->since)))
                                .arg(page.next->after)
                          : QString();
    }
    EXPECT_TRUE(query.isEmpty());
    store::Connection published(catalogue::publishedPath(h.home()));
    QSqlQuery all(published.database());
    ASSERT_TRUE(all.exec(QStringLiteral("SELECT FileID FROM tb_Files WHERE Deleted = 0 ORDER BY UploadDate, FileID")));
    QList<int> expected;
    {
        QSqlQuery d(published.database());
        d.exec(
            QStringLiteral("SELECT typeof(f.UploadDate), f.UploadDate, c.ColumeParent, (SELECT count(*) FROM "
                           "tb_Class), f.UploadDate > '' FROM tb_Files f JOIN tb_Colume c ON c.ColumeID=f.ColumeID"));
    }
    while (all.next())
        expected << all.value(0).toInt();
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(ids.mid(ids.size() - 4), (QList<int>{first, first + 1, first + 2, first + 3}));

    // An empty `since`, like none, asks for everything.
    EXPECT_EQ(update::parseFeedPage(h.get("/feed/items.json?since=&limit=1000").body).items.size(), expected.size());

    // From a time on: the items published then or later. The default page
    // holds them all.
    const update::FeedPage latest = update::parseFeedPage(
        h.get("/feed/items.json?since=" + QUrl::toPercentEncoding(QStringLiteral("2000-01-01 00:00:00"))).body);
    EXPECT_EQ(latest.items.size(), expected.size());
    EXPECT_FALSE(latest.next);
    const update::FeedItem newest = latest.items.constLast();
    EXPECT_EQ(newest.id, first + 3);
    EXPECT_TRUE(update::parseFeedPage(h.get("/feed/items.json?since=" + QUrl::toPercentEncoding(newest.uploaded) +
                                            "&after=" + QByteArray::number(newest.id))
                                          .body)
                    .items.isEmpty());

    // A newly published item is only in the site's own catalogue, and plays.
    // A new site finds them too, before anything asked it for the feed.
    h.start();
    const Answer playing = h.get("/flash/openflash.asp?fileid=" + QByteArray::number(newest.id));
    EXPECT_EQ(playing.status, 200);
    EXPECT_TRUE(playing.text().contains(newest.name.toHtmlEscaped()));
    const Answer file = h.get(QUrl(newest.url).path(QUrl::FullyEncoded).toLatin1());
    EXPECT_EQ(file.status, 200);
    EXPECT_EQ(file.body, samples::sampleSwf(newest.id));
}

TEST(SiteFiles, UnusableFilesGiveUnavailablePagesAndTheRestGoesOn)
{
    // The mailbox and the published items cannot be opened: the accounts still work.
    {
        SiteHome h(20);
        QDir().mkpath(h.home() + QStringLiteral("/site/mailbox.db"));
        QDir().mkpath(h.home() + QStringLiteral("/site/published.db"));
        const QByteArray session = h.logIn(QStringLiteral("demo"), QStringLiteral("demo"));
        const QByteArray card =
            form({{"ToMail", "a@b.c"}, {"ToName", "x"}, {"ToBody", "y"}, {"FromName", "z"}, {"FileID", "0"}});
        for (const Answer &answer : {h.post("/Cards/PostCards.asp", card, session), h.get("/Cards/Mailbox.asp"),
                                     h.get("/feed/items.json"), h.get("/flash/openflash.asp?fileid=999999")}) {
            EXPECT_EQ(answer.status, 503) << answer.body.constData();
            EXPECT_EQ(codeOf(answer), -1); // no result code: the program must not read one
        }
        EXPECT_EQ(h.get("/").status, 200);
    }
    // The accounts cannot be opened: no login, no registration, guests only.
    {
        SiteHome h(20);
        QDir().mkpath(h.home() + QStringLiteral("/site/accounts.db"));
        h.start();
        for (const Answer &answer :
             {h.post("/zc/Zanto_chklogin.asp", form({{"Username", "demo"}, {"Password", "demo"}})),
              h.post("/zc/Reg.ASP", form({{"Username", "new"}, {"Password", "new"}}))}) {
            EXPECT_EQ(answer.status, 503);
            EXPECT_EQ(codeOf(answer), -1);
            EXPECT_TRUE(answer.header("Set-Cookie").isEmpty());
        }
        const Answer online = h.post("/zc/online.asp", form({{"username", "demo"}, {"password", "demo"}}));
        EXPECT_TRUE(elementText(online.text(), QStringLiteral("greeting")).contains(u"游客"));
        EXPECT_EQ(block(online.text(), QStringLiteral("online")).count(u"<li>"), 10);
    }
    // No catalogue: the pages that read it say so; a card still goes out.
    {
        SiteHome h(0, false);
        for (const QByteArray &target :
             {QByteArrayLiteral("/flash/colume.asp?title=a"), QByteArrayLiteral("/recommend/"),
              QByteArrayLiteral("/recommend/item1.html"),
              QByteArrayLiteral("/Cards/PreviewCard.asp?ToMail=a&ToName=b&ToBody=c&FromName=d&FileID=1")}) {
            SCOPED_TRACE(target.constData());
            const Answer answer = h.get(target);
            EXPECT_EQ(answer.status, 503);
            EXPECT_EQ(elementText(answer.text(), QStringLiteral("problem")), QStringLiteral("动画库暂时无法使用"));
        }
        const QByteArray session = h.logIn(QStringLiteral("demo"), QStringLiteral("demo"));
        EXPECT_EQ(
            codeOf(h.post(
                "/Cards/PostCards.asp",
                form({{"ToMail", "a@b.c"}, {"ToName", "x"}, {"ToBody", "y"}, {"FromName", "z"}, {"FileID", "1001"}}),
                session)),
            0);
        const Answer mailbox = h.get("/Cards/Mailbox.asp");
        EXPECT_EQ(mailbox.status, 200);
        EXPECT_TRUE(mailbox.text().contains(QStringLiteral("随卡附上：动画 1001")));
    }
}

// Everything a connection gives until the other end closes it.
QByteArray untilClosed(quint16 port, const QByteArray &target)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray data;
    EXPECT_TRUE(waitFor(
        [&] {
            data += socket.readAll();
            return socket.state() == QAbstractSocket::UnconnectedState;
        },
        20000));
    return data + socket.readAll();
}

TEST(SiteFiles, DownloadsGetRangesAndTestsMaySlowCutAndCountThem)
{
    SiteHome h(20);
    QByteArray bytes(700 * 1024, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7919) % 253);
    QDir().mkpath(h.home() + QStringLiteral("/site/files/c"));
    QFile file(h.home() + QStringLiteral("/site/files/c/big.swf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const QByteArray size = QByteArray::number(bytes.size());
    FileSending &sending = h.site().fileSending();

    // Whole, and each form of a single range; what cannot be read as one
    // range gives the whole file.
    Answer whole = h.get("/files/c/big.swf");
    EXPECT_EQ(whole.status, 200);
    EXPECT_EQ(whole.header("Accept-Ranges"), "bytes");
    EXPECT_TRUE(whole.body == bytes);
    EXPECT_EQ(sending.bytesSent, bytes.size());
    const struct
    {
        const char *range;
        qint64 first, last;
    } parts[] = {{"bytes=1000-1999", 1000, 1999},
                 {"bytes=500000-", 500000, bytes.size() - 1},
                 {"bytes=-300", bytes.size() - 300, bytes.size() - 1},
                 {"bytes=700000-9999999", 700000, bytes.size() - 1},
                 {"bytes=0-0", 0, 0}};
    for (const auto &p : parts) {
        SCOPED_TRACE(p.range);
        const Answer part = h.get("/files/c/big.swf", {QByteArray("Range: ") + p.range});
        EXPECT_EQ(part.status, 206);
        EXPECT_EQ(part.header("Content-Range"),
                  "bytes " + QByteArray::number(p.first) + '-' + QByteArray::number(p.last) + '/' + size);
        EXPECT_TRUE(part.body == bytes.mid(p.first, p.last - p.first + 1));
    }
    for (const char *range : {"bytes=5-2", "bytes=0-1,5-6", "lines=1-2", "bytes=x-"}) {
        SCOPED_TRACE(range);
        const Answer all = h.get("/files/c/big.swf", {QByteArray("Range: ") + range});
        EXPECT_EQ(all.status, 200);
        EXPECT_EQ(all.body.size(), bytes.size());
    }
    const Answer beyond = h.get("/files/c/big.swf", {"Range: bytes=" + size + '-'});
    EXPECT_EQ(beyond.status, 416);
    EXPECT_EQ(beyond.header("Content-Range"), "bytes */" + size);
    EXPECT_TRUE(beyond.body.isEmpty());
    // The drawn samples go out in ranges too; HEAD tells the length only.
    const QByteArray sample = samples::sampleSwf(1001);
    const QString page = h.get("/flash/openflash.asp?fileid=1001").text();
    const QString link = QRegularExpression(QStringLiteral("href=\"(/files/[^\"]+)\"")).match(page).captured(1);
    ASSERT_FALSE(link.isEmpty());
    const Answer samplePart = h.get(link.toLatin1(), {"Range: bytes=3-"});
    EXPECT_EQ(samplePart.status, 206);
    EXPECT_TRUE(samplePart.body == sample.mid(3));
    const Answer head = exchange(h.site().port(), "HEAD", "/files/c/big.swf");
    EXPECT_EQ(head.header("Content-Length"), size);
    EXPECT_TRUE(head.body.isEmpty());

    // A server that does not do ranges; one that goes slowly (the bytes
    // still whole); one that cuts the connection once, after the bytes it
    // was told, then serves as before. Every byte is counted.
    sending.ranges = false;
    const Answer noRanges = h.get("/files/c/big.swf", {"Range: bytes=1000-1999"});
    EXPECT_EQ(noRanges.status, 200);
    EXPECT_TRUE(noRanges.header("Accept-Ranges").isEmpty());
    EXPECT_TRUE(noRanges.body == bytes);
    sending.ranges = true;
    sending.bytesPerSecond = 4 * 1024 * 1024;
    EXPECT_TRUE(h.get("/files/c/big.swf").body == bytes);
    sending.bytesPerSecond = 0;
    sending.bytesSent = 0;
    sending.dropAfter = 250000;
    const QByteArray cut = untilClosed(h.site().port(), "/files/c/big.swf");
    const qsizetype headEnd = cut.indexOf("\r\n\r\n") + 4;
    EXPECT_TRUE(cut.startsWith("HTTP/1.1 200"));
    EXPECT_TRUE(cut.mid(headEnd) == bytes.left(250000));
    EXPECT_EQ(sending.bytesSent, 250000);
    EXPECT_EQ(sending.dropAfter, -1);
    EXPECT_TRUE(h.get("/files/c/big.swf", {"Range: bytes=250000-"}).body == bytes.mid(250000));
    EXPECT_EQ(sending.bytesSent, bytes.size());
}

TEST(SiteRecords, EveryMethodIsAnsweredAndKeptWithoutSecrets)
{
    SiteHome h(20);
    DemoSite &site = h.site();
    EXPECT_FALSE(site.listen());
    EXPECT_TRUE(site.errorString().contains(QString::number(site.port()))) << site.errorString().toStdString();

    site.clearRequests();
    const QByteArray methods[] = {"PUT", "DELETE", "OPTIONS", "PATCH", "HEAD", "GET"};
    for (const QByteArray &method : methods) {
        SCOPED_TRACE(method.constData());
        const Answer answer = exchange(site.port(), method, "/nowhere?x=1", method == "PUT" ? "data" : "");
        EXPECT_EQ(answer.status, 404);
        EXPECT_EQ(answer.header("Content-Type"), "text/html; charset=utf-8");
        EXPECT_EQ(answer.body.isEmpty(), method == "HEAD");
        EXPECT_GT(answer.header("Content-Length").toInt(), 0);
    }
    ASSERT_EQ(site.requests().size(), qsizetype(std::size(methods)));
    for (qsizetype i = 0; i < site.requests().size(); ++i) {
        EXPECT_EQ(site.requests().at(i).method, methods[i]);
        EXPECT_EQ(site.requests().at(i).target, "/nowhere?x=1");
    }
    EXPECT_EQ(site.requests().at(0).body, "data");

    // Credentials, password fields however spelt, and bodies that speak of
    // passwords are not kept; a long body only in part.
    site.clearRequests();
    const QList<QByteArray> secretHeaders{"Authorization: Basic ZGVtbzpkZW1v", "proxy-authorization: Basic eHl6",
                                          "X-Other: kept"};
    exchange(site.port(), "GET", "/echo?a=1&my%50ASS=hunter2&Pwd+2=hunter2&b", {}, secretHeaders);
    exchange(site.port(), "POST", "/echo", "user=me&old%5Fpwd=hunter2&NEWPASSWORD=hunter2",
             {"Content-Type: Application/X-WWW-Form-URLencoded; charset=GBK"});
    exchange(site.port(), "POST", "/echo", "{\"PassPhrase\": \"hunter2\"}", {"Content-Type: application/json"});
    exchange(site.port(), "PUT", "/echo", "user=me\nPWD=hunter2", {"Content-Type: text/plain"});
    const QByteArray longBody(100 * 1024, 'a');
    exchange(site.port(), "POST", "/echo", longBody, {"Content-Type: text/plain"});
    const Answer echoed =
        exchange(site.port(), "POST", "/echo", QByteArray("caf\xe9 \xff", 6), {"Content-Type: text/plain"});
    EXPECT_EQ(elementText(echoed.text(), QStringLiteral("body")), QStringLiteral("caf\\xe9 \\xff"));
    ASSERT_EQ(site.requests().size(), 6);
    const ReceivedRequest &query = site.requests().at(0);
    EXPECT_EQ(query.target, "/echo?a=1&myPASS=&Pwd+2=&b");
    EXPECT_TRUE(query.header("Authorization").isEmpty());
    EXPECT_TRUE(query.header("Proxy-Authorization").isEmpty());
    EXPECT_EQ(query.header("x-other"), "kept");
    EXPECT_EQ(site.requests().at(1).body, "user=me&old%5Fpwd=&NEWPASSWORD=");
    EXPECT_TRUE(site.requests().at(2).body.isEmpty());
    EXPECT_TRUE(site.requests().at(3).body.isEmpty());
    EXPECT_EQ(site.requests().at(4).body, longBody.left(64 * 1024));
    EXPECT_EQ(site.requests().at(5).body, QByteArray("caf\xe9 \xff", 6));
    for (const ReceivedRequest &r : site.requests()) {
        EXPECT_FALSE(r.target.contains("hunter2") || r.body.contains("hunter2"));
        for (const auto &[name, value] : r.headers)
            EXPECT_FALSE(value.contains("ZGVtbzpkZW1v") || value.contains("eHl6"));
    }
}

TEST(SitePlayerFiles, EachFileGoesOutWithTheTypeItsNameGives)
{
    SiteHome h(5);
    const struct
    {
        const char *name;
        const char *type; // empty: not served
    } files[] = {
        {"README.md", "text/plain; charset=utf-8"}, {"LICENSE_MIT", "text/plain; charset=utf-8"},
        {"versions.json", "application/json"},      {"core.wasm", "application/wasm"},
        {"fonts.bin", "application/octet-stream"},  {".hidden.js", ""},
    };
    QDir().mkpath(h.ruffleDir());
    for (const auto &f : files) {
        QFile file(QDir(h.ruffleDir()).filePath(QString::fromUtf8(f.name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("contents of ") + f.name);
    }
    for (const auto &f : files) {
        SCOPED_TRACE(f.name);
        const Answer answer = h.get(QByteArray("/ruffle/") + f.name);
        if (*f.type == 0) {
            EXPECT_EQ(answer.status, 404);
            continue;
        }
        EXPECT_EQ(answer.status, 200);
        EXPECT_EQ(answer.header("Content-Type"), f.type);
        EXPECT_EQ(answer.body, QByteArray("contents of ") + f.name);
    }
}

struct Finished
{
    int code = -1;
    QString out;
    QString err;
};

Finished runSite(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(SITE_PROGRAM), arguments);
    Finished f;
    if (!process.waitForFinished(20000)) {
        ADD_FAILURE() << "flashbar-site did not end: " << arguments.join(u' ').toStdString();
        process.kill();
        process.waitForFinished();
        return f;
    }
    f.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    f.out = QString::fromUtf8(process.readAllStandardOutput());
    f.err = QString::fromUtf8(process.readAllStandardError());
    return f;
}

TEST(SiteProgram, RefusesBadArgumentsAndEndsWithItsParent)
{
    SiteHome h(20);
    QTemporaryDir other;
    const QString empty = other.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    // Arguments as words; HOME, EMPTY, TAKEN and OTHER stand for a home with a
    // catalogue, a folder with nothing, a port in use and a process that is
    // not the site's parent.
    const struct
    {
        const char *arguments;
        int code;
        const char *says;
    } cases[] = {
        {"", 2, "usage: flashbar-site --home DIR"},
        {"--home HOME extra", 2, "usage: flashbar-site --home DIR"},
        {"--home HOME --port http", 2, "--port takes a number"},
        {"--home HOME --port 65536", 2, "--port takes a number"},
        {"--home HOME --parent me", 2, "--parent takes a process number"},
        {"--home HOME --parent 0", 2, "--parent takes a process number"},
        {"--home HOME --parent OTHER", 0, ""},
        {"--home EMPTY --ruffle EMPTY", 3, "has no usable catalogue"},
        {"--home HOME --ruffle EMPTY --port TAKEN", 1, "cannot listen on 127.0.0.1:"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments);
        QStringList arguments = QString::fromUtf8(c.arguments).split(u' ', Qt::SkipEmptyParts);
        for (QString &word : arguments) {
            if (word == QLatin1String("HOME"))
                word = h.home();
            else if (word == QLatin1String("EMPTY"))
                word = empty;
            else if (word == QLatin1String("TAKEN"))
                word = QString::number(h.site().port());
            else if (word == QLatin1String("OTHER"))
                word = QString::number(QCoreApplication::applicationPid() + 1);
        }
        const Finished f = runSite(arguments);
        EXPECT_EQ(f.code, c.code);
        EXPECT_TRUE(f.out.isEmpty()) << f.out.toStdString();
        EXPECT_TRUE(f.err.contains(QString::fromUtf8(c.says))) << f.err.toStdString();
        EXPECT_EQ(f.err.contains(QStringLiteral("no ruffle.js in ")),
                  arguments.contains(empty) && (c.code == 1 || c.code == 3));
    }

    // Started by a shell that then ends: the site serves until then, and ends by itself.
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QStringLiteral("\"$0\" --home \"$1\" --port 0 --parent $$ & read line"),
                 QStringLiteral(SITE_PROGRAM), h.home()});
    QString out;
    ASSERT_TRUE(waitFor(
        [&] {
            out += QString::fromUtf8(shell.readAllStandardOutput());
            return out.contains(u'\n');
        },
        20000));
    static const QRegularExpression serving(QStringLiteral("^serving (.+) at http://127\\.0\\.0\\.1:(\\d+)/\n"));
    const QRegularExpressionMatch m = serving.match(out);
    ASSERT_TRUE(m.hasMatch()) << out.toStdString();
    EXPECT_EQ(m.captured(1), QDir(h.home()).absolutePath());
    const quint16 served = quint16(m.captured(2).toUInt());
    const Answer hello = exchange(served, "GET", "/flashbar-site");
    EXPECT_EQ(hello.status, 200);
    EXPECT_EQ(hello.body, "flashbar-site\n");
    // It looks for its parent twice a second, and keeps serving while it is there.
    QThread::msleep(1200);
    EXPECT_EQ(exchange(served, "GET", "/flashbar-site").status, 200);
    shell.write("\n");
    ASSERT_TRUE(shell.waitForFinished(10000));
    QTcpSocket probe;
    EXPECT_TRUE(waitFor(
        [&] {
            probe.abort();
            probe.connectToHost(QHostAddress::LocalHost, served);
            return !probe.waitForConnected(500);
        },
        10000))
        << "the site still answers on port " << served;
}

} // namespace
