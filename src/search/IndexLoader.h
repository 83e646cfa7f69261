#pragma once

#include "search/NameIndex.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <thread>

namespace search {

// Reads the name index on a thread of its own, so that the program starts
// without waiting for it; tells how far it is and when it is done.
class IndexLoader final : public QObject
{
    Q_OBJECT
public:
    explicit IndexLoader(QObject *parent = nullptr);
    ~IndexLoader() override;

    // Starts reading the catalogue at `databasePath`; nothing while reading.
    void start(const QString &databasePath);
    bool loading() const { return m_thread.joinable(); }
    // The index has been read (and may be used on this thread).
    bool ready() const { return m_ready; }
    // Why the last reading failed; empty when it did not.
    QString error() const { return m_error; }
    NameIndex &index() { return m_index; }

signals:
    void progress(int percent);
    void finished(bool ok);

private:
    void done(const QString &error);

    NameIndex m_index;
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    bool m_ready = false;
    QString m_error;
};

} // namespace search
