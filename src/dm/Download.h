#pragma once

#include "dm/ItemCheck.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace dm {

// One download of the manager.
struct Download
{
    // Done and Failed come last: a download at or past Done is settled.
    enum State { Waiting, Running, Paused, Done, Failed };

    Job job;
    int serial = 0; // its number in the manager's list, never given twice
    QString gid;    // aria2's name for it
    qint64 total = 0;
    qint64 completed = 0;
    qint64 speed = 0; // bytes per second
    State state = Waiting;
    QString reason;           // why it failed
    bool startedOver = false; // the server could not go on from the part: fetched again from the start
    QDateTime finished;       // when it was done

    QString finalPath() const;
    // aria2 writes here, beside the final file, under a hidden name of this
    // download's own; the file takes its name when complete.
    QString partPath() const;
    int percent() const;
    bool settled() const { return state >= Done; }

    // As kept in the list file, and back; nothing from an entry that is not
    // a download's.
    QJsonObject toJson() const;
    static std::optional<Download> fromJson(const QJsonObject &object);
};

} // namespace dm
