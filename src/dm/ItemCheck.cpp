#include "dm/ItemCheck.h"

#include "common/LocalCopy.h"
#include "download/ItemText.h"

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
    const std::optional<download::ItemParts> parts = download::splitItemText(item);
    if (!parts)
        return std::nullopt;
    const QUrl url(parts->address);
    if (!isSafeAddress(url) || !isSafeTarget(parts->target) || parts->target == u"/")
        return std::nullopt;
    Job job;
    job.address = url.toString(QUrl::FullyEncoded);
    if (service == u"NetAnts") {
        const qsizetype slash = parts->target.lastIndexOf(u'/');
        job.folder = slash == 0 ? QStringLiteral("/") : parts->target.left(slash);
        job.name = parts->target.mid(slash + 1);
    } else if (service == u"FlashGet") {
        job.folder = parts->target;
        job.name = url.fileName(QUrl::FullyDecoded);
        if (!IsPlainPathComponent(job.name))
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    return job;
}

} // namespace dm
