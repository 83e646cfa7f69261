#pragma once

#include "dm/Download.h"
#include "dm/DownloadSettings.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <optional>

class QJsonObject;
class QTimer;

namespace dm {

class Aria2;

// The manager's downloads, one row each: name, size, progress, speed,
// state. Accepted items go to aria2 at once; their rows follow aria2's
// progress while the list is open. With a list file, the list is read at
// start and written as it changes, and what was under way goes on.
class Downloads final : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, ProgressColumn, SpeedColumn, StateColumn, ColumnCount };
    static constexpr int PercentRole = Qt::UserRole + 1;

    explicit Downloads(Aria2 &aria2, QString listPath = {}, QObject *parent = nullptr);
    ~Downloads() override;

    // Whether the list file was damaged when read (kept beside as .bad).
    bool listWasDamaged() const { return m_listDamaged; }
    // Gives aria2 what the list holds under way: downloads it still has
    // (from its session) are followed, the others added again, to go on
    // from their part files. Downloads of its session that the list lost
    // (a damaged list) come back into it.
    void restore();

    // A hand-off to one of the services: the answer to send, or nothing
    // when the item is refused. An item already in the list is not
    // fetched twice; a failed one, or a finished one whose file is gone,
    // starts again.
    std::optional<QString> accept(const QString &service, const QString &item);

    // The controls, each on one row; those that do not apply do nothing.
    void pause(int row);
    void resume(int row);
    void cancel(int row); // stops it and removes its part file
    void retry(int row);  // a failed one starts again
    void remove(int row); // out of the list; one under way is cancelled first
    void pauseAll();
    void resumeAll();
    void clearFinished();

    // Speed limit, connections, downloads at once: kept in the settings
    // file and applied to aria2 at once.
    void setSettings(const DownloadSettings &settings);

    const QList<Download> &downloads() const { return m_downloads; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static QString sizeText(qint64 bytes);
    static QString stateText(const Download &download);

private:
    int append(const Job &job);
    void restart(int row);
    void sendToAria2(int serial);
    void follow(int serial);
    void adoptOthers();
    void adopt(const QJsonObject &status);
    void poll();
    void update(int row, const QJsonObject &status);
    void finish(int row);
    void fail(int row, const QString &reason);
    void forget(const QString &gid);
    void aria2Stopped(const QString &reason);
    void changed(int row);
    void removeRow(int row);
    void save();
    int rowOfGid(const QString &gid) const;
    int rowOfSerial(int serial) const;
    int rowOfTarget(const QString &path) const;

    Aria2 &m_aria2;
    QString m_listPath;
    bool m_listDamaged = false;
    QList<Download> m_downloads;
    QList<int> m_removeWhenStopped; // serials
    QTimer *m_poll;
    QTimer *m_save;
};

} // namespace dm
