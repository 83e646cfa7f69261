// The demo web site over real HTTP on 127.0.0.1: pages, Flash files, the
// player's files, the echo page and what the site records.
#include "DemoSite.h"
#include "catalogue/DemoCatalogue.h"
#include "samples/SampleSwf.h"

#include "store/Connection.h"
#include "store/JetSql.h"
#include "support/Files.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>

#include "CatalogueRows.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const QByteArray kHtml = QByteArrayLiteral("text/html; charset=utf-8");
const QByteArray kFlash = QByteArrayLiteral("application/x-shockwave-flash");

// An item added to the demo catalogue whose name, column and file need
// escaping everywhere they appear.
constexpr int kOddItem = 5001;
constexpr int kDeletedItem = 5002;
const QString kOddName = QStringLiteral("<b>&\"'闪客");
const QString kOddColumn = QStringLiteral("Tom's Flash 闪客");
const QString kOddFile = QStringLiteral("tom's file 1.swf");
const QByteArray kOddFilePath = QByteArrayLiteral("/files/Tom%27s%20Flash%20%E9%97%AA%E5%AE%A2/tom%27s%20file%201.swf");

struct Reply
{
    int status = 0;
    QByteArray contentType;
    QByteArray body;
    QString text() const { return QString::fromUtf8(body); }
};

QString titleOf(const QString &html)
{
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    return title.match(html).captured(1);
}

// The text of the element with the given id.
QString elementText(const QString &html, const QString &id)
{
    const QRegularExpression element(QStringLiteral("id=\"%1\">(.*?)</").arg(QRegularExpression::escape(id)),
                                     QRegularExpression::DotMatchesEverythingOption);
    return element.match(html).captured(1);
}

// One GET, with the target sent byte for byte, read on a plain socket: the
// way to send paths that an HTTP client would tidy up first.
Reply rawGet(quint16 port, const QByteArray &target)
{
    Reply reply;
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!waitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000)) {
        ADD_FAILURE() << "cannot connect";
        return reply;
    }
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray data;
    qsizetype headerEnd = -1;
    qsizetype length = -1;
    const bool done = waitFor(
        [&] {
            data += socket.readAll();
            if (headerEnd < 0 && (headerEnd = data.indexOf("\r\n\r\n")) >= 0) {
                static const QRegularExpression contentLength(QStringLiteral("\r\ncontent-length:\\s*(\\d+)"),
                                                              QRegularExpression::CaseInsensitiveOption);
                const auto m = contentLength.match(QString::fromLatin1(data.left(headerEnd + 2)));
                length = m.hasMatch() ? m.captured(1).toLongLong() : 0;
            }
            return headerEnd >= 0 && data.size() >= headerEnd + 4 + length;
        },
        10000);
    if (!done) {
        ADD_FAILURE() << "no whole answer to " << target.constData();
        return reply;
    }
    const QByteArray head = data.left(headerEnd);
    reply.status = head.mid(head.indexOf(' ') + 1, 3).toInt();
    for (const QByteArray &line : head.split('\n')) {
        if (line.toLower().startsWith("content-type:"))
            reply.contentType = line.mid(13).trimmed();
    }
    reply.body = data.mid(headerEnd + 4, length);
    return reply;
}

class Client final
{
public:
    Client() { m_manager.setProxy(QNetworkProxy::NoProxy); }

    Reply get(const QString &base, const QByteArray &target) { return finish(m_manager.get(request(base, target))); }

    Reply post(const QString &base, const QByteArray &target, const QByteArray &body, const QByteArray &contentType)
    {
        QNetworkRequest r = request(base, target);
        r.setRawHeader("Content-Type", contentType);
        return finish(m_manager.post(r, body));
    }

private:
    static QNetworkRequest request(const QString &base, const QByteArray &target)
    {
        const QUrl url = QUrl::fromEncoded(base.toLatin1().chopped(1) + target, QUrl::StrictMode);
        EXPECT_TRUE(url.isValid()) << target.constData();
        return QNetworkRequest(url);
    }

    static Reply finish(QNetworkReply *reply)
    {
        std::unique_ptr<QNetworkReply> owner(reply);
        Reply out;
        if (!waitFor([&] { return reply->isFinished(); }, 20000)) {
            ADD_FAILURE() << "no answer from " << reply->url().toString().toStdString();
            return out;
        }
        out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        out.contentType = reply->rawHeader("Content-Type");
        out.body = reply->readAll();
        return out;
    }

