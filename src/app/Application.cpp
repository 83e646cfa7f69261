#include "app/Application.h"

#include "platform/Prompter.h"
#include "store/DatabaseError.h"

#include "ui/art/WindowFont.h"

#include <QScopeGuard>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <exception>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The signal handler only writes a byte here; the event loop reads it.
int g_signalPair[2] = {-1, -1};

void onEndSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPair[1], &byte, 1);
}

} // namespace

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    // No display name: the window system would append it to every title.
    setApplicationName(QStringLiteral("flashbar"));
    setApplicationVersion(QStringLiteral("2.01"));
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const DatabaseError &e) {
        reportError(e.text());
    } catch (const std::exception &e) {
        reportError(QString::fromUtf8(e.what()));
    }
    return false;
}

void Application::reportError(const QString &text)
{
    if (!m_prompter) {
        std::fprintf(stderr, "flashbar: %s\n", text.toLocal8Bit().constData());
        return;
    }
    // The same error again while its box is still up (a timer's next tick
    // within the box's loop) gets no second box over the first.
    if (m_shown.contains(text))
        return;
    m_shown.append(text);
    const auto closed = qScopeGuard([this, &text] { m_shown.removeOne(text); });
    m_prompter->showError(text);
}

void Application::useWindowFont()
{
    art::useWindowFont();
}

void Application::closeOnSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPair) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPair[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(g_signalPair[0], &byte, 1);
        m_endRequested = true;
        // Before the window, a box of the start is up: it ends as if
        // declined, and the window closes as soon as it is there.
        if (m_mainWindow)
            m_mainWindow->close();
        else
            QCoreApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

void Application::setMainWindow(QWidget *window)
{
    m_mainWindow = window;
    if (m_endRequested)
        QTimer::singleShot(0, window, &QWidget::close);
}
