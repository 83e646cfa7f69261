#include "platform/EndSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

int g_pipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

} // namespace

EndSignals::EndSignals(QObject *parent) : QObject(parent)
{
}

EndSignals *EndSignals::watch(std::initializer_list<int> which, QObject *parent)
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return nullptr;
    auto *watcher = new EndSignals(parent);
    auto *notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, watcher);
    connect(notifier, &QSocketNotifier::activated, watcher, [watcher] {
        char bytes[16];
        while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
        }
        emit watcher->received();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : which)
        ::sigaction(signal, &action, nullptr);
    return watcher;
}

} // namespace platform
