#include "store/Schema.h"

#include "store/DatabaseError.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace store {
namespace {

void exec(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw DatabaseError(QStringLiteral("数据库错误：%1\n%2").arg(q.lastError().text(), sql),
                            q.lastError().nativeErrorCode().toInt());
}

// The thirteen columns every stored query exposes, over tb_Files f, tb_Colume c
// and tb_Class k. An item's class and subscription are its column's, read
// from tb_Colume: saving a subscription writes one row per column.
const QString kItemColumns =
    QStringLiteral("f.FileID AS FileID, f.DisplayName AS DisplayName, f.Filename AS Filename, "
                   "f.URL AS URL, f.FileDesc AS FileDesc, f.Owner AS Owner, "
                   "f.UploadDate AS UploadDate, c.ColumeName AS ColumeName, c.ColumeParent AS ClassID, "
                   "k.classname AS classname, c.Subscribed AS Subscribed, f.HasViewed AS HasViewed, "
                   "f.HasDownloaded AS HasDownloaded");

// Rows of the item views: items first, their column and class looked up. A
// condition on the column (its class, its subscription) lets the planner
// start from the columns instead.
const QString kRowJoin = QStringLiteral(" FROM tb_Files f LEFT JOIN tb_Colume c ON c.ColumeID = f.ColumeID"
                                        " LEFT JOIN tb_Class k ON k.ClassID = c.ColumeParent");
// Rows of the ordered views: items always first, read in the order of an
// index until enough rows of subscribed columns are found.
const QString kOrderedRowJoin = QStringLiteral(" FROM tb_Files f LEFT JOIN tb_Colume c ON c.ColumeID = f.ColumeID"
                                               " LEFT JOIN tb_Class k ON k.ClassID = c.ColumeParent");
// Sets for grouping, counting and the lists of subscribed columns: columns
// always first, so that a class or column condition narrows the columns and
// each column's items come from its index, newest first.
const QString kSetJoin = QStringLiteral(" FROM tb_Colume c CROSS JOIN tb_Files f ON f.ColumeID = c.ColumeID"
                                        " LEFT JOIN tb_Class k ON k.ClassID = c.ColumeParent");

struct StoredQuery
{
    QString name;
    QString condition; // beyond "not deleted"
    QString order;     // empty: the order the indexes give
};

// Items uploaded within 30 days of the catalogue's newest upload.
const QString kRecentCondition =
    QStringLiteral(" AND f.UploadDate >= (SELECT date(max(UploadDate), '-30 days') FROM tb_Files)");
// The 100 most-hit items of the subscribed columns: read most-hit first
// until 100 of subscribed columns are found.
const QString kTopCondition = QStringLiteral(
    " AND f.FileID IN (SELECT t.FileID FROM tb_Files t CROSS JOIN tb_Colume tc ON tc.ColumeID = t.ColumeID"
    " WHERE tc.Subscribed = 1 AND t.Deleted = 0 ORDER BY t.Hits DESC, t.FileID LIMIT 100)");

QList<StoredQuery> storedQueries()
{
    const QString newestFirst = QStringLiteral(" ORDER BY f.UploadDate DESC, f.FileID DESC");
    return {
        {QStringLiteral("qry_files"), QString(), QString()},
        {QStringLiteral("qry_FilesLast"), QString(), newestFirst},
        {QStringLiteral("qry_FilesRecent"), kRecentCondition, newestFirst},
        {QStringLiteral("qry_filestop"), kTopCondition, QStringLiteral(" ORDER BY f.Hits DESC, f.FileID")},
    };
}

// An item keeps a copy of its column's class (the local search reads it
// from the name index); these keep it when items or columns move.
QStringList classCopyTriggers()
{
    const QString parent = QStringLiteral("(SELECT ColumeParent FROM tb_Colume WHERE ColumeID = NEW.ColumeID)");
    const QString body = QStringLiteral(" WHEN NEW.ClassID IS NOT %1 BEGIN UPDATE tb_Files SET ClassID = %1"
                                        " WHERE FileID = NEW.FileID; END")
                             .arg(parent);
    return {
        QStringLiteral("CREATE TRIGGER tb_Files_class_insert AFTER INSERT ON tb_Files") + body,
        QStringLiteral("CREATE TRIGGER tb_Files_class_update AFTER UPDATE OF ColumeID, ClassID ON tb_Files") + body,
        QStringLiteral("CREATE TRIGGER tb_Colume_class_insert AFTER INSERT ON tb_Colume BEGIN"
                       " UPDATE tb_Files SET ClassID = NEW.ColumeParent WHERE ColumeID = NEW.ColumeID; END"),
        QStringLiteral("CREATE TRIGGER tb_Colume_class_update AFTER UPDATE OF ColumeID, ColumeParent ON tb_Colume"
                       " BEGIN UPDATE tb_Files SET ClassID = NEW.ColumeParent WHERE ColumeID = NEW.ColumeID"
                       " AND ClassID IS NOT NEW.ColumeParent;"
                       " UPDATE tb_Files SET ClassID = NULL WHERE ColumeID = OLD.ColumeID"
                       " AND OLD.ColumeID IS NOT NEW.ColumeID; END"),
        QStringLiteral("CREATE TRIGGER tb_Colume_class_delete AFTER DELETE ON tb_Colume BEGIN"
                       " UPDATE tb_Files SET ClassID = NULL WHERE ColumeID = OLD.ColumeID; END"),
    };
}

QStringList viewStatements()
{
    QStringList out;
    for (const StoredQuery &q : storedQueries()) {
        out << QStringLiteral("CREATE VIEW %1 AS SELECT %2%3 WHERE f.Deleted = 0%4%5")
                   .arg(q.name, kItemColumns, q.order.isEmpty() ? kRowJoin : kOrderedRowJoin, q.condition, q.order);
        out << QStringLiteral("CREATE VIEW %1 AS SELECT %2, c.ColumeID AS ColumeID%3 WHERE f.Deleted = 0%4")
                   .arg(setViewName(q.name), kItemColumns, kSetJoin, q.condition);
        // The list fillers write the marks through a list result.
        for (const char *flag : {"HasViewed", "HasDownloaded"}) {
            out << QStringLiteral("CREATE TRIGGER %1_%2 INSTEAD OF UPDATE OF %2 ON %1 BEGIN "
                                  "UPDATE tb_Files SET %2 = NEW.%2 WHERE FileID = OLD.FileID; END")
                       .arg(q.name, QLatin1String(flag));
        }
    }
    return out;
}

const char *const kTables[] = {
    "CREATE TABLE tb_SchemaVersion (Version INTEGER NOT NULL)",
    "CREATE TABLE tb_Class (ClassID INTEGER PRIMARY KEY, classname TEXT NOT NULL DEFAULT '')",
    "CREATE TABLE tb_Colume (ColumeID INTEGER PRIMARY KEY, ColumeName TEXT NOT NULL DEFAULT '',"
    " ColumeParent INTEGER NOT NULL DEFAULT 0, ColumeDesc TEXT NOT NULL DEFAULT '',"
    " Subscribed INTEGER NOT NULL DEFAULT 1)",
    "CREATE INDEX ix_Colume_Parent ON tb_Colume (ColumeParent, Subscribed)",
    "CREATE INDEX ix_Colume_Name ON tb_Colume (ColumeName)",
    "CREATE TABLE tb_Files (FileID INTEGER PRIMARY KEY, ColumeID INTEGER NOT NULL DEFAULT 0,"
    " DisplayName TEXT NOT NULL DEFAULT '', Filename TEXT NOT NULL DEFAULT '',"
    " URL TEXT NOT NULL DEFAULT '', FileDesc TEXT NOT NULL DEFAULT '',"
    " Owner TEXT NOT NULL DEFAULT '', UploadDate TEXT NOT NULL DEFAULT '',"
    " Hits INTEGER NOT NULL DEFAULT 0, HasViewed INTEGER NOT NULL DEFAULT 0,"
    " HasDownloaded INTEGER NOT NULL DEFAULT 0, Deleted INTEGER NOT NULL DEFAULT 0,"
    " ClassID INTEGER)",
    "CREATE TABLE tb_Recommend (ItemID INTEGER PRIMARY KEY, Columename TEXT NOT NULL DEFAULT '',"
    " Itemname TEXT NOT NULL DEFAULT '', Classname TEXT NOT NULL DEFAULT '',"
    " ItemDesc TEXT NOT NULL DEFAULT '', ItemOther1 TEXT NOT NULL DEFAULT '',"
    " ItemOther2 TEXT NOT NULL DEFAULT '', URL TEXT NOT NULL DEFAULT '',"
    " Favorite INTEGER NOT NULL DEFAULT 0)",
    "CREATE INDEX ix_Recommend_Colume ON tb_Recommend (Columename, ItemID)",
    "CREATE TABLE tb_Adver (AdverID INTEGER PRIMARY KEY, Context TEXT NOT NULL DEFAULT '',"
    " URL TEXT NOT NULL DEFAULT '')",
    // User names are kept exactly as typed: "Demo" and "demo" are two users.
    "CREATE TABLE tb_users (Username TEXT PRIMARY KEY, password TEXT NOT NULL DEFAULT '',"
    " savepass INTEGER NOT NULL DEFAULT 0, LoginDate TEXT NOT NULL DEFAULT '')",
    "CREATE TABLE tb_SendCards (CardID INTEGER PRIMARY KEY, ToName TEXT NOT NULL DEFAULT '',"
    " ToMail TEXT NOT NULL DEFAULT '', FromName TEXT NOT NULL DEFAULT '',"
    " Tobody TEXT NOT NULL DEFAULT '', Filename TEXT NOT NULL DEFAULT '',"
    " SendDate TEXT NOT NULL DEFAULT '', SendFlag INTEGER NOT NULL DEFAULT 0)",
};

// Indexes of tb_Files, which bulk loads drop and rebuild. A class's list
// reads each subscribed column's items from ix_Files_Colume, newest first.
const char *const kListIndexes[] = {
    "CREATE INDEX IF NOT EXISTS ix_Files_Colume ON tb_Files (ColumeID, Deleted, UploadDate DESC,"
    " FileID DESC, HasViewed, HasDownloaded)",
    "CREATE INDEX IF NOT EXISTS ix_Files_Latest ON tb_Files (Deleted, UploadDate DESC,"
    " FileID DESC, ColumeID, HasViewed, HasDownloaded)",
    "CREATE INDEX IF NOT EXISTS ix_Files_Uploaded ON tb_Files (UploadDate)",
    "CREATE INDEX IF NOT EXISTS ix_Files_Hits ON tb_Files (Deleted, Hits DESC, FileID, ColumeID)",
    // The local search reads names from here, not from the wide item rows.
    "CREATE INDEX IF NOT EXISTS ix_Files_Name ON tb_Files (Deleted, DisplayName, ColumeID, ClassID)",
};

const char *const kListIndexNames[] = {"ix_Files_Colume", "ix_Files_Latest", "ix_Files_Uploaded", "ix_Files_Hits",
                                       "ix_Files_Name"};

// The search index lives in memory; these triggers log every item whose name,
// column, class or presence changes, whoever writes the file, so that the
// index learns of it before the next search.
const char *const kSearchLog[] = {
    "CREATE TABLE IF NOT EXISTS tb_SearchChanges (Seq INTEGER PRIMARY KEY AUTOINCREMENT,"
    " FileID INTEGER NOT NULL)",
    "CREATE TRIGGER IF NOT EXISTS tb_Files_search_insert AFTER INSERT ON tb_Files BEGIN"
    " INSERT INTO tb_SearchChanges (FileID) VALUES (NEW.FileID); END",
    "CREATE TRIGGER IF NOT EXISTS tb_Files_search_delete AFTER DELETE ON tb_Files BEGIN"
    " INSERT INTO tb_SearchChanges (FileID) VALUES (OLD.FileID); END",
    "CREATE TRIGGER IF NOT EXISTS tb_Files_search_update AFTER UPDATE OF FileID, DisplayName, Deleted, ColumeID,"
    " ClassID ON tb_Files WHEN OLD.FileID IS NOT NEW.FileID OR OLD.DisplayName IS NOT NEW.DisplayName"
    " OR OLD.Deleted IS NOT NEW.Deleted OR OLD.ColumeID IS NOT NEW.ColumeID OR OLD.ClassID IS NOT NEW.ClassID"
    " BEGIN INSERT INTO tb_SearchChanges (FileID) VALUES (OLD.FileID);"
    " INSERT INTO tb_SearchChanges (FileID) SELECT NEW.FileID WHERE NEW.FileID IS NOT OLD.FileID; END",
};

const char *const kSearchLogTriggers[] = {"tb_Files_search_insert", "tb_Files_search_delete", "tb_Files_search_update"};

// Each column's number of items in each of the list views, kept by triggers
// whoever writes the file: a list's length and its pages are then found
// without walking its items.
const char *const kColumnCountsTable =
    "CREATE TABLE IF NOT EXISTS tb_ColumeCounts (ColumeID INTEGER PRIMARY KEY,"
    " Items INTEGER NOT NULL DEFAULT 0, Viewed INTEGER NOT NULL DEFAULT 0, Unviewed INTEGER NOT NULL DEFAULT 0,"
    " Downloaded INTEGER NOT NULL DEFAULT 0, Undownloaded INTEGER NOT NULL DEFAULT 0)";

// The row an insert is about to replace. A writer's "INSERT OR REPLACE"
// removes it without the delete trigger (unless it turned recursive triggers
// on), so the insert trigger takes it out of the counts. At most one row: an
// insert that was ignored leaves its row here until the next insert.
const char *const kReplacedRowTable =
    "CREATE TABLE IF NOT EXISTS tb_ColumeCountsReplaced (FileID INTEGER PRIMARY KEY, ColumeID INTEGER,"
    " Deleted INTEGER, HasViewed INTEGER, HasDownloaded INTEGER)";

const char *const kColumnRecount[] = {
    "DELETE FROM tb_ColumeCounts",
    "INSERT INTO tb_ColumeCounts (ColumeID, Items, Viewed, Unviewed, Downloaded, Undownloaded)"
    " SELECT ColumeID, count(*), sum(HasViewed = 1), sum(HasViewed = 0), sum(HasDownloaded = 1),"
    " sum(HasDownloaded = 0) FROM tb_Files WHERE Deleted = 0 GROUP BY ColumeID",
};

const char *const kColumnCountTriggerNames[] = {"tb_Files_count_replace", "tb_Files_count_insert",
                                                "tb_Files_count_delete", "tb_Files_count_update"};

QStringList columnCountTriggers()
{
    // An item in the lists (not deleted) counts in its column.
    const auto add = [](const char *row) {
        return QStringLiteral(
                   "INSERT INTO tb_ColumeCounts (ColumeID, Items, Viewed, Unviewed, Downloaded, Undownloaded)"
                   " SELECT %1.ColumeID, 1, %1.HasViewed = 1, %1.HasViewed = 0, %1.HasDownloaded = 1,"
                   " %1.HasDownloaded = 0 WHERE %1.Deleted = 0 ON CONFLICT (ColumeID) DO UPDATE SET"
                   " Items = Items + 1, Viewed = Viewed + excluded.Viewed, Unviewed = Unviewed + excluded.Unviewed,"
                   " Downloaded = Downloaded + excluded.Downloaded,"
                   " Undownloaded = Undownloaded + excluded.Undownloaded;")
            .arg(QLatin1String(row));
    };
    const auto remove = [](const char *row, const char *source = "") {
        return QStringLiteral(
                   "UPDATE tb_ColumeCounts SET Items = Items - 1, Viewed = Viewed - (%1.HasViewed = 1),"
                   " Unviewed = Unviewed - (%1.HasViewed = 0), Downloaded = Downloaded - (%1.HasDownloaded = 1),"
                   " Undownloaded = Undownloaded - (%1.HasDownloaded = 0)%2"
                   " WHERE tb_ColumeCounts.ColumeID = %1.ColumeID AND %1.Deleted = 0;")
            .arg(QLatin1String(row), QLatin1String(source));
    };
    const QString forgetReplaced = QStringLiteral("DELETE FROM tb_ColumeCountsReplaced WHERE FileID = %1.FileID;");
    return {
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS tb_Files_count_replace BEFORE INSERT ON tb_Files BEGIN"
                       " DELETE FROM tb_ColumeCountsReplaced;"
                       " INSERT INTO tb_ColumeCountsReplaced SELECT FileID, ColumeID, Deleted, HasViewed, HasDownloaded"
                       " FROM tb_Files WHERE FileID = NEW.FileID; END"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS tb_Files_count_insert AFTER INSERT ON tb_Files BEGIN %1 %2 %3 END")
            .arg(remove("r", " FROM (SELECT * FROM tb_ColumeCountsReplaced WHERE FileID = NEW.FileID) AS r"),
                 forgetReplaced.arg(u"NEW"), add("NEW")),
        // With recursive triggers a replaced row comes here first; the insert
        // then finds nothing more to take out.
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS tb_Files_count_delete AFTER DELETE ON tb_Files BEGIN %1 %2 END")
            .arg(remove("OLD"), forgetReplaced.arg(u"OLD")),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS tb_Files_count_update AFTER UPDATE OF ColumeID, Deleted,"
                       " HasViewed, HasDownloaded ON tb_Files WHEN OLD.ColumeID IS NOT NEW.ColumeID"
                       " OR OLD.Deleted IS NOT NEW.Deleted OR OLD.HasViewed IS NOT NEW.HasViewed"
                       " OR OLD.HasDownloaded IS NOT NEW.HasDownloaded BEGIN %1 %2 END")
            .arg(remove("OLD"), add("NEW")),
    };
}

