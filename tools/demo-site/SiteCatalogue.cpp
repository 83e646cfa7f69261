#include "SiteCatalogue.h"

#include "store/DataSet.h"

#include <QUrl>

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
