#include "SiteFrame.h"

#include <QFileInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

namespace site {

const QString kSiteName = QStringLiteral("Kelvo在线 - Flash吧");

namespace {

const QString kStyle = QStringLiteral(
    "body{margin:0;background:#f4f1ea;color:#222;font-family:\"Noto Sans CJK SC\",\"WenQuanYi Micro Hei\","
    "sans-serif}"
    "header{background:#b8322a;color:#fff;padding:10px 20px}"
    "header a{color:#fff;text-decoration:none;font-weight:bold}"
    "main{padding:12px 20px}"
    ".meta{color:#666;font-size:90%}"
    "table{border-collapse:collapse}th,td{padding:4px 12px;text-align:left;border-bottom:1px solid #ddd}");

// A name that may be looked up as a file in a directory: no separators, not hidden.
bool plainFileName(const QString &name)
{
    return !name.isEmpty() && !name.startsWith(u'.') && !name.contains(u'/') && !name.contains(u'\\');
}

} // namespace

QString fromSiteBytes(const QByteArray &bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString page(const QString &title, const QString &body, const QString &head)
{
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
                          "<title>%1</title>\n<style>%2</style>\n%3</head>\n<body>\n"
                          "<header><a href=\"/\">Kelvo在线 · Flash吧</a></header>\n%4</body>\n</html>\n")
        .arg(escaped(title), kStyle, head, body);
}

QString playerHead(const QString &height)
{
    // The player starts at once: no splash, no click to play or to unmute;
    // the movie may fill the screen.
    return QStringLiteral("<style>#player{width:100%;height:") + height +
           QStringLiteral(";background:#000}"
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
                          "  contextMenu: \"on\",\n"
                          "  allowFullscreen: true\n"
                          "};\n"
                          "</script>\n"
                          "<script src=\"/ruffle/ruffle.js\"></script>\n");
}

QString playerBox(const QString &swfPath)
{
    return QStringLiteral("<div id=\"player\" data-swf=\"%1\"></div>\n"
                          "<script>\n"
                          "(function () {\n"
                          "  var box = document.getElementById(\"player\");\n"
                          "  var player = window.RufflePlayer.newest().createPlayer();\n"
                          "  box.appendChild(player);\n"
                          "  var options = { url: box.dataset.swf };\n"
                          "  if (typeof player.ruffle === \"function\") player.ruffle().load(options);\n"
                          "  else player.load(options);\n"
                          "  // The movie has the keyboard once the player can take it.\n"
                          "  var focus = function (tries) {\n"
                          "    var c = player.shadowRoot && player.shadowRoot.getElementById(\"container\");\n"
                          "    if (c && c.hasAttribute(\"tabindex\")) c.focus({ preventScroll: true });\n"
                          "    if ((!c || player.shadowRoot.activeElement !== c) && tries > 0)\n"
                          "      setTimeout(function () { focus(tries - 1); }, 50);\n"
                          "  };\n"
                          "  focus(200);\n"
                          "})();\n"
                          "</script>\n")
        .arg(escaped(swfPath));
}

QString escapedLines(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return escaped(lines).replace(u'\n', QStringLiteral("<br>\n"));
}

QHttpServerResponse html(const QString &text, Status status)
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

QHttpServerResponse notFoundPage()
{
    return problemPage(QStringLiteral("找不到这个页面"), QStringLiteral("您访问的页面不存在。"), Status::NotFound);
}

QHttpServerResponse badPath()
{
    return problemPage(QStringLiteral("无效的地址"), QStringLiteral("请求的路径不合法，已被拒绝。"),
                       Status::BadRequest);
}

QHttpServerResponse unavailablePage(const QString &why)
{
    return problemPage(QStringLiteral("动画库暂时无法使用"),
                       QStringLiteral("网站读不到动画目录，请稍后再试。（%1）").arg(why), Status::ServiceUnavailable);
}

void writeHead(const QHttpServerResponse &response, QHttpServerResponder &&responder)
{
    responder.writeStatusLine(response.statusCode());
    responder.writeHeader(QByteArrayLiteral("Content-Type"), response.mimeType());
    responder.writeHeader(QByteArrayLiteral("Content-Length"), QByteArray::number(response.data().size()));
    responder.writeBody(QByteArray());
}

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

std::optional<QString> FormFields::value(QStringView name) const
{
    for (const auto &[key, value] : pairs) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

FormFields parseForm(const QByteArray &encoded)
{
    const auto decode = [](QByteArray part) {
        return fromSiteBytes(QByteArray::fromPercentEncoding(part.replace('+', ' ')));
    };
    FormFields out;
    for (const QByteArray &pair : encoded.split('&')) {
        if (pair.isEmpty())
            continue;
        const qsizetype eq = pair.indexOf('=');
        out.pairs.append({decode(eq < 0 ? pair : pair.left(eq)), eq < 0 ? QString() : decode(pair.mid(eq + 1))});
    }
    return out;
}

FormFields formFields(const QHttpServerRequest &request)
{
    if (request.method() == QHttpServerRequest::Method::Post)
        return parseForm(request.body());
    return parseForm(request.url().query(QUrl::FullyEncoded).toLatin1());
}

QHttpServerResponse answerPage(int code, const QString &title, const QString &message, const QString &moreHtml)
{
    // No header bar: the code must be the first text of the page.
    return html(QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
                               "<title>%1</title>\n<style>%2</style>\n</head>\n<body>\n"
                               "<main>\n<p id=\"code\">%3</p>\n<p id=\"message\">%4</p>\n%5"
                               "<p><a href=\"/\">返回首页</a></p>\n</main>\n</body>\n</html>\n")
                    .arg(escaped(title), kStyle, QString::number(code), escaped(message), moreHtml));
}

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

} // namespace site
