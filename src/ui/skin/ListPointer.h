#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QAbstractItemView;

namespace skin {

// Follows the pointer over a list's items: every move reports where it is,
// and a double-click reports where it happened, then itself.
class ListPointer final : public QObject
{
    Q_OBJECT
public:
    ListPointer(QAbstractItemView *list, std::function<void(const QPoint &)> moved,
                std::function<void()> doubleClicked);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void(const QPoint &)> m_moved;
    std::function<void()> m_doubleClicked;
};

} // namespace skin
