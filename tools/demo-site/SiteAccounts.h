#pragma once

// The site's user accounts and their logged-in sessions. Accounts live in the
// site's own SQLite file (site/accounts.db in the home directory), never in
// the catalogue; sessions live as long as the site runs.

#include "SiteFile.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

class QHttpServerRequest;

class SiteAccounts final
{
public:
    // The account that exists from the start.
    static constexpr char16_t kDemoUser[] = u"demo";
    static constexpr char16_t kDemoPassword[] = u"demo";
    static constexpr char kSessionCookie[] = "ZantoSession";

    explicit SiteAccounts(const QString &home);

    QString path() const { return m_file.path(); }

    // Whether the name and password belong to an account (names exactly,
    // passwords exactly). Throws std::runtime_error when the file fails.
    bool check(const QString &name, const QString &password);
    // Creates an account; false when the name exists already.
    bool create(const QString &name, const QString &password);

    // When an account was made (the file's timestamp), or nothing.
    std::optional<QString> created(const QString &name);
    // Up to `most` account names, newest first.
    QStringList names(int most);

    // A new session for a logged-in user: the value of its cookie.
    QByteArray openSession(const QString &name);
    // The user of the session whose cookie a request carries.
    std::optional<QString> sessionUser(const QHttpServerRequest &request) const;

private:
    SiteFile m_file;
    QHash<QByteArray, QString> m_sessions;
};
