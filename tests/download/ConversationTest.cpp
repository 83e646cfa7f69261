// The conversation over local sockets against real peers: one that
// accepts, one that refuses, one silent, one that closes at once, one that
// answers garbage, one that answers without end.
#include "DdeDir.h"

#include "handoff/Framing.h"
#include "platform/Conversation.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace dde = platform::dde;

namespace {

// A peer that does `act` with each connection and nothing else.
class RawPeer final
{
public:
    RawPeer(const QString &service, std::function<void(QLocalSocket *)> act)
    {
        QObject::connect(&m_server, &QLocalServer::newConnection, [this, act] {
            while (QLocalSocket *s = m_server.nextPendingConnection())
                act(s);
        });
        m_server.listen(dde::servicePath(service));
    }

private:
    QLocalServer m_server;
};

dde::Reply::Outcome outcomeOf(const QString &service, int timeoutMs, qint64 *elapsed = nullptr)
{
    QElapsedTimer clock;
    clock.start();
    const dde::Reply reply =
        dde::request(service, handoff::kOpenUrlTopic, QStringLiteral("http://h/a.swf,/x"), timeoutMs);
    if (elapsed)
        *elapsed = clock.elapsed();
    return reply.outcome;
}

} // namespace

TEST(Conversation, AnswersRefusalsTimeOutsAndBrokenPeers)
{
    DdeDir dir;
    QString error;
    ASSERT_TRUE(dde::prepareServiceDirectory(&error)) << error.toStdString();
    struct stat st = {};
    ASSERT_EQ(::stat(QFile::encodeName(dde::serviceDirectory()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    QStringList seen;
    dde::Server accepting(QStringLiteral("Accepting"), [&](const QString &topic, const QString &item) {
        seen << topic << item;
        return std::optional<QString>(QStringLiteral("收到"));
    });
    ASSERT_TRUE(accepting.listen(&error)) << error.toStdString();
    dde::Server refusing(QStringLiteral("Refusing"), [](const QString &, const QString &) { return std::nullopt; });
    ASSERT_TRUE(refusing.listen(&error));
    // A name that is served already is not taken over.
    dde::Server second(QStringLiteral("Accepting"), [](const QString &, const QString &) { return std::nullopt; });
    EXPECT_FALSE(second.listen(&error));

    RawPeer silent(QStringLiteral("Silent"), [](QLocalSocket *) {});
    RawPeer closing(QStringLiteral("Closing"), [](QLocalSocket *s) { s->abort(); });
    RawPeer garbage(QStringLiteral("Garbage"), [](QLocalSocket *s) {
        s->write("\xff\xff\xff\xffnot a frame");
        s->flush();
    });
    RawPeer endless(QStringLiteral("Endless"), [](QLocalSocket *s) {
        auto *pump = new QTimer(s);
        QObject::connect(pump, &QTimer::timeout, s, [s] { s->write(QByteArray(64 * 1024, 'x')); });
        pump->start(1);
    });
    // A whole frame, then more without end: the frame is the answer.
    RawPeer chatty(QStringLiteral("Chatty"), [](QLocalSocket *s) {
        s->write(handoff::frame(QStringLiteral("ok")) + QByteArray(256 * 1024, 'y'));
    });

    // The item travels whole, commas and Chinese included.
    const QString item = QStringLiteral("http://h/a.swf?ids=1,2,/home/u/local/动画,精选/a,b.swf");
    const dde::Reply reply = dde::request(QStringLiteral("Accepting"), handoff::kOpenUrlTopic, item, 2000);
    EXPECT_EQ(reply.outcome, dde::Reply::Data);
    EXPECT_EQ(reply.data, QStringLiteral("收到"));
    EXPECT_EQ(seen, (QStringList{QStringLiteral("WWW_OPENURL"), item}));

    qint64 elapsed = 0;
    EXPECT_EQ(outcomeOf(QStringLiteral("Refusing"), 5000, &elapsed), dde::Reply::NoData);
    EXPECT_LT(elapsed, 2000);
    EXPECT_EQ(outcomeOf(QStringLiteral("Silent"), 300, &elapsed), dde::Reply::NoData);
    EXPECT_GE(elapsed, 250);
    EXPECT_LT(elapsed, 3000);
    EXPECT_EQ(outcomeOf(QStringLiteral("Closing"), 5000, &elapsed), dde::Reply::NoData);
    EXPECT_LT(elapsed, 2000);
    EXPECT_EQ(outcomeOf(QStringLiteral("Garbage"), 5000, &elapsed), dde::Reply::NoData);
    EXPECT_LT(elapsed, 2000);
    EXPECT_EQ(outcomeOf(QStringLiteral("Endless"), 5000, &elapsed), dde::Reply::NoData);
    EXPECT_LT(elapsed, 2000);
    EXPECT_EQ(outcomeOf(QStringLiteral("Chatty"), 5000), dde::Reply::Data);
    EXPECT_EQ(outcomeOf(QStringLiteral("Nobody"), 5000), dde::Reply::NoConversation);

    // A name given up can be served by another.
    accepting.close();
    EXPECT_FALSE(dde::serviceAnswers(QStringLiteral("Accepting")));
    ASSERT_TRUE(second.listen(&error)) << error.toStdString();
    EXPECT_EQ(outcomeOf(QStringLiteral("Accepting"), 2000), dde::Reply::NoData);
}
