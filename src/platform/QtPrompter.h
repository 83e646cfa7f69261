#pragma once

#include "platform/Prompter.h"

#include <QPointer>
#include <QWidget>

namespace platform {

// Message boxes owned by the application's main window.
class QtPrompter final : public Prompter
{
public:
    void setOwner(QWidget *owner) { m_owner = owner; }
    Answer ask(const QString &title, const QString &text, Icon icon, Buttons buttons) override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace platform
