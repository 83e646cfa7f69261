#include "dm/Downloads.h"

#include "dm/Aria2.h"
#include "dm/DownloadStore.h"
#include "dm/ErrorText.h"
#include "handoff/ItemText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimer>

#include <cerrno>
#include <cstdio>

namespace dm {

using handoff::itemText;

namespace {

constexpr int kPollMs = 300;
constexpr int kSaveMs = 500;

const QString kCancelled = QStringLiteral("已取消");

QString aria2State(const QJsonObject &status)
{
    return status.value(QLatin1String("status")).toString();
}

} // namespace

Downloads::Downloads(Aria2 &aria2, QString listPath, QObject *parent)
    : QAbstractTableModel(parent), m_aria2(aria2), m_listPath(std::move(listPath)), m_poll(new QTimer(this)),
      m_save(new QTimer(this))
{
    m_poll->setInterval(kPollMs);
    connect(m_poll, &QTimer::timeout, this, &Downloads::poll);
    m_save->setSingleShot(true);
    m_save->setInterval(kSaveMs);
    connect(m_save, &QTimer::timeout, this, &Downloads::save);
    connect(&m_aria2, &Aria2::stopped, this, &Downloads::aria2Stopped);
    if (!m_listPath.isEmpty()) {
        ReadList read = readList(m_listPath);
        m_downloads = read.downloads;
        m_listDamaged = read.damaged;
        if (m_listDamaged)
            save();
    }
}

Downloads::~Downloads()
{
    if (m_save->isActive())
        save();
}

void Downloads::restore()
{
    for (const Download &d : std::as_const(m_downloads)) {
        if (d.settled())
            continue;
        if (d.gid.isEmpty())
            sendToAria2(d.serial);
        else
            follow(d.serial);
    }
    if (!m_listPath.isEmpty())
        adoptOthers();
}

void Downloads::adoptOthers()
{
    const QJsonArray keys{QStringLiteral("gid"), QStringLiteral("status"), QStringLiteral("files")};
    const auto adoptAll = [this](const QJsonValue &result, const QString &error) {
        if (!error.isEmpty())
            return;
        for (const QJsonValue &status : result.toArray())
            adopt(status.toObject());
    };
    m_aria2.call(QStringLiteral("aria2.tellActive"), {keys}, adoptAll);
    m_aria2.call(QStringLiteral("aria2.tellWaiting"), {0, 1000, keys}, adoptAll);
    // A small one may be complete already.
    m_aria2.call(QStringLiteral("aria2.tellStopped"), {0, 1000, keys}, adoptAll);
}

void Downloads::adopt(const QJsonObject &status)
{
    const QString gid = status.value(QLatin1String("gid")).toString();
    if (gid.isEmpty() || rowOfGid(gid) >= 0)
        return;
    // Its part file's name, ".NAME.SERIAL.part", gives its name and number.
    const QJsonObject file = status.value(QLatin1String("files")).toArray().first().toObject();
    const QFileInfo part(file.value(QLatin1String("path")).toString());
    const QString address =
        file.value(QLatin1String("uris")).toArray().first().toObject().value(QLatin1String("uri")).toString();
    static const QRegularExpression form(QStringLiteral("^\\.(.+)\\.([1-9][0-9]{0,8})\\.part$"));
    const QRegularExpressionMatch match = form.match(part.fileName());
    const std::optional<Job> job =
        match.hasMatch()
            ? jobOf(QStringLiteral("NetAnts"), itemText(address, QDir(part.absolutePath()).filePath(match.captured(1))))
            : std::nullopt;
    const int serial = match.captured(2).toInt();
    if (!job || rowOfSerial(serial) >= 0 || rowOfTarget(QDir(job->folder).filePath(job->name)) >= 0) {
        m_aria2.call(QStringLiteral("aria2.forceRemove"), {gid}, [](auto &&...) {});
        return;
    }
    const int row = int(m_downloads.size());
    beginInsertRows({}, row, row);
    Download d;
    d.job = *job;
    d.serial = serial;
    d.gid = gid;
    d.state = aria2State(status) == u"paused" ? Download::Paused : Download::Running;
    m_downloads.append(d);
    endInsertRows();
    changed(row);
    m_poll->start();
}

std::optional<QString> Downloads::accept(const QString &service, const QString &item)
{
    const std::optional<Job> job = jobOf(service, item);
    if (!job)
        return std::nullopt;
    const int existing = rowOfTarget(QDir(job->folder).filePath(job->name));
    if (existing < 0) {
        sendToAria2(append(*job));
        return QStringLiteral("OK");
    }
    const Download &d = m_downloads.at(existing);
    if (d.state == Download::Failed || (d.state == Download::Done && !QFileInfo::exists(d.finalPath()))) {
        m_downloads[existing].job = *job;
        restart(existing);
    }
    return QStringLiteral("OK");
}

int Downloads::append(const Job &job)
{
    int serial = 1;
    for (const Download &d : std::as_const(m_downloads))
        serial = std::max(serial, d.serial + 1);
    const int row = int(m_downloads.size());
    beginInsertRows({}, row, row);
    Download download;
    download.job = job;
    download.serial = serial;
    m_downloads.append(download);
    endInsertRows();
    m_save->start();
    return serial;
}

void Downloads::sendToAria2(int serial)
{
    const Download &d = m_downloads.at(rowOfSerial(serial));
    // aria2 goes on from a part file and its control file, never writing
    // over one; the file takes its own name only when complete (finish()).
    QJsonObject options{{QStringLiteral("dir"), d.job.folder},
                        {QStringLiteral("out"), QFileInfo(d.partPath()).fileName()},
                        {QStringLiteral("continue"), QStringLiteral("true")},
                        {QStringLiteral("auto-file-renaming"), QStringLiteral("false")}};
    if (!d.gid.isEmpty())
        options.insert(QStringLiteral("gid"), d.gid);
    if (d.state == Download::Paused)
        options.insert(QStringLiteral("pause"), QStringLiteral("true"));
    m_aria2.call(QStringLiteral("aria2.addUri"), {QJsonArray{d.job.address}, options},
                 [this, serial](const QJsonValue &result, const QString &error) {
                     const int row = rowOfSerial(serial);
                     if (row < 0 || m_downloads.at(row).settled()) {
                         if (error.isEmpty()) // cancelled meanwhile
                             m_aria2.call(QStringLiteral("aria2.forceRemove"), {result}, [](auto &&...) {});
                         return;
                     }
                     if (!error.isEmpty()) {
                         fail(row, error);
                         return;
                     }
                     Download &d = m_downloads[row];
                     d.gid = result.toString();
                     if (d.state != Download::Paused)
                         d.state = Download::Running;
                     changed(row);
                     m_poll->start();
                 });
}

void Downloads::follow(int serial)
{
    const QString gid = m_downloads.at(rowOfSerial(serial)).gid;
    m_aria2.call(QStringLiteral("aria2.tellStatus"), {gid, QJsonArray{QStringLiteral("status")}},
                 [this, serial](const QJsonValue &result, const QString &error) {
                     const int row = rowOfSerial(serial);
                     if (row < 0 || m_downloads.at(row).settled())
                         return;
                     // Not in aria2's session: added again, to go on from its part file.
                     if (!error.isEmpty() || aria2State(result.toObject()) == u"removed")
                         sendToAria2(serial);
                     else
                         m_poll->start();
                 });
}

void Downloads::poll()
{
    bool following = false;
    for (const Download &d : std::as_const(m_downloads)) {
        if (d.settled() || d.gid.isEmpty())
            continue;
        following = true;
        const QJsonArray keys{QStringLiteral("gid"),           QStringLiteral("status"),
                              QStringLiteral("totalLength"),   QStringLiteral("completedLength"),
                              QStringLiteral("downloadSpeed"), QStringLiteral("errorMessage"),
                              QStringLiteral("errorCode")};
        m_aria2.call(QStringLiteral("aria2.tellStatus"), {d.gid, keys},
                     [this, gid = d.gid](const QJsonValue &result, const QString &error) {
                         const int at = rowOfGid(gid);
                         if (at < 0 || m_downloads.at(at).settled())
                             return;
                         if (!error.isEmpty())
                             fail(at, error);
                         else
                             update(at, result.toObject());
                     });
    }
    if (!following)
        m_poll->stop();
}

void Downloads::update(int row, const QJsonObject &status)
{
    Download &d = m_downloads[row];
    d.total = status.value(QLatin1String("totalLength")).toString().toLongLong();
    const qint64 completed = status.value(QLatin1String("completedLength")).toString().toLongLong();
    // Far fewer bytes than before: aria2 began again, the server sending no
    // ranges.
    d.startedOver = d.startedOver || completed < d.completed / 2;
    d.completed = completed;
    d.speed = status.value(QLatin1String("downloadSpeed")).toString().toLongLong();
    const QString state = aria2State(status);
    if (state == u"complete") {
        finish(row);
    } else if (state == u"error") {
        fail(row, aria2ErrorText(status.value(QLatin1String("errorCode")).toString().toInt(),
                                 status.value(QLatin1String("errorMessage")).toString()));
    } else if (state == u"removed") {
        fail(row, kCancelled);
    } else {
        d.state = state == u"paused" ? Download::Paused : state == u"waiting" ? Download::Waiting : Download::Running;
        changed(row);
    }
}

void Downloads::finish(int row)
{
    Download &d = m_downloads[row];
    // One step from the hidden part file to the file's own name, replacing
    // an older copy: the name never shows a half-written file.
    if (std::rename(QFile::encodeName(d.partPath()).constData(), QFile::encodeName(d.finalPath()).constData()) != 0) {
        fail(row, systemErrorText(errno));
        return;
    }
    d.state = Download::Done;
    d.speed = 0;
    d.finished = QDateTime::currentDateTime();
    forget(d.gid);
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
    forget(d.gid);
    changed(row);
    if (m_removeWhenStopped.removeAll(d.serial) > 0)
        removeRow(row);
}

void Downloads::forget(const QString &gid)
{
    // aria2 keeps the results of ended downloads; this list keeps its own.
    if (!gid.isEmpty() && m_aria2.isReady())
        m_aria2.call(QStringLiteral("aria2.removeDownloadResult"), {gid}, [](auto &&...) {});
}

void Downloads::aria2Stopped(const QString &reason)
{
    // Downloads that aria2 had are lost with it; the next item starts it again.
    for (int row = 0; row < m_downloads.size(); ++row) {
        const Download &d = m_downloads.at(row);
        if (!d.settled() && d.state != Download::Paused)
            fail(row, reason);
    }
}

void Downloads::pause(int row)
{
    const Download &d = m_downloads.at(row);
    if (d.settled() || d.state == Download::Paused || d.gid.isEmpty())
        return;
    m_aria2.call(QStringLiteral("aria2.pause"), {d.gid},
                 [this, serial = d.serial](const QJsonValue &, const QString &error) {
                     const int at = rowOfSerial(serial);
                     if (!error.isEmpty() || at < 0 || m_downloads.at(at).settled())
                         return;
                     m_downloads[at].state = Download::Paused;
                     m_downloads[at].speed = 0;
                     changed(at);
                 });
}

void Downloads::resume(int row)
{
    const Download &d = m_downloads.at(row);
    if (d.state != Download::Paused)
        return;
    m_aria2.call(QStringLiteral("aria2.unpause"), {d.gid},
                 [this, serial = d.serial](const QJsonValue &, const QString &error) {
                     const int at = rowOfSerial(serial);
                     if (at < 0 || m_downloads.at(at).state != Download::Paused)
                         return;
                     m_downloads[at].state = Download::Waiting;
                     changed(at);
                     if (!error.isEmpty()) // aria2 no longer has it: added again
                         sendToAria2(serial);
                     m_poll->start();
                 });
}

void Downloads::cancel(int row)
{
    const Download &d = m_downloads.at(row);
    if (d.settled())
        return;
    if (d.gid.isEmpty()) {
        fail(row, kCancelled);
        return;
    }
    m_aria2.call(QStringLiteral("aria2.forceRemove"), {d.gid},
                 [this, serial = d.serial](const QJsonValue &, const QString &error) {
                     const int at = rowOfSerial(serial);
                     // aria2 had it no more; else it shows as removed when stopped.
                     if (at >= 0 && !m_downloads.at(at).settled() && !error.isEmpty())
                         fail(at, kCancelled);
                     m_poll->start();
                 });
}

void Downloads::retry(int row)
{
    if (m_downloads.at(row).state == Download::Failed)
        restart(row);
}

void Downloads::restart(int row)
{
    Download &d = m_downloads[row];
    d.gid.clear();
    d.reason.clear();
    d.startedOver = false;
    d.completed = 0;
    d.speed = 0;
    d.finished = {};
    d.state = Download::Waiting;
    changed(row);
    sendToAria2(d.serial);
}

void Downloads::remove(int row)
{
    const Download &d = m_downloads.at(row);
    if (d.settled()) {
        removeRow(row);
        return;
    }
    m_removeWhenStopped.append(d.serial);
    cancel(row);
}

void Downloads::setSettings(const DownloadSettings &settings)
{
    m_aria2.setOptions(aria2Options(settings));
    writeDownloadSettings(settings);
}

void Downloads::pauseAll()
{
    for (int row = 0; row < m_downloads.size(); ++row)
        pause(row);
}

void Downloads::resumeAll()
{
    for (int row = 0; row < m_downloads.size(); ++row)
        resume(row);
}

void Downloads::clearFinished()
{
    for (int row = int(m_downloads.size()) - 1; row >= 0; --row) {
        if (m_downloads.at(row).state == Download::Done)
            removeRow(row);
    }
}

void Downloads::removeRow(int row)
{
    beginRemoveRows({}, row, row);
    m_downloads.removeAt(row);
    endRemoveRows();
    m_save->start();
}

void Downloads::save()
{
    m_save->stop();
    if (!m_listPath.isEmpty()) {
        QDir().mkpath(QFileInfo(m_listPath).absolutePath());
        writeList(m_listPath, m_downloads);
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

int Downloads::rowOfSerial(int serial) const
{
    for (int row = 0; row < m_downloads.size(); ++row) {
        if (m_downloads.at(row).serial == serial)
            return row;
    }
    return -1;
}

int Downloads::rowOfTarget(const QString &path) const
{
    for (int row = 0; row < m_downloads.size(); ++row) {
        if (m_downloads.at(row).finalPath() == path)
            return row;
    }
    return -1;
}

void Downloads::changed(int row)
{
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    if (!m_save->isActive())
        m_save->start();
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
        return download.startedOver ? QStringLiteral("下载中（服务器不支持续传，已从头开始）")
                                    : QStringLiteral("下载中");
    case Download::Paused:
        return QStringLiteral("已暂停");
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
