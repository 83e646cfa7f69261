#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <stdexcept>

namespace import {

// The kinds of values a source table holds, as the copy maps them to SQLite.
enum class ColumnType {
    Boolean,  // Yes/No: 0 or 1
    Integer,  // byte, integer, long integer, counter
    Real,     // single, double, currency, decimal
    Text,     // text up to 255 characters
    Memo,     // long text
    DateTime, // stored as "yyyy-MM-dd HH:mm:ss"
    Binary,   // binary, OLE objects, replication ids
};

struct SourceColumn
{
    QString name;
    ColumnType type = ColumnType::Text;
    bool counter = false; // an automatic number
};

struct SourceTable
{
    QString name;
    QList<SourceColumn> columns;
    qint64 rows = -1; // as the file tells it; -1 when unknown
};

// Values of one row, one per column: bool, qint64, double, QString,
// QDateTime or QByteArray, or a null QVariant for a missing value.
using SourceRow = QList<QVariant>;

// A failure to read or copy a source, with a text for the user.
class ImportError final : public std::runtime_error
{
public:
    explicit ImportError(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};

// Tables, columns and rows of a database to be copied into a catalogue.
class TableSource
{
public:
    virtual ~TableSource() = default;
    // The user tables, in the source's order.
    virtual QList<SourceTable> tables() = 0;
    // Calls `row` with each row of `table` in turn; stops when it returns
    // false. Throws ImportError when the table cannot be read.
    virtual void readRows(const SourceTable &table, const std::function<bool(const SourceRow &)> &row) = 0;
};

} // namespace import
