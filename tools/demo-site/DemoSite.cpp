#include "DemoSite.h"

#include "SampleSwf.h"

#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "store/JetSql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTcpServer>
#include <QUrl>

#include <limits>
#include <optional>

namespace {

using Status = QHttpServerResponse::StatusCode;

const QString kSiteName = QStringLiteral("Kelvo在线 - Flash吧");
constexpr int kRecentItems = 12;

// One item of the catalogue, as the pages show it.
struct Item
{
    int id = 0;
    QString name;
    QString file;
    QString column;
    QString className;
    QString description;
    QString owner;
    QString uploaded;
};

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// Where the site serves an item's Flash file.
QString filePath(const Item &item)
{
    return QStringLiteral("/files/") + QString::fromLatin1(QUrl::toPercentEncoding(item.column)) + u'/' +
           QString::fromLatin1(QUrl::toPercentEncoding(item.file));
}

QString playingPath(int id)
{
    return QStringLiteral("/flash/openflash.asp?fileid=%1").arg(id);
}

const QString kStyle = QStringLiteral(
    "body{margin:0;background:#f4f1ea;color:#222;font-family:\"Noto Sans CJK SC\",\"WenQuanYi Micro Hei\","
    "sans-serif}"
    "header{background:#b8322a;color:#fff;padding:10px 20px}"
    "header a{color:#fff;text-decoration:none;font-weight:bold}"
    "main{padding:12px 20px}"
    ".meta{color:#666;font-size:90%}");

QString page(const QString &title, const QString &body, const QString &head = QString())
{
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
                          "<title>%1</title>\n<style>%2</style>\n%3</head>\n<body>\n"
                          "<header><a href=\"/\">Kelvo在线 · Flash吧</a></header>\n%4</body>\n</html>\n")
        .arg(escaped(title), kStyle, head, body);
}

QHttpServerResponse html(const QString &text, Status status = Status::Ok)
{
    return QHttpServerResponse(QByteArrayLiteral("text/html; charset=utf-8"), text.toUtf8(), status);
}

QHttpServerResponse problemPage(const QString &title, const QString &message, Status status)
{
    return html(page(title + QStringLiteral(" - Flash吧"),
                     QStringLiteral("<main>\n<h1 id=\"problem\">%1</h1>\n<p id=\"message\">%2</p>\n"
                                    "<p><a href=\"/\">返回首页</a></p>\n</main>\n")
                         .arg(escaped(title), escaped(message))),
                status);
}

// The status line and headers of an answer, without its body.
void writeHead(const QHttpServerResponse &response, QHttpServerResponder &&responder)
{
    responder.writeStatusLine(response.statusCode());
    responder.writeHeader(QByteArrayLiteral("Content-Type"), response.mimeType());
    responder.writeHeader(QByteArrayLiteral("Content-Length"), QByteArray::number(response.data().size()));
    responder.writeBody(QByteArray());
}

QHttpServerResponse badPath()
{
    return problemPage(QStringLiteral("无效的地址"), QStringLiteral("请求的路径不合法，已被拒绝。"),
                       Status::BadRequest);
}

QByteArray methodName(QHttpServerRequest::Method method)
{
    using M = QHttpServerRequest::Method;
    switch (method) {
    case M::Get:
        return QByteArrayLiteral("GET");
    case M::Put:
        return QByteArrayLiteral("PUT");
    case M::Delete:
        return QByteArrayLiteral("DELETE");
    case M::Post:
        return QByteArrayLiteral("POST");
    case M::Head:
        return QByteArrayLiteral("HEAD");
    case M::Options:
        return QByteArrayLiteral("OPTIONS");
    case M::Patch:
        return QByteArrayLiteral("PATCH");
    case M::Connect:
        return QByteArrayLiteral("CONNECT");
    case M::Trace:
        return QByteArrayLiteral("TRACE");
    default:
        return QByteArrayLiteral("UNKNOWN");
    }
}

// The percent-encoded path and query of a request.
QByteArray targetOf(const QUrl &url)
{
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = QByteArrayLiteral("/");
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    return target;
}

// The path segments after `prefix`, each percent-decoded.
enum class PathResult { Ok, NotFound, Refused };
struct Segments
{
    PathResult result = PathResult::NotFound;
    QStringList parts;
};

