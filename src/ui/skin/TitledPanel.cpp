#include "ui/skin/TitledPanel.h"

#include "ui/skin/Colours.h"

#include <QLabel>
#include <QListWidget>

namespace skin {

TitledPanel::TitledPanel(const char *name, const QString &title, const char *titleName, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QLatin1String(name));
    fillBackground(this, Qt::white);
    setGeometry(1, 25, kWidth, kHeight);
    auto *bar = new QWidget(this);
    bar->setObjectName(QLatin1String(name) + QStringLiteral("_title"));
    fillBackground(bar, kNavy);
    bar->setGeometry(0, 0, kWidth, kTitleHeight);
    m_title = new QLabel(bar);
    m_title->setObjectName(QLatin1String(titleName));
    QPalette p = m_title->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    m_title->setPalette(p);
    setTitle(title);
}

void TitledPanel::setTitle(const QString &title)
{
    m_title->setText(title);
    m_title->adjustSize();
    m_title->move((width() - m_title->width()) / 2, (kTitleHeight - m_title->height()) / 2);
}

QListWidget *TitledPanel::iconList(const char *name)
{
    auto *list = new QListWidget(this);
    list->setObjectName(QLatin1String(name));
    list->setGeometry(1, kTitleHeight + 1, kWidth - 2, 242);
    list->setFrameShape(QFrame::NoFrame);
    list->setViewMode(QListView::IconMode);
    list->setMovement(QListView::Static);
    list->setResizeMode(QListView::Adjust);
    list->setIconSize(QSize(32, 27));
    // Three to a row, with room for the scroll bar.
    list->setGridSize(QSize(72, 62));
    list->setWordWrap(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

} // namespace skin