    QNetworkAccessManager m_manager;
};

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (char &c : bytes)
        c = char(generator.bounded(256));
    return bytes;
}

QStringList rows(const QString &home, const QString &sql)
{
    return catalogueRows(home, sql);
}

// A player folder like Ruffle's: scripts, a source map and a large binary.
struct PlayerFiles
{
    QByteArray script = QByteArrayLiteral("/* player */\nwindow.RufflePlayer = window.RufflePlayer || {};\n");
    QByteArray chunk = QByteArrayLiteral("export const core = \"内核\";\n");
    QByteArray map = QByteArrayLiteral("{\"version\":3,\"sources\":[]}");
    QByteArray wasm = QByteArrayLiteral("\0asm\1\0\0\0") + randomBytes(3 * 1024 * 1024);
};

void writePlayer(const QString &dir, const PlayerFiles &files)
{
    writeFile(dir + QStringLiteral("/ruffle.js"), files.script);
    writeFile(dir + QStringLiteral("/core.ruffle.0123abcd.js"), files.chunk);
    writeFile(dir + QStringLiteral("/ruffle.js.map"), files.map);
    writeFile(dir + QStringLiteral("/0a1b2c3d.wasm"), files.wasm);
}

class Site : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        root = new QTemporaryDir;
        ASSERT_TRUE(root->isValid());
        catalogue::DemoOptions options;
        options.items = 120;
        options.site = QStringLiteral("http://127.0.0.1:1/");
        catalogue::writeDemoCatalogue(home(), options);
        {
            store::Connection c(catalogue::cataloguePath(home()));
            c.exec(QStringLiteral("INSERT INTO tb_Colume (ColumeID, ColumeName, ColumeParent, ColumeDesc, Subscribed)"
                                  " VALUES (9001, %1, 1, '', 1)")
                       .arg(store::quoted(kOddColumn)));
            c.exec(
                QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, DisplayName, Filename, URL, FileDesc,"
                               " Owner, UploadDate) VALUES (%1, 9001, %2, %3, '', %4, '阿木', '2001-02-03 04:05:06')")
                    .arg(kOddItem)
                    .arg(store::quoted(kOddName), store::quoted(kOddFile),
                         store::quoted(QStringLiteral("<script>alert(1)</script>\n第二行"))));
            c.exec(QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, DisplayName, Filename, Deleted)"
                                  " VALUES (%1, 9001, '删掉的动画', 'gone.swf', 1)")
                       .arg(kDeletedItem));
        }
        player = new PlayerFiles;
        writePlayer(ruffleDir(), *player);
        // Beside the player's folder, where no request may reach.
        writeFile(root->filePath(QStringLiteral("secret.txt")), QByteArrayLiteral("top secret"));

        site = new DemoSite(home(), ruffleDir());
        ASSERT_TRUE(site->listen()) << site->errorString().toStdString();
        client = new Client;
    }

    static void TearDownTestSuite()
    {
        delete client;
        delete site;
        delete player;
        delete root;
    }

    static QString home() { return root->filePath(QStringLiteral("home")); }
    static QString ruffleDir() { return root->filePath(QStringLiteral("ruffle")); }
    static Reply get(const QByteArray &target) { return client->get(site->baseUrl(), target); }

    static QTemporaryDir *root;
    static PlayerFiles *player;
    static DemoSite *site;
    static Client *client;
};
QTemporaryDir *Site::root = nullptr;
PlayerFiles *Site::player = nullptr;
DemoSite *Site::site = nullptr;
Client *Site::client = nullptr;

TEST_F(Site, ListensOnLoopbackOnly)
{
    ASSERT_NE(site->port(), 0);
    EXPECT_EQ(site->baseUrl(), QStringLiteral("http://127.0.0.1:%1/").arg(site->port()));
    // The port is taken now: a second site cannot have it, and says so.
    DemoSite other(home(), ruffleDir());
    EXPECT_FALSE(other.listen(site->port()));
    EXPECT_FALSE(other.errorString().isEmpty());
    EXPECT_EQ(other.port(), 0);
}

