#include "browser/PlayerServer.h"

#include "common/Paths.h"
#include "samples/SampleSwf.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace browser {
namespace {

QByteArray htmlEscaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

// The player's menu made small enough for the smallest window, without the
// player's own about and debugging entries.
const QByteArray kMenuStyle =
    "#context-menu{font-size:12px;line-height:15px;padding:1px 0;max-height:100vh;overflow-y:auto}"
    "#context-menu .menu-item{padding:1px 10px}#context-menu .menu-separator hr{margin:0}"
    "#context-menu li[data-text^='关于'],#context-menu li[data-text='复制调试信息'],"
    "#context-menu .menu-separator:nth-last-child(2){display:none}";

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

void PlayerServer::setSound(const common::PlayerSound &sound)
{
    common::PlayerSound kept = sound;
    kept.volume = std::clamp(kept.volume, 0, 100);
    if (kept == m_sound)
        return;
    m_sound = kept;
    emit soundChanged(m_sound);
}

void PlayerServer::keepSoundInSettings()
{
    setSound(common::readPlayerSound());
    if (!std::exchange(m_keepsSound, true))
        connect(this, &PlayerServer::soundChanged, this, &common::keepPlayerSound);
}

QString PlayerServer::locateRuffle()
{
    return common::ruffleDir();
}

bool PlayerServer::start()
{
    if (m_server && m_server->isListening())
        return true;
    if (!m_server) {
        m_server = new QTcpServer(this);
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server->nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            }
        });
    }
    return listen();
}

bool PlayerServer::listen()
{
    QFile portFile(m_portFile);
    const int remembered =
        !m_portFile.isEmpty() && portFile.open(QIODevice::ReadOnly) ? portFile.readAll().trimmed().toInt() : 0;
    portFile.close();
    if (remembered < 1024 || remembered > 65535 || !m_server->listen(QHostAddress::LocalHost, quint16(remembered))) {
        if (!m_server->listen(QHostAddress::LocalHost, 0))
            return false;
    }
    if (!m_portFile.isEmpty() && m_server->serverPort() != remembered && QDir().mkpath(QFileInfo(m_portFile).path()) &&
        portFile.open(QIODevice::WriteOnly))
        portFile.write(QByteArray::number(m_server->serverPort()));
    return true;
}

int PlayerServer::addMovie(const QString &path, const QString &title)
{
    const int id = m_nextMovie++;
    m_movies.insert(id, {QFileInfo(path).absoluteFilePath(), title});
    return id;
}

QString PlayerServer::playerPageFor(const QString &path, const QString &title)
{
    if (!start())
        return {};
    const int id = addMovie(path, title);
    return QStringLiteral("http://127.0.0.1:%1/%2/play/%3").arg(m_server->serverPort()).arg(m_token).arg(id);
}

PlayerServer::Handover PlayerServer::handOver(const QString &path, const QString &title)
{
    const int id = addMovie(path, title);
    return {QStringLiteral("/%1/play/%2").arg(m_token).arg(id), QString::fromLatin1(movieAddress(id))};
}

QString PlayerServer::readyPage()
{
    if (!start())
        return {};
    return QStringLiteral("http://127.0.0.1:%1/%2/ready/0").arg(m_server->serverPort()).arg(m_token);
}

QString PlayerServer::pageKind(const QUrl &url) const
{
    if (!m_server || !m_server->isListening() || url.scheme() != QLatin1String("http") ||
        url.host() != QLatin1String("127.0.0.1") || url.port() != m_server->serverPort())
        return {};
    const QStringList parts = url.path().split(u'/', Qt::SkipEmptyParts);
    if (parts.size() < 3 || parts.at(0) != m_token)
        return {};
    return parts.at(1);
}

bool PlayerServer::isPlayerPage(const QUrl &url) const
{
    const QString kind = pageKind(url);
    return kind == QLatin1String("play") || kind == QLatin1String("ready");
}

bool PlayerServer::isReadyPage(const QUrl &url) const
{
    return pageKind(url) == QLatin1String("ready");
}

void PlayerServer::answer(QTcpSocket *socket, int status, const QByteArray &type, const QByteArray &body, bool keep)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\n";
    head += "Content-Type: " + type + "\r\n";
    head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    // The player's files never change under their addresses, so the engine
    // keeps them, and its compiled WebAssembly, as long as it likes.
    head += keep ? "Cache-Control: public, max-age=31536000, immutable\r\n" : "Cache-Control: no-store\r\n";
    head += "Connection: close\r\n\r\n";
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
    if (parts.size() == 3 && parts.at(0) == QLatin1String("ruffle") && parts.at(1) == playerVersion()) {
        QByteArray type;
        const QByteArray body = ruffleFile(parts.at(2), &type);
        if (type.isEmpty())
            answer(socket, 404, "text/plain", "not found");
        else
            answer(socket, 200, type, body, true);
    } else if (parts.size() >= 3 && parts.at(0) == m_token) {
        serveTokened(socket, parts);
    } else {
        answer(socket, 404, "text/plain", "not found");
    }
    emit served(QString(path).replace(m_token, QStringLiteral("token")));
}

