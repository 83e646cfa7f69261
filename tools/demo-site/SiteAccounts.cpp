#include "SiteAccounts.h"

#include <QDir>
#include <QHttpServerRequest>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <stdexcept>

namespace {

void run(QSqlQuery &query)
{
    if (!query.exec())
        throw std::runtime_error(query.lastError().text().toStdString());
}

} // namespace

SiteAccounts::SiteAccounts(const QString &home)
    : m_path(QDir(home).filePath(QStringLiteral("site/accounts.db"))),
      m_connection(QStringLiteral("site-accounts-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

SiteAccounts::~SiteAccounts()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

// Opens the file on first use, making it with the demo account when new.
void SiteAccounts::open()
{
    if (m_open)
        return;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    if (!db.open())
        throw std::runtime_error(db.lastError().text().toStdString());
    QSqlQuery q(db);
    q.prepare(QStringLiteral("CREATE TABLE IF NOT EXISTS accounts (name TEXT PRIMARY KEY, password TEXT NOT NULL,"
                             " created TEXT NOT NULL DEFAULT CURRENT_TIMESTAMP)"));
    run(q);
    q.prepare(QStringLiteral("INSERT OR IGNORE INTO accounts (name, password) VALUES (?, ?)"));
    q.addBindValue(QString::fromUtf16(kDemoUser));
    q.addBindValue(QString::fromUtf16(kDemoPassword));
    run(q);
    m_open = true;
}

bool SiteAccounts::check(const QString &name, const QString &password)
{
    open();
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("SELECT password FROM accounts WHERE name = ?"));
    q.addBindValue(name);
    run(q);
    return q.next() && q.value(0).toString() == password;
}

bool SiteAccounts::create(const QString &name, const QString &password)
{
    open();
    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.prepare(QStringLiteral("INSERT OR IGNORE INTO accounts (name, password) VALUES (?, ?)"));
    q.addBindValue(name);
    q.addBindValue(password);
    run(q);
    return q.numRowsAffected() == 1;
}

QByteArray SiteAccounts::openSession(const QString &name)
{
    QByteArray token(24, Qt::Uninitialized);
    QRandomGenerator::system()->generate(token.begin(), token.end());
    token = token.toHex();
    m_sessions.insert(token, name);
    return token;
}

std::optional<QString> SiteAccounts::sessionUser(const QHttpServerRequest &request) const
{
    const QByteArray prefix = QByteArray(kSessionCookie) + '=';
    for (const auto &[key, value] : request.headers()) {
        if (key.compare("Cookie", Qt::CaseInsensitive) != 0)
            continue;
        for (QByteArray cookie : value.split(';')) {
            cookie = cookie.trimmed();
            if (cookie.startsWith(prefix)) {
                const auto found = m_sessions.constFind(cookie.mid(prefix.size()));
                if (found != m_sessions.constEnd())
                    return *found;
            }
        }
    }
    return std::nullopt;
}
