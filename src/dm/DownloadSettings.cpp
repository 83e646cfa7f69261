#include "dm/DownloadSettings.h"

#include "common/Settings.h"

#include <QSettings>

#include <algorithm>

namespace dm {

namespace {

const QString kConnections = QStringLiteral("downloads/connections");
const QString kAtOnce = QStringLiteral("downloads/at_once");
const QString kLimit = QStringLiteral("downloads/speed_limit_kb");

int bounded(const QSettings &file, const QString &key, int fallback, int least, int most)
{
    bool ok = false;
    const int value = file.value(key).toInt(&ok);
    return ok ? std::clamp(value, least, most) : fallback;
}

} // namespace

DownloadSettings readDownloadSettings()
{
    const QSettings file(common::settingsFilePath(), QSettings::IniFormat);
    DownloadSettings s;
    s.connections = bounded(file, kConnections, s.connections, 1, DownloadSettings::kMostConnections);
    s.atOnce = bounded(file, kAtOnce, s.atOnce, 1, DownloadSettings::kMostAtOnce);
    s.limitKb = bounded(file, kLimit, s.limitKb, 0, DownloadSettings::kMostLimitKb);
    return s;
}

bool writeDownloadSettings(const DownloadSettings &s)
{
    QSettings file(common::settingsFilePath(), QSettings::IniFormat);
    file.setValue(kConnections, s.connections);
    file.setValue(kAtOnce, s.atOnce);
    file.setValue(kLimit, s.limitKb);
    file.sync();
    return file.status() == QSettings::NoError;
}

QMap<QString, QString> aria2Options(const DownloadSettings &s)
{
    return {{QStringLiteral("max-connection-per-server"), QString::number(s.connections)},
            {QStringLiteral("split"), QString::number(s.connections)},
            {QStringLiteral("max-concurrent-downloads"), QString::number(s.atOnce)},
            {QStringLiteral("max-overall-download-limit"), QString::number(s.limitKb) + u'K'}};
}

} // namespace dm
