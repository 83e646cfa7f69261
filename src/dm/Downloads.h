#pragma once

#include "dm/ItemCheck.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <optional>

class QTimer;

namespace dm {

class Aria2;

// One download of the manager.
struct Download
{
    enum State { Waiting, Running, Done, Failed };

    Job job;
    int serial = 0; // its number in this run of the manager
    QString gid;    // aria2's name for it
    qint64 total = 0;
    qint64 completed = 0;
    qint64 speed = 0; // bytes per second
    State state = Waiting;
    QString reason; // why it failed

    QString finalPath() const;
    // aria2 writes here, beside the final file, under a hidden name of this
    // download's own; the file takes its name when complete.
    QString partPath() const;
    int percent() const;
};

// The manager's downloads, one row each: name, size, progress, speed,
// state. Accepted items go to aria2 at once; their rows follow aria2's
// progress while the list is open.
class Downloads final : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, ProgressColumn, SpeedColumn, StateColumn, ColumnCount };
    static constexpr int PercentRole = Qt::UserRole + 1;

    explicit Downloads(Aria2 &aria2, QObject *parent = nullptr);

    // A hand-off to one of the services: the answer to send, or nothing
    // when the item is refused.
    std::optional<QString> accept(const QString &service, const QString &item);

    const QList<Download> &downloads() const { return m_downloads; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static QString sizeText(qint64 bytes);
    static QString stateText(const Download &download);

private:
    void submitRow(int row);
    void poll();
    void update(int row, const QJsonObject &status);
    void finish(int row);
    void fail(int row, const QString &reason);
    void aria2Stopped(const QString &reason);
    void changed(int row);
    int rowOfGid(const QString &gid) const;

    Aria2 &m_aria2;
    QList<Download> m_downloads;
    QTimer *m_poll;
};

} // namespace dm
