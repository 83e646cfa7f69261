// Reading a data set's rows: the statements it runs, the batches it reads
// ahead (a table by row number, an item result by item number), and walking
// them.
#include "store/DataSet.h"

#include "store/Connection.h"
#include "store/JetSql.h"
#include "store/Statements.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlError>

namespace store {
namespace {

// "select * from <stored query or tb_Files> ..." without grouping or a row
// limit: its rows are found by item number first and read a batch at a time.
// A limit ("top N") is left to a plain read: the first N rows of an unordered
// statement depend on its plan, so asking for the item numbers alone could
// pick other rows than the read of the whole rows.
bool readsItemsByKey(const QString &translatedSql)
{
    static const QRegularExpression plainItems(
        QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+((qry_files|qry_FilesLast|qry_FilesRecent|qry_filestop)(_set)?"
                       "|tb_Files)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression wholeRowsOnly(QStringLiteral("\\b(group\\s+by|distinct|limit)\\b"),
                                                  QRegularExpression::CaseInsensitiveOption);
    return plainItems.match(translatedSql).hasMatch() && !wholeRowsOnly.match(translatedSql).hasMatch();
}

} // namespace

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
        m_nextKey = std::min(offset, keyCount());
        m_queryDone = m_nextKey >= keyCount();
        return;
    }
    m_locatedRowId.reset();
    m_buffer.clear();
    if (m_kind == Kind::Table) {
        fillTableBuffer(extraCondition, binds, offset);
        return;
    }
    m_readFrom = offset;
    m_pageRows = kReadAhead;
    m_queryDone = false;
    fillQueryBuffer();
}

// A query's rows are read a page at a time, each page a run of its statement
// that ends with the page: no read stays open between calls, so that a write
// of the program never meets a read that another process's commit has made
// stale. The next page runs the statement again from where this one ended,
// a page twice as long each time, up to a limit.
void DataSet::fillQueryBuffer()
{
    QString sql = rowStatement();
    if (m_readFrom > 0)
        sql = QStringLiteral("SELECT * FROM (%1) LIMIT -1 OFFSET %2").arg(sql).arg(m_readFrom);
    QSqlQuery q = runStatement(m_connection.database(), sql, {});
    m_structure = q.record();
    int rows = 0;
    while (rows < m_pageRows && q.next()) {
        m_buffer.push_back(q.record());
        ++rows;
    }
    const QSqlError error = q.lastError();
    q.finish();
    if (error.isValid()) {
        m_queryDone = true;
        forgetCachedPages(sqliteHandle(q.driver()), error.nativeErrorCode().toInt());
        throw DatabaseError(QStringLiteral("数据库错误：%1").arg(error.text()), error.nativeErrorCode().toInt());
    }
    m_queryDone = rows < m_pageRows;
    m_readFrom += rows;
    m_pageRows = std::min(m_pageRows * 2, kLongestPage);
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

qsizetype DataSet::keyCount() const
{
    return m_walk ? m_walk->size() : qsizetype(m_keys.size());
}

void DataSet::fillKeyedBuffer()
{
    std::vector<qint64> batch;
    qsizetype end = 0;
    if (m_walk) {
        ColumnWalk::Batch read = m_walk->read(m_connection.database(), m_nextKey, kReadAhead);
        batch = std::move(read.keys);
        end = m_nextKey + std::max<qsizetype>(read.places, 1);
    } else {
        end = std::min<qsizetype>(m_nextKey + kReadAhead, qsizetype(m_keys.size()));
        batch.assign(m_keys.begin() + m_nextKey, m_keys.begin() + end);
    }
    if (batch.empty()) { // every row of these places has gone
        m_nextKey = end;
        m_queryDone = m_nextKey >= keyCount();
        return;
    }
    QStringList keys;
    for (qint64 key : batch)
        keys << QString::number(key);
    const QString sql = QStringLiteral("SELECT * FROM (%1) WHERE FileID IN (%2)").arg(rowStatement(), keys.join(u','));
    QSqlQuery q = runStatement(m_connection.database(), sql, {});
    QHash<qint64, QSqlRecord> rows;
    while (q.next())
        rows.insert(q.value(QStringLiteral("FileID")).toLongLong(), q.record());
    if (q.lastError().isValid())
        throw statementError(q, sql);
    // Rows come in the order of the keys; a row gone since the keys were
    // read (another process deleted it) is left out.
    for (qint64 key : batch) {
        const auto found = rows.constFind(key);
        if (found != rows.constEnd())
            m_buffer.push_back(*found);
    }
    m_nextKey = end;
    m_queryDone = m_nextKey >= keyCount();
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
    if (m_buffer.empty() && !m_queryDone)
        fillQueryBuffer();
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
    // No data set holds a read open between calls: a damaged file's
    // connection can be opened afresh here.
    m_connection.recoverIfDamaged();
    m_position = 0;
    m_count.reset();
    m_row = QSqlRecord();
    m_keys.clear();
    m_keyed = m_kind == Kind::Query && readsItemsByKey(rowStatement());
    if (m_keyed) {
        const QString rows = rowStatement();
        m_walk = ColumnWalk::plan(m_connection.database(), rows);
        if (!m_walk)
            m_keys = readIds(m_connection.handle(), QStringLiteral("SELECT FileID FROM (%1)").arg(rows));
        m_count = int(keyCount());
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

} // namespace store
