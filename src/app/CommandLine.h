#pragma once

#include "common/Settings.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace app {

inline const QString kDefaultSite = common::kDefaultSiteAddress;

struct Options
{
    QString home;           // --home DIR
    QString site;           // --site URL (with a trailing '/'), else FLASHBAR_SITE, else the demo site
    bool siteGiven = false; // whether --site or FLASHBAR_SITE named the site
    QString screenshot;     // --screenshot FILE
    std::optional<int> notifyNewItems;
    bool help = false;
    bool version = false;
    QString error; // set when the command line cannot be used
};

Options parseCommandLine(const QStringList &arguments, const QString &siteFromEnvironment);
QString helpText();
QString versionText();

// The directory the program works in: --home if given, else the current
// directory when it holds Data/, else the user's data directory.
QString resolveHome(const QString &explicitHome, const QString &currentDir, const QString &userDataDir);

} // namespace app