Segments segmentsAfter(const QUrl &url, QLatin1StringView prefix, qsizetype count)
{
    static const QRegularExpression separator(QStringLiteral("[/\\\\]"));
    Segments out;
    const QString path = url.path(QUrl::FullyEncoded);
    if (!path.startsWith(prefix))
        return out;
    for (const QString &part : path.mid(prefix.size()).split(u'/')) {
        const QString decoded = QUrl::fromPercentEncoding(part.toLatin1());
        // A step up or a do-nothing step, also when spelled "%2e%2e" or
        // hidden behind an encoded separator ("..%2F"), is refused outright.
        if (decoded.contains(QChar(0)))
            return {PathResult::Refused, {}};
        for (const QString &piece : decoded.split(separator)) {
            if (piece == QLatin1String(".") || piece == QLatin1String(".."))
                return {PathResult::Refused, {}};
        }
        out.parts << decoded;
    }
    if (out.parts.size() != count || out.parts.contains(QString()))
        return {PathResult::NotFound, {}};
    out.result = PathResult::Ok;
    return out;
}

// A name that may be looked up as a file in a directory: no separators, not hidden.
bool plainFileName(const QString &name)
{
    return !name.isEmpty() && !name.startsWith(u'.') && !name.contains(u'/') && !name.contains(u'\\');
}

// `dir/name...` when it is a regular file that really lies inside `dir`
// (no link leading elsewhere); empty otherwise.
QString fileInside(const QString &dir, const QStringList &names)
{
    for (const QString &name : names) {
        if (!plainFileName(name))
            return {};
    }
    const QString root = QFileInfo(dir).canonicalFilePath();
    if (root.isEmpty())
        return {};
    const QFileInfo info(dir + u'/' + names.join(u'/'));
    if (!info.isFile())
        return {};
    const QString real = info.canonicalFilePath();
    if (!real.startsWith(root + u'/'))
        return {};
    return real;
}

// Parameters of a query string, names compared without regard to case as
// the old ASP pages did; '+' stands for a space.
std::optional<QString> queryValue(const QUrl &url, QStringView name)
{
    const QString query = url.query(QUrl::FullyEncoded);
    for (const QString &pair : query.split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(u'=');
        QString key = eq < 0 ? pair : pair.left(eq);
        QString value = eq < 0 ? QString() : pair.mid(eq + 1);
        key.replace(u'+', u' ');
        value.replace(u'+', u' ');
        if (QUrl::fromPercentEncoding(key.toLatin1()).compare(name, Qt::CaseInsensitive) == 0)
            return QUrl::fromPercentEncoding(value.toLatin1());
    }
    return std::nullopt;
}

// The body bytes as text: UTF-8 when they are, else each byte outside
// ASCII written as \xNN.
QString bodyText(const QByteArray &body)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(body);
    if (!utf8.hasError())
        return text;
    QString out;
    for (const char c : body) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out += QLatin1Char(c);
        else
            out += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return out;
}

QByteArray mimeTypeOf(const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".js")))
        return QByteArrayLiteral("text/javascript");
    if (fileName.endsWith(QLatin1String(".wasm")))
        return QByteArrayLiteral("application/wasm");
    if (fileName.endsWith(QLatin1String(".map")) || fileName.endsWith(QLatin1String(".json")))
        return QByteArrayLiteral("application/json");
    if (fileName.endsWith(QLatin1String(".md")) || fileName.startsWith(QLatin1String("LICENSE")))
        return QByteArrayLiteral("text/plain; charset=utf-8");
    return QByteArrayLiteral("application/octet-stream");
}

const QByteArray kFlashType = QByteArrayLiteral("application/x-shockwave-flash");

// Runs one statement on a data set of the module and reads the items.
QList<Item> readItems(store::DataSet &set, const QString &sql)
{
    QList<Item> out;
    set.setSql(sql);
    set.open();
    try {
        while (!set.eof()) {
            Item item;
            item.id = set.fieldByName(u"FileID").asInteger();
            item.name = set.fieldByName(u"DisplayName").asString();
            item.file = set.fieldByName(u"Filename").asString();
            item.column = set.fieldByName(u"ColumeName").asString();
            item.className = set.fieldByName(u"classname").asString();
            item.description = set.fieldByName(u"FileDesc").asString();
            item.owner = set.fieldByName(u"Owner").asString();
            item.uploaded = set.fieldByName(u"UploadDate").asString();
            out << item;
            set.next();
        }
    } catch (...) {
        set.close();
        throw;
    }
    set.close();
    return out;
}

} // namespace

