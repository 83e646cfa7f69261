// The player's loopback server hands out only what it should.
#include "Wait.h"

#include "browser/PlayerServer.h"
#include "samples/SampleSwf.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
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

TEST(PlayerServer, ServesThePlayerAndHandedOverFilesOnly)
{
    QTemporaryDir home;
    const QString movie = QDir(home.path()).filePath(QStringLiteral("a b's.swf"));
    QFile f(movie);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("FWS-movie");
    f.close();
    QFile secret(QDir(home.path()).filePath(QStringLiteral("secret.txt")));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("secret");
    secret.close();

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

} // namespace
