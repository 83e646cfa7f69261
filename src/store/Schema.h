#pragma once

#include <QString>
#include <QStringList>

class QSqlDatabase;

namespace store {

// Version of the catalogue layout that this program writes and reads.
// 2: subscriptions read from tb_Colume; 3: the search index's change log;
// 4: the columns' item counts; 5: user names compared exactly.
inline constexpr int kSchemaVersion = 5;

// Creates every table, index, view and trigger of an empty catalogue and
// records the schema version. Throws DatabaseError.
void createSchema(QSqlDatabase &db);

// Creates or refreshes the indexes that the list and search statements rely
// on. Bulk loaders drop them first (dropListIndexes) and call this afterwards.
void createListIndexes(QSqlDatabase &db);
void dropListIndexes(QSqlDatabase &db);

// Reads the schema version of an open catalogue; throws DatabaseError when
// the file is not a catalogue of this program or is newer than it.
int checkSchema(QSqlDatabase &db);

// Brings a catalogue of an older `version` (from checkSchema) up to this
// program's in one transaction, keeping its data and the user's marks.
// Throws DatabaseError, leaving the file as it was.
void migrateSchema(QSqlDatabase &db, int version);

// The stored queries in the order the list loader knows them.
inline constexpr const char *kStoredQueries[] = {"qry_files", "qry_FilesLast", "qry_FilesRecent", "qry_filestop"};

// Every statement that createSchema runs, in order; a catalogue made by an
// older build of the same version differs here first.
QStringList schemaStatements();

// Name of the unordered twin of a stored query; grouping and counting read it.
QString setViewName(const QString &storedQuery);

} // namespace store
