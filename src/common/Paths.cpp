#include "common/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace common {
namespace {

QString firstHolding(const QStringList &dirs, const QString &file)
{
    for (const QString &dir : dirs) {
        if (!dir.isEmpty() && QFileInfo(QDir(dir).filePath(file)).isFile())
            return QDir(dir).absolutePath();
    }
    return {};
}

// A program that is not installed runs from the build tree: the player is
// the source tree's npm package, the help is written into the build tree.
QString notInstalled(const char *base, const char *relative)
{
    if (!installedDataDir().isEmpty())
        return {};
    return QString::fromUtf8(base) + u'/' + QString::fromUtf8(relative);
}

} // namespace

QString installedDataDirFor(const QString &programDir)
{
    const QDir bin(programDir);
    const QString share = bin.absoluteFilePath(QStringLiteral("../share/flashbar"));
    if (bin.dirName() == QLatin1String("bin") && QFileInfo(share).isDir())
        return QDir::cleanPath(share);
    return {};
}

QString installedDataDir()
{
    return installedDataDirFor(QCoreApplication::applicationDirPath());
}

QString ruffleDir()
{
    const QString installed = installedDataDir();
    return firstHolding({qEnvironmentVariable("FLASHBAR_RUFFLE_DIR"),
                         installed.isEmpty() ? QString() : installed + QStringLiteral("/ruffle"),
                         notInstalled(FLASHBAR_SOURCE_DIR, "node_modules/@ruffle-rs/ruffle")},
                        QStringLiteral("ruffle.js"));
}

QString helpDir()
{
    const QString installed = installedDataDir();
    return firstHolding({installed.isEmpty() ? QString() : installed + QStringLiteral("/help"),
                         notInstalled(FLASHBAR_BUILD_DIR, "help")},
                        QStringLiteral("index.html"));
}

QString siteProgram()
{
    const QString name = QStringLiteral("flashbar-site");
    const QString dir = firstHolding(
        {QCoreApplication::applicationDirPath(), notInstalled(FLASHBAR_BUILD_DIR, "tools/demo-site")}, name);
    return dir.isEmpty() ? QString() : QDir(dir).filePath(name);
}

} // namespace common
