#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace bench {

// Waits until `rgb` (0xRRGGBB) covers a good part of `area` as the X server
// shows it (the window's own pixels, read back from the screen), polling
// every few milliseconds. Answers the milliseconds since `since` started,
// or nothing after `timeoutMs`.
std::optional<double> waitForPaint(QWidget *area, unsigned rgb, const QElapsedTimer &since, int timeoutMs = 30000);

// The background colour of the SWF file at `path`, when it is not black or
// white (colours a page shows before any movie), else nothing.
std::optional<unsigned> distinctBackground(const QString &path);

// Resident and peak resident memory of this process, in MB.
double residentMegabytes();
double peakResidentMegabytes();
// Proportional set size, in MB, of this process and its descendants.
double proportionalMegabytesWithChildren();

// Prints one line of figures for the driver: name and value, tab-separated.
void report(const QStringList &figures);

} // namespace bench
