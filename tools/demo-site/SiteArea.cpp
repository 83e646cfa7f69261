#include "SiteArea.h"

#include "DemoSite.h"
#include "SiteFrame.h"

#include <QHttpServer>
#include <QHttpServerRequest>

#include <algorithm>
#include <cstring>

namespace {

// Filled by the registrations' constructors before main() runs; a function
// static, so that it exists whatever order the files are initialised in.
std::vector<RegisteredArea> &registry()
{
    static std::vector<RegisteredArea> areas;
    return areas;
}

} // namespace

SiteAreaRegistration::SiteAreaRegistration(const char *name, SiteAreaFactory factory)
{
    registry().push_back({name, factory});
}

std::vector<RegisteredArea> registeredSiteAreas()
{
    std::vector<RegisteredArea> areas = registry();
    std::sort(areas.begin(), areas.end(),
              [](const RegisteredArea &a, const RegisteredArea &b) { return std::strcmp(a.name, b.name) < 0; });
    return areas;
}

void SiteRoutes::page(const QString &pattern, const Answer &answer)
{
    using Method = QHttpServerRequest::Method;
    DemoSite *site = &m_site;
    m_server.route(pattern, Method::Get, [site, answer](const QHttpServerRequest &request) {
        site->record(request);
        return answer(request);
    });
    // QHttpServer would send the body along with a HEAD answer, which
    // breaks a connection that is kept open.
    m_server.route(pattern, Method::Head,
                   [site, answer](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
                       site->record(request);
                       site::writeHead(answer(request), std::move(responder));
                   });
}

void SiteRoutes::folder(const QString &pattern, const Answer &answer)
{
    using Method = QHttpServerRequest::Method;
    DemoSite *site = &m_site;
    // The router matches the decoded path and the QUrl argument takes the
    // whole rest; the answers split the encoded path themselves, so that an
    // encoded '/' stays part of a name.
    m_server.route(pattern, Method::Get, [site, answer](const QUrl &, const QHttpServerRequest &request) {
        site->record(request);
        return answer(request);
    });
    m_server.route(pattern, Method::Head,
                   [site, answer](const QUrl &, const QHttpServerRequest &request, QHttpServerResponder &&responder) {
                       site->record(request);
                       site::writeHead(answer(request), std::move(responder));
                   });
}

void SiteRoutes::files(const QString &pattern, const FileAnswer &answer)
{
    using Method = QHttpServerRequest::Method;
    DemoSite *site = &m_site;
    for (const Method method : {Method::Get, Method::Head}) {
        m_server.route(
            pattern, method,
            [site, answer, method](const QUrl &, const QHttpServerRequest &request, QHttpServerResponder &&responder) {
                site->record(request);
                FileOrPage result = answer(request);
                const bool head = method == Method::Head;
                if (const SentFile *file = std::get_if<SentFile>(&result))
                    sendFile(*file, request, std::move(responder), site->fileSendingShared(), head);
                else if (head)
                    site::writeHead(std::get<QHttpServerResponse>(result), std::move(responder));
                else
                    std::get<QHttpServerResponse>(result).write(std::move(responder));
            });
    }
}

void SiteRoutes::form(const QString &pattern, const Answer &answer)
{
    using Method = QHttpServerRequest::Method;
    DemoSite *site = &m_site;
    m_server.route(pattern, QHttpServerRequest::Methods(Method::Get) | Method::Post,
                   [site, answer](const QHttpServerRequest &request) {
                       site->record(request);
                       return answer(request);
                   });
}
