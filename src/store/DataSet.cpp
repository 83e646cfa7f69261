// A data set's SQL text and filter, closing it, its fields, and editing,
// appending and posting rows.
#include "store/DataSet.h"

#include "store/Connection.h"
#include "store/JetSql.h"
#include "store/Statements.h"

namespace store {

DataSet::DataSet(Connection &connection, QString name, Kind kind, QString table)
    : m_connection(connection), m_name(std::move(name)), m_kind(kind), m_table(std::move(table))
{
}

void DataSet::setSql(const QString &sql)
{
    if (active())
        close();
    m_sql = sql;
}

void DataSet::setFilter(const QString &filter)
{
    m_filter = filter;
}

void DataSet::setFiltered(bool on)
{
    m_filtered = on;
}

void DataSet::close()
{
    m_queryDone = true;
    m_buffer.clear();
    m_row = QSqlRecord();
    m_eof = true;
    m_position = 0;
    m_locatedRowId.reset();
    m_count.reset();
    m_changes.clear();
    m_keys.clear();
    m_keys.shrink_to_fit();
    m_walk.reset();
    m_keyed = false;
    m_state = State::Inactive;
}

void DataSet::requireActive(const char *operation) const
{
    if (!active())
        throw DatabaseError(QStringLiteral("%1：数据集未打开，不能%2").arg(m_name, QLatin1String(operation)));
}

int DataSet::fieldIndex(QStringView name) const
{
    for (int i = 0; i < m_row.count(); ++i) {
        const QString fieldName = m_row.fieldName(i);
        if (fieldName != kRowIdField && QStringView(fieldName).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool DataSet::hasField(QStringView name) const
{
    return fieldIndex(name) >= 0;
}

QStringList DataSet::fieldNames() const
{
    QStringList names;
    for (int i = 0; i < m_row.count(); ++i) {
        if (m_row.fieldName(i) != kRowIdField)
            names << m_row.fieldName(i);
    }
    return names;
}

Field DataSet::fieldByName(QStringView name) const
{
    requireActive("读取字段");
    const int index = fieldIndex(name);
    if (index < 0)
        throw DatabaseError(QStringLiteral("%1：找不到字段“%2”").arg(m_name, name.toString()));
    if (m_eof && m_state == State::Browse)
        throw DatabaseError(QStringLiteral("%1：没有当前记录").arg(m_name));
    for (const auto &[changed, value] : m_changes) {
        if (QStringView(changed).compare(name, Qt::CaseInsensitive) == 0)
            return Field(value);
    }
    if (m_state == State::Insert)
        return Field();
    return Field(m_row.value(index));
}

void DataSet::edit()
{
    requireActive("编辑");
    if (m_eof)
        throw DatabaseError(QStringLiteral("%1：没有当前记录，不能编辑").arg(m_name));
    m_changes.clear();
    m_state = State::Edit;
}

void DataSet::append()
{
    requireActive("添加");
    m_changes.clear();
    m_state = State::Insert;
}

void DataSet::setFieldValue(QStringView name, const QVariant &value)
{
    if (m_state != State::Edit && m_state != State::Insert)
        throw DatabaseError(QStringLiteral("%1：不在编辑状态，不能修改字段").arg(m_name));
    const int index = fieldIndex(name);
    if (index < 0)
        throw DatabaseError(QStringLiteral("%1：找不到字段“%2”").arg(m_name, name.toString()));
    const QString canonical = m_row.fieldName(index);
    for (auto &change : m_changes) {
        if (change.first == canonical) {
            change.second = value;
            return;
        }
    }
    m_changes.append({canonical, value});
}

QString DataSet::keyField() const
{
    const QString source = m_kind == Kind::Table ? m_table : sourceOf(m_sql);
    static const QList<std::pair<QString, QString>> keys = {
        {QStringLiteral("qry_files"), QStringLiteral("FileID")},
        {QStringLiteral("qry_FilesLast"), QStringLiteral("FileID")},
        {QStringLiteral("qry_FilesRecent"), QStringLiteral("FileID")},
        {QStringLiteral("qry_filestop"), QStringLiteral("FileID")},
        {QStringLiteral("tb_Files"), QStringLiteral("FileID")},
        {QStringLiteral("tb_Colume"), QStringLiteral("ColumeID")},
        {QStringLiteral("tb_Class"), QStringLiteral("ClassID")},
        {QStringLiteral("tb_Recommend"), QStringLiteral("ItemID")},
        {QStringLiteral("tb_Adver"), QStringLiteral("AdverID")},
        {QStringLiteral("tb_users"), QStringLiteral("Username")},
        {QStringLiteral("tb_SendCards"), QStringLiteral("CardID")},
    };
    for (const auto &[table, key] : keys) {
        if (source.compare(table, Qt::CaseInsensitive) == 0)
            return key;
    }
    throw DatabaseError(QStringLiteral("%1：不能更新“%2”的记录").arg(m_name, source));
}

void DataSet::postEdit()
{
    QStringList assignments;
    QVariantList binds;
    for (const auto &[field, value] : m_changes) {
        assignments << QStringLiteral("%1 = ?").arg(field);
        binds << value;
    }
    QString target;
    QString where;
    if (m_kind == Kind::Table) {
        target = m_table;
        where = QStringLiteral("rowid = ?");
        binds << m_row.value(kRowIdField);
    } else {
        target = sourceOf(m_sql);
        const QString key = keyField();
        const int index = fieldIndex(key);
        if (index < 0)
            throw DatabaseError(QStringLiteral("%1：结果中没有关键字段“%2”，不能更新").arg(m_name, key));
        where = QStringLiteral("%1 = ?").arg(key);
        binds << m_row.value(index);
    }
    const QString sql =
        QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(target, assignments.join(QStringLiteral(", ")), where);
    runStatement(m_connection.database(), sql, binds);
    for (const auto &[field, value] : m_changes)
        m_row.setValue(field, toSqlValue(value));
}

void DataSet::postInsert()
{
    const QString target = m_kind == Kind::Table ? m_table : sourceOf(m_sql);
    keyField(); // only known tables take new rows
    QStringList columns;
    QStringList marks;
    QVariantList binds;
    for (const auto &[field, value] : m_changes) {
        columns << field;
        marks << QStringLiteral("?");
        binds << value;
    }
    const QString sql = columns.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(target)
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(target, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    const QVariant rowId = runStatement(m_connection.database(), sql, binds).lastInsertId();
    QSqlRecord row = m_structure;
    row.clearValues();
    for (const auto &[field, value] : m_changes)
        row.setValue(field, toSqlValue(value));
    // The new row as stored, its key and defaults included, so that an edit
    // right after the append writes to it.
    QSqlQuery stored =
        runStatement(m_connection.database(),
                     QStringLiteral("SELECT rowid AS %1, * FROM %2 WHERE rowid = ?").arg(kRowIdField, target), {rowId});
    if (stored.next()) {
        const QSqlRecord written = stored.record();
        for (int i = 0; i < row.count(); ++i) {
            const int j = written.indexOf(row.fieldName(i));
            if (j >= 0)
                row.setValue(i, written.value(j));
        }
    }
    m_row = row;
    m_eof = false;
    if (m_count)
        ++*m_count;
}

void DataSet::post()
{
    if (m_state == State::Edit && !m_changes.isEmpty())
        postEdit();
    else if (m_state == State::Insert)
        postInsert();
    if (active()) {
        m_changes.clear();
        m_state = State::Browse;
    }
}

void DataSet::cancel()
{
    if (m_state == State::Edit || m_state == State::Insert) {
        m_changes.clear();
        m_state = State::Browse;
    }
}

void DataSet::execSql()
{
    if (active())
        close();
    m_connection.recoverIfDamaged();
    const QString sql = translateJet(m_sql);
    runStatement(m_connection.database(), sql, {});
}

} // namespace store
