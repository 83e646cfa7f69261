#pragma once

#include "import/CatalogueCopy.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace import {

// The program that reads an Access file in a process of its own: libmdb can
// crash or loop on a damaged file, which then takes only that process down.
struct WorkerCommand
{
    QString program;
    QStringList arguments; // before FILE HOME [--force]
};

// The worker's side: copies FILE into HOME's catalogue, writing its
// progress on stdout for ImportProcess and its error on stderr. Returns
// the process's exit code.
int runImportWorker(const QString &file, const QString &home, bool replace);

// Runs the import in a worker process and reports its progress. A worker
// that crashes, or is silent for longer than the stall time (libmdb caught
// in a loop), ends the import with a message naming the file; whatever
// happens, a failed or cancelled import leaves no catalogue behind.
class ImportProcess final : public QObject
{
    Q_OBJECT

public:
    ImportProcess(WorkerCommand worker, QString file, QString home, bool replace, QObject *parent = nullptr);
    ~ImportProcess() override;

    void start();
    // Runs the thread's events (a window's too) until finished().
    void waitForEnd();
    // Stops the worker; finished() follows, not ok.
    void cancel();
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // How long the worker may go without a word; FLASHBAR_IMPORT_STALL_MS
    // overrides the default of 60 s.
    void setStallTime(int ms) { m_stall.setInterval(ms); }

    bool isFinished() const { return m_finished; }
    bool ok() const { return m_ok; }
    bool cancelled() const { return m_cancelled; }
    QString message() const { return m_message; }
    CopySummary summary() const { return m_summary; }

signals:
    void progressed(const import::CopyProgress &progress);
    void finished();

private:
    void readOutput();
    void readLine(const QByteArray &line);
    void ended(int code, QProcess::ExitStatus status);
    void stalled();
    void finish(bool ok, const QString &message);

    WorkerCommand m_worker;
    QString m_file;
    QString m_home;
    bool m_replace;
    QProcess m_process;
    QTimer m_stall;
    QByteArray m_pending;
    bool m_ok = false;
    bool m_done = false;
    bool m_cancelled = false;
    bool m_stalled = false;
    bool m_finished = false;
    QString m_message;
    QString m_error; // the worker's own account of why it failed
    CopySummary m_summary;
};

// A table name fit for a terminal or a label: control characters shown as '?'.
QString printableName(const QString &name);
// The columns an import left out, on one line: "a.b、c.d" with `separator`.
QString leftOutLine(const QStringList &leftOut, const QString &separator);

} // namespace import
