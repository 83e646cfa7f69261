// The player's loopback server hands out only what it should.
#include "Files.h"
#include "Wait.h"

#include "browser/PlayerServer.h"
#include "samples/SampleSwf.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

struct Answer
{
    int status = 0;
    QByteArray type;
    QByteArray body;
    QByteArray caching;
};

Answer get(const QString &url)
{
    static QNetworkAccessManager network;
    QNetworkReply *reply = network.get(QNetworkRequest(QUrl(url)));
    waitFor([&] { return reply->isFinished(); }, 10000);
    Answer a{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
             reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(), reply->readAll(),
             reply->rawHeader("Cache-Control")};
    reply->deleteLater();
    return a;
}

// Sends `pieces` one by one over a connection of its own, a moment apart, and
// answers what came back once the server closed it.
QByteArray exchange(int port, const QList<QByteArray> &pieces)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!waitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }))
        return "not connected";
    QByteArray received;
    for (const QByteArray &piece : pieces) {
        if (socket.state() == QAbstractSocket::ConnectedState)
            socket.write(piece);
        waitFor(
            [&] {
                received += socket.readAll();
                return socket.state() != QAbstractSocket::ConnectedState;
            },
            200);
    }
    waitFor([&] {
        received += socket.readAll();
        return socket.state() == QAbstractSocket::UnconnectedState;
    });
    return received + socket.readAll();
}

TEST(PlayerServer, ServesThePlayerAndHandedOverFilesOnly)
{
    QTemporaryDir home;
    const QString movie = QDir(home.path()).filePath(QStringLiteral("a b's.swf"));
    writeFile(movie, "FWS-movie");
    writeFile(QDir(home.path()).filePath(QStringLiteral("secret.txt")), "secret");

    browser::PlayerServer server(QStringLiteral(RUFFLE_DIR));
    const QString page = server.playerPageFor(movie, QStringLiteral("<动画> & \"名字\""));
    const QUrl pageUrl(page);
    ASSERT_EQ(pageUrl.host(), QStringLiteral("127.0.0.1"));

    const Answer play = get(page);
    EXPECT_EQ(play.status, 200);
    EXPECT_TRUE(play.type.startsWith("text/html"));
    EXPECT_TRUE(play.body.contains("<title>&lt;动画&gt; &amp; &quot;名字&quot;</title>")) << play.body.constData();
    const QString token = pageUrl.path().section(u'/', 1, 1);
    const QString base = QStringLiteral("http://127.0.0.1:%1/%2/").arg(pageUrl.port()).arg(token);

    const QString movieUrl =
        base + QStringLiteral("movie/") + pageUrl.path().section(u'/', 3, 3) + QStringLiteral("/x");
    const Answer swf = get(movieUrl);
    EXPECT_EQ(swf.status, 200);
    EXPECT_EQ(swf.type, QByteArray("application/x-shockwave-flash"));
    EXPECT_EQ(swf.body, QByteArray("FWS-movie"));

    EXPECT_EQ(swf.caching, QByteArray("no-store")) << "a local copy may change";

    // The player's files are public, at the same address in every page, and
    // kept by the engine.
    const QString root = QStringLiteral("http://127.0.0.1:%1/").arg(pageUrl.port());
    const qsizetype scriptAt = play.body.indexOf("src=\"/ruffle/");
    ASSERT_GT(scriptAt, 0) << play.body.constData();
    const QString player = QString::fromLatin1(play.body.mid(scriptAt + 5).split('"').first()).section(u'/', 0, -2);
    EXPECT_EQ(player.size(), 20) << "named after the player's script: " << player.toStdString();
    const Answer script = get(root + player.mid(1) + QStringLiteral("/ruffle.js"));
    EXPECT_EQ(script.status, 200);
    EXPECT_EQ(script.type, QByteArray("text/javascript"));
    EXPECT_TRUE(script.caching.contains("max-age=31536000")) << script.caching.constData();
    QFile js(QStringLiteral(RUFFLE_DIR "/ruffle.js"));
    ASSERT_TRUE(js.open(QIODevice::ReadOnly));
    EXPECT_EQ(script.body, js.readAll());

    // Without the token, other movies, other files of the player's folder
    // and paths out of it: nothing.
    for (const QString &path :
         {QStringLiteral("http://127.0.0.1:%1/wrong/play/1").arg(pageUrl.port()), base + QStringLiteral("movie/99/x"),
          base + QStringLiteral("ruffle/package.json"), base + QStringLiteral("ruffle/..%2F..%2Fsecret.txt"),
          base + QStringLiteral("ruffle/.hidden.js"), base + QStringLiteral("other/1/x"),
          root + QStringLiteral("ruffle/package.json"), root + QStringLiteral("ruffle/..%2F..%2Fsecret.txt"),
          root + QStringLiteral("ruffle/.hidden.js"), root + QStringLiteral("play/1"),
          root + QStringLiteral("ruffle/a/ruffle.js"), root + QStringLiteral("ruffle/ruffle.js"),
          root + player.mid(1) + QStringLiteral("/package.json")}) {
        const Answer refused = get(path);
        EXPECT_EQ(refused.status, 404) << path.toStdString();
        EXPECT_FALSE(refused.body.contains("secret"));
    }
}

