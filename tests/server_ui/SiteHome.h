#pragma once

// A demo home with its catalogue and the demo site serving it, made once per
// test program; the players's files come from the source tree.
#include "DemoSite.h"
#include "browser/PlayerServer.h"
#include "catalogue/DemoCatalogue.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

struct SiteHome
{
    SiteHome() : player(QStringLiteral(RUFFLE_DIR))
    {
        catalogue::DemoOptions options;
        options.items = 40;
        catalogue::writeDemoCatalogue(home.path(), options);
        site = std::make_unique<DemoSite>(home.path(), QStringLiteral(RUFFLE_DIR));
        if (!site->listen())
            ADD_FAILURE() << site->errorString().toStdString();
    }
    QString base() const { return site->baseUrl(); }

    QTemporaryDir home;
    std::unique_ptr<DemoSite> site;
    browser::PlayerServer player;
};

inline SiteHome &siteHome()
{
    static SiteHome *s = new SiteHome;
    return *s;
}

// The requests the shared site answered of one method whose path starts with
// `path`, oldest first.
inline QList<ReceivedRequest> siteRequestsTo(const QByteArray &method, const QByteArray &path)
{
    QList<ReceivedRequest> out;
    for (const ReceivedRequest &r : siteHome().site->requests()) {
        if (r.method == method && r.target.startsWith(path))
            out << r;
    }
    return out;
}
