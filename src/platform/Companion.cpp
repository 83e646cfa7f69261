#include "platform/Companion.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace platform {
namespace {

QString findCompanion(const QString &name)
{
    if (name.isEmpty() || name.contains(u'/'))
        return {};
    const QFileInfo local(QDir::current().filePath(name));
    if (local.isFile() && local.isExecutable())
        return local.absoluteFilePath();
    return QStandardPaths::findExecutable(name);
}

bool startDetached(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

} // namespace

bool startCompanion(const QString &name, const OwnCompanion &own)
{
    const QString program = findCompanion(name);
    if (!program.isEmpty())
        return startDetached(program, {});
    const QFileInfo ours(own.program);
    if (own.program.isEmpty() || !ours.isFile() || !ours.isExecutable())
        return false;
    return startDetached(ours.absoluteFilePath(), own.arguments);
}

} // namespace platform
