#include "browser/WebProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QWebEngineProfile>

namespace browser {

QWebEngineProfile *webProfile()
{
    static QWebEngineProfile *profile = [] {
        auto *p = new QWebEngineProfile(QStringLiteral("flashbar"), QCoreApplication::instance());
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        const QString dir = QDir(data).filePath(QStringLiteral("flashbar/web"));
        p->setPersistentStoragePath(dir);
        p->setCachePath(QDir(dir).filePath(QStringLiteral("cache")));
        p->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
        return p;
    }();
    return profile;
}

} // namespace browser
