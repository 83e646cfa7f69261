#pragma once

#include <QApplication>
#include <QStringList>

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

    // Font of the windows: 宋体 at 12 pixels (art::windowFont).
    static void useWindowFont();

private:
    platform::Prompter *m_prompter = nullptr;
    QStringList m_shown; // errors whose boxes are up
};
