#pragma once

#include <QString>

namespace platform {

// Starts a program by its bare name, looked for first in the current (home)
// directory and then on PATH, without arguments, detached, its output
// discarded and not watched. Returns whether it started; a program that is
// missing or cannot start is no error for the caller.
bool startCompanion(const QString &name);

} // namespace platform
