// From starting the program to its main window drawn: the program runs with
// --screenshot on a demo home and is timed until it exits.
#include "catalogue/DemoCatalogue.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

QString demoHome()
{
    static QTemporaryDir *home = [] {
        auto *dir = new QTemporaryDir;
        catalogue::DemoOptions options;
        options.items = 2000;
        catalogue::writeDemoCatalogue(dir->path(), options);
        return dir;
    }();
    return home->path();
}

void BM_StartToMainWindow(benchmark::State &state)
{
    const QString home = demoHome();
    const QString shot = QDir(home).filePath(QStringLiteral("main.png"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (auto _ : state) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(FLASHBAR_PROGRAM),
                      {QStringLiteral("--home"), home, QStringLiteral("--screenshot"), shot});
        if (!program.waitForFinished(30000) || program.exitCode() != 0) {
            state.SkipWithError("the program did not start");
            break;
        }
    }
}

BENCHMARK(BM_StartToMainWindow)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
