#include "browser/PlayerServer.h"

#include "common/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace browser {
namespace {

QByteArray htmlEscaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    default:
        return "Bad Request";
    }
}

} // namespace

PlayerServer::PlayerServer(QString ruffleDir, QObject *parent) : QObject(parent), m_ruffleDir(std::move(ruffleDir))
{
    const quint64 a = QRandomGenerator::system()->generate64();
    const quint64 b = QRandomGenerator::system()->generate64();
    m_token = QString::number(a, 36) + QString::number(b, 36);
}

PlayerServer::~PlayerServer() = default;

QString PlayerServer::locateRuffle()
{
    return common::ruffleDir();
}

bool PlayerServer::start()
{
    if (m_server && m_server->isListening())
        return true;
    m_server = new QTcpServer(this);
    if (!m_server->listen(QHostAddress::LocalHost, 0))
        return false;
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
    return true;
}

QString PlayerServer::playerPageFor(const QString &path, const QString &title)
{
    if (!start())
        return {};
    const int id = m_nextMovie++;
    m_movies.insert(id, {QFileInfo(path).absoluteFilePath(), title});
    return QStringLiteral("http://127.0.0.1:%1/%2/play/%3").arg(m_server->serverPort()).arg(m_token).arg(id);
}

void PlayerServer::answer(QTcpSocket *socket, int status, const QByteArray &type, const QByteArray &body)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\n";
    head += "Content-Type: " + type + "\r\n";
    head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    head += "Cache-Control: no-store\r\nConnection: close\r\n\r\n";
    socket->setProperty("answered", true);
    socket->write(head);
    socket->write(body);
    socket->disconnectFromHost();
}

void PlayerServer::serve(QTcpSocket *socket)
{
    // Only the request line matters: every request is a GET without a body,
    // answered once; the header lines that follow are read and dropped.
    if (socket->property("answered").toBool()) {
        socket->readAll();
        return;
    }
    if (!socket->canReadLine())
        return;
    const QList<QByteArray> request = socket->readLine().trimmed().split(' ');
    if (request.size() < 2 || request.at(0) != "GET") {
        answer(socket, 400, "text/plain", "bad request");
        return;
    }
    const QString path = QUrl::fromPercentEncoding(request.at(1));
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    if (parts.size() < 3 || parts.at(0) != m_token) {
        answer(socket, 404, "text/plain", "not found");
        return;
    }
    const QString &kind = parts.at(1);
    if (kind == QLatin1String("ruffle") && parts.size() == 3) {
        QByteArray type;
        const QByteArray body = ruffleFile(parts.at(2), &type);
        if (type.isEmpty())
            answer(socket, 404, "text/plain", "not found");
        else
            answer(socket, 200, type, body);
        return;
    }
    bool ok = false;
    const int id = parts.at(2).toInt(&ok);
    if (!ok || !m_movies.contains(id)) {
        answer(socket, 404, "text/plain", "not found");
        return;
    }
    if (kind == QLatin1String("play")) {
        answer(socket, 200, "text/html; charset=utf-8", playerPage(id));
    } else if (kind == QLatin1String("movie")) {
        QFile file(m_movies.value(id).path);
        if (!file.open(QIODevice::ReadOnly))
            answer(socket, 404, "text/plain", "not found");
        else
            answer(socket, 200, "application/x-shockwave-flash", file.readAll());
    } else {
        answer(socket, 404, "text/plain", "not found");
    }
}

QByteArray PlayerServer::ruffleFile(const QString &name, QByteArray *type)
{
    // Only plain file names of the player's own folder.
    if (name.contains(u'/') || name.startsWith(u'.'))
        return {};
    if (name.endsWith(QLatin1String(".js")))
        *type = "text/javascript";
    else if (name.endsWith(QLatin1String(".wasm")))
        *type = "application/wasm";
    else if (name.endsWith(QLatin1String(".map")))
        *type = "application/json";
    else
        return {};
    auto cached = m_cache.constFind(name);
    if (cached != m_cache.constEnd())
        return *cached;
    QFile file(QDir(m_ruffleDir).filePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        type->clear();
        return {};
    }
    const QByteArray body = file.readAll();
    m_cache.insert(name, body);
    return body;
}

QByteArray PlayerServer::playerPage(int id) const
{
    const Movie &movie = m_movies[id];
    const QByteArray base = '/' + m_token.toLatin1();
    const QByteArray movieUrl =
        base + "/movie/" + QByteArray::number(id) + '/' + QUrl::toPercentEncoding(QFileInfo(movie.path).fileName());
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + htmlEscaped(movie.title) +
           "</title>\n<style>html,body{margin:0;height:100%;background:#000;overflow:hidden}"
           "#player{width:100%;height:100%}ruffle-player{width:100%;height:100%}</style>\n"
           "<script>window.RufflePlayer=window.RufflePlayer||{};window.RufflePlayer.config={publicPath:\"" +
           base +
           "/ruffle/\",autoplay:\"on\",unmuteOverlay:\"hidden\",splashScreen:false,letterbox:\"on\","
           "contextMenu:\"off\",warnOnUnsupportedContent:false};</script>\n"
           "<script src=\"" +
           base +
           "/ruffle/ruffle.js\"></script>\n</head><body><div id=\"player\"></div>\n<script>\n"
           "const player=window.RufflePlayer.newest().createPlayer();\n"
           "document.getElementById(\"player\").appendChild(player);\n"
           "player.load(\"" +
           movieUrl + "\");\n</script></body></html>\n";
}

} // namespace browser
