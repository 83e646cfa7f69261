// The player's loopback server hands out only what it should.
#include "Wait.h"

#include "browser/PlayerServer.h"

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
};

Answer get(const QString &url)
{
    static QNetworkAccessManager network;
    QNetworkReply *reply = network.get(QNetworkRequest(QUrl(url)));
    waitFor([&] { return reply->isFinished(); }, 10000);
    Answer a{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
             reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(), reply->readAll()};
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

    const Answer script = get(base + QStringLiteral("ruffle/ruffle.js"));
    EXPECT_EQ(script.status, 200);
    EXPECT_EQ(script.type, QByteArray("text/javascript"));
    QFile js(QStringLiteral(RUFFLE_DIR "/ruffle.js"));
    ASSERT_TRUE(js.open(QIODevice::ReadOnly));
    EXPECT_EQ(script.body, js.readAll());

    // Without the token, other movies, other files of the player's folder
    // and paths out of it: nothing.
    for (const QString &path :
         {QStringLiteral("http://127.0.0.1:%1/wrong/play/1").arg(pageUrl.port()), base + QStringLiteral("movie/99/x"),
          base + QStringLiteral("ruffle/package.json"), base + QStringLiteral("ruffle/..%2F..%2Fsecret.txt"),
          base + QStringLiteral("ruffle/.hidden.js"), base + QStringLiteral("other/1/x")}) {
        const Answer refused = get(path);
        EXPECT_EQ(refused.status, 404) << path.toStdString();
        EXPECT_FALSE(refused.body.contains("secret"));
    }
}

} // namespace
