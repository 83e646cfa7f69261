#include "SiteAccounts.h"

#include <QDir>
#include <QHttpServerRequest>
#include <QRandomGenerator>
#include <QSqlQuery>

SiteAccounts::SiteAccounts(const QString &home)
    : m_file(QDir(home).filePath(QStringLiteral("site/accounts.db")),
             {QStringLiteral("CREATE TABLE IF NOT EXISTS accounts (name TEXT PRIMARY KEY, password TEXT NOT NULL,"
                             " created TEXT NOT NULL DEFAULT CURRENT_TIMESTAMP)"),
              // The account that exists from the start.
              QStringLiteral("INSERT OR IGNORE INTO accounts (name, password) VALUES ('%1', '%2')")
                  .arg(QString::fromUtf16(kDemoUser), QString::fromUtf16(kDemoPassword))})
{
}

bool SiteAccounts::check(const QString &name, const QString &password)
{
    QSqlQuery q(m_file.database());
    q.prepare(QStringLiteral("SELECT password FROM accounts WHERE name = ?"));
    q.addBindValue(name);
    runSiteQuery(q);
    return q.next() && q.value(0).toString() == password;
}

bool SiteAccounts::create(const QString &name, const QString &password)
{
    QSqlQuery q(m_file.database());
    q.prepare(QStringLiteral("INSERT OR IGNORE INTO accounts (name, password) VALUES (?, ?)"));
    q.addBindValue(name);
    q.addBindValue(password);
    runSiteQuery(q);
    return q.numRowsAffected() == 1;
}

std::optional<QString> SiteAccounts::created(const QString &name)
{
    QSqlQuery q(m_file.database());
    q.prepare(QStringLiteral("SELECT created FROM accounts WHERE name = ?"));
    q.addBindValue(name);
    runSiteQuery(q);
    if (!q.next())
        return std::nullopt;
    return q.value(0).toString();
}

QStringList SiteAccounts::names(int most)
{
    QSqlQuery q(m_file.database());
    q.prepare(QStringLiteral("SELECT name FROM accounts ORDER BY created DESC, name LIMIT ?"));
    q.addBindValue(most);
    runSiteQuery(q);
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
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
