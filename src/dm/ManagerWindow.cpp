#include "dm/ManagerWindow.h"

#include "dm/Downloads.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace dm {

namespace {

// Draws the progress column as a progress bar.
class ProgressDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (index.column() != Downloads::ProgressColumn) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionProgressBar bar;
        bar.rect = option.rect.adjusted(2, 3, -2, -3);
        bar.minimum = 0;
        bar.maximum = 100;
        bar.progress = index.data(Downloads::PercentRole).toInt();
        bar.text = index.data().toString();
        bar.textVisible = true;
        bar.state = option.state | QStyle::State_Horizontal;
        QApplication::style()->drawControl(QStyle::CE_ProgressBar, &bar, painter);
    }
};

} // namespace

ManagerWindow::ManagerWindow(Downloads &downloads, QWidget *parent)
    : QWidget(parent), m_downloads(downloads), m_toolBar(new QToolBar(this)), m_settingsBar(new QToolBar(this)),
      m_list(new QTreeView(this)), m_menu(new QMenu(this)), m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("TFrm_Downloads"));
    setWindowTitle(QStringLiteral("KelvoFlash吧 下载管理"));
    m_list->setObjectName(QStringLiteral("lv_Downloads"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setModel(&downloads);
    m_list->setItemDelegate(new ProgressDelegate(m_list));
    m_list->header()->setStretchLastSection(true);
    m_list->header()->resizeSection(Downloads::NameColumn, 170);
    m_list->header()->resizeSection(Downloads::SizeColumn, 70);
    m_list->header()->resizeSection(Downloads::ProgressColumn, 110);
    m_list->header()->resizeSection(Downloads::SpeedColumn, 80);
    m_status->setObjectName(QStringLiteral("lab_Status"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_toolBar);
    // The settings have a row of their own, so the commands never crowd
    // them out of a narrow window.
    layout->addWidget(m_settingsBar);
    layout->addWidget(m_list);
    layout->addWidget(m_status);
    resize(900, 320);

    m_toolBar->setObjectName(QStringLiteral("tb_Downloads"));
    m_settingsBar->setObjectName(QStringLiteral("tb_DownloadSettings"));
    m_menu->setObjectName(QStringLiteral("pm_Downloads"));
    m_pause = makeRowAction(QStringLiteral("act_Pause"), QStringLiteral("暂停"), &Downloads::pause);
    m_resume = makeRowAction(QStringLiteral("act_Resume"), QStringLiteral("继续"), &Downloads::resume);
    m_cancel = makeRowAction(QStringLiteral("act_Cancel"), QStringLiteral("取消"), &Downloads::cancel);
    m_retry = makeRowAction(QStringLiteral("act_Retry"), QStringLiteral("重试"), &Downloads::retry);
    m_remove = makeRowAction(QStringLiteral("act_Remove"), QStringLiteral("从列表删除"), &Downloads::remove);
    m_open = makeAction(QStringLiteral("act_OpenFolder"), QStringLiteral("打开文件夹"), &ManagerWindow::openFolder);
    m_toolBar->addSeparator();
    makeAction(QStringLiteral("act_PauseAll"), QStringLiteral("全部暂停"), &ManagerWindow::pauseAll);
    makeAction(QStringLiteral("act_ResumeAll"), QStringLiteral("全部继续"), &ManagerWindow::resumeAll);
    makeAction(QStringLiteral("act_ClearFinished"), QStringLiteral("清除已完成"), &ManagerWindow::clearFinished);
    const DownloadSettings settings = readDownloadSettings();
    m_connections = makeSpinBox(QStringLiteral("sp_Connections"), QStringLiteral("每个文件连接数"), 1,
                                DownloadSettings::kMostConnections, settings.connections);
    m_atOnce = makeSpinBox(QStringLiteral("sp_AtOnce"), QStringLiteral("同时下载"), 1, DownloadSettings::kMostAtOnce,
                           settings.atOnce);
    m_limit = makeSpinBox(QStringLiteral("sp_SpeedLimit"), QStringLiteral("总限速"), 0, DownloadSettings::kMostLimitKb,
                          settings.limitKb);
    m_limit->setSuffix(QStringLiteral(" KB/s"));
    m_limit->setSpecialValueText(QStringLiteral("不限速"));
    for (QAction *rowAction : {m_pause, m_resume, m_cancel, m_retry, m_remove, m_open})
        m_menu->addAction(rowAction);
    // Space pauses or resumes the selected rows, Delete removes them.
    auto *toggle = new QAction(this);
    toggle->setShortcut(Qt::Key_Space);
    toggle->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(toggle, &QAction::triggered, this, &ManagerWindow::toggleSelected);
    QWidget::addAction(toggle);
    m_remove->setShortcut(Qt::Key_Delete);
    m_remove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QWidget::addAction(m_remove);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        updateActions();
        if (!selectedRows().isEmpty())
            m_menu->popup(m_list->viewport()->mapToGlobal(at));
    });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &ManagerWindow::updateActions);
    connect(&downloads, &QAbstractItemModel::dataChanged, this, &ManagerWindow::updateActions);
    connect(&downloads, &QAbstractItemModel::rowsRemoved, this, &ManagerWindow::updateActions);
    updateActions();
    // New downloads come into view.
    connect(&downloads, &QAbstractItemModel::rowsInserted, m_list,
            [this](const QModelIndex &, int, int last) { m_list->scrollTo(m_list->model()->index(last, 0)); });
}

