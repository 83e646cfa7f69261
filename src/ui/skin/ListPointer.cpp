#include "ui/skin/ListPointer.h"

#include <QAbstractItemView>
#include <QMouseEvent>

namespace skin {

ListPointer::ListPointer(QAbstractItemView *list, std::function<void(const QPoint &)> moved,
                         std::function<void()> doubleClicked)
    : QObject(list), m_moved(std::move(moved)), m_doubleClicked(std::move(doubleClicked))
{
    list->setMouseTracking(true);
    list->viewport()->installEventFilter(this);
}

bool ListPointer::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonDblClick) {
        m_moved(static_cast<QMouseEvent *>(event)->position().toPoint());
        if (event->type() == QEvent::MouseButtonDblClick)
            m_doubleClicked();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace skin