QByteArray ReceivedRequest::header(QByteArrayView name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

DemoSite::DemoSite(const QString &home, const QString &ruffleDir, QObject *parent)
    : QObject(parent), m_home(QDir(home).absolutePath()), m_ruffleDir(QDir(ruffleDir).absolutePath()),
      m_dm(std::make_unique<TDM_CDS>(QDir(m_home).filePath(TDM_CDS::defaultPath()))), m_server(new QHttpServer(this))
{
    using Method = QHttpServerRequest::Method;
    using Answer = QHttpServerResponse (DemoSite::*)(const QHttpServerRequest &);
    // GET is answered in full. HEAD gets the same status and headers without
    // the body: QHttpServer would send the body along, which breaks a
    // connection that is kept open.
    const auto routePage = [this](const QString &pattern, Answer answer) {
        m_server->route(pattern, Method::Get, [this, answer](const QHttpServerRequest &request) {
            record(request);
            return (this->*answer)(request);
        });
        m_server->route(pattern, Method::Head,
                        [this, answer](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
                            record(request);
                            writeHead((this->*answer)(request), std::move(responder));
                        });
    };
    // The router matches the decoded path. Under a folder, a QUrl argument
    // takes the whole rest; the handlers split the encoded path themselves,
    // so that an encoded '/' stays part of a name.
    const auto routeFolder = [this](const QString &pattern, Answer answer) {
        m_server->route(pattern, Method::Get, [this, answer](const QUrl &, const QHttpServerRequest &request) {
            record(request);
            return (this->*answer)(request);
        });
        m_server->route(
            pattern, Method::Head,
            [this, answer](const QUrl &, const QHttpServerRequest &request, QHttpServerResponder &&responder) {
                record(request);
                writeHead((this->*answer)(request), std::move(responder));
            });
    };
    // Route patterns are regular expressions, hence the escaped dot.
    routePage(QStringLiteral("/"), &DemoSite::homePage);
    routePage(QStringLiteral("/flash/openflash\\.asp"), &DemoSite::playingPage);
    routeFolder(QStringLiteral("/files/<arg>"), &DemoSite::flashFile);
    routeFolder(QStringLiteral("/ruffle/<arg>"), &DemoSite::ruffleFile);
    m_server->route(QStringLiteral("/echo"), QHttpServerRequest::Methods(Method::Get) | Method::Post,
                    [this](const QHttpServerRequest &request) { return echoPage(record(request)); });
    m_server->setMissingHandler([this](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
        record(request);
        if (request.method() == Method::Head)
            writeHead(notFoundPage(), std::move(responder));
        else
            notFoundPage().write(std::move(responder));
    });
}

DemoSite::~DemoSite() = default;

bool DemoSite::listen(quint16 port)
{
    if (m_listener) {
        m_error = QStringLiteral("the site is already listening on port %1").arg(m_listener->serverPort());
        return false;
    }
    auto *listener = new QTcpServer(this);
    if (!listener->listen(QHostAddress::LocalHost, port)) {
        m_error = listener->errorString();
        delete listener;
        return false;
    }
    m_server->bind(listener);
    m_listener = listener;
    m_error.clear();
    return true;
}

quint16 DemoSite::port() const
{
    return m_listener ? m_listener->serverPort() : 0;
}

QString DemoSite::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(port());
}

TDM_CDS &DemoSite::catalogue()
{
    return *m_dm;
}

QString DemoSite::catalogueProblem()
{
    try {
        readItems(catalogue().aq_all, QStringLiteral("select top 1 * from qry_files"));
        return {};
    } catch (const DatabaseError &e) {
        return e.text();
    }
}

const ReceivedRequest &DemoSite::record(const QHttpServerRequest &request)
{
    ReceivedRequest r;
    r.method = methodName(request.method());
    r.target = targetOf(request.url());
    r.headers = request.headers();
    r.body = request.body();
    m_requests << r;
    return m_requests.constLast();
}

QHttpServerResponse DemoSite::unavailablePage(const QString &why)
{
    return problemPage(QStringLiteral("动画库暂时无法使用"),
                       QStringLiteral("网站读不到动画目录，请稍后再试。（%1）").arg(why), Status::ServiceUnavailable);
}