TEST(PlayerServer, AReadyPageHoldsABlankMovieAndThePortIsKeptForTheNextRun)
{
    QTemporaryDir dir;
    const QString portFile = QDir(dir.path()).filePath(QStringLiteral("player-port"));
    int port = 0;
    {
        browser::PlayerServer first(QStringLiteral(RUFFLE_DIR));
        first.rememberPortIn(portFile);
        const QUrl ready(first.readyPage());
        port = ready.port();
        EXPECT_TRUE(first.isPlayerPage(ready));
        EXPECT_FALSE(first.isPlayerPage(QUrl(QStringLiteral("http://127.0.0.1:%1/ruffle/ruffle.js").arg(port))));
        EXPECT_FALSE(first.isPlayerPage(QUrl(QStringLiteral("http://127.0.0.1:%1/x/ready/0").arg(port))));
        const Answer page = get(ready.toString());
        EXPECT_EQ(page.status, 200);
        const qsizetype at = page.body.indexOf("/blank/0/blank.swf");
        ASSERT_GT(at, 0) << page.body.constData();
        const QByteArray blankPath = page.body.mid(page.body.lastIndexOf('"', at) + 1).split('"').first();
        const Answer blank = get(QStringLiteral("http://127.0.0.1:%1").arg(port) + QString::fromLatin1(blankPath));
        EXPECT_EQ(blank.status, 200);
        EXPECT_EQ(blank.body, samples::blankSwf());
        EXPECT_EQ(samples::backgroundOf(blank.body), 0u);

        // A movie handed over to an open page: addresses in the same page.
        const browser::PlayerServer::Handover next = first.handOver(dir.path() + QStringLiteral("/m.swf"), {});
        EXPECT_TRUE(first.isPlayerPage(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port) + next.page)));
        EXPECT_TRUE(next.movie.endsWith(QStringLiteral("/m.swf")));
    }
    QFile remembered(portFile);
    ASSERT_TRUE(remembered.open(QIODevice::ReadOnly));
    EXPECT_EQ(remembered.readAll().toInt(), port);
    remembered.close();

    browser::PlayerServer second(QStringLiteral(RUFFLE_DIR));
    second.rememberPortIn(portFile);
    EXPECT_EQ(QUrl(second.readyPage()).port(), port) << "the same addresses as before";
    // Taken by another: any port will do, and that one is remembered.
    browser::PlayerServer third(QStringLiteral(RUFFLE_DIR));
    third.rememberPortIn(portFile);
    const int other = QUrl(third.readyPage()).port();
    EXPECT_NE(other, port);
    ASSERT_TRUE(remembered.open(QIODevice::ReadOnly));
    EXPECT_EQ(remembered.readAll().toInt(), other);
}

