#include "browser/WebProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace browser {
namespace {

// A request for full screen that the engine refused (made without the
// user's action) is told to the element as a change back: the Flash player
// would otherwise take itself for full screen and ignore the next request.
QWebEngineScript fullScreenRefusalScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("flashbar-full-screen-refused"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(QStringLiteral(
        "document.addEventListener(\"fullscreenerror\",e=>e.target.dispatchEvent(new Event(\"fullscreenchange\")));"));
    return script;
}

} // namespace

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
        p->scripts()->insert(fullScreenRefusalScript());
        return p;
    }();
    return profile;
}

} // namespace browser
