// The main window's item list: the panel and what it asks of the window.
#include "app/MainWindow.h"

#include "browser/BrowserWindow.h"
#include "store/DatabaseError.h"

#include <QTimer>
#include <QToolButton>

void TFrm_Main::buildFilesPanel()
{
    pal_files = new browse::ItemListPanel(m_prompter, ProgramDir, m_site, *listPointer, itemIcons(), pal_Backgroud);
    connect(pal_files, &browse::ItemListPanel::listed, this, [this] {
        showPanel(pal_files);
        prewarmBrowser();
    });
    connect(pal_files, &browse::ItemListPanel::openItemPage, this,
            [this](const QString &address, const QString &name, int fileId) {
                if (m_browser)
                    m_browser->ShowItemPage(address, name, fileId);
            });
    connect(pal_files, &browse::ItemListPanel::sendAsCard, this, &TFrm_Main::SendItemAsCard);
}

void TFrm_Main::prewarmBrowser()
{
    // Not at start, which stays small, but once the user lists items: the
    // list is drawn first, then the engine starts while the user reads it.
    if (m_browserPrewarmed || !m_browser)
        return;
    m_browserPrewarmed = true;
    QTimer::singleShot(100, m_browser, &TFrm_Browser::Prewarm);
}

void TFrm_Main::ListItems(const QString &title, int classNumber, int pageCommand)
{
    pal_files->ListItems(title, classNumber, pageCommand);
}
