#include "platform/Companion.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

bool startCompanion(const QString &name)
{
    if (name.isEmpty() || name.contains(u'/'))
        return false;
    QString program;
    const QFileInfo local(QDir::current().filePath(name));
    if (local.isFile() && local.isExecutable())
        program = local.absoluteFilePath();
    else
        program = QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        return false;
    QProcess process;
    process.setProgram(program);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

} // namespace platform
