#pragma once

#include <QWidget>

class QAction;
class QLabel;
class QMenu;
class QSpinBox;
class QToolBar;
class QTreeView;

namespace dm {

class Downloads;

// The manager's window: one row per download with its name, size, a
// progress bar, speed and state, kept up to date as aria2 works, and the
// controls on a toolbar, the rows' context menu and keys (Space pauses or
// resumes, Delete removes).
class ManagerWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit ManagerWindow(Downloads &downloads, QWidget *parent = nullptr);

    // The start request of the automation port: the window comes forward.
    void bringForward();
    void setStatus(const QString &text);

    QTreeView *list() const { return m_list; }
    // The rows' context menu, as it is shown for the current selection.
    QMenu *contextMenu() const { return m_menu; }

private:
    QAction *makeAction(const QString &name, const QString &text, void (ManagerWindow::*handler)());
    QSpinBox *makeSpinBox(const QString &name, const QString &label, int least, int most, int value);
    void settingsEdited();
    QList<int> selectedRows() const;
    void updateActions();
    // A toolbar command that does `command` to each selected row.
    QAction *makeRowAction(const QString &name, const QString &text, void (Downloads::*command)(int));
    void forEachSelected(void (Downloads::*command)(int));
    void toggleSelected();
    void openFolder();
    void pauseAll();
    void resumeAll();
    void clearFinished();

    Downloads &m_downloads;
    QToolBar *m_toolBar;
    QToolBar *m_settingsBar;
    QTreeView *m_list;
    QMenu *m_menu;
    QLabel *m_status;
    QSpinBox *m_connections, *m_atOnce, *m_limit;
    QAction *m_pause, *m_resume, *m_cancel, *m_retry, *m_remove, *m_open;
};

} // namespace dm
