#pragma once

#include <QString>

// `flashbar-catalogue import FILE.mdb HOME [--force]`: reads the Access file
// in a worker (this program with "import-worker") and prints its progress.
int runImportCommand(const QString &file, const QString &home, bool replace);
