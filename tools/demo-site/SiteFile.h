#pragma once

// A SQLite file of the site's own (accounts, the mailbox), opened on first
// use and made with its tables when new. Never the catalogue.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class QSqlQuery;

class SiteFile final
{
public:
    // `schema` runs on every first opening, so each statement must be one
    // that may run again ("CREATE TABLE IF NOT EXISTS", "INSERT OR IGNORE").
    SiteFile(const QString &path, const QStringList &schema);
    ~SiteFile();
    SiteFile(const SiteFile &) = delete;
    SiteFile &operator=(const SiteFile &) = delete;

    QString path() const { return m_path; }
    // The open connection. Throws std::runtime_error when the file fails.
    QSqlDatabase database();

private:
    QString m_path;
    QStringList m_schema;
    QString m_connection;
    bool m_open = false;
};

// Runs a prepared query; throws std::runtime_error with the driver's text.
void runSiteQuery(QSqlQuery &query);
