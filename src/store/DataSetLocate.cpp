// Locating a row. In a table the located row becomes the anchor from which
// the position counts, until a move needs its place in the whole table.
#include "store/DataSet.h"

#include "store/Connection.h"
#include "store/JetSql.h"
#include "store/Statements.h"

namespace store {

void DataSet::settlePosition()
{
    if (!m_locatedRowId)
        return;
    QString sql = QStringLiteral("SELECT count(*) FROM %1 WHERE ").arg(m_table);
    if (m_filtered && !m_filter.trimmed().isEmpty())
        sql += QStringLiteral("(%1) AND ").arg(translateJet(m_filter));
    sql += QStringLiteral("rowid < ?");
    QSqlQuery q = runStatement(m_connection.database(), sql, {*m_locatedRowId});
    if (!q.next())
        throw statementError(q, sql);
    m_position += q.value(0).toLongLong();
    m_locatedRowId.reset();
}

bool DataSet::locate(const QString &keyFields, const QVariantList &values)
{
    requireActive("定位");
    cancel();
    const QStringList names = keyFields.split(u';', Qt::SkipEmptyParts);
    if (names.isEmpty() || names.size() != values.size())
        throw DatabaseError(QStringLiteral("%1：定位字段与取值不符").arg(m_name));
    for (const QString &n : names) {
        if (!hasField(n.trimmed()))
            throw DatabaseError(QStringLiteral("%1：找不到字段“%2”").arg(m_name, n.trimmed()));
    }

    if (m_kind == Kind::Table) {
        QStringList conditions;
        for (const QString &n : names)
            conditions << QStringLiteral("%1 = ?").arg(n.trimmed());
        QString probe = QStringLiteral("SELECT rowid FROM %1 WHERE ").arg(m_table);
        if (m_filtered && !m_filter.trimmed().isEmpty())
            probe += QStringLiteral("(%1) AND ").arg(translateJet(m_filter));
        probe += conditions.join(QStringLiteral(" AND ")) + QStringLiteral(" ORDER BY rowid LIMIT 1");
        QSqlQuery q = runStatement(m_connection.database(), probe, values);
        if (!q.next())
            return false;
        const qlonglong rowId = q.value(0).toLongLong();
        // Walks on from the located row; its place in the table is counted
        // only when a move needs it.
        runFrom(0, QStringLiteral("rowid >= ?"), {rowId});
        m_locatedRowId = rowId;
        m_position = 0;
        fetch();
        return !m_eof;
    }

    // A query result is searched row by row from its start.
    const qsizetype previous = m_position;
    const bool wasEof = m_eof;
    first();
    while (!m_eof) {
        bool match = true;
        for (qsizetype i = 0; i < names.size() && match; ++i) {
            const QVariant have = toSqlValue(m_row.value(fieldIndex(names.at(i).trimmed())));
            match = have.toString() == toSqlValue(values.at(i)).toString();
        }
        if (match)
            return true;
        next();
    }
    runFrom(previous);
    m_position = previous;
    fetch();
    m_eof = m_eof || wasEof;
    return false;
}

} // namespace store
