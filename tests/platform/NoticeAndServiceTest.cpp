// The new-items notice and the service directory against real local
// sockets: a listener and a sender on another thread, peers that answer
// wrongly, sockets left behind by programs that have gone.
#include "handoff/Framing.h"
#include "platform/Conversation.h"
#include "platform/NewItemsNotice.h"

#include "EnvVar.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace dde = platform::dde;

namespace {

// A socket file whose program has gone: bound, then closed unremoved.
void leaveDeadSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    std::memcpy(address.sun_path, native.constData(), native.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(path));
}

// The notice sent from another thread while this one serves the listener;
// `whenLate` ends the peer when sending has not finished in time.
bool sendOffThread(int count, QString *error, const std::function<void()> &whenLate = {})
{
    auto sent = std::async(std::launch::async, [count, error] { return platform::sendNewItemsNotice(count, error); });
    const bool done =
        QTest::qWaitFor([&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 15000);
    EXPECT_TRUE(done) << "the notice was still being sent";
    if (!done && whenLate)
        whenLate();
    return sent.get();
}

// Writes `pieces` one by one to the socket at `path`; what came back before
// the peer closed.
QByteArray exchange(const QString &path, const QList<QByteArray> &pieces)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(2000))
        return "(no connection)";
    QByteArray answer;
    QObject::connect(&socket, &QLocalSocket::readyRead, [&] { answer += socket.readAll(); });
    for (const QByteArray &piece : pieces) {
        socket.write(piece);
        socket.flush();
        QTest::qWait(50);
    }
    const bool closed = QTest::qWaitFor([&] { return socket.state() == QLocalSocket::UnconnectedState; }, 3000);
    answer += socket.readAll();
    return closed ? answer : "(left open) " + answer;
}

} // namespace