void ManagerWindow::bringForward()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void ManagerWindow::setStatus(const QString &text)
{
    m_status->setText(text);
}

QAction *ManagerWindow::makeAction(const QString &name, const QString &text, void (ManagerWindow::*handler)())
{
    QAction *action = m_toolBar->addAction(text);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

QAction *ManagerWindow::makeRowAction(const QString &name, const QString &text, void (Downloads::*command)(int))
{
    QAction *action = m_toolBar->addAction(text);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, command] { forEachSelected(command); });
    return action;
}

QSpinBox *ManagerWindow::makeSpinBox(const QString &name, const QString &label, int least, int most, int value)
{
    auto *caption = new QLabel(label, m_settingsBar);
    auto *box = new QSpinBox(m_settingsBar);
    box->setObjectName(name);
    box->setRange(least, most);
    box->setValue(value);
    caption->setBuddy(box);
    caption->setContentsMargins(m_settingsBar->actions().isEmpty() ? 0 : 12, 0, 4, 0);
    m_settingsBar->addWidget(caption);
    m_settingsBar->addWidget(box);
    connect(box, &QSpinBox::valueChanged, this, &ManagerWindow::settingsEdited);
    return box;
}

void ManagerWindow::settingsEdited()
{
    DownloadSettings settings;
    settings.connections = m_connections->value();
    settings.atOnce = m_atOnce->value();
    settings.limitKb = m_limit->value();
    m_downloads.setSettings(settings);
}

QList<int> ManagerWindow::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_list->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end(), std::greater<>());
    return rows;
}

void ManagerWindow::updateActions()
{
    bool pausable = false, resumable = false, cancellable = false, failed = false;
    const QList<int> rows = selectedRows();
    for (const int row : rows) {
        const Download &d = m_downloads.downloads().at(row);
        pausable = pausable || d.state == Download::Running || d.state == Download::Waiting;
        resumable = resumable || d.state == Download::Paused;
        cancellable = cancellable || !d.settled();
        failed = failed || d.state == Download::Failed;
    }
    m_pause->setEnabled(pausable);
    m_resume->setEnabled(resumable);
    m_cancel->setEnabled(cancellable);
    m_retry->setEnabled(failed);
    m_remove->setEnabled(!rows.isEmpty());
    m_open->setEnabled(rows.size() == 1);
}

void ManagerWindow::toggleSelected()
{
    for (const int row : selectedRows()) {
        if (m_downloads.downloads().at(row).state == Download::Paused)
            m_downloads.resume(row);
        else
            m_downloads.pause(row);
    }
}

void ManagerWindow::forEachSelected(void (Downloads::*command)(int))
{
    // From the last row up, so that rows removed leave the others in place.
    for (const int row : selectedRows())
        (m_downloads.*command)(row);
}

void ManagerWindow::openFolder()
{
    const QList<int> rows = selectedRows();
    if (rows.size() == 1)
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_downloads.downloads().at(rows.first()).job.folder));
}

void ManagerWindow::pauseAll()
{
    m_downloads.pauseAll();
}

void ManagerWindow::resumeAll()
{
    m_downloads.resumeAll();
}

void ManagerWindow::clearFinished()
{
    m_downloads.clearFinished();
}

} // namespace dm
