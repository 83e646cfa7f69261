#include "store/DataSet.h"

#include "store/Connection.h"
#include "store/DatabaseError.h"
#include "store/JetSql.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>

#include <sqlite3.h>

#include <cstring>

namespace store {
namespace {

constexpr int kReadAhead = 64;
const QString kRowIdField = QStringLiteral("__rowid__");

// A file truncated or overwritten under the connection leaves pages and a
// schema read from it in SQLite's cache (an emptied file reads as a database
// without tables); after an error that may come of it, drop both, so that the
// next statement reads the file afresh once it is sound again instead of
// writing through a stale page.
void forgetCachedPages(sqlite3 *handle, int code)
{
    const int primary = code & 0xff;
    const bool missingTable = primary == SQLITE_ERROR && handle && std::strncmp(sqlite3_errmsg(handle), "no such table", 13) == 0;
    if (handle && (missingTable || primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_IOERR)) {
        sqlite3_db_release_memory(handle);
        // The schema it parsed from the damaged file goes too.
        sqlite3_exec(handle, "PRAGMA writable_schema=RESET", nullptr, nullptr, nullptr);
    }
}

sqlite3 *handleOf(const QSqlQuery &q)
{
    const QVariant v = q.driver() ? q.driver()->handle() : QVariant();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(v.constData());
    return nullptr;
}

DatabaseError statementError(const QSqlQuery &q, const QString &sql)
{
    forgetCachedPages(handleOf(q), q.lastError().nativeErrorCode().toInt());
    return DatabaseError(QStringLiteral("数据库错误：%1\n%2").arg(q.lastError().text(), sql),
                         q.lastError().nativeErrorCode().toInt());
}

QVariant toSqlValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QString:
        // An empty text is stored as empty, never as NULL.
        return value.toString().isNull() ? QStringLiteral("") : value;
    default:
        return value;
    }
}

QSqlQuery runStatement(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw statementError(q, sql);
    for (const QVariant &v : binds)
        q.addBindValue(toSqlValue(v));
    if (!q.exec())
        throw statementError(q, sql);
    return q;
}

// Runs a one-column statement of integers with SQLite directly: walking many
// rows this way costs a fraction of what it costs through a QSqlQuery.
std::vector<qint64> readIds(sqlite3 *handle, const QString &sql)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *statement = nullptr;
    int rc = sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &statement, nullptr);
    std::vector<qint64> ids;
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int64(statement, 0));
    }
    const QString message = QString::fromUtf8(sqlite3_errmsg(handle));
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) {
        forgetCachedPages(handle, sqlite3_extended_errcode(handle));
        throw DatabaseError(QStringLiteral("数据库错误：%1\n%2").arg(message, sql), rc);
    }
    return ids;
}

// "select * from <stored query or tb_Files> ..." without grouping: its rows
// are found by item number first and read a batch at a time.
bool readsItemsByKey(const QString &translatedSql)
{
    static const QRegularExpression plainItems(
        QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+((qry_files|qry_FilesLast|qry_FilesRecent|qry_filestop)(_set)?"
                       "|tb_Files)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression grouping(QStringLiteral("\\b(group\\s+by|distinct)\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    return plainItems.match(translatedSql).hasMatch() && !grouping.match(translatedSql).hasMatch();
}

} // namespace

// ---- Field -----------------------------------------------------------------

QString Field::asString() const
{
    return m_value.isNull() ? QString() : m_value.toString();
}

int Field::asInteger() const
{
    if (m_value.isNull())
        return 0;
    bool ok = false;
    const int v = m_value.toInt(&ok);
    if (!ok)
        throw DatabaseError(QStringLiteral("“%1”不是有效的整数").arg(m_value.toString()));
    return v;
}

bool Field::asBoolean() const
{
    if (m_value.isNull())
        return false;
    if (m_value.typeId() == QMetaType::QString) {
        const QString s = m_value.toString().trimmed();
        if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || s.isEmpty())
            return false;
    }
    bool ok = false;
    const qlonglong v = m_value.toLongLong(&ok);
    if (!ok)
        throw DatabaseError(QStringLiteral("“%1”不是有效的布尔值").arg(m_value.toString()));
    return v != 0;
}

