#include "common/Settings.h"

#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

namespace common {
namespace {

const QString kAddressKey = QStringLiteral("site/address");
const QString kLocalKey = QStringLiteral("site/local");
const QString kVolumeKey = QStringLiteral("player/volume");
const QString kMutedKey = QStringLiteral("player/muted");

bool isLoopbackName(const QString &host)
{
    return host == QLatin1String("127.0.0.1") || host == QLatin1String("localhost");
}

// Two addresses of one site: same scheme, port and path, the host equal or
// both this machine's own names.
bool sameSite(const QString &a, const QString &b)
{
    const QUrl x(withTrailingSlash(a)), y(withTrailingSlash(b));
    const bool sameHost = x.host() == y.host() || (isLoopbackName(x.host()) && isLoopbackName(y.host()));
    return sameHost && x.scheme() == y.scheme() && x.port(80) == y.port(80) && x.path() == y.path();
}

} // namespace

QString settingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/flashbar/flashbar.conf");
}

QString siteAddressProblem(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
        url.host().isEmpty())
        return QStringLiteral("the site address \"%1\" is not an http address").arg(address);
    return {};
}

QString withTrailingSlash(QString address)
{
    if (!address.endsWith(u'/'))
        address += u'/';
    return address;
}

bool isDefaultSiteAddress(const QString &address)
{
    return sameSite(address, kDefaultSiteAddress);
}

SiteSetting readSiteAddress(const QString &override)
{
    const QSettings settings(settingsFilePath(), QSettings::IniFormat);
    const QString stored = settings.value(kAddressKey).toString().trimmed();
    const bool storedUsable = !stored.isEmpty() && siteAddressProblem(stored).isEmpty();
    // The file's address is our own site when it is marked so.
    const auto own = [&](const QString &address) {
        return isDefaultSiteAddress(address) ||
               (storedUsable && settings.value(kLocalKey).toBool() && sameSite(address, stored));
    };
    if (!override.isEmpty())
        return {withTrailingSlash(override), {}, own(override)};
    if (settings.status() != QSettings::NoError)
        return {kDefaultSiteAddress, QStringLiteral("%1 cannot be read").arg(settingsFilePath()), true};
    if (stored.isEmpty())
        return {kDefaultSiteAddress, {}, true};
    if (!storedUsable)
        return {kDefaultSiteAddress,
                QStringLiteral("%1 in %2; %3 is used instead")
                    .arg(siteAddressProblem(stored), settingsFilePath(), kDefaultSiteAddress),
                true};
    return {withTrailingSlash(stored), {}, own(stored)};
}

bool keepDefaultSiteAddress()
{
    QSettings settings(settingsFilePath(), QSettings::IniFormat);
    if (settings.contains(kAddressKey))
        return true;
    settings.setValue(kAddressKey, kDefaultSiteAddress);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

PlayerSound readPlayerSound()
{
    const QSettings settings(settingsFilePath(), QSettings::IniFormat);
    PlayerSound sound;
    bool ok = false;
    const int volume = settings.value(kVolumeKey).toString().trimmed().toInt(&ok);
    if (ok && volume >= 0 && volume <= 100)
        sound.volume = volume;
    const QString muted = settings.value(kMutedKey).toString().trimmed().toLower();
    if (muted == QLatin1String("true") || muted == QLatin1String("false"))
        sound.muted = muted == QLatin1String("true");
    return sound;
}

bool keepPlayerSound(const PlayerSound &sound)
{
    QSettings settings(settingsFilePath(), QSettings::IniFormat);
    settings.setValue(kVolumeKey, sound.volume);
    settings.setValue(kMutedKey, sound.muted);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace common
