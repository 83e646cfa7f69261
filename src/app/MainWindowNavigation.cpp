// The main window's header commands, class buttons and the back rule.
#include "app/MainWindow.h"

#include "app/AboutPanel.h"
#include "app/HelpCommand.h"
#include "browse/ListQuery.h"
#include "browser/BrowserWindow.h"
#include "platform/Prompter.h"

#include <QDir>
#include <QToolButton>
#include <QUrl>

void TFrm_Main::sb_backClick()
{
    if (!PreviousPanel)
        return;
    if (PreviousPanel == pal_Recommend) {
        CurrentPanel = pal_Recommend;
        PreviousPanel = pal_Main;
        bringToFront(pal_Recommend);
    } else if (PreviousPanel == pal_Main) {
        bringToFront(pal_Main);
    }
}

void TFrm_Main::sb_refreshClick()
{
    ListItems(QStringLiteral("最近更新"), browse::RecentListClass, browse::FirstPage);
}

void TFrm_Main::sb_setClick()
{
    // The home's help file goes to the desktop when a program there opens it;
    // otherwise the program's own help page opens in the browser window.
    const QString chm = QDir::current().absoluteFilePath(QStringLiteral("zanto.chm"));
    if (app::desktopHasProgramFor(chm) && desktopOpener(QUrl::fromLocalFile(chm)))
        return;
    const QString page = app::helpPage();
    if (page.isEmpty())
        m_prompter.inform(QStringLiteral("提示"), QStringLiteral("没有找到帮助文件。"));
    else if (m_browser)
        m_browser->ShowOwnPage(page);
}

void TFrm_Main::sb_aboutClick()
{
    showPanel(pal_About);
}

void TFrm_Main::sb_exitClick()
{
    close();
}

void TFrm_Main::sbt_c1Click()
{
    auto *button = qobject_cast<QToolButton *>(sender());
    if (button)
        ListItems(button->text(), button->property("Tag").toInt(), browse::FirstPage);
}

void TFrm_Main::sbt_c6Click()
{
    ListItems(QStringLiteral("最新排行"), browse::RankingListClass, browse::FirstPage);
}

void TFrm_Main::sbt_c5Click()
{
    showPanel(pal_Club);
}