// The counts table, filled from the items, and the triggers that keep it.
QStringList columnCounts()
{
    QStringList out{QString::fromUtf8(kColumnCountsTable), QString::fromUtf8(kReplacedRowTable)};
    for (const char *sql : kColumnRecount)
        out << QString::fromUtf8(sql);
    out << columnCountTriggers();
    return out;
}

// Version 1 kept each column's subscription (and class) on every item, so
// that saving a subscription rewrote all its items. Version 2 reads the
// subscription from tb_Colume; the items' copies, their triggers and the
// indexes that held them go, the user's marks stay.
QStringList migrationFrom1()
{
    QStringList out;
    for (const char *name : {"tb_Files_column_insert", "tb_Files_column_update", "tb_Colume_insert", "tb_Colume_update",
                             "tb_Colume_delete"})
        out << QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(QLatin1String(name));
    for (const char *name : kStoredQueries) {
        out << QStringLiteral("DROP VIEW IF EXISTS %1").arg(QLatin1String(name));
        out << QStringLiteral("DROP VIEW IF EXISTS %1").arg(setViewName(QLatin1String(name)));
    }
    for (const char *name : {"ix_Files_Colume", "ix_Files_Class", "ix_Files_Latest", "ix_Files_Hits"})
        out << QStringLiteral("DROP INDEX IF EXISTS %1").arg(QLatin1String(name));
    out << QStringLiteral("ALTER TABLE tb_Files DROP COLUMN Subscribed");
    out << classCopyTriggers();
    for (const char *sql : kListIndexes)
        out << QString::fromUtf8(sql);
    out << viewStatements();
    return out;
}

