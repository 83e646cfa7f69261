#include "search/LocalSearch.h"

#include "browse/ListLoader.h"
#include "search/NameIndex.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "store/JetSql.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace search {
namespace {

// The numbers of the rows of `table` whose `nameField` is `name`.
std::vector<qint64> idsNamed(TDM_CDS &dm, const QString &sql, const QString &name)
{
    QSqlQuery q(dm.ac_info.database());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw DatabaseError(QStringLiteral("数据库错误：%1\n%2").arg(q.lastError().text(), sql));
    q.addBindValue(name);
    if (!q.exec())
        throw DatabaseError(QStringLiteral("数据库错误：%1\n%2").arg(q.lastError().text(), sql));
    std::vector<qint64> ids;
    while (q.next())
        ids.push_back(q.value(0).toLongLong());
    return ids;
}

} // namespace

QString likePattern(const QString &keyword)
{
    QString escaped;
    escaped.reserve(keyword.size() + 2);
    escaped += u'%';
    for (const QChar c : keyword) {
        if (c == u'%' || c == u'_' || c == u'\\')
            escaped += u'\\';
        escaped += c;
    }
    escaped += u'%';
    return escaped;
}

QString localSearchStatement(const QString &keyword, const QString &className, const QString &columnName)
{
    QString sql = QStringLiteral("select * from qry_files where displayname like ") +
                  store::quoted(likePattern(keyword)) + QStringLiteral(" escape '\\'");
    if (className != kAll)
        sql += QStringLiteral(" and classname=") + store::quoted(className);
    if (columnName != kAll)
        sql += QStringLiteral(" and columename=") + store::quoted(columnName);
    return sql;
}

LocalSearchResult LocalSearch(TDM_CDS &dm, NameIndex &index, const QString &keyword, const QString &className,
                              const QString &columnName)
{
    Narrowing narrowing;
    if (className != kAll) {
        narrowing.byClass = true;
        narrowing.classIds =
            idsNamed(dm, QStringLiteral("SELECT ClassID FROM tb_Class WHERE classname = ?"), className);
    }
    if (columnName != kAll) {
        narrowing.byColumn = true;
        narrowing.columnIds =
            idsNamed(dm, QStringLiteral("SELECT ColumeID FROM tb_Colume WHERE ColumeName = ?"), columnName);
    }
    index.refresh(dm.ac_info.handle());
    LocalSearchResult result;
    result.fileIds = std::make_shared<const std::vector<qint64>>(index.find(keyword, narrowing));
    result.statusTexts = {QStringLiteral("类别:") + className, QStringLiteral("栏目:") + columnName,
                          QStringLiteral("关键字:") + keyword, QStringLiteral("共%1条").arg(result.fileIds->size())};
    return result;
}

QList<browse::ItemRow> searchRows(TDM_CDS &dm, const QString &programDir, const std::vector<qint64> &fileIds,
                                  size_t from, size_t count)
{
    const size_t end = std::min(fileIds.size(), from + count);
    if (from >= end)
        return {};
    QStringList numbers;
    QHash<QString, size_t> place;
    for (size_t i = from; i < end; ++i) {
        numbers << QString::number(fileIds[i]);
        place.insert(numbers.back(), i);
    }
    dm.aq_all.close();
    dm.aq_all.setSql(QStringLiteral("select * from qry_files where FileID in (%1)").arg(numbers.join(u',')));
    dm.aq_all.open();
    QList<browse::ItemRow> rows = browse::FillItemList(dm.aq_all, programDir, 0);
    dm.aq_all.close();
    std::stable_sort(rows.begin(), rows.end(), [&place](const browse::ItemRow &a, const browse::ItemRow &b) {
        return place.value(a.fileId) < place.value(b.fileId);
    });
    return rows;
}

} // namespace search
