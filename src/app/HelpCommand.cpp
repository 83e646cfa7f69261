#include "app/HelpCommand.h"

#include "common/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace app {

bool desktopHasProgramFor(const QString &file)
{
    if (!QFileInfo(file).isFile())
        return false;
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (!xdgMime.isEmpty()) {
        QProcess query;
        query.start(xdgMime,
                    {QStringLiteral("query"), QStringLiteral("default"), QMimeDatabase().mimeTypeForFile(file).name()});
        return query.waitForFinished(3000) && !query.readAllStandardOutput().trimmed().isEmpty();
    }
    return true;
}

QString helpPage()
{
    const QString dir = common::helpDir();
    return dir.isEmpty() ? QString() : QDir(dir).filePath(QStringLiteral("index.html"));
}

} // namespace app
