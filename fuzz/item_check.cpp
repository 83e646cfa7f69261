// The download manager's check of a hand-off, and the item text under it. A
// split item put together again is the item; an address and a target joined
// split back into them; a job the manager takes is an http, https or ftp
// address and a file that lies inside its absolute, normalised folder.
#include "FuzzCheck.h"

#include "common/LocalCopy.h"
#include "dm/ItemCheck.h"
#include "handoff/ItemText.h"

#include <QDir>
#include <QUrl>

namespace {

void checkSplit(const QString &item)
{
    const std::optional<handoff::ItemParts> parts = handoff::splitItemText(item);
    FUZZ_CHECK(parts.has_value() == item.contains(QStringLiteral(",/")));
    if (!parts)
        return;
    FUZZ_CHECK(parts->target.startsWith(u'/'));
    FUZZ_CHECK(!parts->address.contains(QStringLiteral(",/")));
    FUZZ_CHECK(handoff::itemText(parts->address, parts->target) == item);
}

void checkJoin(const QString &address, const QString &target)
{
    if (!target.startsWith(u'/'))
        return;
    const std::optional<handoff::ItemParts> parts = handoff::splitItemText(handoff::itemText(address, target));
    FUZZ_CHECK(parts.has_value());
    FUZZ_CHECK(parts->address == QString(address).replace(QStringLiteral(",/"), QStringLiteral("%2C/")));
    FUZZ_CHECK(parts->target == target);
}

void checkJob(const QString &service, const QString &item)
{
    const std::optional<dm::Job> job = dm::jobOf(service, item);
    if (!job)
        return;
    FUZZ_CHECK(service == u"NetAnts" || service == u"FlashGet");
    const QUrl url(job->address, QUrl::StrictMode);
    FUZZ_CHECK(url.isValid() && !url.host().isEmpty());
    FUZZ_CHECK(url.scheme() == u"http" || url.scheme() == u"https" || url.scheme() == u"ftp");
    FUZZ_CHECK(job->folder.startsWith(u'/') && QDir::cleanPath(job->folder) == job->folder);
    FUZZ_CHECK(IsPlainPathComponent(job->name));
    const QString file = QDir::cleanPath(job->folder + u'/' + job->name);
    FUZZ_CHECK(file.startsWith(job->folder == u"/" ? job->folder : job->folder + u'/'));
    if (service == u"NetAnts")
        FUZZ_CHECK(file == handoff::splitItemText(item)->target);
    else
        FUZZ_CHECK(job->folder == handoff::splitItemText(item)->target);
    const std::optional<dm::Job> again = dm::jobOf(service, item);
    FUZZ_CHECK(again && again->address == job->address && again->folder == job->folder && again->name == job->name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzz::textOf(data, size);
    // The first line names the service; the rest is the item, and, split at
    // its first line break, an address and a target.
    const qsizetype eol = text.indexOf(u'\n');
    const QString service = eol < 0 ? QStringLiteral("NetAnts") : text.first(eol);
    const QString item = eol < 0 ? text : text.sliced(eol + 1);
    checkSplit(item);
    const qsizetype cut = item.indexOf(u'\n');
    if (cut >= 0)
        checkJoin(item.first(cut), item.sliced(cut + 1));
    checkJob(service, item);
    checkJob(QStringLiteral("NetAnts"), item);
    checkJob(QStringLiteral("FlashGet"), item);
    return 0;
}
