#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

namespace browser {

// Serves the Flash player and the local copies it plays to the program's
// browser windows, over HTTP on the loopback interface. Every address
// carries a random token, so nothing else on the machine can read from it,
// and only the player's files and files handed over by the program are
// served.
class PlayerServer final : public QObject
{
    Q_OBJECT
public:
    // `ruffleDir` holds ruffle.js and its chunks and .wasm files.
    explicit PlayerServer(QString ruffleDir, QObject *parent = nullptr);
    ~PlayerServer() override;

    // The address of a page that plays the local SWF file `path` under the
    // title `title`. Starts the server on first use; empty when it cannot.
    QString playerPageFor(const QString &path, const QString &title);

    QString ruffleDir() const { return m_ruffleDir; }
    // Where the player is found: FLASHBAR_RUFFLE_DIR, else the installed
    // copy, else (build tree only) the source tree's npm package.
    static QString locateRuffle();

private:
    struct Movie
    {
        QString path;
        QString title;
    };

    bool start();
    void serve(QTcpSocket *socket);
    void answer(QTcpSocket *socket, int status, const QByteArray &type, const QByteArray &body);
    QByteArray playerPage(int id) const;
    QByteArray ruffleFile(const QString &name, QByteArray *type);

    QString m_ruffleDir;
    QTcpServer *m_server = nullptr;
    QString m_token;
    QHash<int, Movie> m_movies;
    int m_nextMovie = 1;
    QHash<QString, QByteArray> m_cache;
};

} // namespace browser