void PlayerServer::serveTokened(QTcpSocket *socket, const QStringList &parts)
{
    const QString &kind = parts.at(1);
    if (kind == QLatin1String("ready")) {
        answer(socket, 200, "text/html; charset=utf-8",
               playerPage('/' + m_token.toLatin1() + "/blank/0/blank.swf", {}, false));
        return;
    }
    if (kind == QLatin1String("blank")) {
        answer(socket, 200, "application/x-shockwave-flash", samples::blankSwf());
        return;
    }
    bool ok = false;
    const int id = parts.at(2).toInt(&ok);
    if (!ok || !m_movies.contains(id)) {
        answer(socket, 404, "text/plain", "not found");
        return;
    }
    if (kind == QLatin1String("play")) {
        answer(socket, 200, "text/html; charset=utf-8", playerPage(movieAddress(id), m_movies.value(id).title, true));
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

QString PlayerServer::playerVersion()
{
    // The player's files live under a folder named after its script, so a
    // new player is never mistaken for the one the engine kept.
    if (m_version.isEmpty()) {
        QByteArray type;
        m_version = QString::fromLatin1(
            QCryptographicHash::hash(ruffleFile(QStringLiteral("ruffle.js"), &type), QCryptographicHash::Sha1)
                .toHex()
                .left(12));
    }
    return m_version;
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

QByteArray PlayerServer::movieAddress(int id) const
{
    return '/' + m_token.toLatin1() + "/movie/" + QByteArray::number(id) + '/' +
           QUrl::toPercentEncoding(QFileInfo(m_movies.value(id).path).fileName());
}

QByteArray PlayerServer::playerPage(const QByteArray &movieUrl, const QString &title, bool standsForMovie)
{
    const QByteArray ruffle = "/ruffle/" + playerVersion().toLatin1() + '/';
    // The player speaks Chinese, its menu (play, rewind, quality, full
    // screen, volume) on a right click included.
    // flashbarShow() puts a new player in the page for the next movie: the
    // previous one goes first, its picture and sound with it. The page is
    // said to be redrawn three frames later, frames of earlier movies aside.
    // The player's picture takes the keyboard once the player has made it
    // able to, as a click into it would.
    // For an item, "发送给好友" heads the player's menu and is told to the
    // program; the program says whether the page shows one (flashbarItem).
    // The sound is set through the player's own volume controls, so they
    // show it; a change the user makes there is told to the program.
    // flashbarPlay() shows a movie handed over and makes the page stand for
    // it; a movie the page stood for stays in the history, one step back,
    // and comes again with that step. A page kept ready (its movie blank)
    // stands for nothing, so the next movie takes its place.
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + htmlEscaped(title) +
           "</title>\n<style>html,body{margin:0;height:100%;background:#000;overflow:hidden}"
           "#player{width:100%;height:100%}ruffle-player{width:100%;height:100%}</style>\n"
           "<script>for(const [name,value] of [[\"language\",\"zh-CN\"],[\"languages\",[\"zh-CN\"]]])\n"
           "Object.defineProperty(Navigator.prototype,name,{get:()=>value});\n"
           "window.RufflePlayer=window.RufflePlayer||{};window.RufflePlayer.config={publicPath:\"" +
           ruffle +
           "\","
           "autoplay:\"on\",unmuteOverlay:\"hidden\",splashScreen:false,letterbox:\"on\","
           "contextMenu:\"rightClickOnly\",allowFullscreen:true,warnOnUnsupportedContent:false};</script>\n"
           "<script src=\"" +
           ruffle +
           "ruffle.js\"></script>\n</head><body><div id=\"player\"></div>\n<script>\n"
           "let flashbarMovies=0,flashbarStands=" +
           (standsForMovie ? "true" : "false") +
           ";\n"
           "function flashbarShow(movie,title){\n"
           "const box=document.getElementById(\"player\");box.replaceChildren();\n"
           "const n=++flashbarMovies;window.flashbarRedrawn=false;\n"
           "const redrawn=frames=>requestAnimationFrame(()=>{if(n!==flashbarMovies)return;\n"
           "if(frames>1)redrawn(frames-1);else window.flashbarRedrawn=true;});\n"
           "redrawn(3);\n"
           "document.title=title;if(!movie)return;\n"
           "const player=window.RufflePlayer.newest().createPlayer();flashbarStyle(player);flashbarListen(player);\n"
           "player.addEventListener(\"contextmenu\",()=>flashbarAddToMenu(player));\n"
           "box.appendChild(player);player.load(movie);flashbarFocus(player,n,200);}\n"
           "function flashbarFocus(player,n,tries){if(n!==flashbarMovies)return;\n"
           "const c=player.shadowRoot&&player.shadowRoot.getElementById(\"container\");\n"
           "if(c&&c.hasAttribute(\"tabindex\"))c.focus({preventScroll:true});\n"
           "if((!c||player.shadowRoot.activeElement!==c)&&tries>0)setTimeout(()=>flashbarFocus(player,n,tries-1),50);}"
           "\n"
           "let flashbarItem=false;\n"
           "function flashbarAddToMenu(player){const s=player.shadowRoot,menu=s&&s.getElementById(\"context-menu\");\n"
           "if(!flashbarItem||!menu||!menu.firstChild)return;\n"
           "const entry=document.createElement(\"li\");entry.className=\"menu-item\";\n"
           "entry.textContent=entry.dataset.text=\"发送给好友\";\n"
           "entry.addEventListener(\"click\",e=>{e.preventDefault();e.stopPropagation();\n"
           "s.getElementById(\"context-menu-overlay\").classList.add(\"hidden\");console.info(\"flashbar-recommend\");}"
           ");\n"
           "const line=document.createElement(\"li\");line.className=\"menu-separator\";\n"
           "line.appendChild(document.createElement(\"hr\"));menu.insertBefore(line,menu.firstChild);\n"
           "menu.insertBefore(entry,line);\n"
           "const over=menu.getBoundingClientRect().bottom-document.documentElement.clientHeight;\n"
           "if(over>0)menu.style.top=Math.max(0,parseFloat(menu.style.top)-over)+\"px\";}\n"
           "function flashbarStyle(player){if(!player.shadowRoot)return;\n"
           "const style=document.createElement(\"style\");style.textContent=\"" +
           kMenuStyle +
           "\";\n"
           "player.shadowRoot.appendChild(style);}\n"
           "let flashbarSound={volume:" +
           QByteArray::number(m_sound.volume) + ",muted:" + (m_sound.muted ? "true" : "false") +
           "},flashbarQuiet=false;\n"
           "function flashbarSoundControls(player){const s=player.shadowRoot;\n"
           "return s?[s.getElementById(\"volume-slider\"),s.getElementById(\"mute-checkbox\")]:[];}\n"
           "function flashbarApplySound(player){const [slider,box]=flashbarSoundControls(player);\n"
           "if(!slider||!box)return;flashbarQuiet=true;\n"
           "slider.valueAsNumber=flashbarSound.volume;slider.dispatchEvent(new Event(\"input\"));\n"
           "box.checked=flashbarSound.muted;box.dispatchEvent(new Event(\"change\"));flashbarQuiet=false;}\n"
           "function flashbarListen(player){const [slider,box]=flashbarSoundControls(player);\n"
           "if(!slider||!box)return;\n"
           "const tell=()=>{if(flashbarQuiet)return;flashbarSound={volume:slider.valueAsNumber,muted:box.checked};\n"
           "console.info(\"flashbar-sound \"+flashbarSound.volume+\" \"+(flashbarSound.muted?1:0));};\n"
           "slider.addEventListener(\"input\",tell);box.addEventListener(\"change\",tell);flashbarApplySound(player);}"
           "\n"
           "function flashbarSetSound(volume,muted){flashbarSound={volume:volume,muted:muted};\n"
           "const p=document.querySelector(\"ruffle-player\");if(p)flashbarApplySound(p);}\n"
           "function flashbarPlay(movie,title,address){\n"
           "if(address){const state={movie:movie,title:title};\n"
           "if(flashbarStands)history.pushState(state,\"\",address);else history.replaceState(state,\"\",address);}\n"
           "flashbarStands=!!address;flashbarShow(movie,title);}\n"
           "addEventListener(\"popstate\",e=>{if(e.state)flashbarShow(e.state.movie,e.state.title);});\n"
           "history.replaceState({movie:\"" +
           movieUrl +
           "\",title:document.title},\"\");\n"
           "flashbarShow(\"" +
           movieUrl + "\",document.title);\n</script></body></html>\n";
}

} // namespace browser
