#pragma once

#include <QSqlDatabase>
#include <QString>

struct sqlite3;

namespace store {

// The one connection to a catalogue file. It opens with the first use and
// stays open: WAL journal and a busy time-out, so that another process can
// write the file while the program runs.
class Connection final
{
public:
    enum class Mode {
        OpenExisting, // the program: the catalogue must exist and be valid
        Create,       // tools: make a new, empty catalogue
    };

    explicit Connection(QString path, Mode mode = Mode::OpenExisting);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens the file on first use; throws DatabaseError when it is missing,
    // unreadable, corrupt or not a catalogue.
    QSqlDatabase &database();
    // SQLite's own handle of the open connection, for what QtSql cannot do.
    sqlite3 *handle();
    bool isOpen() const { return m_open; }
    QString path() const { return m_path; }
    void close();
    // After an error that may come of the file being damaged under it, the
    // connection is closed here, to be opened afresh (and the file checked
    // again) with its next use: its caches and its handle of the file may
    // belong to a file that is no longer there. Called where no data set
    // holds a read open; outside a transaction only.
    void recoverIfDamaged();

    // Runs statements in one transaction; rolls back and rethrows on error.
    template <typename F> void inTransaction(F &&work)
    {
        begin();
        try {
            work();
        } catch (...) {
            rollback();
            throw;
        }
        commit();
    }
    void begin();
    void commit();
    void rollback();

    // Executes one statement that returns no rows (already in SQLite's dialect).
    void exec(const QString &sql);

    static constexpr int kBusyTimeoutMs = 5000;

private:
    void open();

    QString m_path;
    Mode m_mode;
    QString m_name;
    QSqlDatabase m_db;
    bool m_open = false;
    bool m_damaged = false;
};

} // namespace store
