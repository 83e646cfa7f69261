#pragma once

#include "platform/Prompter.h"

#include <QList>
#include <QString>

// Answers message boxes from a script and records what was asked.
class ScriptedPrompter final : public platform::Prompter
{
public:
    struct Asked
    {
        QString title;
        QString text;
        Icon icon;
        Buttons buttons;
    };

    Answer ask(const QString &title, const QString &text, Icon icon, Buttons buttons) override
    {
        asked.append({title, text, icon, buttons});
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return answers.isEmpty() ? Answer::No : answers.takeFirst();
    }

    QList<Asked> asked;
    QList<Answer> answers; // for Yes/No questions, in order; No when empty
};
