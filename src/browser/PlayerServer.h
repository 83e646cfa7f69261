#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

#include "common/Settings.h"

class QTcpServer;
class QTcpSocket;
class QUrl;

namespace browser {

// Serves the Flash player and the local copies it plays to the program's
// browser windows, over HTTP on the loopback interface. The player's own
// files are public and kept by the engine's cache; every other address
// carries a random token, so nothing else on the machine can read from it,
// and only files handed over by the program are served.
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

    // A movie handed over to a player page that is already open: the
    // address (path and query) the page then stands for, and the movie's.
    struct Handover
    {
        QString page;
        QString movie;
    };
    Handover handOver(const QString &path, const QString &title);

    // A player page with a blank movie: the player loaded and ready, so the
    // next movie handed to it starts at once. Empty when the server cannot
    // start.
    QString readyPage();
    // Whether `url` is one of this server's player pages.
    bool isPlayerPage(const QUrl &url) const;
    // Whether `url` is the page kept ready, standing for no movie.
    bool isReadyPage(const QUrl &url) const;

    // Tries this port first, then any; the port it got is written back, so
    // the player's addresses (and the engine's cache of them) stay the same
    // from run to run.
    void rememberPortIn(const QString &file) { m_portFile = file; }

    // The movies' sound, in every player page: new pages start with it, and
    // the windows pass every change to the pages they show.
    common::PlayerSound sound() const { return m_sound; }
    void setSound(const common::PlayerSound &sound);
    // Takes the sound from the settings file and writes each change back.
    void keepSoundInSettings();

    QString ruffleDir() const { return m_ruffleDir; }
    // Where the player is found: FLASHBAR_RUFFLE_DIR, else the installed
    // copy, else (build tree only) the source tree's npm package.
    static QString locateRuffle();

signals:
    // A request was answered; `path` is its address without the token.
    void served(const QString &path);
    void soundChanged(const common::PlayerSound &sound);

private:
    struct Movie
    {
        QString path;
        QString title;
    };

    bool start();
    // "play", "ready", … for an address of this server's with the token.
    QString pageKind(const QUrl &url) const;
    bool listen();
    int addMovie(const QString &path, const QString &title);
    void serve(QTcpSocket *socket);
    void serveTokened(QTcpSocket *socket, const QStringList &parts);
    void answer(QTcpSocket *socket, int status, const QByteArray &type, const QByteArray &body, bool keep = false);
    QByteArray movieAddress(int id) const;
    // `standsForMovie`: the page is a movie's, not one kept ready.
    QByteArray playerPage(const QByteArray &movieUrl, const QString &title, bool standsForMovie);
    QString playerVersion();
    QByteArray ruffleFile(const QString &name, QByteArray *type);

    QString m_ruffleDir;
    QTcpServer *m_server = nullptr;
    QString m_token;
    QString m_portFile;
    QString m_version;
    QHash<int, Movie> m_movies;
    int m_nextMovie = 1;
    QHash<QString, QByteArray> m_cache;
    common::PlayerSound m_sound;
    bool m_keepsSound = false;
};

} // namespace browser
