// The playing pages of the catalogue's items, their Flash files and the
// Ruffle player's files.
#include "DemoSite.h"
#include "SiteArea.h"
#include "SiteCatalogue.h"
#include "SiteFrame.h"
#include "samples/SampleSwf.h"

#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "store/JetSql.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QHttpServerRequest>

namespace {

using namespace site;

const QByteArray kFlashType = QByteArrayLiteral("application/x-shockwave-flash");

class PlayerArea final : public SiteArea
{
public:
    explicit PlayerArea(DemoSite &site) : m_site(site) {}

    void addRoutes(SiteRoutes &routes) override
    {
        // Route patterns are regular expressions, hence the escaped dot.
        routes.page(QStringLiteral("/flash/openflash\\.asp"),
                    [this](const QHttpServerRequest &request) { return playingPage(request); });
        routes.files(QStringLiteral("/files/<arg>"),
                     [this](const QHttpServerRequest &request) { return flashFile(request); });
        routes.folder(QStringLiteral("/ruffle/<arg>"),
                      [this](const QHttpServerRequest &request) { return ruffleFile(request); });
    }

private:
    QHttpServerResponse playingPage(const QHttpServerRequest &request);
    FileOrPage flashFile(const QHttpServerRequest &request);
    QHttpServerResponse ruffleFile(const QHttpServerRequest &request);
    // Rows of a statement on qry_files: from the home's catalogue, else
    // from the items the site published. Throw DatabaseError.
    QList<Item> itemsOf(const QString &sql);

    DemoSite &m_site;
    QHash<QString, QByteArray> m_ruffleCache;
};

QHttpServerResponse PlayerArea::playingPage(const QHttpServerRequest &request)
{
    const std::optional<QString> value = queryValue(request.url(), u"fileid");
    bool valid = value && !value->isEmpty() && value->size() <= 18;
    if (valid) {
        for (const QChar c : *value)
            valid = valid && c >= u'0' && c <= u'9';
    }
    if (!valid) {
        return problemPage(QStringLiteral("无效的动画编号"),
                           value ? QStringLiteral("“%1”不是有效的动画编号。").arg(*value)
                                 : QStringLiteral("地址里缺少动画编号（fileid）。"),
                           Status::BadRequest);
    }
    const qint64 id = value->toLongLong();
    std::optional<Item> found;
    try {
        found = findItem(m_site.catalogue().aq_all, id);
        if (TDM_CDS *published = m_site.publishedIfAny(); !found && published)
            found = findItem(published->aq_all, id);
    } catch (const DatabaseError &e) {
        return unavailablePage(e.text());
    }
    if (!found) {
        return problemPage(QStringLiteral("找不到这个动画"),
                           QStringLiteral("编号为 %1 的动画不存在，或者已经被删除了。").arg(id), Status::NotFound);
    }
    const Item &item = *found;

    const QString description = escapedLines(item.description);
    const QString body =
        playerBox(filePath(item)) +
        QStringLiteral("<main>\n<h1 id=\"name\">%1</h1>\n"
                       "<p class=\"meta\">分类：%2 · 栏目：%3 · 作者：%4 · 上传于 %5</p>\n"
                       "<p id=\"description\">%6</p>\n"
                       "<p><a href=\"%7\">下载这个动画</a> · <a href=\"/\">返回首页</a></p>\n</main>\n")
            .arg(escaped(item.name), escaped(item.className), escaped(item.column), escaped(item.owner),
                 escaped(item.uploaded), description, escaped(filePath(item)));
    return html(page(item.name, body, playerHead()));
}

FileOrPage PlayerArea::flashFile(const QHttpServerRequest &request)
{
    const Segments path = segmentsAfter(request.url(), QLatin1StringView("/files/"), 2);
    if (path.result == PathResult::Refused)
        return badPath();
    if (path.result == PathResult::NotFound)
        return notFoundPage();
    const QString &column = path.parts.at(0);
    const QString &file = path.parts.at(1);

    // A real file put in the site's own folder wins over the drawn sample.
    const QString onDisk = fileInside(QDir(m_site.home()).filePath(QStringLiteral("site/files")), {column, file});
    if (!onDisk.isEmpty() && QFile(onDisk).open(QIODevice::ReadOnly))
        return SentFile{kFlashType, onDisk, {}};

    QList<Item> found;
    try {
        found = itemsOf(QStringLiteral("select * from qry_files where ColumeName=%1 and Filename=%2 order by FileID")
                            .arg(store::quoted(column), store::quoted(file)));
    } catch (const DatabaseError &e) {
        return unavailablePage(e.text());
    }
    if (found.isEmpty()) {
        return problemPage(QStringLiteral("找不到这个文件"),
                           QStringLiteral("栏目“%1”里没有文件“%2”。").arg(column, file), Status::NotFound);
    }
    return SentFile{kFlashType, {}, samples::sampleSwf(found.constFirst().id)};
}

QList<Item> PlayerArea::itemsOf(const QString &sql)
{
    QList<Item> found = readItems(m_site.catalogue().aq_all, sql);
    if (TDM_CDS *published = m_site.publishedIfAny(); found.isEmpty() && published)
        found = readItems(published->aq_all, sql);
    return found;
}

QHttpServerResponse PlayerArea::ruffleFile(const QHttpServerRequest &request)
{
    const Segments path = segmentsAfter(request.url(), QLatin1StringView("/ruffle/"), 1);
    if (path.result == PathResult::Refused)
        return badPath();
    if (path.result == PathResult::NotFound)
        return notFoundPage();
    const QString &name = path.parts.at(0);

    auto cached = m_ruffleCache.constFind(name);
    if (cached == m_ruffleCache.constEnd()) {
        const QString real = fileInside(m_site.ruffleDir(), {name});
        if (real.isEmpty())
            return notFoundPage();
        QFile f(real);
        if (!f.open(QIODevice::ReadOnly))
            return notFoundPage();
        // The player's files do not change while the site runs: each is read
        // once, and every answer shares the same bytes.
        cached = m_ruffleCache.insert(name, f.readAll());
    }
    return QHttpServerResponse(mimeTypeOf(name), *cached);
}

const SiteAreaRegistration kPlayer("player", [](DemoSite &site) -> std::unique_ptr<SiteArea> {
    return std::make_unique<PlayerArea>(site);
});

} // namespace
