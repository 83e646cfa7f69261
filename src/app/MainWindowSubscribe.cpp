// The main window's wiring of the subscription and recommendation panels.
#include "app/MainWindow.h"

#include "app/Advertisement.h"
#include "browser/BrowserWindow.h"
#include "subscribe/RecommendItemPanel.h"
#include "subscribe/RecommendPanel.h"
#include "subscribe/SubscribePanel.h"

#include <QToolButton>
#include <QTreeWidget>

void TFrm_Main::buildSubscribePanels()
{
    pal_Subscribe = new subscribe::SubscribePanel(pal_Backgroud);
    pal_Recommend = new subscribe::RecommendPanel(*listPointer, pal_Backgroud);
    pal_RecommendItem = new subscribe::RecommendItemPanel(m_prompter, *pal_Recommend, *listPointer,
                                                          CurrentRecommendCategory, pal_Backgroud);
    // The item menu opens where the item list's menu would.
    pal_RecommendItem->popupPoint = [this](const QPoint &position) {
        return pal_files->menuPoint(pal_RecommendItem->lv_RecommendItem, position);
    };
    connect(pal_Recommend, &subscribe::RecommendPanel::categoryOpened, this, [this] {
        pal_RecommendItem->LoadRecommendItems(subscribe::LatestItems);
        PreviousPanel = CurrentPanel;
        CurrentPanel = pal_RecommendItem;
        bringToFront(pal_RecommendItem);
    });
    connect(pal_RecommendItem, &subscribe::RecommendItemPanel::openItemPage, this,
            [this](const QString &address, const QString &name) {
                if (m_browser)
                    m_browser->ShowItemPage(address, name, 0);
            });
    connect(pal_files->sb_subscribe, &QToolButton::clicked, this, &TFrm_Main::sb_subscribeClick);
}

void TFrm_Main::setDataModule(TDM_CDS *dataModule)
{
    m_dm = dataModule;
    pal_files->setDataModule(dataModule);
    advertisement->setDataModule(dataModule);
    pal_Subscribe->setDataModule(dataModule);
    pal_Recommend->setDataModule(dataModule);
    pal_RecommendItem->setDataModule(dataModule);
}

void TFrm_Main::sb_subscribeClick()
{
    showPanel(pal_Subscribe);
}

void TFrm_Main::sbt_c10Click()
{
    pal_Recommend->LoadRecommendCategories();
    showPanel(pal_Recommend);
}
