#pragma once

#include "store/DatabaseError.h"

#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <vector>

class QSqlDatabase;
class QSqlDriver;
struct sqlite3;

namespace store {

// How the data set runs its statements; shared by the files that make it up.

// Rows a data set reads ahead in one batch.
constexpr int kReadAhead = 64;
// The longest page of a query's rows read in one run of its statement.
constexpr int kLongestPage = 4096;
// The name under which a table's row number is read with its rows.
inline const QString kRowIdField = QStringLiteral("__rowid__");

// SQLite's own handle behind a QtSql driver, or null for another driver.
sqlite3 *sqliteHandle(const QSqlDriver *driver);

// A file truncated or overwritten under the connection leaves pages and a
// schema read from it in SQLite's cache (an emptied file reads as a database
// without tables); after an error that may come of it, drop both, so that the
// next statement reads the file afresh once it is sound again instead of
// writing through a stale page.
// The handle is also noted as damaged, which takeDamage tells once.
void forgetCachedPages(sqlite3 *handle, int code);
bool takeDamage(sqlite3 *handle);

// The error of a failed statement, its cached pages forgotten.
DatabaseError statementError(const QSqlQuery &q, const QString &sql);

// A value as the catalogue stores it: booleans as 0/1, dates as text, an
// empty text as empty (never NULL).
QVariant toSqlValue(const QVariant &value);

// Prepares and runs one statement with its bound values; throws DatabaseError.
QSqlQuery runStatement(QSqlDatabase &db, const QString &sql, const QVariantList &binds);

// Runs a one-column statement of integers with SQLite directly: walking many
// rows this way costs a fraction of what it costs through a QSqlQuery.
std::vector<qint64> readIds(sqlite3 *handle, const QString &sql);

} // namespace store
