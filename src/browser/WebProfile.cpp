#include "browser/WebProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QWebEngineProfile>

namespace browser {

QString webDataDir()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(data).filePath(QStringLiteral("flashbar/web"));
}

QWebEngineProfile *webProfile()
{
    static QWebEngineProfile *profile = [] {
        auto *p = new QWebEngineProfile(QStringLiteral("flashbar"), QCoreApplication::instance());
        const QString dir = webDataDir();
        p->setPersistentStoragePath(dir);
        p->setCachePath(QDir(dir).filePath(QStringLiteral("cache")));
        p->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
        return p;
    }();
    return profile;
}

} // namespace browser
