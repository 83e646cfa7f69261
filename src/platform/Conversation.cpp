#include "platform/Conversation.h"

#include "handoff/Framing.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace platform::dde {

namespace {

constexpr int kConnectTimeoutMs = 1000;

} // namespace

QString serviceDirectory()
{
    const QString chosen = qEnvironmentVariable("FLASHBAR_DDE_DIR");
    if (!chosen.isEmpty())
        return QDir::cleanPath(chosen);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return QDir(runtime).filePath(QStringLiteral("flashbar-dde"));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("flashbar-dde-%1").arg(::getuid()));
}

bool prepareServiceDirectory(QString *error)
{
    const QString dir = serviceDirectory();
    const QByteArray native = QFile::encodeName(dir);
    QDir().mkpath(QFileInfo(dir).path());
    // Made with the final mode at once, so nobody else can slip in between.
    ::mkdir(native.constData(), 0700);
    struct stat st = {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = QStringLiteral("无法建立目录 %1").arg(dir);
        return false;
    }
    if (st.st_uid != ::getuid()) {
        *error = QStringLiteral("目录 %1 属于另一个用户").arg(dir);
        return false;
    }
    if ((st.st_mode & 0777) != 0700 && ::chmod(native.constData(), 0700) != 0) {
        *error = QStringLiteral("无法设定目录 %1 的权限").arg(dir);
        return false;
    }
    return true;
}

QString servicePath(const QString &service)
{
    return QDir(serviceDirectory()).filePath(service);
}

Reply request(const QString &service, const QString &topic, const QString &item, int timeoutMs)
{
    Reply reply;
    QLocalSocket socket;
    socket.connectToServer(servicePath(service));
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return reply;
    reply.outcome = Reply::NoData;

    handoff::FrameReader reader;
    QEventLoop loop;
    const auto take = [&] {
        reader.append(socket.readAll());
        if (const std::optional<QString> answer = reader.next()) {
            reply.outcome = Reply::Data;
            reply.data = *answer;
            return true;
        }
        return reader.broken();
    };
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        if (take())
            loop.quit();
    });
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);

    socket.write(handoff::requestBytes(topic, item));
    timer.start(timeoutMs);
    if (socket.state() == QLocalSocket::ConnectedState)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    // An answer may have come together with the close.
    if (reply.outcome != Reply::Data)
        take();
    socket.abort();
    return reply;
}

bool serviceAnswers(const QString &service)
{
    QLocalSocket socket;
    socket.connectToServer(servicePath(service));
    const bool connected = socket.waitForConnected(kConnectTimeoutMs);
    socket.abort();
    return connected;
}

bool waitForService(const QString &service, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!serviceAnswers(service)) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return true;
}

Server::Server(const QString &service, Handler handler, QObject *parent)
    : QObject(parent), m_service(service), m_handler(std::move(handler)), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &Server::acceptConnections);
}

Server::~Server()
{
    m_server->close();
}

bool Server::listen(QString *error)
{
    if (!prepareServiceDirectory(error))
        return false;
    const QString path = servicePath(m_service);
    if (serviceAnswers(m_service)) {
        *error = QStringLiteral("另一个程序已经提供服务“%1”").arg(m_service);
        return false;
    }
    QLocalServer::removeServer(path);
    if (m_server->listen(path))
        return true;
    *error = m_server->errorString();
    return false;
}

void Server::close()
{
    m_server->close();
}

void Server::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A client that says nothing is not waited for without end.
        auto *expiry = new QTimer(socket);
        expiry->setSingleShot(true);
        connect(expiry, &QTimer::timeout, socket, &QLocalSocket::abort);
        expiry->start(kRequestTimeoutMs);
        auto reader = std::make_shared<handoff::RequestReader>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, reader] {
            if (reader->complete())
                return; // answered already
            reader->append(socket->readAll());
            if (reader->broken()) {
                socket->abort();
                return;
            }
            const std::optional<handoff::Request> request = reader->request();
            if (!request)
                return;
            const std::optional<QString> answer = m_handler(request->topic, request->item);
            if (answer) {
                socket->write(handoff::frame(*answer));
                socket->disconnectFromServer();
            } else {
                socket->abort();
            }
        });
    }
}

} // namespace platform::dde
