#include "PaintWatch.h"

#include "Processes.h"
#include "samples/SampleSwf.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace bench {
namespace {

bool near(int a, int b)
{
    return qAbs(a - b) < 10;
}

// The share of sampled points of `area` that show `rgb`.
double coverage(QWidget *area, unsigned rgb)
{
    if (!area->isVisible())
        return 0;
    const QPoint at = area->mapTo(area->window(), QPoint(0, 0));
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(area->window()->winId(), at.x(), at.y(), area->width(), area->height())
                            .toImage();
    const int r = int((rgb >> 16) & 0xff), g = int((rgb >> 8) & 0xff), b = int(rgb & 0xff);
    int all = 0;
    int matching = 0;
    for (int y = 2; y < shot.height(); y += 6)
        for (int x = 2; x < shot.width(); x += 6) {
            const QRgb c = shot.pixel(x, y);
            ++all;
            if (near(qRed(c), r) && near(qGreen(c), g) && near(qBlue(c), b))
                ++matching;
        }
    return all ? double(matching) / all : 0;
}

// Sums a "Name: value kB" line of /proc files.
double procKilobytes(const QString &file, const QByteArray &name)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    double sum = 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(name + ':'))
            sum += line.mid(name.size() + 1).trimmed().split(' ').value(0).toDouble();
    }
    return sum;
}

// This process and every process below it.
} // namespace

std::optional<double> waitForPaint(QWidget *area, unsigned rgb, const QElapsedTimer &since, int timeoutMs)
{
    std::optional<double> painted;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (coverage(area, rgb) > 0.3) {
            painted = since.nsecsElapsed() / 1e6;
            loop.quit();
        } else if (since.elapsed() > timeoutMs) {
            loop.quit();
        }
    });
    poll.start();
    loop.exec();
    return painted;
}

std::optional<unsigned> distinctBackground(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<unsigned> rgb = samples::backgroundOf(file.read(4096));
    if (!rgb || *rgb == 0 || *rgb == 0xffffff)
        return std::nullopt;
    return rgb;
}

double residentMegabytes()
{
    return procKilobytes(QStringLiteral("/proc/self/status"), "VmRSS") / 1024;
}

double peakResidentMegabytes()
{
    return procKilobytes(QStringLiteral("/proc/self/status"), "VmHWM") / 1024;
}

double proportionalMegabytesWithChildren()
{
    double kb = 0;
    for (qint64 pid : selfAndDescendants()) {
        const double one = procKilobytes(QStringLiteral("/proc/%1/smaps_rollup").arg(pid), "Pss");
        const QByteArray name = processFile(pid, "cmdline");
        std::fprintf(stderr, "pss %6.0f MB  %lld %s\n", one / 1024, pid, name.left(120).constData());
        kb += one;
    }
    return kb / 1024;
}

void report(const QStringList &figures)
{
    std::printf("%s\n", figures.join(u'\t').toUtf8().constData());
    std::fflush(stdout);
}

} // namespace bench
