#pragma once

#include "subscribe/Recommendations.h"
#include "ui/skin/TitledPanel.h"

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class TDM_CDS;

namespace platform {
class Prompter;
}
namespace skin {
class ListPointer;
}

namespace subscribe {

class RecommendPanel;

// The special recommendations' item panel: the items of one category in one
// of three views, with their tips, and a menu that changes the view, deletes
// items and marks favourites. A double-click opens an item's address.
class RecommendItemPanel final : public skin::TitledPanel
{
    Q_OBJECT
public:
    // The category is the focused one of `categories`; `pointer` follows the
    // pointer over the main window's lists; `currentCategory` is the main window's.
    RecommendItemPanel(platform::Prompter &prompter, RecommendPanel &categories, skin::ListPointer &pointer,
                       QString &currentCategory, QWidget *parent = nullptr);

    void setDataModule(TDM_CDS *dataModule) { m_dm = dataModule; }
    // Maps a position in the item list's viewport to the point where its menu opens.
    std::function<QPoint(const QPoint &)> popupPoint;

    QLabel *lab_RecommendItem;
    QTreeWidget *lv_RecommendItem;
    QMenu *pm_Recommend;
    QMenu *mni_Recommend_View;
    QAction *N101;
    QAction *N9;
    QAction *N5;
    QMenu *mni_Recommend_Delete;
    QAction *N7;
    QAction *N8;
    QAction *mni_Recommend_AddToFavorite;

    void LoadRecommendItems(int view);
    QString lv_RecommendItemInfoTip(QTreeWidgetItem *item) const;
    void lv_RecommendItemDblClick();
    // Opens the menu for a position in the list; returns where it opened.
    QPoint lv_RecommendItemContextPopup(const QPoint &position);
    void N101Click();
    void N9Click();
    void N5Click();
    void N7Click();
    void N8Click();
    void mni_Recommend_AddToFavoriteClick();

    // The row an item of the list stands for.
    RecommendRow rowOf(const QTreeWidgetItem *item) const;

signals:
    // An item's page is to be shown in the browser window.
    void openItemPage(const QString &address, const QString &name);

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void buildMenu();
    void selectView(QAction *entry, int view);
    TDM_CDS &dataModule() const;

    platform::Prompter &m_prompter;
    RecommendPanel &m_categories;
    skin::ListPointer &m_pointer;
    QString &m_currentCategory;
    TDM_CDS *m_dm = nullptr;
};

} // namespace subscribe
