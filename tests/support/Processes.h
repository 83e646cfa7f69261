#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>

// This process and every process it started, and theirs, read from /proc.
inline QList<qint64> selfAndDescendants()
{
    QHash<qint64, QList<qint64>> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!numeric || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        children[fields.value(1).toLongLong()] << pid;
    }
    QList<qint64> all{QCoreApplication::applicationPid()};
    for (qsizetype i = 0; i < all.size(); ++i)
        all += children.value(all.at(i));
    return all;
}

// A file of /proc/PID (cmdline, environ, maps...), NULs made spaces; empty
// when the process is gone.
inline QByteArray processFile(qint64 pid, const char *name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll().replace('\0', ' ') : QByteArray();
}
