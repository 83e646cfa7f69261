#include "platform/NewItemsNotice.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

namespace platform {
namespace {

constexpr int kTimeoutMs = 3000;
// A count's line is short; more without a line end is not a notice.
constexpr qint64 kMaxLine = 32;
const QByteArray kAcknowledge = "ok\n";

} // namespace

QString NewItemsListener::socketPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir(dir).filePath(QStringLiteral("TFrm_Main"));
}

NewItemsListener::NewItemsListener(QObject *parent) : QObject(parent), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &NewItemsListener::acceptConnection);
}

NewItemsListener::~NewItemsListener()
{
    m_server->close();
}

bool NewItemsListener::listen()
{
    const QString path = socketPath();
    // A socket that answers belongs to a running program and is left alone
    // (listening would replace it); one left by a program that has gone is
    // taken over.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(500)) {
        probe.disconnectFromServer();
        m_error = QStringLiteral("另一个程序正在接收新条目通知（%1）").arg(path);
        return false;
    }
    QLocalServer::removeServer(path);
    if (m_server->listen(path))
        return true;
    m_error = m_server->errorString();
    return false;
}

void NewItemsListener::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The sender writes its line at once and waits no longer than this.
        auto *expiry = new QTimer(socket);
        expiry->setSingleShot(true);
        connect(expiry, &QTimer::timeout, socket, &QLocalSocket::abort);
        expiry->start(kTimeoutMs);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->state() != QLocalSocket::ConnectedState) {
                socket->readAll(); // answered already
                return;
            }
            if (!socket->canReadLine() && socket->bytesAvailable() <= kMaxLine)
                return;
            bool ok = false;
            const int count = socket->readLine(kMaxLine + 1).trimmed().toInt(&ok);
            socket->readAll();
            socket->write(ok ? kAcknowledge : QByteArray("bad\n"));
            socket->flush();
            socket->disconnectFromServer();
            if (ok)
                emit newItems(count);
        });
    }
}

bool sendNewItemsNotice(int count, QString *error)
{
    QLocalSocket socket;
    socket.connectToServer(NewItemsListener::socketPath());
    if (!socket.waitForConnected(kTimeoutMs)) {
        *error = QStringLiteral("no running program to notify (%1)").arg(NewItemsListener::socketPath());
        return false;
    }
    socket.write(QByteArray::number(count) + '\n');
    if (!socket.waitForBytesWritten(kTimeoutMs)) {
        *error = QStringLiteral("the notice could not be sent: %1").arg(socket.errorString());
        return false;
    }
    // The answer is one short line: a peer that goes on sending is not read
    // without end.
    QByteArray answer;
    while (answer.size() < kAcknowledge.size() && !answer.endsWith('\n') && socket.waitForReadyRead(kTimeoutMs))
        answer += socket.readAll();
    if (answer != kAcknowledge) {
        *error = QStringLiteral("the running program did not take the notice");
        return false;
    }
    return true;
}

} // namespace platform