TEST(PlayerServer, AnswersEachConnectionOnceFromItsRequestLine)
{
    QTemporaryDir home;
    const QString movie = QDir(home.path()).filePath(QStringLiteral("m.swf"));
    writeFile(movie, "FWS-movie");
    browser::PlayerServer server(QStringLiteral(RUFFLE_DIR));
    EXPECT_FALSE(server.isPlayerPage(QUrl(QStringLiteral("http://127.0.0.1:80/x/ready/0")))) << "not started";
    const QUrl page(server.playerPageFor(movie, QStringLiteral("m")));
    const int port = page.port();
    const QByteArray token = page.path().section(u'/', 1, 1).toLatin1();
    const QByteArray id = page.path().section(u'/', 3, 3).toLatin1();

    // The request line may come in pieces; the answer waits for all of it.
    const QByteArray ready = exchange(port, {"GET /" + token, "/ready/0 HTTP/1.1\r\n", "Host: x\r\n\r\n"});
    EXPECT_TRUE(ready.startsWith("HTTP/1.1 200 OK\r\n")) << ready.left(200).constData();
    EXPECT_TRUE(ready.contains("/blank/0/blank.swf"));
    for (const QByteArray &bad : {QByteArray("POST /" + token + "/ready/0 HTTP/1.1\r\n\r\n"), QByteArray("GET\r\n"),
                                  QByteArray("\r\n"), QByteArray("get /" + token + "/ready/0\r\n")}) {
        const QByteArray refused = exchange(port, {bad});
        EXPECT_TRUE(refused.startsWith("HTTP/1.1 400 Bad Request\r\n")) << bad.constData();
        EXPECT_FALSE(refused.contains("ruffle")) << bad.constData();
    }
    // With the token: a movie number that is none, a kind of address that
    // is none, and a movie whose file went.
    const QByteArray base = "GET /" + token;
    for (const QByteArray &path : {QByteArray("/play/x1/m.swf"), QByteArray("/movie/-/m.swf"),
                                   QByteArray("/other/" + id + "/m.swf"), QByteArray("/movie/" + id + "/m.swf")}) {
        if (path.startsWith("/movie/" + id)) {
            ASSERT_TRUE(exchange(port, {base + path + " HTTP/1.1\r\n\r\n"}).endsWith("\r\n\r\nFWS-movie"));
            ASSERT_TRUE(QFile::remove(movie));
        }
        const QByteArray answer = exchange(port, {base + path + " HTTP/1.1\r\n\r\n"});
        EXPECT_TRUE(answer.startsWith("HTTP/1.1 404 Not Found\r\n")) << path.constData();
    }

    // Only this server's own pages are player pages.
    const QString play = page.path();
    EXPECT_TRUE(server.isPlayerPage(page));
    for (const QString &other : {QStringLiteral("https://127.0.0.1:%1%2").arg(port).arg(play),
                                 QStringLiteral("http://localhost:%1%2").arg(port).arg(play),
                                 QStringLiteral("http://127.0.0.1:%1%2").arg(port == 65535 ? 1 : port + 1).arg(play),
                                 QStringLiteral("http://127.0.0.1:%1/%2/movie/%3/m.swf")
                                     .arg(port)
                                     .arg(QString::fromLatin1(token))
                                     .arg(QString::fromLatin1(id))})
        EXPECT_FALSE(server.isPlayerPage(QUrl(other))) << other.toStdString();
}

