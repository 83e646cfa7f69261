#pragma once

#include "store/ColumnWalk.h"
#include "store/Field.h"

#include <QDateTime>
#include <QList>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <deque>
#include <optional>
#include <vector>

namespace store {

class Connection;

// A data-set component of the data module: a query with SQL text set at run
// time, or a table with an optional filter. It offers what the program does
// with a data set: open and walk the rows, count them, skip, read fields by
// name without regard to case, locate, edit or append and post, execute.
//
// Rows are read ahead in small batches, so a row can be written while the
// statement that produced it is still being walked. A result of items is
// fixed when it opens, as a static cursor is: its item numbers are read
// first, which also gives its count and lets it skip at no cost. The list
// of some columns' items (a class's list) is counted from its columns'
// counts instead, and its item numbers read a batch at a time as it is
// walked (ColumnWalk).
class DataSet final
{
public:
    enum class Kind { Query, Table };
    enum class State { Inactive, Browse, Edit, Insert };

    DataSet(Connection &connection, QString name, Kind kind, QString table = {});
    DataSet(const DataSet &) = delete;
    DataSet &operator=(const DataSet &) = delete;

    QString name() const { return m_name; }
    Kind kind() const { return m_kind; }
    State state() const { return m_state; }
    bool active() const { return m_state != State::Inactive; }

    // SQL text of a query component, in the Jet dialect.
    void setSql(const QString &sql);
    QString sql() const { return m_sql; }

    // A Jet filter expression, applied while filtering is on.
    void setFilter(const QString &filter);
    QString filter() const { return m_filter; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    void open();
    void close();

    bool eof() const { return m_eof; }
    void next();
    void first();
    // Moves the current row by `distance` rows (forward when positive).
    void moveBy(int distance);
    int recordCount();

    Field fieldByName(QStringView name) const;
    bool hasField(QStringView name) const;
    QStringList fieldNames() const;

    // Finds the first row whose fields (names separated by ';') equal the
    // values and makes it current. Returns false, changing nothing, when no
    // row matches.
    bool locate(const QString &keyFields, const QVariantList &values);

    void edit();
    void append();
    void setFieldValue(QStringView name, const QVariant &value);
    void post();
    void cancel();

    // Runs the SQL text as a statement without result.
    void execSql();

private:
    // Reading rows (DataSetRows.cpp).
    QString rowStatement() const;
    QString countStatement() const;
    void runFrom(qsizetype offset, const QString &extraCondition = {}, const QVariantList &binds = {});
    void fetch();
    bool fillBuffer();
    void fillKeyedBuffer();
    void fillQueryBuffer();
    qsizetype keyCount() const;
    void fillTableBuffer(const QString &condition, const QVariantList &binds, qsizetype offset);
    // The located row of a table (DataSetLocate.cpp).
    void settlePosition();
    // Fields and writing (DataSet.cpp).
    int fieldIndex(QStringView name) const;
    void requireActive(const char *operation) const;
    QString keyField() const;
    void postEdit();
    void postInsert();

    Connection &m_connection;
    QString m_name;
    Kind m_kind;
    QString m_table;
    QString m_sql;
    QString m_filter;
    bool m_filtered = false;

    State m_state = State::Inactive;
    bool m_queryDone = true;
    qsizetype m_readFrom = 0; // of a query: the rows read so far
    int m_pageRows = 0;       // of a query: the rows its next page reads
    std::deque<QSqlRecord> m_buffer;
    QSqlRecord m_structure; // field names of the result
    QSqlRecord m_row;
    bool m_eof = true;
    qsizetype m_position = 0; // index of the current row in the result
    // After a locate on a table: the located row, from which m_position
    // counts until a move needs the index in the whole table.
    std::optional<qlonglong> m_locatedRowId;
    qlonglong m_lastRowId = 0; // of a table: the last row read so far
    std::optional<int> m_count;
    // Item results: the item numbers of every row, read when opening; rows
    // are then read a batch at a time by number.
    bool m_keyed = false;
    std::vector<qint64> m_keys;
    std::optional<ColumnWalk> m_walk; // in place of m_keys for a list of columns' items
    qsizetype m_nextKey = 0;
    QList<std::pair<QString, QVariant>> m_changes;
};

// Runs `sql` on `set`, calls `row(set)` for each of its rows and closes the
// set again, however the walk ends.
template <typename F> void eachRow(DataSet &set, const QString &sql, F &&row)
{
    set.close();
    set.setSql(sql);
    set.open();
    try {
        for (; !set.eof(); set.next())
            row(set);
    } catch (...) {
        set.close();
        throw;
    }
    set.close();
}

} // namespace store
