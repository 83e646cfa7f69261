#pragma once

#include <QObject>

#include <initializer_list>

namespace platform {

// The signals a desktop or a terminal ends a program with (SIGTERM at logout,
// SIGINT, SIGHUP), brought into the event loop: the handler only writes a
// byte to a pipe, and `received` is emitted from the loop, where the program
// can end as it always does. One watcher per program.
class EndSignals final : public QObject
{
    Q_OBJECT
public:
    // Watches the signals `which` from now on; nullptr when the pipe cannot be made.
    static EndSignals *watch(std::initializer_list<int> which, QObject *parent);

signals:
    void received();

private:
    explicit EndSignals(QObject *parent);
};

} // namespace platform
