#include "import/ImportProcess.h"

#include "import/MdbFile.h"
#include "store/DatabaseError.h"

#include <QCoreApplication>

#include <sys/prctl.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <exception>

namespace import {
namespace {

constexpr int kDefaultStallMs = 60000;

// Progress travels as "P table tables tableRows expectedRows totalRows name",
// each column left out as "L table.column", the end as "D tables rows";
// names are percent-encoded.
void writeLine(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The worker's own failures come as a line of their own, so that whatever
// else reaches its stderr (the library's warnings, a crash report) is never
// taken for the reason.
void writeError(const QString &text)
{
    writeLine("E " + text.toUtf8().toPercentEncoding());
}

} // namespace

int runImportWorker(const QString &file, const QString &home, bool replace)
{
    // The worker ends with whoever started it, and reads numbers in the C way.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    std::setlocale(LC_NUMERIC, "C");
    try {
        MdbFile source(file);
        const auto summary = copyIntoCatalogue(source, file, home, replace, [](const CopyProgress &p) {
            writeLine(QByteArray("P ") + QByteArray::number(p.table) + ' ' + QByteArray::number(p.tables) + ' ' +
                      QByteArray::number(p.tableRows) + ' ' + QByteArray::number(p.expectedRows) + ' ' +
                      QByteArray::number(p.totalRows) + ' ' + p.name.toUtf8().toPercentEncoding());
            return true;
        });
        for (const QString &column : summary->leftOut)
            writeLine("L " + column.toUtf8().toPercentEncoding());
        writeLine("D " + QByteArray::number(summary->tables) + ' ' + QByteArray::number(summary->rows));
        return 0;
    } catch (const ImportError &e) {
        writeError(e.text());
    } catch (const DatabaseError &e) {
        writeError(QStringLiteral("%1：%2").arg(file, e.text()));
    } catch (const std::exception &e) {
        writeError(QStringLiteral("%1：%2").arg(file, QString::fromUtf8(e.what())));
    }
    return 1;
}

QString printableName(const QString &name)
{
    QString out = name;
    for (QChar &c : out) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = u'?';
    }
    return out;
}

QString leftOutLine(const QStringList &leftOut, const QString &separator)
{
    QStringList names;
    for (const QString &column : leftOut)
        names << printableName(column);
    return names.join(separator);
}

ImportProcess::ImportProcess(WorkerCommand worker, QString file, QString home, bool replace, QObject *parent)
    : QObject(parent), m_worker(std::move(worker)), m_file(std::move(file)), m_home(std::move(home)), m_replace(replace)
{
    bool set = false;
    const int stall = qEnvironmentVariableIntValue("FLASHBAR_IMPORT_STALL_MS", &set);
    m_stall.setInterval(set && stall > 0 ? stall : kDefaultStallMs);
    m_stall.setSingleShot(true);
    connect(&m_stall, &QTimer::timeout, this, &ImportProcess::stalled);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &ImportProcess::readOutput);
    connect(&m_process, &QProcess::finished, this, &ImportProcess::ended);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(false, QStringLiteral("无法启动导入程序 %1：%2").arg(m_worker.program, m_process.errorString()));
    });
}

ImportProcess::~ImportProcess()
{
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished(5000);
        removeImportLeftovers(m_home);
    }
}

void ImportProcess::start()
{
    QStringList arguments = m_worker.arguments;
    arguments << m_file << m_home;
    if (m_replace)
        arguments << QStringLiteral("--force");
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(m_worker.program, arguments);
    m_stall.start();
}

void ImportProcess::waitForEnd()
{
    // Not a nested event loop: one would return at once once the
    // application has been told to quit.
    while (!m_finished)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void ImportProcess::cancel()
{
    if (!isRunning() || m_finished)
        return;
    m_cancelled = true;
    m_process.kill();
}

void ImportProcess::readOutput()
{
    m_stall.start();
    m_pending += m_process.readAllStandardOutput();
    // Each line leaves the buffer before it is handled: a handler may run the
    // event loop (a modal progress dialog does), and this is then called
    // again for the lines that follow.
    for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        readLine(line);
    }
}

void ImportProcess::readLine(const QByteArray &line)
{
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() == 7 && parts.at(0) == "P") {
        CopyProgress p;
        p.table = parts.at(1).toInt();
        p.tables = parts.at(2).toInt();
        p.tableRows = parts.at(3).toLongLong();
        p.expectedRows = parts.at(4).toLongLong();
        p.totalRows = parts.at(5).toLongLong();
        p.name = QString::fromUtf8(QByteArray::fromPercentEncoding(parts.at(6)));
        emit progressed(p);
    } else if (parts.size() == 2 && parts.at(0) == "E") {
        m_error = QString::fromUtf8(QByteArray::fromPercentEncoding(parts.at(1)));
    } else if (parts.size() == 2 && parts.at(0) == "L") {
        m_summary.leftOut << QString::fromUtf8(QByteArray::fromPercentEncoding(parts.at(1)));
    } else if (parts.size() == 3 && parts.at(0) == "D") {
        m_done = true;
        m_summary.tables = parts.at(1).toInt();
        m_summary.rows = parts.at(2).toLongLong();
    }
}

void ImportProcess::ended(int code, QProcess::ExitStatus status)
{
    m_stall.stop();
    readOutput();
    m_stall.stop();
    if (status == QProcess::NormalExit && code == 0 && m_done)
        return finish(true, QString());
    removeImportLeftovers(m_home);
    if (m_cancelled)
        return finish(false, QStringLiteral("已取消导入 %1").arg(m_file));
    if (m_stalled)
        return finish(false, QStringLiteral("%1：读取时停滞不前，文件可能已损坏").arg(m_file));
    if (!m_error.isEmpty())
        return finish(false, m_error);
    // Ended without saying why: killed by a signal, or a crash caught and
    // reported by a handler of its own.
    finish(false, QStringLiteral("%1：读取时出错（文件可能已损坏）").arg(m_file));
}

void ImportProcess::stalled()
{
    if (!isRunning())
        return;
    m_stalled = true;
    m_process.kill();
}

void ImportProcess::finish(bool ok, const QString &message)
{
    if (m_finished)
        return;
    m_finished = true;
    m_ok = ok;
    m_message = message;
    emit finished();
}

} // namespace import
