#include "dm/ItemCheck.h"

#include "common/LocalCopy.h"
#include "handoff/ItemText.h"
#include "handoff/Managers.h"

#include <QDir>
#include <QUrl>

namespace dm {

namespace {

bool isSafeAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty() && (scheme == u"http" || scheme == u"https" || scheme == u"ftp");
}

bool isSafeTarget(const QString &target)
{
    if (!target.startsWith(u'/') || QDir::cleanPath(target) != target)
        return false;
    const QStringList parts = target.split(u'/', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (!IsPlainPathComponent(part))
            return false;
    }
    return true;
}

} // namespace

std::optional<Job> jobOf(const QString &service, const QString &item)
{
    const std::optional<handoff::ItemParts> parts = handoff::splitItemText(item);
    if (!parts)
        return std::nullopt;
    const QUrl url(parts->address);
    if (!isSafeAddress(url) || !isSafeTarget(parts->target) || parts->target == u"/")
        return std::nullopt;
    const std::optional<handoff::Manager> manager = handoff::managerOfService(service);
    if (!manager)
        return std::nullopt;
    Job job;
    job.address = url.toString(QUrl::FullyEncoded);
    if (*manager == handoff::Manager::NetAnts) {
        const qsizetype slash = parts->target.lastIndexOf(u'/');
        job.folder = slash == 0 ? QStringLiteral("/") : parts->target.left(slash);
        job.name = parts->target.mid(slash + 1);
    } else {
        job.folder = parts->target;
        job.name = url.fileName(QUrl::FullyDecoded);
        if (!IsPlainPathComponent(job.name))
            return std::nullopt;
    }
    return job;
}

} // namespace dm
