// The pages the special recommendations link to: one page per recommended
// link with its name, kind, description and two lines of information, and a
// list of them all by category.
#include "DemoSite.h"
#include "SiteArea.h"
#include "SiteFrame.h"

#include "store/DataModule.h"
#include "store/DatabaseError.h"

#include <QHttpServerRequest>
#include <QRegularExpression>

namespace {

using namespace site;

struct Link
{
    QString id;
    QString category;
    QString name;
    QString kind;
    QString description;
    QString other1;
    QString other2;
};

class RecommendArea final : public SiteArea
{
public:
    explicit RecommendArea(DemoSite &site) : m_site(site) {}

    void addRoutes(SiteRoutes &routes) override
    {
        routes.folder(QStringLiteral("/recommend/<arg>"),
                      [this](const QHttpServerRequest &request) { return answer(request); });
    }

    QString homeSection() override
    {
        return QStringLiteral("<p><a href=\"/recommend/\">特别推荐</a>：网站、影碟、图书、音碟、软件和游戏。</p>");
    }

private:
    QList<Link> links(const QString &sql);
    QHttpServerResponse answer(const QHttpServerRequest &request);
    QHttpServerResponse linkPage(const QString &id);
    QHttpServerResponse indexPage();

    DemoSite &m_site;
};

QList<Link> RecommendArea::links(const QString &sql)
{
    store::DataSet &q = m_site.catalogue().aq_all;
    q.close();
    q.setSql(sql);
    q.open();
    QList<Link> out;
    try {
        for (; !q.eof(); q.next()) {
            out.append({q.fieldByName(u"ItemID").asString(), q.fieldByName(u"Columename").asString(),
                        q.fieldByName(u"Itemname").asString(), q.fieldByName(u"Classname").asString(),
                        q.fieldByName(u"ItemDesc").asString(), q.fieldByName(u"ItemOther1").asString(),
                        q.fieldByName(u"ItemOther2").asString()});
        }
    } catch (...) {
        q.close();
        throw;
    }
    q.close();
    return out;
}

QHttpServerResponse RecommendArea::answer(const QHttpServerRequest &request)
{
    const Segments path = segmentsAfter(request.url(), QLatin1StringView("/recommend/"), 1);
    if (path.result == PathResult::Refused)
        return badPath();
    const QString name = path.result == PathResult::Ok ? path.parts.at(0) : QString();
    try {
        if (name.isEmpty() || name == QLatin1String("index.html"))
            return indexPage();
        static const QRegularExpression linkName(QStringLiteral("^item([0-9]{1,9})\\.html$"));
        const QRegularExpressionMatch m = linkName.match(name);
        if (m.hasMatch())
            return linkPage(m.captured(1));
    } catch (const DatabaseError &e) {
        return unavailablePage(e.text());
    }
    return notFoundPage();
}

QHttpServerResponse RecommendArea::linkPage(const QString &id)
{
    const QList<Link> found = links(QStringLiteral("select * from tb_Recommend where ItemID=%1").arg(id.toLongLong()));
    if (found.isEmpty()) {
        return problemPage(QStringLiteral("找不到这条推荐"),
                           QStringLiteral("编号为 %1 的推荐不存在，或者已经被删除了。").arg(id), Status::NotFound);
    }
    const Link &link = found.constFirst();
    const QString body = QStringLiteral("<main>\n<p class=\"meta\">特别推荐 · %1 · %2</p>\n<h1 id=\"name\">%3</h1>\n"
                                        "<p id=\"description\">%4</p>\n<ul>\n<li id=\"other1\">%5</li>\n"
                                        "<li id=\"other2\">%6</li>\n</ul>\n"
                                        "<p><a href=\"/recommend/\">更多推荐</a> · <a href=\"/\">返回首页</a></p>\n"
                                        "</main>\n")
                             .arg(escaped(link.category), escaped(link.kind), escaped(link.name),
                                  escaped(link.description), escaped(link.other1), escaped(link.other2));
    return html(page(link.name, body));
}

QHttpServerResponse RecommendArea::indexPage()
{
    QString body = QStringLiteral("<main>\n<h1>特别推荐</h1>\n");
    QString category;
    for (const Link &link : links(QStringLiteral("select * from tb_Recommend order by Columename, ItemID desc"))) {
        if (link.category != category) {
            body += (category.isNull() ? QString() : QStringLiteral("</ul>\n")) +
                    QStringLiteral("<h2>%1</h2>\n<ul>\n").arg(escaped(link.category));
            category = link.category;
        }
        body += QStringLiteral("<li><a href=\"/recommend/item%1.html\">%2</a>（%3）</li>\n")
                    .arg(link.id, escaped(link.name), escaped(link.kind));
    }
    if (!category.isNull())
        body += QStringLiteral("</ul>\n");
    body += QStringLiteral("</main>\n");
    return html(page(QStringLiteral("特别推荐"), body));
}

const SiteAreaRegistration kRecommend("recommend", [](DemoSite &site) -> std::unique_ptr<SiteArea> {
    return std::make_unique<RecommendArea>(site);
});

} // namespace
