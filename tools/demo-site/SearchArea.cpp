// The search page: the items whose names hold the keyword posted in the
// field "title" (GBK, URL-encoded), each linked to its playing page.
#include "DemoSite.h"
#include "SiteArea.h"
#include "SiteCatalogue.h"
#include "SiteFrame.h"

#include "search/LocalSearch.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "store/JetSql.h"

namespace {

using namespace site;

constexpr int kMostShown = 100;

class SearchArea final : public SiteArea
{
public:
    explicit SearchArea(DemoSite &site) : m_site(site) {}

    void addRoutes(SiteRoutes &routes) override
    {
        routes.form(QStringLiteral("/flash/colume\\.asp"),
                    [this](const QHttpServerRequest &request) { return resultsPage(request); });
    }

    QString homeSection() override { return searchForm(QString()); }

private:
    // The site's own search form; it sends GBK as the program does.
    static QString searchForm(const QString &keyword)
    {
        return QStringLiteral(
                   "<form id=\"search\" method=\"post\" action=\"/flash/colume.asp\" accept-charset=\"GBK\">\n"
                   "<input name=\"title\" value=\"%1\"> <button type=\"submit\">搜索动画</button>\n"
                   "</form>\n")
            .arg(escaped(keyword));
    }

    QHttpServerResponse resultsPage(const QHttpServerRequest &request)
    {
        const QString keyword = formFields(request).value(u"title").value_or(QString());
        QList<Item> found;
        try {
            found =
                readItems(m_site.catalogue().aq_all,
                          QStringLiteral("select top %1 * from qry_files where displayname like ").arg(kMostShown + 1) +
                              store::quoted(search::likePattern(keyword)) + QStringLiteral(" escape '\\'"));
        } catch (const DatabaseError &e) {
            return unavailablePage(e.text());
        }
        const bool more = found.size() > kMostShown;
        if (more)
            found.resize(kMostShown);
        QString list;
        for (const Item &item : std::as_const(found)) {
            list += itemLine(item);
        }
        QString summary;
        if (found.isEmpty())
            summary = QStringLiteral("没有找到名称中含有“%1”的动画。").arg(escaped(keyword));
        else if (more)
            summary =
                QStringLiteral("名称中含有“%1”的动画很多，这里列出前 %2 个：").arg(escaped(keyword)).arg(kMostShown);
        else
            summary = QStringLiteral("找到 %1 个名称中含有“%2”的动画：").arg(found.size()).arg(escaped(keyword));
        const QString body = QStringLiteral("<main>\n<h1>搜索动画</h1>\n%1<p id=\"summary\">%2</p>\n"
                                            "<ul id=\"results\">\n%3</ul>\n</main>\n")
                                 .arg(searchForm(keyword), summary, list);
        return html(page(QStringLiteral("搜索：") + keyword, body));
    }

    DemoSite &m_site;
};

const SiteAreaRegistration kSearch("search", [](DemoSite &site) -> std::unique_ptr<SiteArea> {
    return std::make_unique<SearchArea>(site);
});

} // namespace
