#include "DemoSite.h"

#include "FileSending.h"
#include "SiteAccounts.h"
#include "SiteArea.h"
#include "SiteCatalogue.h"
#include "SiteFrame.h"

#include "catalogue/PublishedCatalogue.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QTcpServer>
#include <QUrl>

namespace {

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

// Whether a form field's name (percent-encoded) names a password.
bool isPasswordField(const QByteArray &encodedName)
{
    const QByteArray name = QByteArray::fromPercentEncoding(QByteArray(encodedName).replace('+', ' ')).toLower();
    return name.contains("pass") || name.contains("pwd");
}

// URL-encoded form pairs with the values of password fields left out:
// "Password=secret" is kept as "Password=".
QByteArray withoutPasswords(const QByteArray &pairs)
{
    QList<QByteArray> parts = pairs.split('&');
    for (QByteArray &part : parts) {
        const qsizetype eq = part.indexOf('=');
        if (eq >= 0 && isPasswordField(part.left(eq)))
            part.truncate(eq + 1);
    }
    return parts.join('&');
}

QByteArray withoutPasswordsInQuery(const QByteArray &target)
{
    const qsizetype question = target.indexOf('?');
    return question < 0 ? target : target.left(question + 1) + withoutPasswords(target.mid(question + 1));
}

// Only this much of a body is kept.
constexpr qsizetype kKeptBody = 64 * 1024;

// The body as kept: a form without its passwords; another body only when it
// speaks of no password, and only its start.
QByteArray keptBody(const ReceivedRequest &r, const QByteArray &body)
{
    if (r.header("Content-Type").toLower().startsWith("application/x-www-form-urlencoded"))
        return withoutPasswords(body.left(kKeptBody));
    if (body.toLower().contains("pass") || body.toLower().contains("pwd"))
        return {};
    return body.left(kKeptBody);
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
      m_dm(std::make_unique<TDM_CDS>(QDir(m_home).filePath(TDM_CDS::defaultPath()))),
      m_accounts(std::make_unique<SiteAccounts>(m_home)), m_server(new QHttpServer(this)),
      m_fileSending(std::make_shared<FileSending>())
{
    SiteRoutes routes(*this, *m_server);
    for (const RegisteredArea &area : registeredSiteAreas()) {
        m_areas.push_back(area.factory(*this));
        m_areas.back()->addRoutes(routes);
    }
    m_server->setMissingHandler([this](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
        record(request);
        if (request.method() == QHttpServerRequest::Method::Head)
            site::writeHead(site::notFoundPage(), std::move(responder));
        else
            site::notFoundPage().write(std::move(responder));
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

TDM_CDS &DemoSite::published()
{
    if (!m_published) {
        catalogue::ensurePublished(m_home);
        m_published = std::make_unique<TDM_CDS>(catalogue::publishedPath(m_home));
    }
    return *m_published;
}

TDM_CDS *DemoSite::publishedIfAny()
{
    if (!m_published && QFile::exists(catalogue::publishedPath(m_home)))
        return &published();
    return m_published.get();
}

QString DemoSite::catalogueProblem()
{
    try {
        site::readItems(catalogue().aq_all, QStringLiteral("select top 1 * from qry_files"));
        return {};
    } catch (const DatabaseError &e) {
        return e.text();
    }
}

QString DemoSite::homeSections()
{
    QString out;
    for (const auto &area : m_areas)
        out += area->homeSection();
    return out;
}

const ReceivedRequest &DemoSite::record(const QHttpServerRequest &request)
{
    ReceivedRequest r;
    r.method = methodName(request.method());
    r.target = withoutPasswordsInQuery(targetOf(request.url()));
    for (const auto &[name, value] : request.headers()) {
        const bool credentials = name.compare("Authorization", Qt::CaseInsensitive) == 0 ||
                                 name.compare("Proxy-Authorization", Qt::CaseInsensitive) == 0;
        r.headers.append({name, credentials ? QByteArray() : value});
    }
    r.body = keptBody(r, request.body());
    if (m_requests.size() >= kKeptRequests)
        m_requests.removeFirst();
    m_requests << r;
    return m_requests.constLast();
}
