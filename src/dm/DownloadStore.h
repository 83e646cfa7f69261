#pragma once

#include "dm/Download.h"

#include <QList>
#include <QString>

// The manager's files between runs: its list of downloads and aria2's
// session, both in one folder.
namespace dm {

// $XDG_DATA_HOME/flashbar/downloads
QString downloadsFolder();

struct ReadList
{
    QList<Download> downloads;
    bool damaged = false; // some or all of it could not be read; kept as .bad
};

// The list file (none yet: empty). What cannot be read is left out, and a
// copy of the damaged file is kept beside it as FILE.bad.
ReadList readList(const QString &path);
// Replaces the list file whole, or leaves it as it was; false then.
bool writeList(const QString &path, const QList<Download> &downloads);

// Whether aria2 may read its session file: none, or one in its own form.
// A damaged or foreign one is moved aside as FILE.bad, and false.
bool sessionUsable(const QString &path);

} // namespace dm
