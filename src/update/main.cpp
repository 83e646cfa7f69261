// flashbar-update: keeps the catalogue current from the site's feed. The
// program starts it after an online login; it has no window and writes what
// goes wrong to its log.
#include "platform/NewItemsNotice.h"
#include "store/Connection.h"
#include "store/DatabaseError.h"
#include "update/Updater.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

int fail(const QString &text)
{
    update::appendLog(text);
    std::fprintf(stderr, "flashbar-update: %s\n", text.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("flashbar-update"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Adds the items the site published since the catalogue's newest "
                                                    "one and tells the running program how many arrived."));
    parser.addHelpOption();
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("home directory holding Data/info.db "
                                                 "(default: the current directory)"),
                                  QStringLiteral("DIR"), QDir::currentPath());
    const QCommandLineOption site(QStringLiteral("site"),
                                  QStringLiteral("the site's base address (default: "
                                                 "FLASHBAR_SITE, else the settings)"),
                                  QStringLiteral("URL"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QStringLiteral("milliseconds to wait for a page"),
                                     QStringLiteral("MS"), QStringLiteral("15000"));
    parser.addOptions({home, site, timeout});
    parser.process(app);

    update::UpdateOptions options;
    options.site = update::siteAddress(parser.value(site));
    if (options.site.isEmpty())
        return fail(QStringLiteral("the site's address is not an http or https address"));
    bool ok = false;
    options.timeoutMs = parser.value(timeout).toInt(&ok);
    if (!ok || options.timeoutMs <= 0)
        return fail(QStringLiteral("--timeout takes a number of milliseconds"));

    update::UpdateResult result;
    try {
        store::Connection catalogue(QDir(parser.value(home)).filePath(QStringLiteral("Data/info.db")));
        result = update::fetchNewItems(catalogue, options);
    } catch (const DatabaseError &e) {
        return fail(e.text());
    }
    if (result.added > 0) {
        QString error;
        if (!platform::sendNewItemsNotice(result.added, &error))
            update::appendLog(QStringLiteral("%1 new items; %2").arg(result.added).arg(error));
    }
    if (!result.error.isEmpty())
        return fail(QStringLiteral("after %1 new items: %2").arg(result.added).arg(result.error));
    std::printf("%d new items\n", result.added);
    return 0;
}
