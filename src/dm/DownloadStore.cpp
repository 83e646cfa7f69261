#include "dm/DownloadStore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

namespace dm {

namespace {

constexpr qint64 kMostBytes = 64 * 1024 * 1024;

QString badPath(const QString &path)
{
    return path + QStringLiteral(".bad");
}

void keepCopyAside(const QString &path)
{
    QFile::remove(badPath(path));
    QFile::copy(path, badPath(path));
}

// A line of an aria2 session: the addresses of one download, tab-separated,
// or one of its options, indented by a space.
bool isSessionLine(const QString &line)
{
    if (line.trimmed().isEmpty())
        return true;
    if (line.startsWith(u' '))
        return line.indexOf(u'=') > 1;
    for (const QString &address : line.split(u'\t', Qt::SkipEmptyParts)) {
        if (!address.contains(QLatin1String("://")))
            return false;
    }
    return true;
}

} // namespace

QString downloadsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/flashbar/downloads");
}

ReadList readList(const QString &path)
{
    ReadList out;
    QFile file(path);
    if (!file.exists())
        return out;
    QJsonParseError error{};
    const QJsonDocument document = file.open(QIODevice::ReadOnly) && file.size() <= kMostBytes
                                       ? QJsonDocument::fromJson(file.readAll(), &error)
                                       : QJsonDocument();
    const QJsonValue entries = document.object().value(QLatin1String("downloads"));
    out.damaged = error.error != QJsonParseError::NoError || !entries.isArray();
    for (const QJsonValue &entry : entries.toArray()) {
        std::optional<Download> d = Download::fromJson(entry.toObject());
        bool taken = false;
        for (const Download &other : std::as_const(out.downloads))
            taken = taken || (d && other.serial == d->serial);
        if (d && !taken)
            out.downloads.append(*d);
        else
            out.damaged = true;
    }
    if (out.damaged)
        keepCopyAside(path);
    return out;
}

bool writeList(const QString &path, const QList<Download> &downloads)
{
    QJsonArray entries;
    for (const Download &d : downloads)
        entries.append(d.toJson());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(QJsonObject{{QStringLiteral("downloads"), entries}}).toJson());
    return file.commit();
}

bool sessionUsable(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return true;
    bool usable = file.open(QIODevice::ReadOnly) && file.size() <= kMostBytes;
    if (usable) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(file.readAll());
        usable = !utf8.hasError() && !text.contains(QChar(0));
        for (const QString &line : text.split(u'\n'))
            usable = usable && isSessionLine(line);
    }
    file.close();
    if (!usable) {
        QFile::remove(badPath(path));
        QFile::rename(path, badPath(path));
    }
    return usable;
}

} // namespace dm
