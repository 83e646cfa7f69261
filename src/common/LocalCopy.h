#pragma once

#include <QString>

#include <optional>

// Local copies of items live in <program dir>/local/<column>/<file>. The
// column and file names come from the catalogue, which another program
// writes, so each must be one plain name: not empty, not "." or "..", no
// "/", no NUL, no control character and no broken UTF-16 (a lone surrogate
// would reach the file system as a different name).
bool IsPlainPathComponent(const QString &name);

// The path of an item's local copy; nothing when either name is not one
// plain name, and such an item has no local copy. Every place that reads,
// plays, copies or writes a local copy goes through this.
std::optional<QString> LocalCopyPath(const QString &programDir, const QString &columnName, const QString &fileName);

// The local copy's path when it is there as an ordinary, visible file (a
// directory or a hidden file of that name does not count).
std::optional<QString> ExistingLocalCopy(const QString &programDir, const QString &columnName, const QString &fileName);
