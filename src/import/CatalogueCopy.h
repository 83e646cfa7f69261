#pragma once

#include "import/TableSource.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace import {

struct CopyProgress
{
    int table = 0;            // 1-based number of the table being copied
    int tables = 0;           // how many there are
    QString name;             // the table's name in the source
    qint64 tableRows = 0;     // rows of this table copied so far
    qint64 totalRows = 0;     // rows of all tables copied so far
    qint64 expectedRows = -1; // of this table, when the source knows
};
// Told of the copy's progress every few thousand rows and at each table's
// end; returning false stops the copy.
using CopyObserver = std::function<bool(const CopyProgress &)>;

struct CopySummary
{
    int tables = 0;
    qint64 rows = 0;
    // Columns of the catalogue's tables that the catalogue does not know, as
    // "table.column": left out, not added.
    QStringList leftOut;
};

// The tables without which a database is not a catalogue; names are
// compared without regard to case, as Access does.
QStringList missingCatalogueTables(const QList<SourceTable> &tables);

// A catalogue table of the source without the columns that make it one
// (its key and its name): the table as the source names it, and those
// columns.
struct MissingColumns
{
    QString table;
    QStringList columns;
};
QList<MissingColumns> missingCatalogueColumns(const QList<SourceTable> &tables);

// Why `tables` are not a catalogue, for the user; empty when they are one.
QString notACatalogue(const QList<SourceTable> &tables);

// The SQLite type a column of a copied table gets.
QString sqliteTypeOf(ColumnType type);

// The file the copy writes before it becomes the home's catalogue.
QString importingPath(const QString &home);
// Removes what an interrupted copy left behind.
void removeImportLeftovers(const QString &home);

// Copies every table and row of `source` (called `sourceName` in messages)
// into HOME/Data/info.db. A source that is not a catalogue (notACatalogue)
// is refused before anything is written. The catalogue's tables go into the
// program's own schema: the columns of tb_Class, tb_Colume and tb_Files that
// it does not know are left out (and told in the summary), the extra
// columns of the others added; other tables are copied as they are
// (a name the program uses itself gets "_mdb" added, one SQLite keeps for
// itself "mdb_" in front). The file is written
// beside the catalogue and renamed only when complete; an existing catalogue
// is replaced only with `replace`. Returns nothing when `observer` stopped
// it, leaving no file behind. Throws ImportError or DatabaseError, likewise
// leaving nothing.
std::optional<CopySummary> copyIntoCatalogue(TableSource &source, const QString &sourceName, const QString &home,
                                             bool replace, const CopyObserver &observer = {});

} // namespace import
