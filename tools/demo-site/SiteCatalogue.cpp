#include "SiteCatalogue.h"

#include "SiteFrame.h"

#include "store/DataSet.h"

#include <QUrl>

#include <limits>

namespace site {

QList<Item> readItems(store::DataSet &set, const QString &sql)
{
    QList<Item> out;
    store::eachRow(set, sql, [&out](store::DataSet &row) {
        out << Item{row.fieldByName(u"FileID").asInteger(),   row.fieldByName(u"DisplayName").asString(),
                    row.fieldByName(u"Filename").asString(),  row.fieldByName(u"ColumeName").asString(),
                    row.fieldByName(u"classname").asString(), row.fieldByName(u"FileDesc").asString(),
                    row.fieldByName(u"Owner").asString(),     row.fieldByName(u"UploadDate").asString()};
    });
    return out;
}

std::optional<Item> findItem(store::DataSet &set, qint64 id)
{
    if (id <= 0 || id > std::numeric_limits<int>::max())
        return std::nullopt;
    QList<Item> found = readItems(set, QStringLiteral("select * from qry_files where FileID=%1").arg(id));
    if (found.isEmpty())
        return std::nullopt;
    return found.takeFirst();
}

QString itemLine(const Item &item)
{
    return QStringLiteral("<li><a href=\"%1\">%2</a> <span class=\"meta\">%3 · %4</span></li>\n")
        .arg(escaped(playingPath(item.id)), escaped(item.name), escaped(item.column), escaped(item.uploaded.left(10)));
}

QString filePath(const Item &item)
{
    return QStringLiteral("/files/") + QString::fromLatin1(QUrl::toPercentEncoding(item.column)) + u'/' +
           QString::fromLatin1(QUrl::toPercentEncoding(item.file));
}

QString playingPath(int id)
{
    return QStringLiteral("/flash/openflash.asp?fileid=%1").arg(id);
}

} // namespace site
