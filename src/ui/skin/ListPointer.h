#pragma once

#include <QHash>
#include <QModelIndex>
#include <QObject>
#include <QPoint>

#include <functional>

class QAbstractItemView;

namespace skin {

// The last pointer position over a window's lists, one for all of them, in
// the coordinates of the list it was over; and the rule their "open" follows:
// a command acts on the focused row only when the pointer last rested on it.
class ListPointer final : public QObject
{
    Q_OBJECT
public:
    // Whether the pointer turns to a hand over a list's rows.
    enum class Cursor { Unchanged, HandOverRows };

    explicit ListPointer(QObject *parent = nullptr);

    // Follows the pointer over `list`: every move notes where it is; a
    // double-click notes where it happened, then calls `doubleClicked`.
    void track(QAbstractItemView *list, std::function<void()> doubleClicked, Cursor cursor = Cursor::Unchanged);

    // The focused index of `list` when the row at the last position is that
    // same row; otherwise an invalid index.
    QModelIndex focusedUnderPointer(const QAbstractItemView *list) const;

    // The last position, in the coordinates of the list it was over.
    QPoint ListMousePos;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Tracked
    {
        QAbstractItemView *list;
        std::function<void()> doubleClicked;
        Cursor cursor;
    };
    QHash<QObject *, Tracked> m_lists; // by viewport
};

} // namespace skin
