#include "update/Updater.h"
#include "common/Settings.h"

#include "update/Feed.h"
#include "update/FeedWriter.h"

#include "store/DatabaseError.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace update {
namespace {

constexpr int kSqliteBusy = 5;
constexpr qint64 kMaxLogBytes = 1024 * 1024;
// A site that keeps sending pages is not followed for ever.
constexpr int kMaxPages = 100000;

// The body of one page, or throws FeedError: no answer in time, an error
// status, a redirection, or more bytes than a page may have.
QByteArray fetchPage(QNetworkAccessManager &network, const QString &address, int timeoutMs)
{
    QNetworkRequest request{QUrl(address)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *reply = network.get(request);
    QByteArray body;
    QString problem;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, reply, [&] {
        problem = QStringLiteral("no answer within %1 ms").arg(timeoutMs);
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        body += reply->readAll();
        if (body.size() > kMaxPageBytes) {
            problem = QStringLiteral("the page is larger than %1 bytes").arg(kMaxPageBytes);
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    loop.exec();
    timer.stop();
    body += reply->readAll();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (problem.isEmpty() && status != 0 && status != 200)
        problem = QStringLiteral("HTTP status %1").arg(status);
    if (problem.isEmpty() && reply->error() != QNetworkReply::NoError)
        problem = reply->errorString();
    if (problem.isEmpty() && status != 200)
        problem = QStringLiteral("no HTTP answer");
    reply->deleteLater();
    if (!problem.isEmpty())
        throw FeedError(QStringLiteral("%1: %2").arg(address, problem));
    return body;
}

int writeWithRetries(store::Connection &catalogue, const FeedPage &page, int retries)
{
    for (int attempt = 0;; ++attempt) {
        try {
            return writeFeedPage(catalogue, page);
        } catch (const DatabaseError &e) {
            if (e.code() != kSqliteBusy || attempt >= retries)
                throw;
        }
    }
}

} // namespace

QString feedAddress(const QString &site, const QString &since, int after, int limit)
{
    // Put together, not through arg(): the encoded time holds '%'.
    return site + QStringLiteral("feed/items.json?since=") + QString::fromLatin1(QUrl::toPercentEncoding(since)) +
           QStringLiteral("&after=") + QString::number(after) + QStringLiteral("&limit=") + QString::number(limit);
}

UpdateResult fetchNewItems(store::Connection &catalogue, const UpdateOptions &options)
{
    UpdateResult result;
    QNetworkAccessManager network;
    try {
        useWriterCache(catalogue);
        FeedCursor cursor{newestUpload(catalogue), 0};
        // A catalogue whose times are written otherwise asks for everything;
        // what it has is skipped.
        if (!isUploadTime(cursor.since))
            cursor.since.clear();
        for (; result.pages < kMaxPages; ++result.pages) {
            const FeedPage page = parseFeedPage(fetchPage(
                network, feedAddress(options.site, cursor.since, cursor.after, options.pageItems), options.timeoutMs));
            result.added += writeWithRetries(catalogue, page, options.busyRetries);
            if (!page.next)
                return result;
            if (!cursor.before(*page.next))
                throw FeedError(QStringLiteral("the feed's next page goes back"));
            cursor = *page.next;
        }
        result.error = QStringLiteral("the feed did not end after %1 pages").arg(kMaxPages);
    } catch (const FeedError &e) {
        result.error = e.text();
    } catch (const DatabaseError &e) {
        result.error = e.text();
    }
    return result;
}

QString logPath()
{
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath();
    return QDir(data).filePath(QStringLiteral("flashbar/flashbar-update.log"));
}

void appendLog(const QString &line)
{
    const QString path = logPath();
    QDir().mkpath(QFileInfo(path).path());
    QFile log(path);
    const QIODevice::OpenMode mode =
        QFileInfo(path).size() > kMaxLogBytes ? QIODevice::WriteOnly | QIODevice::Truncate : QIODevice::Append;
    if (!log.open(mode | QIODevice::Text))
        return;
    log.write((QDateTime::currentDateTime().toString(Qt::ISODate) + u' ' + line + u'\n').toUtf8());
}

QString siteAddress(const QString &fromCommandLine)
{
    const QString given = fromCommandLine.isEmpty() ? qEnvironmentVariable("FLASHBAR_SITE") : fromCommandLine;
    if (!given.isEmpty())
        return common::siteAddressProblem(given).isEmpty() ? common::withTrailingSlash(given) : QString();
    const common::SiteSetting setting = common::readSiteAddress({});
    if (!setting.error.isEmpty())
        appendLog(setting.error);
    return setting.address;
}

} // namespace update
