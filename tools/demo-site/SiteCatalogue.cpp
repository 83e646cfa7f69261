#include "SiteCatalogue.h"

#include "SiteFrame.h"

#include "store/DataSet.h"

#include <QUrl>

#include <limits>

namespace site {

QList<Item> readItems(store::DataSet &set, const QString &sql)
{
    QList<Item> out;
    set.setSql(sql);
    set.open();
    try {
        while (!set.eof()) {
            Item item;
            item.id = set.fieldByName(u"FileID").asInteger();
            item.name = set.fieldByName(u"DisplayName").asString();
            item.file = set.fieldByName(u"Filename").asString();
            item.column = set.fieldByName(u"ColumeName").asString();
            item.className = set.fieldByName(u"classname").asString();
            item.description = set.fieldByName(u"FileDesc").asString();
            item.owner = set.fieldByName(u"Owner").asString();
            item.uploaded = set.fieldByName(u"UploadDate").asString();
            out << item;
            set.next();
        }
    } catch (...) {
        set.close();
        throw;
    }
    set.close();
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
