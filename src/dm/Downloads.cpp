#include "dm/Downloads.h"

#include "dm/Aria2.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace dm {

namespace {

constexpr int kPollMs = 300;

} // namespace

QString Download::finalPath() const
{
    return QDir(job.folder).filePath(job.name);
}

QString Download::partPath() const
{
    return QDir(job.folder).filePath(u'.' + job.name + u'.' + QString::number(serial) + QStringLiteral(".part"));
}

int Download::percent() const
{
    if (state == Done)
        return 100;
    return total > 0 ? int(completed * 100 / total) : 0;
}

Downloads::Downloads(Aria2 &aria2, QObject *parent)
    : QAbstractTableModel(parent), m_aria2(aria2), m_poll(new QTimer(this))
{
    m_poll->setInterval(kPollMs);
    connect(m_poll, &QTimer::timeout, this, &Downloads::poll);
    connect(&m_aria2, &Aria2::stopped, this, &Downloads::aria2Stopped);
}

std::optional<QString> Downloads::accept(const QString &service, const QString &item)
{
    const std::optional<Job> job = jobOf(service, item);
    if (!job)
        return std::nullopt;
    const int row = int(m_downloads.size());
    beginInsertRows({}, row, row);
    Download download;
    download.job = *job;
    download.serial = row + 1;
    m_downloads.append(download);
    endInsertRows();
    submitRow(row);
    return QStringLiteral("OK");
}

void Downloads::submitRow(int row)
{
    const Download &d = m_downloads.at(row);
    const QJsonObject options{{QStringLiteral("dir"), d.job.folder},
                              {QStringLiteral("out"), QFileInfo(d.partPath()).fileName()},
                              {QStringLiteral("allow-overwrite"), QStringLiteral("true")},
                              {QStringLiteral("auto-file-renaming"), QStringLiteral("false")}};
    m_aria2.call(QStringLiteral("aria2.addUri"), {QJsonArray{d.job.address}, options},
                 [this, row](const QJsonValue &result, const QString &error) {
                     if (!error.isEmpty()) {
                         fail(row, error);
                         return;
                     }
                     m_downloads[row].gid = result.toString();
                     m_downloads[row].state = Download::Running;
                     changed(row);
                     m_poll->start();
                 });
}

void Downloads::poll()
{
    bool running = false;
    for (int row = 0; row < m_downloads.size(); ++row) {
        const Download &d = m_downloads.at(row);
        if (d.state != Download::Running || d.gid.isEmpty())
            continue;
        running = true;
        const QJsonArray keys{QStringLiteral("gid"),           QStringLiteral("status"),
                              QStringLiteral("totalLength"),   QStringLiteral("completedLength"),
                              QStringLiteral("downloadSpeed"), QStringLiteral("errorMessage")};
        m_aria2.call(QStringLiteral("aria2.tellStatus"), {d.gid, keys},
                     [this, gid = d.gid](const QJsonValue &result, const QString &error) {
                         const int at = rowOfGid(gid);
                         if (at < 0 || m_downloads.at(at).state != Download::Running)
                             return;
                         if (!error.isEmpty())
                             fail(at, error);
                         else
                             update(at, result.toObject());
                     });
    }
    if (!running)
        m_poll->stop();
}

void Downloads::update(int row, const QJsonObject &status)
{
    Download &d = m_downloads[row];
    d.total = status.value(QLatin1String("totalLength")).toString().toLongLong();
    d.completed = status.value(QLatin1String("completedLength")).toString().toLongLong();
    d.speed = status.value(QLatin1String("downloadSpeed")).toString().toLongLong();
    const QString state = status.value(QLatin1String("status")).toString();
    if (state == u"complete") {
        finish(row);
    } else if (state == u"error" || state == u"removed") {
        const QString message = status.value(QLatin1String("errorMessage")).toString();
        fail(row, message.isEmpty() ? QStringLiteral("已取消") : message);
    } else {
        changed(row);
    }
}

void Downloads::finish(int row)
{
    Download &d = m_downloads[row];
    // One step from the hidden part file to the file's own name, replacing
    // an older copy: the name never shows a half-written file.
    if (std::rename(QFile::encodeName(d.partPath()).constData(), QFile::encodeName(d.finalPath()).constData()) != 0) {
        fail(row, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    d.state = Download::Done;
    d.speed = 0;
    changed(row);
}

void Downloads::fail(int row, const QString &reason)
{
    Download &d = m_downloads[row];
    d.state = Download::Failed;
    d.reason = reason;
    d.speed = 0;
    QFile::remove(d.partPath());
    QFile::remove(d.partPath() + QStringLiteral(".aria2"));
    changed(row);
}

void Downloads::aria2Stopped(const QString &reason)
{
    // Downloads that aria2 had are lost with it; the next item starts it again.
    for (int row = 0; row < m_downloads.size(); ++row) {
        if (m_downloads.at(row).state == Download::Running)
            fail(row, reason);
    }
}

int Downloads::rowOfGid(const QString &gid) const
{
    for (int row = 0; row < m_downloads.size(); ++row) {
        if (m_downloads.at(row).gid == gid)
            return row;
    }
    return -1;
}

void Downloads::changed(int row)
{
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

int Downloads::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_downloads.size());
}

int Downloads::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString Downloads::sizeText(qint64 bytes)
{
    if (bytes <= 0)
        return QStringLiteral("-");
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(double(bytes) / 1024, 0, 'f', 1);
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
}

QString Downloads::stateText(const Download &download)
{
    switch (download.state) {
    case Download::Waiting:
        return QStringLiteral("等待");
    case Download::Running:
        return QStringLiteral("下载中");
    case Download::Done:
        return QStringLiteral("完成");
    case Download::Failed:
        return QStringLiteral("失败：") + download.reason;
    }
    return {};
}

QVariant Downloads::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_downloads.size())
        return {};
    const Download &d = m_downloads.at(index.row());
    if (role == PercentRole)
        return d.percent();
    if (role == Qt::ToolTipRole)
        return d.finalPath() + u'\n' + d.job.address;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case NameColumn:
        return d.job.name;
    case SizeColumn:
        return sizeText(d.total);
    case ProgressColumn:
        return QStringLiteral("%1%").arg(d.percent());
    case SpeedColumn:
        return d.state == Download::Running && d.speed > 0 ? sizeText(d.speed) + QStringLiteral("/s") : QString();
    case StateColumn:
        return stateText(d);
    }
    return {};
}

QVariant Downloads::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QString captions[] = {QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("进度"),
                                       QStringLiteral("速度"), QStringLiteral("状态")};
    return section >= 0 && section < ColumnCount ? captions[section] : QVariant();
}

} // namespace dm
