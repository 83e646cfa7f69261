#pragma once

#include <QString>

namespace platform {

// Message boxes, as one port: the windows ask, an implementation shows.
class Prompter
{
public:
    enum class Icon { None, Information, Question, Warning, Error };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~Prompter() = default;
    virtual Answer ask(const QString &title, const QString &text, Icon icon, Buttons buttons) = 0;

    void inform(const QString &title, const QString &text, Icon icon = Icon::Information)
    {
        ask(title, text, icon, Buttons::Ok);
    }
    bool confirm(const QString &title, const QString &text)
    {
        return ask(title, text, Icon::Question, Buttons::YesNo) == Answer::Yes;
    }
    // The application's error display: the error's text under "错误".
    void showError(const QString &text) { ask(QStringLiteral("错误"), text, Icon::Error, Buttons::Ok); }
};

} // namespace platform