TEST(NewItemsNotice, CountsReachTheOneListenerAndBadNoticesAreTurnedAway)
{
    QTemporaryDir runtime;
    EnvVar xdg("XDG_RUNTIME_DIR", runtime.path());
    const QString path = platform::NewItemsListener::socketPath();
    EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(runtime.path()).absoluteFilePath());

    QString error;
    EXPECT_FALSE(platform::sendNewItemsNotice(3, &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();

    leaveDeadSocket(path);
    QList<int> counts;
    {
        platform::NewItemsListener listener;
        QObject::connect(&listener, &platform::NewItemsListener::newItems, [&](int n) { counts << n; });
        ASSERT_TRUE(listener.listen()) << listener.errorText().toStdString();
        // A second program leaves the first one's socket alone.
        platform::NewItemsListener second;
        QObject::connect(&second, &platform::NewItemsListener::newItems, [&](int n) { counts << -n; });
        EXPECT_FALSE(second.listen());
        EXPECT_TRUE(second.errorText().contains(path));

        error.clear();
        EXPECT_TRUE(sendOffThread(12, &error)) << error.toStdString();
        // A count that arrives in pieces, and lines that are no count.
        EXPECT_EQ(exchange(path, {"4", "0\n"}), QByteArray("ok\n"));
        EXPECT_EQ(exchange(path, {"lots\n"}), QByteArray("bad\n"));
        EXPECT_EQ(exchange(path, {"\n"}), QByteArray("bad\n"));
        // A line without end is refused once it is longer than a count, and
        // a peer that says nothing is not kept.
        EXPECT_EQ(exchange(path, {"7", QByteArray(100000, '7')}), QByteArray("bad\n"));
        QLocalSocket silent;
        silent.connectToServer(path);
        ASSERT_TRUE(silent.waitForConnected(2000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return silent.state() == QLocalSocket::UnconnectedState; }, 6000));
        EXPECT_EQ(silent.readAll(), QByteArray());
        EXPECT_EQ(counts, (QList<int>{12, 40}));
    }

    // A program that answers otherwise, not at all, or without end, did not
    // take it.
    QLocalServer other;
    ASSERT_TRUE(other.listen(path));
    QByteArray reply = "no\n";
    QObject::connect(&other, &QLocalServer::newConnection, [&] {
        QLocalSocket *s = other.nextPendingConnection();
        QObject::connect(s, &QLocalSocket::readyRead, [s, &reply] {
            s->readAll();
            if (reply == "endless") {
                auto *pump = new QTimer(s);
                QObject::connect(pump, &QTimer::timeout, s, [s] { s->write("xxxxxxxx"); });
                pump->start(5);
                return;
            }
            s->write(reply);
            s->disconnectFromServer();
        });
    });
    error.clear();
    EXPECT_FALSE(sendOffThread(5, &error));
    EXPECT_FALSE(error.isEmpty());
    reply.clear();
    error.clear();
    EXPECT_FALSE(sendOffThread(5, &error));
    EXPECT_FALSE(error.isEmpty());
    reply = "endless";
    error.clear();
    EXPECT_FALSE(sendOffThread(5, &error, [&] {
        for (QLocalSocket *s : other.findChildren<QLocalSocket *>())
            s->abort();
    }));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(counts, (QList<int>{12, 40}));

    // A runtime folder whose path is too long for a socket.
    const QString deep = runtime.path() + u'/' + QString(120, u'd');
    ASSERT_TRUE(QDir().mkpath(deep));
    QFile::setPermissions(deep, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    xdg.set(deep);
    platform::NewItemsListener unplaced;
    EXPECT_FALSE(unplaced.listen());
    EXPECT_FALSE(unplaced.errorText().isEmpty());
}

TEST(ServiceDirectory, IsFoundMadeAndKeptTheUsersAlone)
{
    QTemporaryDir base;
    EnvVar chosen("FLASHBAR_DDE_DIR", base.path() + QStringLiteral("/x/../dde/"));
    EnvVar runtime("XDG_RUNTIME_DIR", base.path() + QStringLiteral("/run"));
    EXPECT_EQ(dde::serviceDirectory(), base.path() + QStringLiteral("/dde"));
    chosen.unset();
    EXPECT_EQ(dde::serviceDirectory(), base.path() + QStringLiteral("/run/flashbar-dde"));
    runtime.unset();
    const QString fallback = dde::serviceDirectory();
    EXPECT_EQ(QFileInfo(fallback).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    EXPECT_TRUE(fallback.endsWith(QString::number(::getuid())));

    // Made with its parents, and made the user's alone when it was not.
    const QString dir = base.path() + QStringLiteral("/deep/er/dde");
    const QByteArray native = QFile::encodeName(dir);
    chosen.set(dir);
    const auto mode = [&] {
        struct stat st = {};
        return ::stat(native.constData(), &st) == 0 ? st.st_mode & 0777 : 0u;
    };
    QString error;
    ASSERT_TRUE(dde::prepareServiceDirectory(&error)) << error.toStdString();
    EXPECT_EQ(mode(), 0700u);
    ASSERT_EQ(::chmod(native.constData(), 0755), 0);
    ASSERT_TRUE(dde::prepareServiceDirectory(&error)) << error.toStdString();
    EXPECT_EQ(mode(), 0700u);

    // A link, a file, or a folder of another user's is not used.
    const QString link = base.path() + QStringLiteral("/link");
    ASSERT_TRUE(QFile::link(dir, link));
    const QString file = base.path() + QStringLiteral("/file");
    QFile(file).open(QIODevice::WriteOnly);
    for (const QString &bad : {link, file, file + QStringLiteral("/dde")}) {
        chosen.set(bad);
        error.clear();
        EXPECT_FALSE(dde::prepareServiceDirectory(&error)) << bad.toStdString();
        EXPECT_TRUE(error.contains(bad)) << error.toStdString();
        error.clear();
        dde::Server server(QStringLiteral("Svc"), [](const QString &, const QString &) { return QString(); });
        EXPECT_FALSE(server.listen(&error));
        EXPECT_FALSE(error.isEmpty());
    }
    if (::getuid() == 0) {
        ASSERT_EQ(::chown(native.constData(), 65534, 65534), 0);
        chosen.set(dir);
        error.clear();
        EXPECT_FALSE(dde::prepareServiceDirectory(&error));
        EXPECT_TRUE(error.contains(dir)) << error.toStdString();
        ASSERT_EQ(::chown(native.constData(), 0, 0), 0);
    }
}

TEST(ServiceDirectory, ServicesAreWaitedForAndBrokenRequestsCut)
{
    QTemporaryDir base;
    EnvVar chosen("FLASHBAR_DDE_DIR", base.path() + QStringLiteral("/dde"));
    QString error;

    // A name too long for a socket cannot be served.
    dde::Server tooLong(QString(200, u'n'), [](const QString &, const QString &) { return QString(); });
    EXPECT_FALSE(tooLong.listen(&error));
    EXPECT_FALSE(error.isEmpty());

    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(dde::waitForService(QStringLiteral("Late"), 300));
    EXPECT_GE(clock.elapsed(), 300);

    QStringList seen;
    dde::Server late(QStringLiteral("Late"), [&](const QString &topic, const QString &item) {
        seen << topic << item;
        return std::optional<QString>(item.toUpper());
    });
    QTimer::singleShot(300, [&] { ASSERT_TRUE(late.listen(&error)) << error.toStdString(); });
    clock.restart();
    EXPECT_TRUE(dde::waitForService(QStringLiteral("Late"), 5000));
    EXPECT_GE(clock.elapsed(), 250);
    // The name is served now: nobody else takes it over.
    dde::Server other(QStringLiteral("Late"), [](const QString &, const QString &) { return QString(); });
    error.clear();
    EXPECT_FALSE(other.listen(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("Late"))) << error.toStdString();
    EXPECT_EQ(dde::request(QStringLiteral("Nobody"), QStringLiteral("T"), QStringLiteral("i")).outcome,
              dde::Reply::NoConversation);

    // A request that comes in pieces is answered once whole; one that
    // announces a frame too long is cut off unanswered.
    const QString path = dde::servicePath(QStringLiteral("Late"));
    const QByteArray request = handoff::requestBytes(QStringLiteral("T"), QStringLiteral("item"));
    EXPECT_EQ(exchange(path, {request.left(3), request.mid(3, 6), request.mid(9)}),
              handoff::frame(QStringLiteral("ITEM")));
    EXPECT_EQ(exchange(path, {QByteArray("\x7f\xff\xff\xff", 4), "more"}), QByteArray());
    EXPECT_EQ(seen, (QStringList{QStringLiteral("T"), QStringLiteral("item")}));
}