TEST_F(Site, HomePageLinksToPlayingPagesOfRecentItems)
{
    const Reply home = get("/");
    ASSERT_EQ(home.status, 200);
    EXPECT_EQ(home.contentType, kHtml);
    EXPECT_TRUE(home.text().contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_EQ(titleOf(home.text()), QStringLiteral("Kelvo在线 - Flash吧"));

    static const QRegularExpression link(QStringLiteral("href=\"(/flash/openflash\\.asp\\?fileid=(\\d+))\""));
    QStringList ids;
    for (const auto &m : link.globalMatch(home.text())) {
        ids << m.captured(2);
        const Reply playing = get(m.captured(1).toLatin1());
        EXPECT_EQ(playing.status, 200) << m.captured(1).toStdString();
    }
    EXPECT_GE(ids.size(), 3);
    // The newest item is among them.
    const QString newest = rows(Site::home(), QStringLiteral("SELECT FileID FROM qry_FilesLast LIMIT 1")).at(0);
    EXPECT_TRUE(ids.contains(newest)) << newest.toStdString();
}

TEST_F(Site, PlayingPageShowsTheItemAndStartsThePlayer)
{
    const QString first = rows(home(), QStringLiteral("SELECT FileID, DisplayName FROM tb_Files WHERE Deleted = 0"
                                                      " AND FileID < 5000 ORDER BY FileID LIMIT 1"))
                              .at(0);
    const Reply plain = get("/flash/openflash.asp?fileid=" + first.section(u'|', 0, 0).toLatin1());
    ASSERT_EQ(plain.status, 200);
    EXPECT_EQ(titleOf(plain.text()), first.section(u'|', 1).toHtmlEscaped());

    const Reply page = get("/flash/openflash.asp?fileid=" + QByteArray::number(kOddItem));
    ASSERT_EQ(page.status, 200);
    EXPECT_EQ(page.contentType, kHtml);
    const QString html = page.text();
    EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_EQ(titleOf(html), QStringLiteral("&lt;b&gt;&amp;&quot;'闪客"));
    EXPECT_EQ(elementText(html, QStringLiteral("name")), QStringLiteral("&lt;b&gt;&amp;&quot;'闪客"));
    // Nothing of the catalogue's text reaches the page unescaped.
    EXPECT_FALSE(html.contains(QStringLiteral("<b>&")));
    EXPECT_FALSE(html.contains(QStringLiteral("<script>alert")));
    EXPECT_TRUE(html.contains(QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt;")));

    EXPECT_TRUE(html.contains(QStringLiteral("<script src=\"/ruffle/ruffle.js\"></script>")));
    for (const char *setting : {"publicPath: \"/ruffle/\"", "autoplay: \"on\"", "unmuteOverlay: \"hidden\"",
                                "splashScreen: false", "letterbox: \"on\""})
        EXPECT_TRUE(html.contains(QLatin1String(setting))) << setting;
    // The config is set before the player's script reads it.
    EXPECT_LT(html.indexOf(QStringLiteral("window.RufflePlayer.config")),
              html.indexOf(QStringLiteral("/ruffle/ruffle.js")));

    // The player element names the item's file, and that file is there.
    static const QRegularExpression player(QStringLiteral("id=\"player\" data-swf=\"([^\"]+)\""));
    const QString swf = player.match(html).captured(1);
    EXPECT_EQ(swf, QString::fromLatin1(kOddFilePath));
    const Reply file = get(swf.toLatin1());
    EXPECT_EQ(file.status, 200);
    EXPECT_EQ(file.body, samples::sampleSwf(kOddItem));
}

TEST_F(Site, UnknownDeletedAndMalformedIdsGetTheirOwnPages)
{
    const struct
    {
        const char *query;
        int status;
        const char *title;
    } cases[] = {
        {"?fileid=999999", 404, "找不到这个动画"},
        {"?fileid=5002", 404, "找不到这个动画"},           // deleted
        {"?fileid=99999999999999", 404, "找不到这个动画"}, // a number, but no item can have it
        {"", 400, "无效的动画编号"},
        {"?other=1001", 400, "无效的动画编号"},
        {"?fileid=", 400, "无效的动画编号"},
        {"?fileid=abc", 400, "无效的动画编号"},
        {"?fileid=-1001", 400, "无效的动画编号"},
        {"?fileid=1001x", 400, "无效的动画编号"},
        {"?fileid=10%2001", 400, "无效的动画编号"},
        {"?fileid=999999999999999999999999", 400, "无效的动画编号"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.query);
        const Reply reply = get(QByteArrayLiteral("/flash/openflash.asp") + c.query);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_EQ(reply.contentType, kHtml);
        const QString html = reply.text();
        EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
        EXPECT_TRUE(titleOf(html).startsWith(QString::fromUtf8(c.title))) << titleOf(html).toStdString();
        EXPECT_EQ(elementText(html, QStringLiteral("problem")), QString::fromUtf8(c.title));
        EXPECT_FALSE(html.contains(QStringLiteral("ruffle.js")));
    }
    // The parameter's name is read as the old pages read it.
    EXPECT_EQ(get("/flash/openflash.asp?FileID=5001").status, 200);
}

TEST_F(Site, FileRouteAnswersEachItemsSample)
{
    // One item of each of several columns: names with spaces, apostrophes and Chinese.
    const QStringList items =
        rows(home(), QStringLiteral("SELECT min(f.FileID), c.ColumeName, f.Filename FROM tb_Files f JOIN tb_Colume c"
                                    " ON c.ColumeID = f.ColumeID WHERE f.Deleted = 0 GROUP BY c.ColumeID LIMIT 12"));
    ASSERT_GE(items.size(), 5);
    bool sawChinese = false;
    for (const QString &row : items) {
        const QStringList f = row.split(u'|');
        SCOPED_TRACE(row.toStdString());
        sawChinese = sawChinese || f.at(1).contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]")));
        const Reply reply = get("/files/" + QUrl::toPercentEncoding(f.at(1)) + '/' + QUrl::toPercentEncoding(f.at(2)));
        EXPECT_EQ(reply.status, 200);
        EXPECT_EQ(reply.contentType, kFlash);
        EXPECT_EQ(reply.body, samples::sampleSwf(f.at(0).toInt()));
    }
    EXPECT_TRUE(sawChinese);

    // The column with an apostrophe and spaces, encoded and as sent by hand.
    const QByteArray odd = samples::sampleSwf(kOddItem);
    EXPECT_EQ(get(kOddFilePath).body, odd);
    const Reply literal = rawGet(site->port(), "/files/Tom's%20Flash%20%E9%97%AA%E5%AE%A2/tom's%20file%201.swf");
    EXPECT_EQ(literal.status, 200);
    EXPECT_EQ(literal.contentType, kFlash);
    EXPECT_EQ(literal.body, odd);
}

TEST_F(Site, FileRouteRefusesWhatIsNotAnItem)
{
    for (const QByteArray &target : {
             QByteArrayLiteral("/files/Tom%27s%20Flash%20%E9%97%AA%E5%AE%A2/gone.swf"), // deleted
             QByteArrayLiteral("/files/Tom%27s%20Flash%20%E9%97%AA%E5%AE%A2/nothing.swf"),
             QByteArrayLiteral("/files/Tom%27s%20Flash/tom%27s%20file%201.swf"), // wrong column
             QByteArrayLiteral("/files/tom%27s%20flash%20%E9%97%AA%E5%AE%A2/tom%27s%20file%201.swf"),
             QByteArrayLiteral("/files/tom%27s%20file%201.swf"),
             QByteArrayLiteral("/files/a/b/c.swf"),
             QByteArrayLiteral("/files/"),
         }) {
        SCOPED_TRACE(target.constData());
        const Reply reply = get(target);
        EXPECT_EQ(reply.status, 404);
        EXPECT_EQ(reply.contentType, kHtml);
    }
}

TEST_F(Site, FileOnDiskIsServedInsteadOfTheSample)
{
    const QString path = home() + QStringLiteral("/site/files/") + kOddColumn + u'/' + kOddFile;
    const QByteArray real = QByteArrayLiteral("FWS\x06") + randomBytes(5000);
    writeFile(path, real);
    const Reply reply = get(kOddFilePath);
    QFile::remove(path);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.contentType, kFlash);
    EXPECT_EQ(reply.body, real);
    // Gone again: the sample is back.
    EXPECT_EQ(get(kOddFilePath).body, samples::sampleSwf(kOddItem));
}

TEST_F(Site, PathTraversalIsRefused)
{
    // A link in the site's folder that leads out of it.
    const QString linkDir = home() + QStringLiteral("/site/files/") + kOddColumn;
    QDir().mkpath(linkDir);
    ASSERT_TRUE(QFile::link(catalogue::cataloguePath(home()), linkDir + QStringLiteral("/info.swf")));
    ASSERT_TRUE(QFile::link(root->filePath(QStringLiteral("secret.txt")), ruffleDir() + QStringLiteral("/secret.js")));
    QDir().mkpath(ruffleDir() + QStringLiteral("/sub"));
    writeFile(ruffleDir() + QStringLiteral("/sub/inner.js"), QByteArrayLiteral("inner"));

    const QByteArray targets[] = {
        "/files/../Data/info.db",
        "/files/%2e%2e/Data/info.db",
        "/files/..%2FData/info.db",
        "/files/x/..%2F..%2FData%2Finfo.db",
        "/files/..%5C..%5CData/info.db",
        "/files/Tom%27s%20Flash%20%E9%97%AA%E5%AE%A2/info.swf",
        "/files/Tom%27s%20Flash%20%E9%97%AA%E5%AE%A2/..",
        "/files/../../../../etc/passwd",
        "/ruffle/../secret.txt",
        "/ruffle/..%2Fsecret.txt",
        "/ruffle/%2E%2E%2Fsecret.txt",
        "/ruffle/secret.js",
        "/ruffle/sub/inner.js",
        "/ruffle/sub%2Finner.js",
        "/ruffle/",
        "/ruffle/.",
        "/ruffle/ruffle.js%00.txt",
        "/Data/info.db",
        "/../Data/info.db",
    };
    for (const QByteArray &target : targets) {
        SCOPED_TRACE(target.constData());
        const Reply reply = rawGet(site->port(), target);
        EXPECT_TRUE(reply.status == 400 || reply.status == 404) << reply.status;
        EXPECT_EQ(reply.contentType, kHtml);
        EXPECT_FALSE(reply.body.contains("SQLite format"));
        EXPECT_FALSE(reply.body.contains("top secret"));
        EXPECT_FALSE(reply.body.contains("inner"));
        EXPECT_FALSE(reply.body.contains("root:"));
    }
    EXPECT_EQ(rawGet(site->port(), "/files/../Data/info.db").status, 400);
    EXPECT_EQ(rawGet(site->port(), "/ruffle/..%2Fsecret.txt").status, 400);

    QFile::remove(linkDir + QStringLiteral("/info.swf"));
    QFile::remove(ruffleDir() + QStringLiteral("/secret.js"));
    QDir(ruffleDir() + QStringLiteral("/sub")).removeRecursively();
}

TEST_F(Site, PlayerFilesAreServedWhole)
{
    const struct
    {
        const char *name;
        const QByteArray &bytes;
        const char *type;
    } files[] = {
        {"ruffle.js", player->script, "text/javascript"},
        {"core.ruffle.0123abcd.js", player->chunk, "text/javascript"},
        {"ruffle.js.map", player->map, "application/json"},
        {"0a1b2c3d.wasm", player->wasm, "application/wasm"},
    };
    for (int round = 0; round < 2; ++round) { // read from disk, then from memory
        for (const auto &f : files) {
            SCOPED_TRACE(f.name);
            const Reply reply = get(QByteArrayLiteral("/ruffle/") + f.name);
            EXPECT_EQ(reply.status, 200);
            EXPECT_EQ(reply.contentType, QByteArray(f.type));
            EXPECT_EQ(reply.body.size(), f.bytes.size());
            EXPECT_TRUE(reply.body == f.bytes);
        }
    }
    EXPECT_EQ(get("/ruffle/missing.js").status, 404);
}

TEST_F(Site, HeadGivesTheHeadersAndNoBody)
{
    // Two requests on one connection: any body after the first answer's
    // headers would be read as the start of the second answer.
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, site->port());
    ASSERT_TRUE(waitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }));
    socket.write("HEAD /ruffle/0a1b2c3d.wasm HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
                 "HEAD /flash/openflash.asp?fileid=999999 HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
                 "GET /echo HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray data;
    ASSERT_TRUE(waitFor(
        [&] {
            data += socket.readAll();
            return data.contains("</html>");
        },
        10000));
    const qsizetype firstEnd = data.indexOf("\r\n\r\n");
    const qsizetype secondEnd = data.indexOf("\r\n\r\n", firstEnd + 4);
    ASSERT_GT(secondEnd, firstEnd);
    const QByteArray first = data.left(firstEnd);
    const QByteArray second = data.mid(firstEnd + 4, secondEnd - firstEnd - 4);
    EXPECT_TRUE(first.startsWith("HTTP/1.1 200 ")) << first.constData();
    EXPECT_TRUE(first.contains("Content-Type: application/wasm")) << first.constData();
    EXPECT_TRUE(first.contains("Content-Length: " + QByteArray::number(player->wasm.size()))) << first.constData();
    EXPECT_TRUE(second.startsWith("HTTP/1.1 404 ")) << second.constData();
    EXPECT_TRUE(data.mid(secondEnd + 4).startsWith("HTTP/1.1 200 "));
    EXPECT_TRUE(data.contains("<title>echo</title>"));
}

