#include "common/Settings.h"

#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

namespace common {
namespace {

const QString kAddressKey = QStringLiteral("site/address");

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

SiteSetting readSiteAddress(const QString &override)
{
    if (!override.isEmpty())
        return {withTrailingSlash(override), {}};
    const QSettings settings(settingsFilePath(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return {kDefaultSiteAddress, QStringLiteral("%1 cannot be read").arg(settingsFilePath())};
    const QString stored = settings.value(kAddressKey).toString().trimmed();
    if (stored.isEmpty())
        return {kDefaultSiteAddress, {}};
    const QString problem = siteAddressProblem(stored);
    if (!problem.isEmpty())
        return {kDefaultSiteAddress,
                QStringLiteral("%1 in %2; %3 is used instead").arg(problem, settingsFilePath(), kDefaultSiteAddress)};
    return {withTrailingSlash(stored), {}};
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

} // namespace common
