// From the item list to files on disk: the demo site, our download manager
// with a real aria2c, and the main window's page command.
#include "DdeDir.h"
#include "ScriptedPrompter.h"
#include "Wait.h"

#include "DemoSite.h"
#include "app/MainWindow.h"
#include "browse/Paging.h"
#include "catalogue/DemoCatalogue.h"
#include "download/DownloadMenu.h"
#include "handoff/Framing.h"
#include "handoff/ItemText.h"
#include "platform/Conversation.h"
#include "store/DataModule.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeView>

#include <gtest/gtest.h>

namespace dde = platform::dde;

TEST(EndToEnd, ThePageCommandBringsTheFilesIntoLocal)
{
    DdeDir dir;
    QTemporaryDir home;
    DemoSite site(home.path(), home.path());
    ASSERT_TRUE(site.listen());
    catalogue::DemoOptions options;
    options.items = 120;
    options.site = site.baseUrl();
    catalogue::writeDemoCatalogue(home.path(), options);

    QProcess manager;
    manager.start(QStringLiteral(FLASHBAR_DM));
    ASSERT_TRUE(dde::waitForService(QStringLiteral("FlashGet"), 15000));

    // The manager checks for itself: no other address, no other place.
    const QString local = home.path() + QStringLiteral("/local/c");
    EXPECT_EQ(dde::request(QStringLiteral("NetAnts"), handoff::kOpenUrlTopic,
                           handoff::itemText(QStringLiteral("file:///etc/passwd"), local + QStringLiteral("/p.swf")))
                  .outcome,
              dde::Reply::NoData);
    EXPECT_EQ(dde::request(QStringLiteral("FlashGet"), handoff::kOpenUrlTopic,
                           handoff::itemText(site.baseUrl() + QStringLiteral("files/c/p.swf"),
                                             home.path() + QStringLiteral("/local/../../tmp")))
                  .outcome,
              dde::Reply::NoData);
    // A second start finds the first serving and ends.
    QProcess second;
    second.start(QStringLiteral(FLASHBAR_DM));
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(dde::serviceAnswers(QStringLiteral("FlashGet")));

    const QString previous = QDir::currentPath();
    QDir::setCurrent(home.path());
    ScriptedPrompter prompter;
    TDM_CDS dm;
    TFrm_Main window(prompter, site.baseUrl());
    window.setDataModule(&dm);
    window.ProgramDir = home.path();
    window.show();
    window.ListItems(QStringLiteral("MTV 精选"), 1, browse::FirstPage);
    const QList<browse::ItemRow> rows = window.pal_files->filesModel->rows();
    ASSERT_EQ(rows.size(), 10);
    prompter.asked.clear();

    window.pal_files->PopupListView = window.pal_files->lv_Files;
    window.pal_files->mni_downall_flashget->trigger();
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked[0].text, QStringLiteral("文件成功添加到网际快车的下载列表中。"));
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_GE(window.pal_files->filesModel->row(i).imageIndex, 1);

    // The files arrive; the next load finds every one as a local copy.
    const auto allThere = [&] {
        for (const browse::ItemRow &row : rows) {
            if (!QFileInfo(home.path() + row.localLocation).isFile())
                return false;
        }
        return true;
    };
    EXPECT_TRUE(waitFor(allThere, 60000));
    window.ListItems(QStringLiteral("MTV 精选"), 1, browse::FirstPage);
    for (int i = 0; i < window.pal_files->filesModel->rowCount(); ++i)
        EXPECT_EQ(window.pal_files->filesModel->row(i).imageIndex, 2)
            << window.pal_files->filesModel->row(i).fileName.toStdString();
    QFile swf(home.path() + rows.at(0).localLocation);
    ASSERT_TRUE(swf.open(QIODevice::ReadOnly));
    const QByteArray signature = swf.read(3);
    EXPECT_TRUE(signature == "FWS" || signature == "CWS") << signature.toStdString();

    window.hide();
    QDir::setCurrent(previous);
    manager.terminate();
    manager.waitForFinished(5000);
}
