// The main window's wiring of what it asks of the site: greeting cards and
// the community panel.
#include "app/MainWindow.h"

#include "browser/BrowserWindow.h"
#include "platform/Prompter.h"
#include "server/ClubPanel.h"
#include "server/LoginDialog.h"
#include "server/SendtoDialog.h"

#include <QAction>
#include <QTreeView>

void TFrm_Main::buildClubPanel()
{
    pal_Club = new server::ClubPanel(ListMousePos, *this, m_site, pal_Backgroud);
    connect(T1, &QAction::triggered, this, &TFrm_Main::T1Click);
}

void TFrm_Main::setBrowser(TFrm_Browser *browser)
{
    if (m_browser)
        disconnect(m_browser, &TFrm_Browser::recommendRequested, this, &TFrm_Main::SendItemAsCard);
    m_browser = browser;
    pal_Club->setBrowser(browser);
    if (browser)
        connect(browser, &TFrm_Browser::recommendRequested, this, &TFrm_Main::SendItemAsCard);
}

void TFrm_Main::SendItemAsCard(int fileId, const QString &name)
{
    if (!m_sendto)
        return;
    if (!IsOnline) {
        const auto answer = m_prompter.ask(
            QStringLiteral("提示"), QStringLiteral("您现在处于离线状态不能发送贺卡，需要重新登陆,您现在准备登陆吗！"),
            platform::Prompter::Icon::Information, platform::Prompter::Buttons::YesNo);
        if (answer != platform::Prompter::Answer::Yes || !m_login)
            return;
        m_login->ShowModal();
        if (!IsOnline)
            return;
    }
    m_sendto->ShowForItem(fileId, name);
}

void TFrm_Main::T1Click()
{
    if (!PopupListView || !PopupListView->currentIndex().isValid())
        return;
    const auto *model = qobject_cast<browse::ItemListModel *>(PopupListView->model());
    if (!model)
        return;
    const browse::ItemRow row = model->row(PopupListView->currentIndex().row());
    SendItemAsCard(row.fileId.toInt(), row.caption);
}
