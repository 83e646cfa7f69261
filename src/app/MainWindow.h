#pragma once

#include "browse/ItemListModel.h"
#include "browse/ListLoader.h"
#include "server/ClubPanel.h"
#include "server/LoginState.h"
#include "subscribe/RecommendItemPanel.h"
#include "subscribe/RecommendPanel.h"
#include "subscribe/SubscribePanel.h"
#include "ui/skin/SkinnedWindow.h"

#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>

class QAction;
class QActionGroup;
class QMenu;
class QTimer;
class QToolButton;
class QTreeView;
class TDM_CDS;
class TFrm_Browser;
class TFrm_Login;
class TFrm_Sendto;

namespace platform {
class Prompter;
}
namespace download {
class DownloadMenu;
}


// A label drawn as a link that opens its hint (an address) when clicked.
class LinkLabel final : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);
    QString hint() const { return toolTip(); }
    void setHint(const QString &address) { setToolTip(address); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The main window: header, the stack of content panels, footer. The item
// list's state (title, class, view, column, page) is its own.
class TFrm_Main final : public skin::SkinnedWindow, public browse::ListState, public server::LoginState
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

    // Asks where to save a file; gets the name to suggest, answers the chosen
    // path or nothing. A save dialog unless replaced (tests).
    std::function<QString(const QString &suggestedName)> saveFileChooser;
    // Hands an address to the desktop (web browser, mail program); the
    // desktop's own opener unless replaced (tests).
    std::function<bool(const QUrl &)> desktopOpener;

    // Opens a web or mail address with the desktop. Anything else is not
    // opened, and a tip beside `near` says why. True when it went out.
    bool openWithDesktop(const QString &address, QWidget *near);

    // Opens the focused item of a list when the pointer last rested on it.
    void OpenFocusedItem(QTreeView *list);

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
    QWidget *CurrentPanel = nullptr;
    QWidget *PreviousPanel = nullptr;
    // Row pictures: not downloaded, local copy, downloaded.
    std::array<QPixmap, 3> itemBitmaps;

    QWidget *pal_Backgroud;
    QWidget *pal_header;
    QWidget *pal_footer;
    LinkLabel *lab_Footinfo;
    QToolButton *sb_back;
    QToolButton *sb_search;
    QToolButton *sb_refresh;
    QToolButton *sb_set;
    QToolButton *sb_about;
    QToolButton *sb_exit;
    QWidget *pal_Main;
    QWidget *pal_files;
    QWidget *pal_About;
    subscribe::SubscribePanel *pal_Subscribe;
    subscribe::RecommendPanel *pal_Recommend;
    subscribe::RecommendItemPanel *pal_RecommendItem;
    server::ClubPanel *pal_Club;
    QLabel *lab_Files;
    QTimer *tm_advertisement;

    // The item list panel.
    QTreeView *lv_Files;
    browse::ItemListModel *filesModel;
    QToolButton *sb_firstpage;
    QToolButton *sb_priorpage;
    QToolButton *sb_nextpage;
    QToolButton *sb_lastpage;
    QToolButton *sb_subscribe;
    QLabel *lab_pagenum;
    QMenu *pm_Files;
    QMenu *mni_view;
    QMenu *mni_Colume;
    QAction *smn_recent;
    QAction *smn_all;
    QAction *smn_clicked;
    QAction *smn_noneclicked;
    QAction *smn_downloaded;
    QAction *smn_nonedownload;
    QAction *mni_onlineview;
    QAction *mni_deleteFile;
    QAction *mni_saveas;
    QAction *T1;
    QAction *mni_antdownload;
    QAction *mni_flashgetdownload;
    QAction *mni_downall_ant;
    QAction *mni_downall_flashget;
    QAction *mni_Loadnetant;
    QAction *mni_loadFlashget;
    // The download commands of the context menu.
    download::DownloadMenu *downloadMenu;
    // Where the pointer last was over a list, and the list the menu was opened on.
    QPoint ListMousePos;
    QTreeView *PopupListView = nullptr;
    // The recommendation category listed last.
    QString CurrentRecommendCategory;

    // The About panel's links.
    LinkLabel *Label2;
    LinkLabel *Label3;
    LinkLabel *Label5;

    // Handlers of the header, the class buttons and the list.
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
    void sb_firstpageClick();
    void sb_priorpageClick();
    void sb_nextpageClick();
    void sb_lastpageClick();
    void SelectColumnFilter(const QString &caption);
    void selectView(int view);
    void lv_FilesContextPopup(const QPoint &position);
    void lv_FilesDblClick();
    void mni_onlineviewClick();
    void mni_saveasClick();
    void mni_deleteFileClick();
    void T1Click();

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
    void buildFilesMenu();
    void buildAboutPanel();
    void buildSubscribePanels();
    void buildClubPanel();
    void applyListPage(const browse::ListPage &page);
    void rebuildColumnMenu(const QStringList &entries, bool enabled);
    QAction *viewAction(int view) const;
    bool eventFilter(QObject *watched, QEvent *event) override;
    QWidget *contentPanel(const char *name, const QString &title, const char *titleName, QLabel **titleLabel = nullptr);
    void bringToFront(QWidget *panel);
    // The state icons by image index 0, 1, 2.
    std::array<QPixmap, 3> itemIcons() const;
    void startupGate();
    void tm_advertisementTimer();
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
    QActionGroup *m_views = nullptr;
    bool m_shownOnce = false;
};
