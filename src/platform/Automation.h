#pragma once

#include <QString>

#include <stdexcept>

// Starting the programs that serve conversations (download managers), and
// the automation port: each class identifier belongs to one such program.
namespace platform {

// Where a program that serves a service is looked for: an executable named
// after the service in the home directory, then on PATH, else our own
// manager (normally beside the program's executable).
struct ManagerPrograms
{
    QString homeDir;
    QString ownManager;
};

// The program to start for a service; empty when there is none.
QString findManagerProgram(const QString &service, const ManagerPrograms &programs);
// Starts it detached with its output discarded; its process number, or 0
// when there is none or it cannot be started.
qint64 startManagerProgram(const QString &service, const ManagerPrograms &programs);

// An automation call that failed; its text is for the user.
class AutomationError final : public std::runtime_error
{
public:
    explicit AutomationError(const QString &text) : std::runtime_error(text.toStdString()) {}
};

// The automation port: "running instance" is the program serving its
// service, "create" starts the program, and the start call asks it to show
// itself.
class AutomationPort final
{
public:
    enum Connection { Attached, Started };

    explicit AutomationPort(ManagerPrograms programs, int startWaitMs = 5000)
        : m_programs(std::move(programs)), m_startWaitMs(startWaitMs)
    {
    }

    // The service name of a class identifier ("{...}"); empty when unknown.
    static QString serviceOf(const QString &classId);

    // Connects to the running instance of the class or creates one, then
    // makes the start call. Throws AutomationError when the class is
    // unknown, the program cannot be found or started, or it does not
    // answer the call.
    Connection start(const QString &classId);
    // The process number of the program the last start() started, else 0.
    qint64 startedProcess() const { return m_started; }

private:
    ManagerPrograms m_programs;
    int m_startWaitMs;
    qint64 m_started = 0;
};

} // namespace platform
