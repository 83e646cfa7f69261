// flashbar-site: the demo web site of a home directory, on 127.0.0.1.
#include "DemoSite.h"

#include "common/Paths.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

#include <unistd.h>

namespace {

constexpr quint16 kDefaultPort = 8731;

// Ends the site once the process `parent` is no longer its parent: the
// program that started it ended, even when it was killed.
void followParent(QCoreApplication &app, pid_t parent)
{
    auto *timer = new QTimer(&app);
    QObject::connect(timer, &QTimer::timeout, &app, [parent] {
        if (::getppid() != parent)
            QCoreApplication::quit();
    });
    timer->start(500);
}

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
    const QCommandLineOption parent(QStringLiteral("parent"),
                                    QStringLiteral("end when the process PID is no longer the site's parent"),
                                    QStringLiteral("PID"));
    parser.addOptions({home, port, ruffle, parent});
    parser.process(app);

    if (!parser.isSet(home) || !parser.positionalArguments().isEmpty()) {
        err << "usage: flashbar-site --home DIR [--port P] [--ruffle DIR] [--parent PID]\n";
        return 2;
    }
    bool ok = false;
    const uint portNumber = parser.value(port).toUInt(&ok);
    if (!ok || portNumber > 65535) {
        err << "flashbar-site: --port takes a number from 0 to 65535\n";
        return 2;
    }
    const qint64 parentPid = parser.isSet(parent) ? parser.value(parent).toLongLong(&ok) : 0;
    if (parser.isSet(parent) && (!ok || parentPid <= 0)) {
        err << "flashbar-site: --parent takes a process number\n";
        return 2;
    }
    if (parentPid > 0 && ::getppid() != pid_t(parentPid))
        return 0;
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
        return common::kSiteNoCatalogueExit;
    }
    if (!site.listen(quint16(portNumber))) {
        err << "flashbar-site: cannot listen on 127.0.0.1:" << portNumber << ": " << site.errorString() << '\n';
        return 1;
    }
    if (parentPid > 0)
        followParent(app, pid_t(parentPid));
    out << "serving " << site.home() << " at " << site.baseUrl() << '\n';
    out.flush();
    return app.exec();
}
