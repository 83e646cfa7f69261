#pragma once

#include <QString>

namespace server {

// Who is logged in: written by the login, read by card sending and the
// community pages. Nothing resets it within a run.
struct LoginState
{
    QString LoggedInUser;     // the name as typed at the last online login
    QString LoggedInPassword; // the password as typed then
    bool IsOnline = false;    // true after an online login
};

} // namespace server
