#pragma once

// The users who logged in on this computer (tb_users), newest login first,
// optionally with their passwords.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

class TDM_CDS;

namespace server {

struct SavedUser
{
    QString password; // empty when it was not saved
    bool savepass = false;
};

// The user names, most recent login first. Throws DatabaseError.
QStringList listSavedUsers(TDM_CDS &dm);

// The record of one user name, looked up exactly as given.
std::optional<SavedUser> loadSavedUser(TDM_CDS &dm, const QString &name);

// Records a successful online login: updates the user's record or appends a
// new one; the password is kept only when `save` is set. Returns true when
// the record is new. Throws DatabaseError.
bool SaveLoginUser(TDM_CDS &dm, const QString &name, const QString &password, const QDateTime &time, bool save);

} // namespace server
