// The main window's wiring of what it asks of the site: greeting cards and
// the community panel.
#include "app/MainWindow.h"

#include "browser/BrowserWindow.h"
#include "platform/Prompter.h"
#include "server/ClubPanel.h"
#include "server/LoginDialog.h"
#include "server/SendtoDialog.h"

void TFrm_Main::buildClubPanel()
{
    pal_Club = new server::ClubPanel(*listPointer, login, m_site, pal_Backgroud);
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
    if (!login.IsOnline) {
        const auto answer = m_prompter.ask(
            QStringLiteral("提示"), QStringLiteral("您现在处于离线状态不能发送贺卡，需要重新登陆,您现在准备登陆吗！"),
            platform::Prompter::Icon::Information, platform::Prompter::Buttons::YesNo);
        if (answer != platform::Prompter::Answer::Yes || !m_login)
            return;
        m_login->ShowModal();
        if (!login.IsOnline)
            return;
    }
    m_sendto->ShowForItem(fileId, name);
}
