#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Our own program that stands in for a companion that is not installed.
struct OwnCompanion
{
    QString program; // its full path
    QStringList arguments;
};

// Starts a program by its bare name, looked for first in the current (home)
// directory and then on PATH, without arguments; when there is none, `own`
// with its arguments. Detached, its output discarded and not watched.
// Returns whether one started; a program that is missing or cannot start
// is no error for the caller.
bool startCompanion(const QString &name, const OwnCompanion &own = {});

} // namespace platform
