// flashbar: the KelvoFlash吧 program.
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/FirstStart.h"
#include "app/HomeInstance.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "app/StartUp.h"
#include "browser/EngineTuning.h"
#include "common/Paths.h"
#include "platform/NewItemsNotice.h"
#include "platform/QtPrompter.h"
#include "platform/StreamPrompter.h"
#include "platform/WaylandSeat.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <optional>

#include <unistd.h>

namespace {

QStringList argumentsOf(int argc, char **argv)
{
    QStringList out;
    for (int i = 0; i < argc; ++i)
        out << QString::fromLocal8Bit(argv[i]);
    return out;
}

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

int notify(int argc, char **argv, int count)
{
    QCoreApplication app(argc, argv);
    QString error;
    if (!platform::sendNewItemsNotice(count, &error)) {
        print(stderr, QStringLiteral("flashbar: %1\n").arg(error));
        return 1;
    }
    return 0;
}

// The first start's import reads the Access file in this program again, as
// a worker without a window: "--import-worker FILE HOME".
constexpr const char *kImportWorker = "--import-worker";

int importWorker(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return import::runImportWorker(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), false);
}

bool hasDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    return !platform.isEmpty() || !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], kImportWorker) == 0)
        return importWorker(argc, argv);
    const app::Options options =
        app::parseCommandLine(argumentsOf(argc, argv), QString::fromLocal8Bit(qgetenv("FLASHBAR_SITE")));
    if (!options.error.isEmpty()) {
        print(stderr, QStringLiteral("flashbar: %1\n\n%2").arg(options.error, app::helpText()));
        return 2;
    }
    if (options.help) {
        print(stdout, app::helpText());
        return 0;
    }
    if (options.version) {
        print(stdout, app::versionText());
        return 0;
    }
    if (options.notifyNewItems)
        return notify(argc, argv, *options.notifyNewItems);

    // A screenshot needs no screen.
    if (!options.screenshot.isEmpty() && qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!hasDisplay()) {
        print(stderr, QStringLiteral("flashbar: no display to show the window on.\n"
                                     "Run it on a desktop, under a virtual display (xvfb-run -a flashbar ...),\n"
                                     "or save the window as a picture with --screenshot FILE.\n"));
        return 1;
    }
    if (::getuid() == 0 && qgetenv("QTWEBENGINE_DISABLE_SANDBOX").isEmpty())
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    browser::tuneEngine();
    platform::goWithoutInputMethodWhereNoSeat(browser::probeDisplay().kind == browser::Display::Kind::Wayland);

    // The program works in its home directory: the catalogue, the skin and
    // the local copies are found there.
    const QString home = app::resolveHome(options.home, QDir::currentPath(),
                                          QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    if (!QDir().mkpath(home) || !QDir::setCurrent(home)) {
        print(stderr, QStringLiteral("flashbar: cannot work in %1\n").arg(home));
        return 1;
    }

    Application application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kelvoflash.flashbar"));
    Application::useWindowFont();
    application.closeOnSignals();
    // Message boxes, or stderr when the run only takes a screenshot.
    platform::QtPrompter boxes;
    platform::StreamPrompter stream;
    platform::Prompter &prompter = options.screenshot.isEmpty() ? static_cast<platform::Prompter &>(boxes) : stream;
    application.setPrompter(&prompter);

    // One program per home: a second start brings the first one forward. A
    // first start on a home without a catalogue offers a demo one.
    app::HomeInstance instance(home);
    common::SiteSetting site;
    const std::optional<int> quit = app::prepareHome(
        instance, options, home, {QCoreApplication::applicationFilePath(), {QString::fromLatin1(kImportWorker)}},
        prompter, &site);
    if (quit)
        return *quit;
    // Ends with the program (declared before it, so destroyed after it).
    app::LocalSite localSite;
    if (options.screenshot.isEmpty())
        app::startLocalSite(localSite, site.address, site.ownSite, home, common::siteProgram(), prompter);

    Program program(prompter, site.address);
    boxes.setOwner(program.Frm_Main());
    application.setMainWindow(program.Frm_Main());
    // A picture of the main window waits for no one.
    program.setLoginAtStart(options.screenshot.isEmpty());
    QObject::connect(&instance, &app::HomeInstance::raiseRequested, program.Frm_Main(),
                     [&program] { app::bringToFront(program.Frm_Main()); });
    if (!options.screenshot.isEmpty()) {
        QObject::connect(&program, &Program::ready, &application, [&] {
            const bool saved = program.Frm_Main()->grab().save(options.screenshot, "PNG");
            if (!saved)
                print(stderr, QStringLiteral("flashbar: cannot write %1\n").arg(options.screenshot));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    program.start();
    const int code = application.exec();
    return code != 0 ? code : program.exitCode();
}
