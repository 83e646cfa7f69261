// The item list's download commands on a real list and catalogue against a
// manager served in the test: which item goes, which rows are marked when
// the list changes meanwhile, the busy pointer, and which manager starts.
#include "DdeDir.h"
#include "ScriptedPrompter.h"
#include "TempCatalogue.h"

#include "browse/ItemListModel.h"
#include "browse/ListLoader.h"
#include "browse/Paging.h"
#include "download/DownloadMenu.h"
#include "handoff/Framing.h"
#include "store/DataModule.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace dde = platform::dde;

TEST(DownloadMenu, CommandsTakeTheFocusedItemOrThePageAndMarkOnlyRowsStillShown)
{
    DdeDir dir;
    TempCatalogue catalogue;
    catalogue.addClass(3, QStringLiteral("游戏世界"));
    catalogue.addColumn(31, 3, QStringLiteral("动画"));
    for (int i = 1; i <= 4; ++i)
        catalogue.addItem(3100 + i, 31, QStringLiteral("动画%1").arg(i), QStringLiteral("2003-01-0%1").arg(i));
    TDM_CDS dm(catalogue.path());
    browse::ListState state;
    const QList<browse::ItemRow> rows =
        browse::ListItems(dm, state, catalogue.home(), QStringLiteral("游戏世界"), 3, browse::FirstPage).rows;
    ASSERT_EQ(rows.size(), 4);
    browse::ItemListModel model;
    model.setRows(rows);
    QTreeView list;
    list.setModel(&model);
    const auto icons = [&] {
        QList<int> all;
        for (const browse::ItemRow &row : model.rows())
            all << row.imageIndex;
        return all;
    };

    ScriptedPrompter prompter;
    download::HandOffSettings settings;
    settings.requestTimeoutMs = 2000;
    settings.startWaitMs = 1500;
    bool withCatalogue = true;
    QTreeView *shown = &list;
    download::DownloadMenu menu(prompter, settings, [&] {
        return download::DownloadMenu::Target{withCatalogue ? &dm : nullptr, shown, catalogue.home()};
    });
    QAction item, flashgetItem, page, flashgetPage, startNetAnts, startFlashGet;
    menu.bind(&item, &flashgetItem, &page, &flashgetPage, &startNetAnts, &startFlashGet);

    QStringList received;
    QList<bool> busy;
    std::function<void()> meanwhile;
    dde::Server netants(QStringLiteral("NetAnts"), [&](const QString &topic, const QString &text) {
        received << topic + u' ' + text;
        const QCursor *cursor = QGuiApplication::overrideCursor();
        busy << (cursor && cursor->shape() == Qt::WaitCursor);
        if (meanwhile)
            std::exchange(meanwhile, {})();
        return std::optional<QString>(QStringLiteral("1"));
    });
    QString error;
    ASSERT_TRUE(netants.listen(&error)) << error.toStdString();

    // No focused item, no catalogue, no list: nothing goes.
    item.trigger();
    list.setCurrentIndex(model.index(1, 0));
    withCatalogue = false;
    item.trigger();
    page.trigger();
    withCatalogue = true;
    shown = nullptr;
    item.trigger();
    page.trigger();
    shown = &list;
    EXPECT_TRUE(received.isEmpty());
    EXPECT_TRUE(prompter.asked.isEmpty());

    // The focused item goes, with the pointer busy meanwhile, and is marked.
    item.trigger();
    ASSERT_EQ(received.size(), 1);
    EXPECT_TRUE(received[0].contains(rows.at(1).url));
    EXPECT_EQ(busy, QList<bool>{true});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(icons(), (QList<int>{0, 1, 0, 0}));
    ASSERT_EQ(prompter.asked.size(), 1);

    // The page, while the list is loaded again with its rows shifted after
    // the first item: every item goes, only the row still showing the first
    // item is marked.
    const QList<browse::ItemRow> shifted{rows.at(0), rows.at(3)};
    meanwhile = [&] { model.setRows(shifted); };
    received.clear();
    page.trigger();
    ASSERT_EQ(received.size(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(received[i].contains(rows.at(i).url)) << received[i].toStdString();
    EXPECT_EQ(icons(), (QList<int>{1, 0}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Starting a running manager asks it to come forward.
    received.clear();
    startNetAnts.trigger();
    EXPECT_EQ(received, QStringList{handoff::kAutomationTopic + u' ' + handoff::kStartItem});

    // None running: the one in the program's home is started; this one
    // never serves, and the caller hears so.
    const QString marker = QDir(catalogue.home()).filePath(QStringLiteral("started"));
    QFile script(QDir(catalogue.home()).filePath(QStringLiteral("FlashGet")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    script.close();
    EXPECT_THROW(menu.mni_loadFlashgetClick(), platform::AutomationError);
    EXPECT_TRUE(QFile::exists(marker));
    // A hand-off to it starts it too, and then asks whether to start it.
    QFile::remove(marker);
    prompter.asked.clear();
    list.setCurrentIndex(model.index(1, 0));
    flashgetItem.trigger();
    EXPECT_TRUE(QFile::exists(marker));
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked[0].buttons, platform::Prompter::Buttons::YesNo);
    EXPECT_EQ(icons(), (QList<int>{1, 0}));
    EXPECT_EQ(menu.settings().programs.homeDir, catalogue.home());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
