#include "app/Application.h"

#include "platform/EndSignals.h"
#include "platform/Prompter.h"
#include "store/DatabaseError.h"
#include "ui/art/WindowFont.h"

#include <QScopeGuard>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <cstdio>
#include <exception>

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
    auto *ends = platform::EndSignals::watch({SIGTERM, SIGINT}, this);
    if (!ends)
        return;
    connect(ends, &platform::EndSignals::received, this, [this] {
        m_endRequested = true;
        // Before the window, a box of the start is up: it ends as if
        // declined, and the window closes as soon as it is there.
        if (m_mainWindow)
            m_mainWindow->close();
        else
            QCoreApplication::exit(0);
    });
}

void Application::setMainWindow(QWidget *window)
{
    m_mainWindow = window;
    if (m_endRequested)
        QTimer::singleShot(0, window, &QWidget::close);
}
