#pragma once

// The community's pages that the main window lists, and the login form each
// of them is requested with.

#include "server/FormEncoding.h"

#include <QList>
#include <QString>

namespace server {

struct LoginState;

struct ClubEntry
{
    QString caption;
    int icon = 0; // index into the main window's list images
    QString path; // on the site, a query string and all
};

// The nine pages in the order the list shows them.
const QList<ClubEntry> &clubEntries();

// "username" and "password" of the login of the moment (empty when offline).
FormPairs clubLoginForm(const LoginState &state);

} // namespace server
