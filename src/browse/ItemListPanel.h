#pragma once

#include "browse/ItemListModel.h"
#include "browse/ListLoader.h"
#include "ui/skin/TitledPanel.h"

#include <QPixmap>
#include <QString>

#include <array>
#include <functional>

class QAbstractItemView;
class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QToolButton;
class QTreeView;
class TDM_CDS;

namespace platform {
class Prompter;
}
namespace skin {
class ListPointer;
}
namespace download {
class DownloadMenu;
}

namespace browse {

// The item list panel of the main window: the list of a class or special
// list ten to a page, its paging bar and caption, and its context menu (view,
// column, open, delete, save, card, download commands). It keeps what the
// list was asked for last. What only the window can do (show a page, send a
// card, bring the panel forward) it asks for through its signals.
class ItemListPanel final : public skin::TitledPanel
{
    Q_OBJECT
public:
    // `programDir` is the home, read at every command; `icons` are the rows'
    // state pictures by image index; `pointer` follows the pointer over the
    // window's lists.
    ItemListPanel(platform::Prompter &prompter, const QString &programDir, const QString &site,
                  skin::ListPointer &pointer, const std::array<QPixmap, 3> &icons, QWidget *parent = nullptr);

    void setDataModule(TDM_CDS *dataModule) { m_dm = dataModule; }

    // What the list was asked for last.
    ListState state;

    // Asks where to save a file; gets the name to suggest, answers the chosen
    // path or nothing. A save dialog unless replaced (tests).
    std::function<QString(const QString &suggestedName)> saveFileChooser;

    QLabel *lab_Files;
    QTreeView *lv_Files;
    ItemListModel *filesModel;
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
    // The list the menu was opened on.
    QTreeView *PopupListView = nullptr;

    // Loads one page of the list of a class or special list; page commands
    // are browse::PageCommand. Throws DatabaseError.
    void ListItems(const QString &title, int classNumber, int pageCommand);
    // The start view, marked in the menu: the latest ten.
    void startWithLatest();
    // Opens the focused item of a list when the pointer last rested on it.
    void OpenFocusedItem(QTreeView *list);
    // Where the menu of a list of the window opens for a position in the
    // list's viewport: the position in the list's own coordinates (its column
    // header included) taken as the window's, moved by this panel's place.
    QPoint menuPoint(const QAbstractItemView *list, const QPoint &position) const;

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
    // A page of the list was loaded: the panel is to come forward.
    void listed();
    // An item is to be shown in the browser window.
    void openItemPage(const QString &address, const QString &name, int fileId);
    // An item is to be sent as a greeting card.
    void sendAsCard(int fileId, const QString &name);

private:
    void buildList(const std::array<QPixmap, 3> &icons);
    void buildPagingBar();
    void buildMenu();
    void buildViewMenu();
    void applyListPage(const ListPage &page);
    void rebuildColumnMenu(const QStringList &entries, bool enabled);
    QAction *viewAction(int view) const;
    // The focused row of the list the menu was opened on, or -1.
    int popupRow() const;

    platform::Prompter &m_prompter;
    const QString &m_programDir;
    QString m_site;
    skin::ListPointer &m_pointer;
    TDM_CDS *m_dm = nullptr;
    QActionGroup *m_views = nullptr;
};

} // namespace browse
