#include "browser/FullScreen.h"

#include <QAction>
#include <QBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include <utility>

namespace browser {

FullScreenHost::FullScreenHost(QWidget *view, QWidget *owner)
    : QWidget(owner, Qt::Window), m_view(view), m_home(view->parentWidget())
{
    setObjectName(QStringLiteral("FullScreen"));
    const QRect screenArea = view->screen()->geometry();
    setWindowTitle(view->window()->windowTitle());
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    if (auto *home = qobject_cast<QBoxLayout *>(m_home->layout()))
        m_index = home->indexOf(view);

    auto *leave = new QAction(this);
    leave->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::Key_F11)});
    leave->setShortcutContext(Qt::WindowShortcut);
    connect(leave, &QAction::triggered, this, &FullScreenHost::leaveRequested);
    addAction(leave);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    view->show();
    // Where no window manager makes it so, the window itself covers the
    // screen its view was on.
    setGeometry(screenArea);
    showFullScreen();
    activateWindow();
    view->setFocus(Qt::OtherFocusReason);
}

FullScreenHost::~FullScreenHost()
{
    giveBack();
}

void FullScreenHost::giveBack()
{
    hide();
    const QPointer<QWidget> view = std::exchange(m_view, nullptr);
    if (!view || !m_home)
        return;
    if (auto *home = qobject_cast<QBoxLayout *>(m_home->layout()))
        home->insertWidget(m_index, view);
    else
        view->setParent(m_home);
    view->show();
    view->window()->activateWindow();
    view->setFocus(Qt::OtherFocusReason);
}

} // namespace browser