QDateTime Field::asDateTime() const
{
    if (m_value.isNull())
        return {};
    if (m_value.typeId() == QMetaType::QDateTime)
        return m_value.toDateTime();
    const QString s = m_value.toString().trimmed();
    for (const QString &format :
         {QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-dd HH:mm"), QStringLiteral("yyyy-MM-dd")}) {
        const QDateTime dt = QDateTime::fromString(s, format);
        if (dt.isValid())
            return dt;
    }
    const QDateTime iso = QDateTime::fromString(s, Qt::ISODate);
    if (!iso.isValid())
        throw DatabaseError(QStringLiteral("“%1”不是有效的日期时间").arg(s));
    return iso;
}

// ---- DataSet ---------------------------------------------------------------

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

QString DataSet::rowStatement() const
{
    if (m_kind == Kind::Table) {
        QString sql = QStringLiteral("SELECT rowid AS %1, * FROM %2").arg(kRowIdField, m_table);
        if (m_filtered && !m_filter.trimmed().isEmpty())
            sql += QStringLiteral(" WHERE (%1)").arg(translateJet(m_filter));
        return sql;
    }
    const QString base = translateJet(m_sql);
    if (m_filtered && !m_filter.trimmed().isEmpty())
        return QStringLiteral("SELECT * FROM (%1) WHERE (%2)").arg(base, translateJet(m_filter));
    return base;
}

QString DataSet::countStatement() const
{
    if (m_kind == Kind::Table) {
        QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(m_table);
        if (m_filtered && !m_filter.trimmed().isEmpty())
            sql += QStringLiteral(" WHERE (%1)").arg(translateJet(m_filter));
        return sql;
    }
    // The very rows the data set walks: a count of another statement could
    // disagree with them.
    return QStringLiteral("SELECT count(*) FROM (%1)").arg(rowStatement());
}

void DataSet::runFrom(qsizetype offset, const QString &extraCondition, const QVariantList &binds)
{
    if (m_keyed) {
        m_buffer.clear();
        m_nextKey = std::min<qsizetype>(offset, qsizetype(m_keys.size()));
        m_queryDone = m_nextKey >= qsizetype(m_keys.size());
        return;
    }
    m_locatedRowId.reset();
    m_buffer.clear();
    if (m_kind == Kind::Table) {
        fillTableBuffer(extraCondition, binds, offset);
        return;
    }
    QString sql = rowStatement();
    if (offset > 0)
        sql = QStringLiteral("SELECT * FROM (%1) LIMIT -1 OFFSET %2").arg(sql).arg(offset);
    m_query = runStatement(m_connection.database(), sql, binds);
    m_structure = m_query.record();
    m_queryDone = false;
}

// A table is read a batch at a time by row number, each batch a statement
// of its own: between batches the data set holds no read open, so a write
// of the program never meets a read that another process's commit has made
// stale, and waits for that process instead of failing.
void DataSet::fillTableBuffer(const QString &condition, const QVariantList &binds, qsizetype offset)
{
    QString sql = rowStatement();
    if (!condition.isEmpty())
        sql +=
            (sql.contains(QLatin1String(" WHERE (")) ? QStringLiteral(" AND ") : QStringLiteral(" WHERE ")) + condition;
    sql += QStringLiteral(" ORDER BY rowid LIMIT %1").arg(kReadAhead);
    if (offset > 0)
        sql += QStringLiteral(" OFFSET %1").arg(offset);
    QSqlQuery q = runStatement(m_connection.database(), sql, binds);
    m_structure = q.record();
    int rows = 0;
    while (q.next()) {
        m_buffer.push_back(q.record());
        ++rows;
    }
    if (q.lastError().isValid())
        throw statementError(q, sql);
    m_queryDone = rows < kReadAhead;
    if (rows > 0)
        m_lastRowId = m_buffer.back().value(kRowIdField).toLongLong();
}

void DataSet::fillKeyedBuffer()
{
    const qsizetype end = std::min<qsizetype>(m_nextKey + kReadAhead, qsizetype(m_keys.size()));
    QStringList keys;
    for (qsizetype i = m_nextKey; i < end; ++i)
        keys << QString::number(m_keys[size_t(i)]);
    const QString sql = QStringLiteral("SELECT * FROM (%1) WHERE FileID IN (%2)").arg(rowStatement(), keys.join(u','));
    QSqlQuery q = runStatement(m_connection.database(), sql, {});
    QHash<qint64, QSqlRecord> rows;
    while (q.next())
        rows.insert(q.value(QStringLiteral("FileID")).toLongLong(), q.record());
    if (q.lastError().isValid())
        throw statementError(q, sql);
    // Rows come in the order of the keys; a row gone since the keys were
    // read (another process deleted it) is left out.
    for (qsizetype i = m_nextKey; i < end; ++i) {
        const auto found = rows.constFind(m_keys[size_t(i)]);
        if (found != rows.constEnd())
            m_buffer.push_back(*found);
    }
    m_nextKey = end;
    m_queryDone = m_nextKey >= qsizetype(m_keys.size());
}

bool DataSet::fillBuffer()
{
    if (m_keyed) {
        while (m_buffer.empty() && !m_queryDone)
            fillKeyedBuffer();
        return !m_buffer.empty();
    }
    if (m_kind == Kind::Table) {
        if (m_buffer.empty() && !m_queryDone)
            fillTableBuffer(QStringLiteral("rowid > ?"), {m_lastRowId}, 0);
        return !m_buffer.empty();
    }
    for (int i = 0; i < kReadAhead && !m_queryDone; ++i) {
        if (m_query.next()) {
            m_buffer.push_back(m_query.record());
            continue;
        }
        const QSqlError error = m_query.lastError();
        m_queryDone = true;
        m_query.finish();
        if (error.isValid()) {
            forgetCachedPages(handleOf(m_query), error.nativeErrorCode().toInt());
            throw DatabaseError(QStringLiteral("数据库错误：%1").arg(error.text()), error.nativeErrorCode().toInt());
        }
    }
    return !m_buffer.empty();
}

void DataSet::fetch()
{
    if (m_buffer.empty())
        fillBuffer();
    if (m_buffer.empty()) {
        m_eof = true;
        return;
    }
    m_row = m_buffer.front();
    m_buffer.pop_front();
    m_eof = false;
}

void DataSet::open()
{
    if (active())
        close();
    if (m_kind == Kind::Query && m_sql.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("%1：没有 SQL 语句").arg(m_name));
    m_position = 0;
    m_count.reset();
    m_row = QSqlRecord();
    m_keys.clear();
    m_keyed = m_kind == Kind::Query && readsItemsByKey(rowStatement());
    if (m_keyed) {
        const QString rows = rowStatement();
        m_keys = readIds(m_connection.handle(), QStringLiteral("SELECT FileID FROM (%1)").arg(rows));
        m_count = int(m_keys.size());
        QSqlQuery shape =
            runStatement(m_connection.database(), QStringLiteral("SELECT * FROM (%1) LIMIT 0").arg(rows), {});
        m_structure = shape.record();
    }
    runFrom(0);
    m_state = State::Browse;
    try {
        fetch();
        if (m_eof)
            m_row = m_structure;
    } catch (...) {
        close();
        throw;
    }
}

void DataSet::close()
{
    m_query.finish();
    m_query = QSqlQuery();
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
    m_keyed = false;
    m_state = State::Inactive;
}

void DataSet::requireActive(const char *operation) const
{
    if (!active())
        throw DatabaseError(QStringLiteral("%1：数据集未打开，不能%2").arg(m_name, QLatin1String(operation)));
}

void DataSet::next()
{
    requireActive("移动");
    if (m_state != State::Browse)
        cancel();
    if (m_eof)
        return;
    ++m_position;
    fetch();
}

void DataSet::first()
{
    requireActive("移动");
    cancel();
    m_position = 0;
    runFrom(0);
    fetch();
}

void DataSet::moveBy(int distance)
{
    requireActive("移动");
    cancel();
    if (distance == 0)
        return;
    if (!m_keyed && distance > 0 && distance <= kReadAhead) {
        for (int i = 0; i < distance && !m_eof; ++i)
            next();
        return;
    }
    settlePosition();
    const qsizetype target = std::max<qsizetype>(0, m_position + distance);
    runFrom(target);
    m_position = target;
    fetch();
    // A data set moved past its end stays at its end, whatever the step.
    if (m_eof)
        m_position = std::min<qsizetype>(target, recordCount());
}

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

int DataSet::recordCount()
{
    requireActive("计数");
    if (!m_count) {
        const QString sql = countStatement();
        QSqlQuery q = runStatement(m_connection.database(), sql, {});
        if (!q.next())
            throw statementError(q, sql);
        m_count = q.value(0).toInt();
    }
    return *m_count;
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
    const QString sql = translateJet(m_sql);
    runStatement(m_connection.database(), sql, {});
}

} // namespace store