TEST_F(Site, EchoShowsAndRecordsWhatArrived)
{
    const QByteArray body = QByteArrayLiteral("a=%C4%E3&b=1");
    const QByteArray type = QByteArrayLiteral("application/x-www-form-urlencoded");
    site->clearRequests();
    const Reply reply = client->post(site->baseUrl(), "/echo", body, type);
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(reply.contentType, kHtml);
    const QString html = reply.text();
    EXPECT_EQ(titleOf(html), QStringLiteral("echo"));
    EXPECT_EQ(elementText(html, QStringLiteral("method")), QStringLiteral("POST"));
    EXPECT_EQ(elementText(html, QStringLiteral("content-type")), QString::fromLatin1(type));
    EXPECT_EQ(elementText(html, QStringLiteral("body")), QStringLiteral("a=%C4%E3&amp;b=1"));

    ASSERT_EQ(site->requests().size(), 1);
    const ReceivedRequest &r = site->requests().constFirst();
    EXPECT_EQ(r.method, QByteArrayLiteral("POST"));
    EXPECT_EQ(r.target, QByteArrayLiteral("/echo"));
    EXPECT_EQ(r.header("content-type"), type);
    EXPECT_EQ(r.header("Content-Type"), type);
    EXPECT_EQ(r.header("Content-Length"), QByteArray::number(body.size()));
    EXPECT_EQ(r.body, body);

    // Markup in a body is shown, not obeyed; a GET has its query recorded.
    const Reply markup = client->post(site->baseUrl(), "/echo", "<i>x</i>", "text/plain");
    EXPECT_EQ(elementText(markup.text(), QStringLiteral("body")), QStringLiteral("&lt;i&gt;x&lt;/i&gt;"));
    const Reply plain = get("/echo?q=%E5%8A%A8%E7%94%BB&x=1");
    EXPECT_EQ(elementText(plain.text(), QStringLiteral("method")), QStringLiteral("GET"));
    EXPECT_TRUE(elementText(plain.text(), QStringLiteral("body")).isEmpty());
    ASSERT_EQ(site->requests().size(), 3);
    EXPECT_EQ(site->requests().at(1).body, QByteArrayLiteral("<i>x</i>"));
    EXPECT_EQ(site->requests().at(2).method, QByteArrayLiteral("GET"));
    EXPECT_EQ(site->requests().at(2).target, QByteArrayLiteral("/echo?q=%E5%8A%A8%E7%94%BB&x=1"));
}

