#pragma once

#include <QWidget>

class QLabel;
class QTreeView;

namespace dm {

class Downloads;

// The manager's window: one row per download with its name, size, a
// progress bar, speed and state, kept up to date as aria2 works.
class ManagerWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit ManagerWindow(Downloads &downloads, QWidget *parent = nullptr);

    // The start request of the automation port: the window comes forward.
    void bringForward();
    void setStatus(const QString &text);

    QTreeView *list() const { return m_list; }

private:
    QTreeView *m_list;
    QLabel *m_status;
};

} // namespace dm
