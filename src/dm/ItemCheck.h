#pragma once

#include <QString>

#include <optional>

namespace dm {

// A download the manager takes: the address and where the file goes.
struct Job
{
    QString address;
    QString folder; // absolute
    QString name;   // one plain file name
};

// The manager's own check of a hand-off, whatever the sender meant: only
// http, https and ftp addresses, and only an absolute, normalised target
// without "." or ".." components. For "NetAnts" the target is the file, for
// "FlashGet" the folder, the name then coming from the address. Nothing for
// anything else.
std::optional<Job> jobOf(const QString &service, const QString &item);

} // namespace dm