// Each step takes a catalogue of `from` to the next version.
struct Migration
{
    int from;
    QStringList (*statements)();
};
// Version 3 adds the search index's change log.
QStringList migrationFrom2()
{
    QStringList out;
    for (const char *sql : kSearchLog)
        out << QString::fromUtf8(sql);
    return out;
}

// Version 5 compares user names exactly: the table is made anew with a
// binary key and every row is carried across.
QStringList migrationFrom4()
{
    return {QStringLiteral("CREATE TABLE tb_users_exact (Username TEXT PRIMARY KEY, password TEXT NOT NULL DEFAULT '',"
                           " savepass INTEGER NOT NULL DEFAULT 0, LoginDate TEXT NOT NULL DEFAULT '')"),
            QStringLiteral("INSERT INTO tb_users_exact (Username, password, savepass, LoginDate)"
                           " SELECT Username, password, savepass, LoginDate FROM tb_users"),
            QStringLiteral("DROP TABLE tb_users"), QStringLiteral("ALTER TABLE tb_users_exact RENAME TO tb_users")};
}

// Version 4 adds the columns' item counts (columnCounts).
const Migration kMigrations[] = {{1, migrationFrom1}, {2, migrationFrom2}, {3, columnCounts}, {4, migrationFrom4}};

} // namespace

