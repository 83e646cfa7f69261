#pragma once

// An area of the demo site (home page, playing pages, accounts, ...): one
// source file each. An area file defines a SiteArea and registers it with a
// SiteAreaRegistration at namespace scope; every DemoSite then creates its
// own instance of each registered area and lets it add its routes:
//
//     class AccountsArea final : public SiteArea { ... };
//     const SiteAreaRegistration kAccounts(
//         "accounts", [](DemoSite &site) -> std::unique_ptr<SiteArea> {
//             return std::make_unique<AccountsArea>(site);
//         });
//
// Areas are created in the order of their names; their routes must not
// overlap.

#include "FileSending.h"

#include <QHttpServerResponse>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class DemoSite;
class QHttpServer;
class QHttpServerRequest;

// Adds an area's routes to the site's server. Every request is recorded by
// the site before its answer is made. Patterns are the server's regular
// expressions (escape the dot: "/zc/Reg\\.ASP").
class SiteRoutes final
{
public:
    using Answer = std::function<QHttpServerResponse(const QHttpServerRequest &)>;

    SiteRoutes(DemoSite &site, QHttpServer &server) : m_site(site), m_server(server) {}

    // GET and HEAD of one page (HEAD: the same status and headers, no body).
    void page(const QString &pattern, const Answer &answer);
    // GET and HEAD of everything under a folder: the pattern ends in
    // "<arg>", which takes the whole rest of the path.
    void folder(const QString &pattern, const Answer &answer);
    // GET and HEAD of the files under a folder ("<arg>" as above), sent
    // with byte ranges as FileSending.h says; a page where there is no file.
    using FileAnswer = std::function<FileOrPage(const QHttpServerRequest &)>;
    void files(const QString &pattern, const FileAnswer &answer);
    // GET and POST of a page that takes a form, in its query or its body.
    void form(const QString &pattern, const Answer &answer);

private:
    DemoSite &m_site;
    QHttpServer &m_server;
};

class SiteArea
{
public:
    virtual ~SiteArea() = default;
    virtual void addRoutes(SiteRoutes &routes) = 0;
    // An HTML fragment for the home page (a link, a note); empty for none.
    virtual QString homeSection() { return {}; }
};

using SiteAreaFactory = std::unique_ptr<SiteArea> (*)(DemoSite &site);

class SiteAreaRegistration final
{
public:
    SiteAreaRegistration(const char *name, SiteAreaFactory factory);
};

struct RegisteredArea
{
    const char *name;
    SiteAreaFactory factory;
};

// Every registered area, in the order of their names.
std::vector<RegisteredArea> registeredSiteAreas();
