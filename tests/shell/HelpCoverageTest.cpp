// The help page against the program: every window's caption, every panel's
// title and every command's caption (buttons, check boxes, menu entries,
// the panels' icon commands) that the program shows is told in the help.
#include "DemoHome.h"
#include "ScriptedPrompter.h"

#include "app/Program.h"
#include "dm/Aria2.h"
#include "dm/Downloads.h"
#include "dm/ManagerWindow.h"
#include "ui/skin/TitledPanel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QRegularExpression>
#include <QSet>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

// A caption as the help writes it: without its mnemonic ("登陆(&O)",
// "下载->网际快车[&F]", "推荐给好友(T)", "取消&C)") and a closing colon.
QString plain(QString caption)
{
    static const QRegularExpression mnemonic(QStringLiteral("(?:[(\\[]&?|&)[A-Za-z][)\\]]$"));
    caption.remove(mnemonic);
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(u'&');
    caption.replace(u'\x01', u'&');
    while (caption.endsWith(u'：') || caption.endsWith(u':') || caption.endsWith(u'.'))
        caption.chop(1);
    return caption.trimmed();
}

// The captions of a window and everything in it.
void collect(QWidget *window, QSet<QString> *captions)
{
    captions->insert(window->windowTitle());
    for (auto *panel : window->findChildren<skin::TitledPanel *>())
        captions->insert(panel->titleLabel()->text());
    for (auto *button : window->findChildren<QAbstractButton *>())
        captions->insert(button->text());
    for (auto *menu : window->findChildren<QMenu *>()) {
        for (QAction *action : menu->actions())
            captions->insert(action->isSeparator() ? QString() : action->text());
    }
    for (auto *list : window->findChildren<QListWidget *>()) {
        for (int i = 0; i < list->count(); ++i)
            captions->insert(list->item(i)->text());
    }
    for (auto *tree : window->findChildren<QTreeView *>()) {
        const QAbstractItemModel *model = tree->model();
        for (int c = 0; model && c < model->columnCount(); ++c)
            captions->insert(model->headerData(c, Qt::Horizontal).toString());
    }
}

QString helpText()
{
    QFile file(QStringLiteral(HELP_PAGE));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << HELP_PAGE;
    QString text = QString::fromUtf8(file.readAll());
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

TEST(Help, TellsEveryWindowPanelAndCommandOfTheProgram)
{
    CurrentDir here(sharedDemoHome());
    ScriptedPrompter prompter;
    QSet<QString> captions;
    {
        Program program(prompter, QStringLiteral("http://127.0.0.1:9/"));
        for (QWidget *window : QApplication::topLevelWidgets())
            collect(window, &captions);
        dm::Aria2 aria2;
        dm::Downloads downloads(aria2);
        dm::ManagerWindow manager(downloads);
        collect(&manager, &captions);
    }
    const QString help = helpText();
    QSet<QString> shown;
    for (const QString &caption : std::as_const(captions)) {
        if (!plain(caption).isEmpty() && !caption.contains(u'\n'))
            shown.insert(plain(caption));
    }
    // The walk found every window, the login dialog's and the card dialog's commands.
    for (const char *window :
         {"KelvoFlash吧 2.01", "Zanto用户登陆", "离线登陆", "保存口令", "注册", "发送", "预览", "Flash 搜索器",
          "KelvoFlash吧 下载管理", "Zanto浏览器", "订阅", "特别推荐", "Zanto社区-列表", "全选", "启动网络蚂蚁"})
        EXPECT_TRUE(shown.contains(QString::fromUtf8(window))) << window;
    QStringList missing;
    for (const QString &caption : std::as_const(shown)) {
        if (!help.contains(caption))
            missing << caption;
    }
    missing.sort();
    EXPECT_TRUE(missing.isEmpty()) << "not in the help: " << missing.join(QStringLiteral(" | ")).toStdString();
}

} // namespace
