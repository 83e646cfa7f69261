#pragma once

#include <QApplication>
#include <QPointer>
#include <QStringList>

class QWidget;

namespace platform {
class Prompter;
}

// The application object. Its notify() is the top-level error handler: an
// error that escapes an event handler is shown in a message box captioned
// "错误" and the program goes on.
class Application final : public QApplication
{
public:
    Application(int &argc, char **argv);

    void setPrompter(platform::Prompter *prompter) { m_prompter = prompter; }
    bool notify(QObject *receiver, QEvent *event) override;

    // Shows an error through the prompter (or on stderr when there is none),
    // unless the same error's box is still up.
    void reportError(const QString &text);

    // From here on, SIGTERM (as a desktop sends at logout) and SIGINT close
    // the main window as the user would, so that the program ends the way it
    // always does. One that comes before there is a window ends the start's
    // box as declined and closes the window as soon as there is one.
    void closeOnSignals();
    void setMainWindow(QWidget *window);

    // Font of the windows: 宋体 at 12 pixels (art::windowFont).
    static void useWindowFont();

private:
    platform::Prompter *m_prompter = nullptr;
    QStringList m_shown; // errors whose boxes are up
    QPointer<QWidget> m_mainWindow;
    bool m_endRequested = false; // a signal came
};