QHttpServerResponse DemoSite::notFoundPage()
{
    return problemPage(QStringLiteral("找不到这个页面"), QStringLiteral("您访问的页面不存在。"), Status::NotFound);
}

QHttpServerResponse DemoSite::homePage(const QHttpServerRequest &)
{
    QList<Item> recent;
    try {
        recent = readItems(catalogue().aq_all, QStringLiteral("select top %1 * from qry_FilesLast").arg(kRecentItems));
    } catch (const DatabaseError &e) {
        return unavailablePage(e.text());
    }
    QString list;
    for (const Item &item : std::as_const(recent)) {
        list += QStringLiteral("<li><a href=\"%1\">%2</a> <span class=\"meta\">%3 · %4</span></li>\n")
                    .arg(escaped(playingPath(item.id)), escaped(item.name), escaped(item.column),
                         escaped(item.uploaded.left(10)));
    }
    if (recent.isEmpty())
        list = QStringLiteral("<li>还没有动画。</li>\n");
    const QString body = QStringLiteral("<main>\n<h1>欢迎光临 Flash吧</h1>\n"
                                        "<p>这里收藏了各种 Flash 动画：MTV、搞笑短片、小游戏、贺卡……</p>\n"
                                        "<h2>最新动画</h2>\n<ul id=\"recent\">\n%1</ul>\n"
                                        "<p class=\"meta\"><a href=\"/echo\">表单测试页</a></p>\n</main>\n")
                             .arg(list);
    return html(page(kSiteName, body));
}

QHttpServerResponse DemoSite::playingPage(const QHttpServerRequest &request)
{
    const std::optional<QString> value = queryValue(request.url(), u"fileid");
    bool valid = value && !value->isEmpty() && value->size() <= 18;
    if (valid) {
        for (const QChar c : *value)
            valid = valid && c >= u'0' && c <= u'9';
    }
    if (!valid) {
        return problemPage(QStringLiteral("无效的动画编号"),
                           value ? QStringLiteral("“%1”不是有效的动画编号。").arg(*value)
                                 : QStringLiteral("地址里缺少动画编号（fileid）。"),
                           Status::BadRequest);
    }
    const qint64 id = value->toLongLong();
    QList<Item> found;
    if (id <= std::numeric_limits<int>::max()) {
        try {
            found = readItems(catalogue().aq_all, QStringLiteral("select * from qry_files where FileID=%1").arg(id));
        } catch (const DatabaseError &e) {
            return unavailablePage(e.text());
        }
    }
    if (found.isEmpty()) {
        return problemPage(QStringLiteral("找不到这个动画"),
                           QStringLiteral("编号为 %1 的动画不存在，或者已经被删除了。").arg(id), Status::NotFound);
    }
    const Item &item = found.constFirst();

    // The player starts at once: no splash, no click to play or to unmute.
    const QString head = QStringLiteral("<style>#player{width:100%;height:78vh;background:#000}"
                                        "#player>*{display:block;width:100%;height:100%}</style>\n"
                                        "<script>\n"
                                        "window.RufflePlayer = window.RufflePlayer || {};\n"
                                        "window.RufflePlayer.config = {\n"
                                        "  publicPath: \"/ruffle/\",\n"
                                        "  autoplay: \"on\",\n"
                                        "  unmuteOverlay: \"hidden\",\n"
                                        "  splashScreen: false,\n"
                                        "  letterbox: \"on\",\n"
                                        "  polyfills: false,\n"
                                        "  warnOnUnsupportedContent: false,\n"
                                        "  upgradeToHttps: false,\n"
                                        "  contextMenu: \"on\"\n"
                                        "};\n"
                                        "</script>\n"
                                        "<script src=\"/ruffle/ruffle.js\"></script>\n");
    const QString description = escaped(item.description).replace(u'\n', QStringLiteral("<br>\n"));
    const QString body = QStringLiteral("<div id=\"player\" data-swf=\"%1\"></div>\n"
                                        "<main>\n<h1 id=\"name\">%2</h1>\n"
                                        "<p class=\"meta\">分类：%3 · 栏目：%4 · 作者：%5 · 上传于 %6</p>\n"
                                        "<p id=\"description\">%7</p>\n"
                                        "<p><a href=\"%1\">下载这个动画</a> · <a href=\"/\">返回首页</a></p>\n</main>\n"
                                        "<script>\n"
                                        "(function () {\n"
                                        "  var box = document.getElementById(\"player\");\n"
                                        "  var player = window.RufflePlayer.newest().createPlayer();\n"
                                        "  box.appendChild(player);\n"
                                        "  var options = { url: box.dataset.swf };\n"
                                        "  if (typeof player.ruffle === \"function\") player.ruffle().load(options);\n"
                                        "  else player.load(options);\n"
                                        "})();\n"
                                        "</script>\n")
                             .arg(escaped(filePath(item)), escaped(item.name), escaped(item.className),
                                  escaped(item.column), escaped(item.owner), escaped(item.uploaded), description);
    return html(page(item.name, body, head));
}

