#include "store/Statements.h"

#include "store/DatabaseError.h"

#include <QDateTime>
#include <QMutex>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#include <cstring>

namespace store {

sqlite3 *sqliteHandle(const QSqlDriver *driver)
{
    const QVariant v = driver ? driver->handle() : QVariant();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(v.constData());
    return nullptr;
}

namespace {

// The handles that met a damaged file since their connection last asked.
QSet<sqlite3 *> &damagedHandles()
{
    static QSet<sqlite3 *> handles;
    return handles;
}

QMutex &damageLock()
{
    static QMutex lock;
    return lock;
}

} // namespace

bool takeDamage(sqlite3 *handle)
{
    const QMutexLocker locker(&damageLock());
    return damagedHandles().remove(handle);
}

void forgetCachedPages(sqlite3 *handle, int code)
{
    const int primary = code & 0xff;
    const bool missingTable =
        primary == SQLITE_ERROR && handle && std::strncmp(sqlite3_errmsg(handle), "no such table", 13) == 0;
    if (handle && (missingTable || primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_IOERR)) {
        sqlite3_db_release_memory(handle);
        {
            const QMutexLocker locker(&damageLock());
            damagedHandles().insert(handle);
        }
        // The schema it parsed from the damaged file goes too.
        sqlite3_exec(handle, "PRAGMA writable_schema=RESET", nullptr, nullptr, nullptr);
    }
}

DatabaseError statementError(const QSqlQuery &q, const QString &sql)
{
    forgetCachedPages(sqliteHandle(q.driver()), q.lastError().nativeErrorCode().toInt());
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

} // namespace store
