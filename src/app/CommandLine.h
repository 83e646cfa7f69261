#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace app {

inline const QString kDefaultSite = QStringLiteral("http://127.0.0.1:8731/");

struct Options
{
    QString home;       // --home DIR
    QString site;       // --site URL (with a trailing '/'), else FLASHBAR_SITE, else the demo site
    QString screenshot; // --screenshot FILE
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
