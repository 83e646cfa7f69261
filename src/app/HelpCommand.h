#pragma once

#include <QString>

namespace app {

// Whether `file` exists and the desktop has a program for its type (asked
// through xdg-mime where it is installed; assumed so where it is not).
bool desktopHasProgramFor(const QString &file);

// The program's own help page (index.html), or empty when it is not found.
QString helpPage();

} // namespace app
