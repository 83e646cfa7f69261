#include "server/ClubPanel.h"

#include "browser/BrowserWindow.h"
#include "server/Community.h"
#include "ui/art/ListImages.h"
#include "ui/skin/ListPointer.h"

#include <QLabel>
#include <QListWidget>

namespace server {

ClubPanel::ClubPanel(skin::ListPointer &pointer, const LoginState &login, const QString &site, QWidget *parent)
    : TitledPanel("pal_Club", QStringLiteral("Zanto社区-列表"), "lab_Club", parent), m_pointer(pointer), m_login(login)
{
    lab_Club = titleLabel();
    lv_Club = iconList("lv_Club");
    pointer.track(lv_Club, [this] { lv_ClubDblClick(); });
    for (const ClubEntry &entry : clubEntries()) {
        auto *item = new QListWidgetItem(QIcon(QPixmap::fromImage(art::listImage(entry.icon))), entry.caption);
        item->setData(Qt::UserRole, site + entry.path);
        item->setToolTip(entry.caption);
        lv_Club->addItem(item);
    }
}

void ClubPanel::lv_ClubDblClick()
{
    const QModelIndex focused = m_pointer.focusedUnderPointer(lv_Club);
    if (!focused.isValid() || !m_browser)
        return;
    m_browser->ShowPage(focused.data(Qt::UserRole).toString(), buildFormBody(clubLoginForm(m_login)), formHeader());
}

} // namespace server
