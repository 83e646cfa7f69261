#include "search/LocalSearch.h"

#include "store/JetSql.h"

namespace search {

QString localSearchStatement(const QString &keyword, const QString &className, const QString &columnName)
{
    QString sql = QStringLiteral("select * from qry_files where displayname like ")
                  + store::quoted(u'%' + keyword + u'%');
    if (className != kAll)
        sql += QStringLiteral(" and classname=") + store::quoted(className);
    if (columnName != kAll)
        sql += QStringLiteral(" and columename=") + store::quoted(columnName);
    return sql;
}

} // namespace search
