// flashbar-site: the demo web site of a home directory, on 127.0.0.1.
#include "DemoSite.h"

#include "common/Paths.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr quint16 kDefaultPort = 8731;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("flashbar-site"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Serves the demo web site of a home directory on 127.0.0.1."));
    parser.addHelpOption();
    const QCommandLineOption home(QStringLiteral("home"), QStringLiteral("home directory holding Data/info.db"),
                                  QStringLiteral("DIR"));
    const QCommandLineOption port(
        QStringLiteral("port"), QStringLiteral("port to listen on (default %1, 0 picks a free one)").arg(kDefaultPort),
        QStringLiteral("P"), QString::number(kDefaultPort));
    const QCommandLineOption ruffle(QStringLiteral("ruffle"), QStringLiteral("folder of the Ruffle player's files"),
                                    QStringLiteral("DIR"));
    parser.addOptions({home, port, ruffle});
    parser.process(app);

    if (!parser.isSet(home) || !parser.positionalArguments().isEmpty()) {
        err << "usage: flashbar-site --home DIR [--port P] [--ruffle DIR]\n";
        return 2;
    }
    bool ok = false;
    const uint portNumber = parser.value(port).toUInt(&ok);
    if (!ok || portNumber > 65535) {
        err << "flashbar-site: --port takes a number from 0 to 65535\n";
        return 2;
    }
    const QString ruffleDir = parser.isSet(ruffle) ? parser.value(ruffle) : common::ruffleDir();
    if (ruffleDir.isEmpty())
        err << "flashbar-site: warning: the Flash player's files were not found (--ruffle DIR), the playing pages "
               "will not play\n";
    else if (!QFileInfo(QDir(ruffleDir).filePath(QStringLiteral("ruffle.js"))).isFile())
        err << "flashbar-site: warning: no ruffle.js in " << ruffleDir << ", the playing pages will not play\n";

    DemoSite site(parser.value(home), ruffleDir);
    const QString problem = site.catalogueProblem();
    if (!problem.isEmpty()) {
        err << "flashbar-site: " << site.home() << " has no usable catalogue: " << problem << '\n';
        return 1;
    }
    if (!site.listen(quint16(portNumber))) {
        err << "flashbar-site: cannot listen on 127.0.0.1:" << portNumber << ": " << site.errorString() << '\n';
        return 1;
    }
    out << "serving " << site.home() << " at " << site.baseUrl() << '\n';
    out.flush();
    return app.exec();
}
