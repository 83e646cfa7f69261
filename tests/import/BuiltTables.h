#pragma once

#include "import/TableSource.h"

#include <QHash>

// Tables a test builds through the reader's own interface: what the copy
// takes from an Access file, without one.
class BuiltTables final : public import::TableSource
{
public:
    void add(const QString &name, const QList<import::SourceColumn> &columns, const QList<import::SourceRow> &rows)
    {
        m_tables.append({name, columns, rows.size()});
        m_rows.insert(name, rows);
    }
    bool has(const QString &name) const { return m_rows.contains(name); }

    QList<import::SourceTable> tables() override { return m_tables; }
    void readRows(const import::SourceTable &table, const std::function<bool(const import::SourceRow &)> &row) override
    {
        for (const import::SourceRow &values : m_rows.value(table.name)) {
            if (!row(values))
                return;
        }
    }

private:
    QList<import::SourceTable> m_tables;
    QHash<QString, QList<import::SourceRow>> m_rows;
};

// The tables of an Access file followed by built ones.
class Joined final : public import::TableSource
{
public:
    Joined(import::TableSource &first, BuiltTables &built) : m_first(first), m_built(built) {}
    QList<import::SourceTable> tables() override { return m_first.tables() + m_built.tables(); }
    void readRows(const import::SourceTable &table, const std::function<bool(const import::SourceRow &)> &row) override
    {
        if (m_built.has(table.name))
            m_built.readRows(table, row);
        else
            m_first.readRows(table, row);
    }

private:
    import::TableSource &m_first;
    BuiltTables &m_built;
};
