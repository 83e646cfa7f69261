#pragma once

#include <QMap>
#include <QString>

// The manager's settings, kept in the program's settings file under
// [downloads]: connections per file, downloads at once, the overall speed
// limit.
namespace dm {

struct DownloadSettings
{
    static constexpr int kMostConnections = 4;
    static constexpr int kMostAtOnce = 10;
    static constexpr int kMostLimitKb = 1000000;

    int connections = kMostConnections; // to one server, for a large file
    int atOnce = 3;                     // downloads running at once
    int limitKb = 0;                    // KB/s over all downloads; 0 for none
};

// The file's values, each brought within its bounds; defaults for the rest.
DownloadSettings readDownloadSettings();
bool writeDownloadSettings(const DownloadSettings &settings);

// aria2's options for them.
QMap<QString, QString> aria2Options(const DownloadSettings &settings);

} // namespace dm
