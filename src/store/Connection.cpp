#include "store/Connection.h"

#include "store/Collation.h"
#include "store/DatabaseError.h"
#include "store/Schema.h"
#include "store/Statements.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <atomic>

namespace store {
namespace {

QString nextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("ac_info_%1").arg(++counter);
}

DatabaseError errorOf(const QSqlError &error, const QString &what)
{
    return DatabaseError(QStringLiteral("%1：%2").arg(what, error.text()), error.nativeErrorCode().toInt());
}

} // namespace

Connection::Connection(QString path, Mode mode) : m_path(std::move(path)), m_mode(mode), m_name(nextConnectionName())
{
}

Connection::~Connection()
{
    close();
}

QSqlDatabase &Connection::database()
{
    if (!m_open)
        open();
    return m_db;
}

sqlite3 *Connection::handle()
{
    return sqliteHandle(database().driver());
}

void Connection::open()
{
    const QFileInfo info(m_path);
    if (m_mode == Mode::OpenExisting) {
        if (!info.exists())
            throw DatabaseError(QStringLiteral("找不到数据库文件 %1").arg(m_path));
        if (!info.isFile())
            throw DatabaseError(QStringLiteral("%1 不是一个数据库文件").arg(m_path));
        if (!info.isReadable())
            throw DatabaseError(QStringLiteral("没有读取数据库文件 %1 的权限").arg(m_path));
    } else if (info.exists()) {
        throw DatabaseError(QStringLiteral("数据库文件 %1 已经存在").arg(m_path));
    }

    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    try {
        if (!m_db.open())
            throw errorOf(m_db.lastError(), QStringLiteral("无法打开数据库文件 %1").arg(m_path));
        sqlite3 *handle = sqliteHandle(m_db.driver());
        if (!handle)
            throw DatabaseError(QStringLiteral("SQLite 驱动不可用"));
        registerPinyinCollation(handle);
        m_open = true;
        {
            QSqlQuery q(m_db);
            if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
                throw errorOf(q.lastError(), QStringLiteral("无法读取数据库文件 %1").arg(m_path));
        }
        exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        if (m_mode == Mode::Create)
            createSchema(m_db);
        else
            migrateSchema(m_db, checkSchema(m_db));
    } catch (...) {
        close();
        throw;
    }
}

void Connection::close()
{
    if (m_db.isValid()) {
        // A damaged file is not worth optimising.
        const bool damaged = takeDamage(sqliteHandle(m_db.driver())) || m_damaged;
        if (m_db.isOpen() && m_open && !damaged) {
            QSqlQuery q(m_db);
            q.exec(QStringLiteral("PRAGMA optimize"));
        }
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    m_open = false;
    m_damaged = false;
    // A tool that created the file hands it on: later opens use it as it is.
    m_mode = Mode::OpenExisting;
}

void Connection::recoverIfDamaged()
{
    if (!m_open)
        return;
    sqlite3 *open = sqliteHandle(m_db.driver());
    m_damaged = takeDamage(open) || m_damaged;
    if (m_damaged && sqlite3_get_autocommit(open) != 0)
        close();
}

void Connection::begin()
{
    if (!database().transaction())
        throw errorOf(m_db.lastError(), QStringLiteral("数据库错误"));
}

void Connection::commit()
{
    if (!database().commit())
        throw errorOf(m_db.lastError(), QStringLiteral("数据库错误"));
}

void Connection::rollback()
{
    if (m_open)
        m_db.rollback();
}

void Connection::exec(const QString &sql)
{
    QSqlQuery q(database());
    if (!q.exec(sql))
        throw errorOf(q.lastError(), QStringLiteral("数据库错误"));
}

} // namespace store
