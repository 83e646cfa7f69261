#include "server/ClubPanel.h"

#include "browser/BrowserWindow.h"
#include "server/Community.h"
#include "ui/art/ListImages.h"
#include "ui/skin/ListPointer.h"

#include <QLabel>
#include <QListWidget>

namespace server {

ClubPanel::ClubPanel(QPoint &listMousePos, const LoginState &login, const QString &site, QWidget *parent)
    : TitledPanel("pal_Club", QStringLiteral("Zanto社区-列表"), "lab_Club", parent), m_listMousePos(listMousePos),
      m_login(login)
{
    lab_Club = titleLabel();
    lv_Club = new QListWidget(this);
    lv_Club->setObjectName(QStringLiteral("lv_Club"));
    lv_Club->setGeometry(1, kTitleHeight + 1, kWidth - 2, kHeight - kTitleHeight - 2);
    lv_Club->setFrameShape(QFrame::NoFrame);
    lv_Club->setViewMode(QListView::IconMode);
    lv_Club->setMovement(QListView::Static);
    lv_Club->setResizeMode(QListView::Adjust);
    lv_Club->setIconSize(QSize(32, 27));
    // Three to a row, with room for the scroll bar.
    lv_Club->setGridSize(QSize(72, 62));
    lv_Club->setWordWrap(true);
    lv_Club->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv_Club->setSelectionMode(QAbstractItemView::SingleSelection);
    new skin::ListPointer(
        lv_Club, [this](const QPoint &position) { lv_RecommendMouseMove(position); }, [this] { lv_ClubDblClick(); });
    for (const ClubEntry &entry : clubEntries()) {
        auto *item = new QListWidgetItem(QIcon(QPixmap::fromImage(art::listImage(entry.icon))), entry.caption);
        item->setData(Qt::UserRole, site + entry.path);
        item->setToolTip(entry.caption);
        lv_Club->addItem(item);
    }
}

void ClubPanel::lv_RecommendMouseMove(const QPoint &position)
{
    m_listMousePos = position;
}

void ClubPanel::lv_ClubDblClick()
{
    const QListWidgetItem *focused = lv_Club->currentItem();
    if (!focused || lv_Club->itemAt(m_listMousePos) != focused || !m_browser)
        return;
    m_browser->ShowPage(focused->data(Qt::UserRole).toString(), buildFormBody(clubLoginForm(m_login)), formHeader());
}

} // namespace server
