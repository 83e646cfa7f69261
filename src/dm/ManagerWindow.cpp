#include "dm/ManagerWindow.h"

#include "dm/Downloads.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

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
    : QWidget(parent), m_list(new QTreeView(this)), m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("TFrm_Downloads"));
    setWindowTitle(QStringLiteral("KelvoFlash吧 下载管理"));
    m_list->setObjectName(QStringLiteral("lv_Downloads"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
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
    layout->addWidget(m_list);
    layout->addWidget(m_status);
    resize(600, 280);
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

} // namespace dm
