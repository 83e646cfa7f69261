// Opening an item, from the list's open request to the movie's first frame
// on the screen, on a real X server with the program's web engine, player
// server and Ruffle. Each run is a fresh program (cold: the first item
// after the list shows; warm: a second item in the open browser window),
// followed by the floor: a bare QWebEngineView loading the same player page
// and movies. Prints medians and the ratios ours/floor, then the memory on
// the million-item catalogue. Needs DISPLAY (make bench runs it under
// xvfb-run).
#include "BenchCatalogue.h"

#include "catalogue/DemoCatalogue.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

QProcessEnvironment probeEnvironment(const QString &dataHome)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // The program's web profile lives here and persists from run to run, as
    // a user's does; the user's own is left alone.
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    if (::getuid() == 0)
        environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    return environment;
}

// The tab-separated fields a probe printed last; empty when it failed.
QStringList runProbe(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(program, arguments);
    if (!probe.waitForFinished(180000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
        probe.kill();
        probe.waitForFinished();
        // The engine's own chatter is long; the probe's verdict comes last.
        std::fprintf(stderr, "%s\n", probe.readAllStandardError().right(2000).constData());
        return {};
    }
    const QList<QByteArray> lines = probe.readAllStandardOutput().trimmed().split('\n');
    return QString::fromUtf8(lines.last()).split(u'\t');
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

struct Figures
{
    QList<double> cold;
    QList<double> warm;
    void add(const QStringList &fields)
    {
        cold << fields.value(1).toDouble();
        warm << fields.value(3).toDouble();
    }
};

void printLine(const char *what, const QList<double> &ours, const QList<double> &floor)
{
    const double o = median(ours);
    const double f = median(floor);
    std::printf("%-6s %10.0f %10.0f %8.2f\n", what, o, f, f > 0 ? o / f : 0.0);
}

void printRuns(const char *what, const QList<double> &values)
{
    std::printf("  %s:", what);
    for (double v : values)
        std::printf(" %.0f", v);
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "bench_open: needs an X server; run it under xvfb-run -a\n");
        return 1;
    }
    int runs = 7;
    bool memory = true;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg.startsWith("--runs="))
            runs = std::max(1, arg.mid(7).toInt());
        else if (arg == "--no-memory")
            memory = false;
    }
    QTemporaryDir home;
    QTemporaryDir dataHome;
    catalogue::DemoOptions options;
    catalogue::writeDemoCatalogue(home.path(), options);
    const QProcessEnvironment environment = probeEnvironment(dataHome.path());

    Figures ours;
    Figures floor;
    for (int run = 0; run < runs; ++run) {
        const QStringList own =
            runProbe(QStringLiteral(OPEN_PROBE), {QStringLiteral("open"), home.path()}, environment);
        if (own.size() < 6) {
            std::fprintf(stderr, "bench_open: the program's run failed\n");
            return 1;
        }
        ours.add(own);
        const QStringList bare = runProbe(QStringLiteral(FLOOR_PROBE), {own.at(4), own.at(5)}, environment);
        if (bare.size() < 4) {
            std::fprintf(stderr, "bench_open: the bare engine's run failed\n");
            return 1;
        }
        floor.add(bare);
    }
    std::printf("open, ms (median of %d)  ours      floor  ours/floor\n", runs);
    printLine("cold", ours.cold, floor.cold);
    printLine("warm", ours.warm, floor.warm);
    printRuns("ours cold", ours.cold);
    printRuns("floor cold", floor.cold);
    printRuns("ours warm", ours.warm);
    printRuns("floor warm", floor.warm);

    if (memory) {
        // Shared pages count in part, so the figure moves with what else
        // runs: a median of three.
        bench::ensureCatalogues();
        QList<double> before, peak, playing;
        for (int run = 0; run < 3; ++run) {
            const QStringList figures = runProbe(QStringLiteral(OPEN_PROBE),
                                                 {QStringLiteral("memory"), bench::homeFor(1'000'000)}, environment);
            if (figures.size() < 6) {
                std::fprintf(stderr, "bench_open: the memory run failed\n");
                return 1;
            }
            before << figures.at(1).toDouble();
            peak << figures.at(3).toDouble();
            playing << figures.at(5).toDouble();
        }
        std::printf("memory at 1,000,000 items, MB (median of 3): resident before any list %.0f (peak %.0f); "
                    "program and engine processes with one item playing (PSS) %.0f\n",
                    median(before), median(peak), median(playing));
        printRuns("PSS playing", playing);
    }
    return 0;
}
