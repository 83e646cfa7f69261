#pragma once

// The look and the plumbing every area of the demo site shares: the page
// frame, answers, query strings and form bodies, safe paths.

#include <QByteArray>
#include <QHttpServerResponse>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <utility>

class QHttpServerRequest;
class QHttpServerResponder;
class QUrl;

namespace site {

using Status = QHttpServerResponse::StatusCode;

extern const QString kSiteName;

QString escaped(const QString &text);

// A whole page in the site's frame: header bar with the link home, `body`
// below it, `head` added to the document's head.
QString page(const QString &title, const QString &body, const QString &head = QString());

// The page head that loads the Flash player, its box `height` high (CSS),
// and the box that plays the Flash file at `swfPath` (a path on the site) as
// soon as the page loads.
QString playerHead(const QString &height = QStringLiteral("78vh"));
QString playerBox(const QString &swfPath);

// Text with its line breaks (CR LF, CR or LF) kept as <br>, escaped.
QString escapedLines(const QString &text);

// An HTML answer, UTF-8.
QHttpServerResponse html(const QString &text, Status status = Status::Ok);

// A page that says what went wrong, with a link home.
QHttpServerResponse problemPage(const QString &title, const QString &message, Status status);
QHttpServerResponse notFoundPage();
QHttpServerResponse badPath();
QHttpServerResponse unavailablePage(const QString &why);

// The status line and headers of an answer, without its body (for HEAD).
void writeHead(const QHttpServerResponse &response, QHttpServerResponder &&responder);

// A parameter of a query string, its name compared without regard to case
// as the old ASP pages did; '+' stands for a space. Decoded as UTF-8.
std::optional<QString> queryValue(const QUrl &url, QStringView name);

// The path segments after `prefix`, each percent-decoded.
enum class PathResult { Ok, NotFound, Refused };
struct Segments
{
    PathResult result = PathResult::NotFound;
    QStringList parts;
};
// `count` segments after `prefix`; a step up or a do-nothing step, also
// when encoded, is refused.
Segments segmentsAfter(const QUrl &url, QLatin1StringView prefix, qsizetype count);

// `dir/name...` when it is a regular file that really lies inside `dir`
// (no link leading elsewhere); empty otherwise.
QString fileInside(const QString &dir, const QStringList &names);

// The content type of a file the site serves, by its name.
QByteArray mimeTypeOf(const QString &fileName);

// GBK (GB18030) bytes as text.
QString fromSiteBytes(const QByteArray &bytes);

// The fields of a form as the program and the site's own forms send them:
// GBK bytes, URL-encoded, '+' for a space. A POST's body, else the query.
struct FormFields
{
    QList<std::pair<QString, QString>> pairs;
    // The first value of a field, its name compared without regard to case.
    std::optional<QString> value(QStringView name) const;
};
FormFields formFields(const QHttpServerRequest &request);
FormFields parseForm(const QByteArray &encoded);

// The answer to a posted form: a page whose visible text starts with the
// result code on a line of its own, then a message and more.
QHttpServerResponse answerPage(int code, const QString &title, const QString &message,
                               const QString &moreHtml = QString());

// Bytes as text: UTF-8 when they are, else each byte outside ASCII
// written as \xNN.
QString bodyText(const QByteArray &body);

} // namespace site
