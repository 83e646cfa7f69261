#include "ui/skin/ListPointer.h"

#include <QAbstractItemView>
#include <QMouseEvent>

namespace skin {

ListPointer::ListPointer(QObject *parent) : QObject(parent)
{
}

void ListPointer::track(QAbstractItemView *list, std::function<void()> doubleClicked, Cursor cursor)
{
    list->setMouseTracking(true);
    list->viewport()->installEventFilter(this);
    m_lists.insert(list->viewport(), Tracked{list, std::move(doubleClicked), cursor});
    connect(list->viewport(), &QObject::destroyed, this, [this](QObject *viewport) { m_lists.remove(viewport); });
}

QModelIndex ListPointer::focusedUnderPointer(const QAbstractItemView *list) const
{
    const QModelIndex focused = list->currentIndex();
    const QModelIndex pointed = list->indexAt(ListMousePos);
    if (!focused.isValid() || !pointed.isValid() || pointed.row() != focused.row() ||
        pointed.parent() != focused.parent())
        return {};
    return focused;
}

bool ListPointer::eventFilter(QObject *watched, QEvent *event)
{
    const auto type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    const auto found = m_lists.constFind(watched);
    if (found == m_lists.constEnd())
        return QObject::eventFilter(watched, event);
    const Tracked &tracked = *found;
    ListMousePos = static_cast<QMouseEvent *>(event)->position().toPoint();
    if (type == QEvent::MouseMove && tracked.cursor == Cursor::HandOverRows) {
        const bool overRow = tracked.list->indexAt(ListMousePos).isValid();
        tracked.list->viewport()->setCursor(overRow ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
    if (type == QEvent::MouseButtonDblClick) {
        // A copy: the handler may change the tracked lists.
        const std::function<void()> handler = tracked.doubleClicked;
        handler();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace skin