TEST(PlayerServer, ServesEachKindOfThePlayersFilesAndNothingOfAFolderWithout)
{
    browser::PlayerServer server(QStringLiteral(RUFFLE_DIR));
    const QUrl page(server.readyPage());
    const Answer html = get(page.toString());
    const qsizetype at = html.body.indexOf("src=\"/ruffle/");
    ASSERT_GT(at, 0);
    const QString player = QString::fromLatin1(html.body.mid(at + 5).split('"').first()).section(u'/', 0, -2);
    const QString root = QStringLiteral("http://127.0.0.1:%1").arg(page.port()) + player + u'/';
    const QDir dir(QStringLiteral(RUFFLE_DIR));
    const struct
    {
        const char *pattern;
        QByteArray type;
    } kinds[] = {{"*.wasm", "application/wasm"}, {"*.js.map", "application/json"}, {"*.js", "text/javascript"}};
    for (const auto &kind : kinds) {
        const QStringList files = dir.entryList({QLatin1String(kind.pattern)}, QDir::Files);
        ASSERT_FALSE(files.isEmpty()) << kind.pattern;
        QFile file(dir.filePath(files.first()));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray body = file.readAll();
        // Twice: the second from what the server kept.
        for (int i = 0; i < 2; ++i) {
            const Answer a = get(root + files.first());
            EXPECT_EQ(a.status, 200) << files.first().toStdString();
            EXPECT_EQ(a.type, kind.type) << files.first().toStdString();
            EXPECT_EQ(a.body, body) << files.first().toStdString();
        }
    }

    // A player folder that is not there: its pages still come, its files not.
    QTemporaryDir empty;
    browser::PlayerServer without(empty.path());
    const QUrl ready(without.readyPage());
    ASSERT_TRUE(ready.isValid());
    const Answer bare = get(ready.toString());
    EXPECT_EQ(bare.status, 200);
    const qsizetype script = bare.body.indexOf("src=\"/ruffle/");
    ASSERT_GT(script, 0);
    const QString missing = QString::fromLatin1(bare.body.mid(script + 5).split('"').first());
    EXPECT_EQ(get(QStringLiteral("http://127.0.0.1:%1").arg(ready.port()) + missing).status, 404);

    // A folder of its own: its script is served, its hidden files never,
    // even those named like the player's.
    QTemporaryDir own;
    for (const char *name : {"ruffle.js", ".hidden.js", ".map"})
        writeFile(QDir(own.path()).filePath(QLatin1String(name)), QByteArray("// ") + name);
    browser::PlayerServer mine(own.path());
    const QUrl minePage(mine.readyPage());
    const Answer mineHtml = get(minePage.toString());
    const qsizetype mineAt = mineHtml.body.indexOf("src=\"/ruffle/");
    ASSERT_GT(mineAt, 0);
    const QString mineRoot = QStringLiteral("http://127.0.0.1:%1").arg(minePage.port()) +
                             QString::fromLatin1(mineHtml.body.mid(mineAt + 5).split('"').first()).section(u'/', 0, -2);
    EXPECT_EQ(get(mineRoot + QStringLiteral("/ruffle.js")).body, QByteArray("// ruffle.js"));
    for (const QString &hidden :
         {QStringLiteral("/.hidden.js"), QStringLiteral("/.map"), QStringLiteral("/%2Ehidden.js")})
        EXPECT_EQ(get(mineRoot + hidden).status, 404) << hidden.toStdString();
}

TEST(PlayerServer, ARememberedPortThatCannotBeUsedIsReplacedByAnother)
{
    QTemporaryDir dir;
    const QString portFile = QDir(dir.path()).filePath(QStringLiteral("port"));
    for (const QByteArray &kept : {QByteArray("not a port"), QByteArray("80"), QByteArray("70000"), QByteArray("")}) {
        QFile f(portFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kept);
        f.close();
        browser::PlayerServer server(QStringLiteral(RUFFLE_DIR));
        server.rememberPortIn(portFile);
        const int port = QUrl(server.readyPage()).port();
        EXPECT_GE(port, 1024) << kept.constData();
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll().toInt(), port) << kept.constData();
        EXPECT_EQ(get(server.readyPage()).status, 200) << kept.constData();
    }
    // A port file that cannot be written to: the server runs all the same.
    const QString blocked = QDir(dir.path()).filePath(QStringLiteral("port/inside/file"));
    browser::PlayerServer server(QStringLiteral(RUFFLE_DIR));
    server.rememberPortIn(blocked);
    EXPECT_EQ(get(server.readyPage()).status, 200);
    EXPECT_FALSE(QFile::exists(blocked));
}

} // namespace
