#include "app/HomeInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace app {
namespace {

constexpr int kAnswerMs = 3000;
const QByteArray kRaise = "raise\n";
const QByteArray kDone = "ok\n";

} // namespace

QString homeSocketPath(const QString &home)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QString canonical = QFileInfo(home).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir(home).absolutePath();
    const QByteArray digest = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir(dir).filePath(QStringLiteral("flashbar-home-") + QString::fromLatin1(digest));
}

HomeInstance::HomeInstance(const QString &home, QObject *parent)
    : QObject(parent), m_socketPath(homeSocketPath(home)), m_lock(m_socketPath + QStringLiteral(".lock"))
{
    // The lock goes stale only when its program has gone, never with age.
    m_lock.setStaleLockTime(0);
}

HomeInstance::~HomeInstance()
{
    if (m_server)
        m_server->close();
}

HomeInstance::Claim HomeInstance::claim()
{
    if (m_lock.tryLock(0)) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer::removeServer(m_socketPath);
        m_server->listen(m_socketPath);
        connect(m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *socket = m_server->nextPendingConnection()) {
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                    if (!socket->canReadLine())
                        return;
                    const bool raise = socket->readLine() == kRaise;
                    socket->write(raise ? kDone : QByteArray("bad\n"));
                    socket->flush();
                    socket->disconnectFromServer();
                    if (raise)
                        emit raiseRequested();
                });
            }
        });
        return Claim::First;
    }
    return askOtherToRaise() ? Claim::OtherRaised : Claim::OtherSilent;
}

bool HomeInstance::askOtherToRaise()
{
    // The other program may still be setting up its socket: try for a while.
    const QDeadlineTimer deadline(kAnswerMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(int(deadline.remainingTime()))) {
            socket.write(kRaise);
            socket.flush();
            QByteArray answer;
            while (!answer.endsWith('\n') && socket.waitForReadyRead(int(deadline.remainingTime())))
                answer += socket.readAll();
            return answer == kDone;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace app
