#include "update/FeedWriter.h"

#include "store/Connection.h"
#include "store/DatabaseError.h"

#include <QSqlError>
#include <QSqlQuery>

namespace update {
namespace {

QSqlQuery prepared(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.prepare(sql))
        throw DatabaseError(QStringLiteral("数据库错误：%1").arg(q.lastError().text()),
                            q.lastError().nativeErrorCode().toInt());
    return q;
}

void run(QSqlQuery &q)
{
    if (!q.exec())
        throw DatabaseError(QStringLiteral("数据库错误：%1").arg(q.lastError().text()),
                            q.lastError().nativeErrorCode().toInt());
}

// A text as the catalogue keeps it: never NULL, which its columns refuse.
QString stored(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

void writeClasses(QSqlDatabase &db, const QList<FeedClass> &classes)
{
    QSqlQuery q = prepared(db, QStringLiteral("INSERT OR IGNORE INTO tb_Class (ClassID, classname) VALUES (?, ?)"));
    for (const FeedClass &c : classes) {
        q.bindValue(0, c.id);
        q.bindValue(1, stored(c.name));
        run(q);
    }
}

void writeColumns(QSqlDatabase &db, const QList<FeedColumn> &columns)
{
    QSqlQuery q = prepared(db, QStringLiteral("INSERT OR IGNORE INTO tb_Colume (ColumeID, ColumeName, ColumeParent,"
                                              " ColumeDesc, Subscribed) VALUES (?, ?, ?, ?, 1)"));
    for (const FeedColumn &c : columns) {
        q.bindValue(0, c.id);
        q.bindValue(1, stored(c.name));
        q.bindValue(2, c.classId);
        q.bindValue(3, stored(c.description));
        run(q);
    }
}

int writeItems(QSqlDatabase &db, const QList<FeedItem> &items)
{
    // An item that is there already is not inserted at all, so that no
    // trigger sees it.
    QSqlQuery q = prepared(db, QStringLiteral("INSERT INTO tb_Files (FileID, ColumeID, DisplayName, Filename, URL,"
                                              " FileDesc, Owner, UploadDate, Hits, HasViewed, HasDownloaded, Deleted,"
                                              " ClassID) SELECT ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, 0, 0,"
                                              " (SELECT ColumeParent FROM tb_Colume WHERE ColumeID = ?)"
                                              " WHERE NOT EXISTS (SELECT 1 FROM tb_Files WHERE FileID = ?)"));
    int added = 0;
    for (const FeedItem &i : items) {
        q.bindValue(0, i.id);
        q.bindValue(1, i.columnId);
        q.bindValue(2, stored(i.name));
        q.bindValue(3, stored(i.file));
        q.bindValue(4, stored(i.url));
        q.bindValue(5, stored(i.description));
        q.bindValue(6, stored(i.owner));
        q.bindValue(7, stored(i.uploaded));
        q.bindValue(8, i.hits);
        q.bindValue(9, i.columnId);
        q.bindValue(10, i.id);
        run(q);
        added += q.numRowsAffected() > 0 ? 1 : 0;
    }
    return added;
}

} // namespace

int writeFeedPage(store::Connection &connection, const FeedPage &page)
{
    int added = 0;
    QSqlDatabase &db = connection.database();
    // The write lock is taken at once: a busy catalogue is waited for
    // before anything is read.
    connection.exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        writeClasses(db, page.classes);
        writeColumns(db, page.columns);
        added = writeItems(db, page.items);
        connection.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    return added;
}

void useWriterCache(store::Connection &connection)
{
    connection.exec(QStringLiteral("PRAGMA cache_size=-65536"));
}

QString newestUpload(store::Connection &connection)
{
    QSqlQuery q(connection.database());
    if (!q.exec(QStringLiteral("SELECT max(UploadDate) FROM tb_Files")) || !q.next())
        throw DatabaseError(QStringLiteral("数据库错误：%1").arg(q.lastError().text()),
                            q.lastError().nativeErrorCode().toInt());
    return q.value(0).toString();
}

} // namespace update
