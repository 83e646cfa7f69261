#pragma once

#include "browse/ItemListPanel.h"
#include "server/ClubPanel.h"
#include "server/LoginState.h"
#include "subscribe/RecommendItemPanel.h"
#include "subscribe/RecommendPanel.h"
#include "subscribe/SubscribePanel.h"
#include "ui/skin/LinkLabel.h"
#include "ui/skin/SkinnedWindow.h"

#include <QPixmap>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>

class QToolButton;
class TDM_CDS;
class TFrm_Browser;
class TFrm_Login;
class TFrm_Sendto;

namespace platform {
class Prompter;
}
namespace skin {
class ListPointer;
}
namespace app {
class AboutPanel;
class Advertisement;
} // namespace app

// The main window: header, the stack of content panels, footer. It composes
// the panels and keeps what they share: the home, the login, the panel
// history and the pointer over the lists.
class TFrm_Main final : public skin::SkinnedWindow
{
    Q_OBJECT
public:
    TFrm_Main(platform::Prompter &prompter, const QString &site, QWidget *parent = nullptr);

    // The data module and the browser window are made after the main window;
    // they are handed over here.
    void setDataModule(TDM_CDS *dataModule);
    void setBrowser(TFrm_Browser *browser);
    // The login dialog that the first showing asks through; with `ask`
    // false it only lists the saved users (a picture of the window).
    void setLoginDialog(TFrm_Login *login, bool ask = true)
    {
        m_login = login;
        m_askLogin = ask;
    }
    // The card dialog that "推荐给好友" opens.
    void setCardDialog(TFrm_Sendto *cards) { m_sendto = cards; }

    // Sends an item as a greeting card: the card dialog when online, else
    // the offer of a fresh login first.
    void SendItemAsCard(int fileId, const QString &name);

    // Hands an address to the desktop (web browser, mail program); the
    // desktop's own opener unless replaced (tests).
    std::function<bool(const QUrl &)> desktopOpener;

    // Opens a web or mail address with the desktop. Anything else is not
    // opened, and a tip beside `near` says why. True when it went out.
    bool openWithDesktop(const QString &address, QWidget *near);

    // Shows a content panel: it comes to the front and becomes current, and
    // "返回" leads to the start panel.
    void showPanel(QWidget *panel);
    // The panel that is in front.
    QWidget *frontPanel() const { return m_front; }

    // A notice that `count` new items arrived.
    void newItemsNotice(int count);

    // Loads one page of the item list of a class or special list and brings
    // the list forward; page commands are browse::PageCommand.
    void ListItems(const QString &title, int classNumber, int pageCommand);

    // Shared window state.
    QString ProgramDir;
    server::LoginState login;
    QWidget *CurrentPanel = nullptr;
    QWidget *PreviousPanel = nullptr;
    // Row pictures: not downloaded, local copy, downloaded.
    std::array<QPixmap, 3> itemBitmaps;
    // The last pointer position over the panels' lists.
    skin::ListPointer *listPointer;
    // The recommendation category listed last.
    QString CurrentRecommendCategory;

    QWidget *pal_Backgroud;
    QWidget *pal_header;
    QWidget *pal_footer;
    skin::LinkLabel *lab_Footinfo;
    QToolButton *sb_back;
    QToolButton *sb_search;
    QToolButton *sb_refresh;
    QToolButton *sb_set;
    QToolButton *sb_about;
    QToolButton *sb_exit;
    QWidget *pal_Main;
    browse::ItemListPanel *pal_files;
    app::AboutPanel *pal_About;
    subscribe::SubscribePanel *pal_Subscribe;
    subscribe::RecommendPanel *pal_Recommend;
    subscribe::RecommendItemPanel *pal_RecommendItem;
    server::ClubPanel *pal_Club;
    app::Advertisement *advertisement;

    // Handlers of the header and the class buttons.
    void sb_backClick();
    void sb_refreshClick();
    void sb_setClick();
    void sb_aboutClick();
    void sb_exitClick();
    void sbt_c1Click();
    void sbt_c6Click();
    void sbt_c5Click();
    void sbt_c10Click();
    void sb_subscribeClick();

signals:
    // The first database access after showing failed; the program ends.
    void databaseUnavailable();
    // The window is shown and the first database access went well.
    void ready();
    // The window was closed: the program ends.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildHeader();
    void buildFooter();
    void buildPanels();
    void buildClassButtons();
    void buildFilesPanel();
    // Readies the browser window's engine and player in the background once.
    void prewarmBrowser();
    void buildSubscribePanels();
    void buildClubPanel();
    void bringToFront(QWidget *panel);
    // The state icons by image index 0, 1, 2.
    std::array<QPixmap, 3> itemIcons() const;
    void startupGate();
    void showAdvertisement(const QString &text, const QString &address);
    void lab_FootinfoClick();
    void fitFooterLabel();

    platform::Prompter &m_prompter;
    QString m_site;
    TDM_CDS *m_dm = nullptr;
    TFrm_Browser *m_browser = nullptr;
    TFrm_Login *m_login = nullptr;
    TFrm_Sendto *m_sendto = nullptr;
    bool m_askLogin = true;
    QWidget *m_front = nullptr;
    bool m_shownOnce = false;
    bool m_browserPrewarmed = false;
};