TEST_F(Site, RecordsEveryRequestItAnswers)
{
    site->clearRequests();
    get("/");
    get("/no/such/page");
    rawGet(site->port(), "/files/../Data/info.db");
    get("/flash/openflash.asp?fileid=5001");
    ASSERT_EQ(site->requests().size(), 4);
    QList<QByteArray> targets;
    for (const ReceivedRequest &r : site->requests())
        targets << r.target;
    EXPECT_EQ(targets,
              (QList<QByteArray>{"/", "/no/such/page", "/files/../Data/info.db", "/flash/openflash.asp?fileid=5001"}));
    EXPECT_EQ(site->requests().at(3).method, QByteArrayLiteral("GET"));
    EXPECT_EQ(site->requests().at(3).header("host"), "127.0.0.1:" + QByteArray::number(site->port()));

    // No password is kept, sent in a form, a query or a header; and only the
    // latest requests are.
    client->post(site->baseUrl(), "/zc/Zanto_chklogin.asp", "UserName=demo&Password=s3cr3t&x=1",
                 "application/x-www-form-urlencoded");
    const Reply echo =
        client->post(site->baseUrl(), "/echo?pwd=s3cr3t", "{\"password\": \"s3cr3t\"}", "application/json");
    EXPECT_EQ(echo.status, 200);
    EXPECT_FALSE(echo.body.contains("s3cr3t")) << echo.body.constData();
    ASSERT_EQ(site->requests().size(), 6);
    EXPECT_EQ(site->requests().at(4).body, QByteArrayLiteral("UserName=demo&Password=&x=1"));
    EXPECT_EQ(site->requests().at(5).target, QByteArrayLiteral("/echo?pwd="));
    for (int i = 0; i < DemoSite::kKeptRequests; ++i)
        rawGet(site->port(), "/no/such/page?n=" + QByteArray::number(i));
    ASSERT_EQ(site->requests().size(), DemoSite::kKeptRequests);
    EXPECT_EQ(site->requests().constLast().target,
              "/no/such/page?n=" + QByteArray::number(DemoSite::kKeptRequests - 1));
    for (const ReceivedRequest &r : site->requests())
        EXPECT_FALSE(r.target.contains("s3cr3t") || r.body.contains("s3cr3t"));
}

