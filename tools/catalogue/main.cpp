// flashbar-catalogue: writes and inspects catalogue files.
#include "ImportCommand.h"
#include "catalogue/DemoCatalogue.h"
#include "catalogue/PublishedCatalogue.h"
#include "import/ImportProcess.h"

#include "store/DatabaseError.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <cstdio>
#include <exception>

namespace {

int usage(QTextStream &err)
{
    err << "usage: flashbar-catalogue demo DIR [--items N] [--seed S] [--site URL] [--force]\n"
           "       flashbar-catalogue info DIR\n"
           "       flashbar-catalogue publish SITEHOME [--items N]\n"
           "       flashbar-catalogue import FILE.mdb DIR [--force]\n";
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("flashbar-catalogue"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a demo catalogue, prints a catalogue's counts, or publishes new items on the demo site."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("demo, info, publish or import"));
    parser.addPositionalArgument(QStringLiteral("dir"), QStringLiteral("home directory holding Data/info.db"));
    const QCommandLineOption items(QStringLiteral("items"),
                                   QStringLiteral("number of items (default 2000; to publish, 10)"),
                                   QStringLiteral("N"), QStringLiteral("2000"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("random seed (default 1)"),
                                  QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption site(QStringLiteral("site"), QStringLiteral("base address of the demo web site"),
                                  QStringLiteral("URL"), QStringLiteral("http://127.0.0.1:8731/"));
    const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("replace an existing catalogue"));
    parser.addOptions({items, seed, site, force});
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    // An Access file is read in a worker process, this program again.
    if (args.size() == 3 && args.at(0) == QLatin1String("import-worker"))
        return import::runImportWorker(args.at(1), args.at(2), parser.isSet(force));
    if (args.size() == 3 && args.at(0) == QLatin1String("import"))
        return runImportCommand(args.at(1), args.at(2), parser.isSet(force));
    if (args.size() != 2)
        return usage(err);

    try {
        if (args.at(0) == QLatin1String("demo")) {
            catalogue::DemoOptions options;
            bool ok = false;
            options.items = parser.value(items).toInt(&ok);
            if (!ok || options.items < 0) {
                err << "--items takes a number of 0 or more\n";
                return 2;
            }
            options.seed = parser.value(seed).toULongLong(&ok);
            if (!ok) {
                err << "--seed takes a whole number\n";
                return 2;
            }
            options.site = parser.value(site);
            if (!options.site.endsWith(u'/'))
                options.site += u'/';
            options.replace = parser.isSet(force);
            QElapsedTimer timer;
            timer.start();
            catalogue::writeDemoCatalogue(args.at(1), options);
            out << "wrote " << catalogue::cataloguePath(args.at(1)) << " with " << options.items << " items in "
                << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s\n";
            return 0;
        }
        if (args.at(0) == QLatin1String("publish")) {
            bool ok = false;
            const int count = parser.isSet(items) ? parser.value(items).toInt(&ok) : 10;
            if (parser.isSet(items) && (!ok || count < 0)) {
                err << "--items takes a number of 0 or more\n";
                return 2;
            }
            const int first = catalogue::publishItems(args.at(1), count);
            out << "published " << count << " items (" << first << " to " << first + count - 1 << ") in "
                << catalogue::publishedPath(args.at(1)) << '\n';
            return 0;
        }
        if (args.at(0) == QLatin1String("info")) {
            out << catalogue::catalogueInfo(args.at(1));
            return 0;
        }
    } catch (const DatabaseError &e) {
        err << "flashbar-catalogue: " << e.text() << '\n';
        return 1;
    } catch (const std::exception &e) {
        err << "flashbar-catalogue: " << QString::fromStdString(e.what()) << '\n';
        return 1;
    }
    return usage(err);
}
