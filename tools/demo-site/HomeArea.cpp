// The home page: the latest items, and what the other areas put on it.
#include "DemoSite.h"
#include "SiteArea.h"
#include "SiteCatalogue.h"
#include "SiteFrame.h"

#include "store/DataModule.h"
#include "store/DatabaseError.h"

namespace {

using namespace site;

constexpr int kRecentItems = 12;

class HomeArea final : public SiteArea
{
public:
    explicit HomeArea(DemoSite &site) : m_site(site) {}

    void addRoutes(SiteRoutes &routes) override
    {
        routes.page(QStringLiteral("/"), [this](const QHttpServerRequest &) { return homePage(); });
        // The program asks this page to tell our site from another program on the port.
        routes.page(QStringLiteral("/flashbar-site"), [](const QHttpServerRequest &) {
            return QHttpServerResponse(QByteArrayLiteral("text/plain"), QByteArrayLiteral("flashbar-site\n"));
        });
    }

private:
    QHttpServerResponse homePage()
    {
        QList<Item> recent;
        try {
            recent = readItems(m_site.catalogue().aq_all,
                               QStringLiteral("select top %1 * from qry_FilesLast").arg(kRecentItems));
        } catch (const DatabaseError &e) {
            return unavailablePage(e.text());
        }
        QString list;
        for (const Item &item : std::as_const(recent)) {
            list += itemLine(item);
        }
        if (recent.isEmpty())
            list = QStringLiteral("<li>还没有动画。</li>\n");
        const QString body = QStringLiteral("<main>\n<h1>欢迎光临 Flash吧</h1>\n"
                                            "<p>这里收藏了各种 Flash 动画：MTV、搞笑短片、小游戏、贺卡……</p>\n"
                                            "<h2>最新动画</h2>\n<ul id=\"recent\">\n%1</ul>\n%2</main>\n")
                                 .arg(list, m_site.homeSections());
        return html(page(kSiteName, body));
    }

    DemoSite &m_site;
};

const SiteAreaRegistration kHome("home", [](DemoSite &site) -> std::unique_ptr<SiteArea> {
    return std::make_unique<HomeArea>(site);
});

} // namespace
