// The main window's header commands, class buttons, the back rule and the
// About panel.
#include "app/MainWindow.h"

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

void TFrm_Main::buildAboutPanel()
{
    const auto text = [this](const QString &content, int top, const char *name = nullptr) {
        auto *label = new QLabel(content, pal_About);
        if (name)
            label->setObjectName(QLatin1String(name));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setGeometry(8, top, 222, 40);
        return label;
    };
    const auto link = [this](const char *name, const QString &content, const QString &address, int top) {
        auto *label = new LinkLabel(pal_About);
        label->setObjectName(QLatin1String(name));
        label->setText(content);
        label->setHint(address);
        label->adjustSize();
        label->resize(label->width(), label->height() + 3);
        label->move((pal_About->width() - label->width()) / 2, top);
        connect(label, &LinkLabel::clicked, this, [this, label, address] { openWithDesktop(address, label); });
        return label;
    };
    QLabel *product = text(QStringLiteral("Kelvo在线 - Flash吧"), 30, "lab_Product");
    QFont big = product->font();
    big.setPixelSize(16);
    big.setBold(true);
    product->setFont(big);
    text(QStringLiteral("版本 2.01"), 54)->setFixedHeight(16);
    text(QStringLiteral("本程序为 Kelvo在线 Flash 动画目录的桌面客户端：浏览、播放、下载与收藏网站上的动画作品。"), 74)
        ->setFixedHeight(44);
    text(QStringLiteral("程序与界面设计：Kelvo在线开发组"), 122)->setFixedHeight(16);
    Label2 = link("Label2", m_site, m_site, 142);
    Label3 =
        link("Label3", QStringLiteral("support@kelvo.example"), QStringLiteral("mailto:support@kelvo.example"), 162);
    text(QStringLiteral("美术设计："), 184)->setFixedHeight(16);
    Label5 = link("Label5", QStringLiteral("蓝鲸设计工作室"), QStringLiteral("http://design.kelvo.example/"), 202);
    text(QStringLiteral("动画作品版权归原作者所有，仅供个人欣赏。"), 228)->setFixedHeight(34);
}
