// The feed of published items (feed/items.json): the items the site
// published from a given time on, with their columns and classes, in pages
// of at most a thousand items. Its format is in the README.
#include "DemoSite.h"
#include "SiteArea.h"
#include "SiteFrame.h"

#include "catalogue/PublishedCatalogue.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "update/Feed.h"

#include <QHttpServerRequest>

#include <limits>
#include <stdexcept>

namespace {

using namespace site;

constexpr int kDefaultLimit = 500;

// A whole number from the query, within [minimum, maximum]; `fallback`
// when the query has none.
std::optional<int> numberOf(const QUrl &url, QStringView name, int fallback, int minimum, int maximum)
{
    const std::optional<QString> value = queryValue(url, name);
    if (!value)
        return fallback;
    bool ok = false;
    const int n = value->toInt(&ok);
    if (!ok || n < minimum || n > maximum)
        return std::nullopt;
    return n;
}

class FeedArea final : public SiteArea
{
public:
    explicit FeedArea(DemoSite &site) : m_site(site) {}

    void addRoutes(SiteRoutes &routes) override
    {
        routes.page(QStringLiteral("/feed/items\\.json"),
                    [this](const QHttpServerRequest &request) { return feedPage(request); });
    }

    QString homeSection() override
    {
        return QStringLiteral("<p>新发布的动画：<a href=\"/feed/items.json\">feed/items.json</a></p>\n");
    }

private:
    QHttpServerResponse feedPage(const QHttpServerRequest &request)
    {
        const QString since = queryValue(request.url(), u"since").value_or(QString());
        const std::optional<int> after = numberOf(request.url(), u"after", 0, 0, std::numeric_limits<int>::max());
        const std::optional<int> limit = numberOf(request.url(), u"limit", kDefaultLimit, 1, update::kMaxPageItems);
        if ((!since.isEmpty() && !update::isUploadTime(since)) || !after || !limit) {
            return problemPage(QStringLiteral("无效的请求"),
                               QStringLiteral("since 是“yyyy-MM-dd hh:mm:ss”形式的时间，after 是编号，"
                                              "limit 是 1 到 %1 之间的条目数。")
                                   .arg(update::kMaxPageItems),
                               Status::BadRequest);
        }
        try {
            const update::FeedPage page =
                catalogue::readFeedPage(m_site.published().ac_info, {since, *after}, *limit, m_site.baseUrl());
            return QHttpServerResponse(QByteArrayLiteral("application/json"), update::feedJson(page));
        } catch (const DatabaseError &e) {
            return unavailablePage(e.text());
        } catch (const std::runtime_error &e) {
            return unavailablePage(QString::fromStdString(e.what()));
        }
    }

    DemoSite &m_site;
};

const SiteAreaRegistration kFeed("feed", [](DemoSite &site) -> std::unique_ptr<SiteArea> {
    return std::make_unique<FeedArea>(site);
});

} // namespace
