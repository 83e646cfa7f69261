#pragma once

#include "platform/Prompter.h"

#include <cstdio>

namespace platform {

// Messages for a run without anybody to answer them (a screenshot run):
// they are written to stderr, and questions are answered No.
class StreamPrompter final : public Prompter
{
public:
    Answer ask(const QString &title, const QString &text, Icon, Buttons buttons) override
    {
        std::fprintf(stderr, "%s: %s\n", title.toLocal8Bit().constData(), text.toLocal8Bit().constData());
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
};

} // namespace platform