QHttpServerResponse DemoSite::flashFile(const QHttpServerRequest &request)
{
    const Segments path = segmentsAfter(request.url(), QLatin1StringView("/files/"), 2);
    if (path.result == PathResult::Refused)
        return badPath();
    if (path.result == PathResult::NotFound)
        return notFoundPage();
    const QString &column = path.parts.at(0);
    const QString &file = path.parts.at(1);

    // A real file put in the site's own folder wins over the drawn sample.
    const QString onDisk = fileInside(QDir(m_home).filePath(QStringLiteral("site/files")), {column, file});
    if (!onDisk.isEmpty()) {
        QFile f(onDisk);
        if (f.open(QIODevice::ReadOnly))
            return QHttpServerResponse(kFlashType, f.readAll());
    }

    QList<Item> found;
    try {
        found = readItems(catalogue().aq_all, QStringLiteral("select * from qry_files where ColumeName=%1 and "
                                                             "Filename=%2 order by FileID")
                                                  .arg(store::quoted(column), store::quoted(file)));
    } catch (const DatabaseError &e) {
        return unavailablePage(e.text());
    }
    if (found.isEmpty()) {
        return problemPage(QStringLiteral("找不到这个文件"),
                           QStringLiteral("栏目“%1”里没有文件“%2”。").arg(column, file), Status::NotFound);
    }
    return QHttpServerResponse(kFlashType, samples::sampleSwf(found.constFirst().id));
}

QHttpServerResponse DemoSite::ruffleFile(const QHttpServerRequest &request)
{
    const Segments path = segmentsAfter(request.url(), QLatin1StringView("/ruffle/"), 1);
    if (path.result == PathResult::Refused)
        return badPath();
    if (path.result == PathResult::NotFound)
        return notFoundPage();
    const QString &name = path.parts.at(0);

    auto cached = m_ruffleCache.constFind(name);
    if (cached == m_ruffleCache.constEnd()) {
        const QString real = fileInside(m_ruffleDir, {name});
        if (real.isEmpty())
            return notFoundPage();
        QFile f(real);
        if (!f.open(QIODevice::ReadOnly))
            return notFoundPage();
        // The player's files do not change while the site runs: each is read
        // once, and every answer shares the same bytes.
        cached = m_ruffleCache.insert(name, f.readAll());
    }
    return QHttpServerResponse(mimeTypeOf(name), *cached);
}

QHttpServerResponse DemoSite::echoPage(const ReceivedRequest &r)
{
    QString headers;
    for (const auto &[name, value] : r.headers)
        headers += QString::fromLatin1(name) + QStringLiteral(": ") + QString::fromLatin1(value) + u'\n';
    const QString body =
        QStringLiteral("<main>\n<h1>收到的请求</h1>\n<table>\n"
                       "<tr><th>方法</th><td id=\"method\">%1</td></tr>\n"
                       "<tr><th>地址</th><td id=\"target\">%2</td></tr>\n"
                       "<tr><th>Content-Type</th><td id=\"content-type\">%3</td></tr>\n"
                       "<tr><th>正文</th><td><pre id=\"body\">%4</pre></td></tr>\n"
                       "<tr><th>请求头</th><td><pre id=\"headers\">%5</pre></td></tr>\n"
                       "</table>\n"
                       "<form method=\"post\" action=\"/echo\">\n"
                       "<input name=\"q\" value=\"动画\"> <button type=\"submit\">提交</button>\n"
                       "</form>\n</main>\n")
            .arg(escaped(QString::fromLatin1(r.method)), escaped(QString::fromLatin1(r.target)),
                 escaped(QString::fromLatin1(r.header("Content-Type"))), escaped(bodyText(r.body)), escaped(headers));
    return html(page(QStringLiteral("echo"), body));
}
