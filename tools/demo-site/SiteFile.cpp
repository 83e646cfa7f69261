#include "SiteFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <stdexcept>

void runSiteQuery(QSqlQuery &query)
{
    if (!query.exec())
        throw std::runtime_error(query.lastError().text().toStdString());
}

SiteFile::SiteFile(const QString &path, const QStringList &schema)
    : m_path(path), m_schema(schema),
      m_connection(QStringLiteral("site-file-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

SiteFile::~SiteFile()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

QSqlDatabase SiteFile::database()
{
    if (m_open)
        return QSqlDatabase::database(m_connection);
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSqlDatabase db = QSqlDatabase::contains(m_connection)
                          ? QSqlDatabase::database(m_connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    if (!db.isOpen() && !db.open())
        throw std::runtime_error(db.lastError().text().toStdString());
    QSqlQuery q(db);
    for (const QString &statement : std::as_const(m_schema)) {
        q.prepare(statement);
        runSiteQuery(q);
    }
    m_open = true;
    return db;
}
