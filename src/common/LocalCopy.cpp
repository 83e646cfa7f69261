#include "common/LocalCopy.h"

#include <QFileInfo>

bool IsPlainPathComponent(const QString &name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c.category() == QChar::Other_Control)
            return false; // NUL, C0, DEL and C1 controls
    }
    return QStringView(name).isValidUtf16();
}

std::optional<QString> LocalCopyPath(const QString &programDir, const QString &columnName, const QString &fileName)
{
    if (programDir.isEmpty() || !IsPlainPathComponent(columnName) || !IsPlainPathComponent(fileName))
        return std::nullopt;
    QString base = programDir;
    while (base.size() > 1 && base.endsWith(u'/'))
        base.chop(1);
    if (base == u"/")
        base.clear();
    return base + QStringLiteral("/local/") + columnName + u'/' + fileName;
}

std::optional<QString> ExistingLocalCopy(const QString &programDir, const QString &columnName, const QString &fileName)
{
    const std::optional<QString> path = LocalCopyPath(programDir, columnName, fileName);
    if (!path)
        return std::nullopt;
    const QFileInfo info(*path);
    if (!info.isFile() || info.isHidden())
        return std::nullopt;
    return path;
}
