#include "app/Application.h"

#include "platform/Prompter.h"
#include "store/DatabaseError.h"

#include "ui/art/WindowFont.h"

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
    if (m_prompter)
        m_prompter->showError(text);
    else
        std::fprintf(stderr, "flashbar: %s\n", text.toLocal8Bit().constData());
}

void Application::useWindowFont()
{
    art::useWindowFont();
}