TEST(SiteWithoutCatalogue, AnswersUnavailableAndRecovers)
{
    QTemporaryDir root;
    const QString home = root.filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    const QString ruffle = root.filePath(QStringLiteral("ruffle"));
    PlayerFiles player;
    writePlayer(ruffle, player);

    DemoSite site(home, ruffle);
    EXPECT_FALSE(site.catalogueProblem().isEmpty());
    ASSERT_TRUE(site.listen());
    Client client;
    for (const QByteArray &target : {QByteArrayLiteral("/"), QByteArrayLiteral("/flash/openflash.asp?fileid=1001"),
                                     QByteArrayLiteral("/files/x/y.swf")}) {
        SCOPED_TRACE(target.constData());
        const Reply reply = client.get(site.baseUrl(), target);
        EXPECT_EQ(reply.status, 503);
        EXPECT_EQ(reply.contentType, kHtml);
        EXPECT_EQ(elementText(reply.text(), QStringLiteral("problem")), QStringLiteral("动画库暂时无法使用"));
    }
    // The player is still there, and nothing was written into the home.
    EXPECT_EQ(client.get(site.baseUrl(), "/ruffle/ruffle.js").body, player.script);
    EXPECT_FALSE(QFileInfo::exists(catalogue::cataloguePath(home)));

    // Once a catalogue is there, the site reads it.
    catalogue::DemoOptions options;
    options.items = 20;
    catalogue::writeDemoCatalogue(home, options);
    EXPECT_TRUE(site.catalogueProblem().isEmpty());
    EXPECT_EQ(client.get(site.baseUrl(), "/").status, 200);
    EXPECT_EQ(client.get(site.baseUrl(), "/flash/openflash.asp?fileid=1001").status, 200);
}

} // namespace

namespace {

TEST_F(Site, EveryRecommendationOpensItsOwnPage)
{
    const QStringList links = catalogueRows(
        home(), QStringLiteral("SELECT URL, Itemname, ItemDesc, ItemOther1, ItemOther2 FROM tb_Recommend"));
    ASSERT_GT(links.size(), 60);
    const Reply index = get("/recommend/");
    ASSERT_EQ(index.status, 200);
    for (const QString &row : links) {
        const QStringList f = row.split(u'|');
        const QByteArray path = QUrl(f.at(0)).path().toLatin1();
        EXPECT_TRUE(index.text().contains(QString::fromLatin1(path))) << path.constData();
        const Reply page = get(path);
        ASSERT_EQ(page.status, 200) << path.constData();
        for (int i = 1; i < 5; ++i)
            EXPECT_TRUE(page.text().contains(f.at(i))) << path.constData() << " " << f.at(i).toStdString();
    }
    EXPECT_TRUE(get("/").text().contains(QStringLiteral("href=\"/recommend/\"")));
    EXPECT_EQ(get("/recommend/item999999.html").status, 404);
    EXPECT_EQ(get("/recommend/other.html").status, 404);
}

} // namespace
