#include "dm/Download.h"

#include "handoff/ItemText.h"

#include <QDir>
#include <QJsonValue>

namespace dm {

namespace {

const char *const kStateNames[] = {"waiting", "running", "paused", "done", "failed"};

std::optional<Download::State> stateNamed(const QString &name)
{
    for (int i = 0; i <= Download::Failed; ++i) {
        if (name == QLatin1String(kStateNames[i]))
            return Download::State(i);
    }
    return std::nullopt;
}

bool isGid(const QString &text)
{
    if (text.size() != 16)
        return false;
    for (const QChar c : text) {
        if (!c.isDigit() && !(c >= u'a' && c <= u'f'))
            return false;
    }
    return true;
}

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

QJsonObject Download::toJson() const
{
    QJsonObject o{{QStringLiteral("address"), job.address},
                  {QStringLiteral("folder"), job.folder},
                  {QStringLiteral("name"), job.name},
                  {QStringLiteral("serial"), serial},
                  {QStringLiteral("state"), QLatin1String(kStateNames[state])},
                  {QStringLiteral("total"), QString::number(total)},
                  {QStringLiteral("completed"), QString::number(completed)}};
    if (!gid.isEmpty())
        o.insert(QStringLiteral("gid"), gid);
    if (!reason.isEmpty())
        o.insert(QStringLiteral("reason"), reason);
    if (finished.isValid())
        o.insert(QStringLiteral("finished"), finished.toString(Qt::ISODate));
    return o;
}

std::optional<Download> Download::fromJson(const QJsonObject &o)
{
    // The entry is checked as a hand-off is: a list file is no safer.
    const QString target =
        QDir(o.value(QLatin1String("folder")).toString()).filePath(o.value(QLatin1String("name")).toString());
    const std::optional<Job> job =
        jobOf(QStringLiteral("NetAnts"), handoff::itemText(o.value(QLatin1String("address")).toString(), target));
    const std::optional<State> state = stateNamed(o.value(QLatin1String("state")).toString());
    const int serial = o.value(QLatin1String("serial")).toInt();
    const QString gid = o.value(QLatin1String("gid")).toString();
    if (!job || !state || serial <= 0 || (!gid.isEmpty() && !isGid(gid)))
        return std::nullopt;
    Download d;
    d.job = *job;
    d.serial = serial;
    d.gid = gid;
    d.state = *state;
    d.total = o.value(QLatin1String("total")).toString().toLongLong();
    d.completed = o.value(QLatin1String("completed")).toString().toLongLong();
    d.reason = o.value(QLatin1String("reason")).toString();
    d.finished = QDateTime::fromString(o.value(QLatin1String("finished")).toString(), Qt::ISODate);
    return d;
}

} // namespace dm
