#include "app/CommandLine.h"

#include "common/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace app {
namespace {

// Takes the value of an option given as "--name VALUE" or "--name=VALUE".
bool takeValue(const QStringList &args, qsizetype &i, const QString &name, QString *value, QString *error)
{
    const QString &arg = args.at(i);
    if (arg == name) {
        if (i + 1 >= args.size()) {
            *error = QStringLiteral("%1 needs a value").arg(name);
            return true;
        }
        *value = args.at(++i);
        return true;
    }
    if (arg.startsWith(name + u'=')) {
        *value = arg.mid(name.size() + 1);
        return true;
    }
    return false;
}

} // namespace

Options parseCommandLine(const QStringList &arguments, const QString &siteFromEnvironment)
{
    Options o;
    QString site = siteFromEnvironment;
    QString notify;
    bool notifyGiven = false;
    for (qsizetype i = 1; i < arguments.size() && o.error.isEmpty(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            o.help = true;
        } else if (arg == QLatin1String("--version") || arg == QLatin1String("-v")) {
            o.version = true;
        } else if (takeValue(arguments, i, QStringLiteral("--home"), &o.home, &o.error) ||
                   takeValue(arguments, i, QStringLiteral("--site"), &site, &o.error) ||
                   takeValue(arguments, i, QStringLiteral("--screenshot"), &o.screenshot, &o.error)) {
        } else if (takeValue(arguments, i, QStringLiteral("--notify-new-items"), &notify, &o.error)) {
            notifyGiven = true;
        } else if (arg.startsWith(u'-')) {
            // Options of the toolkit itself (-platform, -style ...) are left to it.
            if (!arg.startsWith(QLatin1String("--")) && i + 1 < arguments.size() &&
                !arguments.at(i + 1).startsWith(u'-'))
                ++i;
            else if (arg.startsWith(QLatin1String("--")))
                o.error = QStringLiteral("unknown option %1").arg(arg);
        } else {
            o.error = QStringLiteral("unexpected argument %1").arg(arg);
        }
    }
    if (notifyGiven && o.error.isEmpty()) {
        bool ok = false;
        const int n = notify.toInt(&ok);
        if (ok)
            o.notifyNewItems = n;
        else
            o.error = QStringLiteral("--notify-new-items takes a whole number, not \"%1\"").arg(notify);
    }
    if (o.error.isEmpty() && !site.isEmpty())
        o.error = common::siteAddressProblem(site);
    o.siteGiven = !site.isEmpty();
    o.site = common::withTrailingSlash(site.isEmpty() ? kDefaultSite : site);
    return o;
}

QString helpText()
{
    return QStringLiteral("Usage: flashbar [options]\n"
                          "A desktop client for a web site's catalogue of Flash animations.\n\n"
                          "  --home DIR              work in DIR (Data/info.db, 001/, local/ are found there)\n"
                          "  --site URL              base address of the web site (also FLASHBAR_SITE), for this run;\n"
                          "                          else [site] address= in ~/.config/flashbar/flashbar.conf\n"
                          "  --notify-new-items N    tell the running program that N new items arrived, then exit\n"
                          "  --screenshot FILE       start, save the main window as a PNG picture, then exit\n"
                          "  --version               print the version\n"
                          "  --help                  print this text\n");
}

QString versionText()
{
    return QStringLiteral("KelvoFlash吧 2.01\n");
}

QString resolveHome(const QString &explicitHome, const QString &currentDir, const QString &userDataDir)
{
    if (!explicitHome.isEmpty())
        return QDir(currentDir).absoluteFilePath(explicitHome);
    if (QFileInfo(QDir(currentDir).filePath(QStringLiteral("Data"))).isDir())
        return QDir(currentDir).absolutePath();
    return QDir(userDataDir).absoluteFilePath(QStringLiteral("flashbar"));
}

} // namespace app