QString setViewName(const QString &storedQuery)
{
    return storedQuery + QStringLiteral("_set");
}

QStringList schemaStatements()
{
    QStringList out;
    for (const char *sql : kTables)
        out << QString::fromUtf8(sql);
    out << classCopyTriggers();
    for (const char *sql : kListIndexes)
        out << QString::fromUtf8(sql);
    for (const char *sql : kSearchLog)
        out << QString::fromUtf8(sql);
    out << columnCounts();
    out << viewStatements();
    out << QStringLiteral("INSERT INTO tb_SchemaVersion (Version) VALUES (%1)").arg(kSchemaVersion);
    return out;
}

void createSchema(QSqlDatabase &db)
{
    if (!db.transaction())
        throw DatabaseError(QStringLiteral("数据库错误：%1").arg(db.lastError().text()));
    try {
        for (const QString &sql : schemaStatements())
            exec(db, sql);
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw DatabaseError(QStringLiteral("数据库错误：%1").arg(db.lastError().text()));
}

void createListIndexes(QSqlDatabase &db)
{
    for (const char *sql : kListIndexes)
        exec(db, QString::fromUtf8(sql));
    for (const char *sql : kSearchLog)
        exec(db, QString::fromUtf8(sql));
    // The counts afresh, after a load that went without their triggers.
    for (const QString &sql : columnCounts())
        exec(db, sql);
}

void dropListIndexes(QSqlDatabase &db)
{
    for (const char *name : kListIndexNames)
        exec(db, QStringLiteral("DROP INDEX IF EXISTS %1").arg(QLatin1String(name)));
    // A bulk load starts the search index afresh: nothing to log.
    for (const char *name : kSearchLogTriggers)
        exec(db, QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(QLatin1String(name)));
    for (const char *name : kColumnCountTriggerNames)
        exec(db, QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(QLatin1String(name)));
}

int checkSchema(QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT max(Version) FROM tb_SchemaVersion")) || !q.next()) {
        throw DatabaseError(
            QStringLiteral("数据库文件 %1 不是可用的目录数据库：%2").arg(db.databaseName(), q.lastError().text()),
            q.lastError().nativeErrorCode().toInt());
    }
    const int version = q.value(0).toInt();
    if (version > kSchemaVersion) {
        throw DatabaseError(
            QStringLiteral("数据库文件 %1 的版本 (%2) 比本程序新，请升级程序。").arg(db.databaseName()).arg(version));
    }
    if (version < 1)
        throw DatabaseError(QStringLiteral("数据库文件 %1 没有版本记录。").arg(db.databaseName()));
    return version;
}

void migrateSchema(QSqlDatabase &db, int version)
{
    if (version >= kSchemaVersion)
        return;
    if (!db.transaction())
        throw DatabaseError(QStringLiteral("数据库错误：%1").arg(db.lastError().text()));
    try {
        for (const Migration &step : kMigrations) {
            if (step.from < version)
                continue;
            for (const QString &sql : step.statements())
                exec(db, sql);
        }
        exec(db, QStringLiteral("UPDATE tb_SchemaVersion SET Version = %1").arg(kSchemaVersion));
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw DatabaseError(QStringLiteral("数据库错误：%1").arg(db.lastError().text()));
}

} // namespace store
