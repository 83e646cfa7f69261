// Opening, saving and deleting items from the list.
#include "ScriptedPrompter.h"
#include "TempCatalogue.h"
#include "Wait.h"

#include "app/MainWindow.h"
#include "browse/ListQuery.h"
#include "browse/OpenItem.h"
#include "browser/BrowserWindow.h"
#include "browser/PlayerServer.h"
#include "browser/WebView.h"
#include "store/DataModule.h"
#include "ui/skin/ListPointer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

class OpenItem : public ::testing::Test
{
protected:
    OpenItem()
        : dm(catalogue.path()), player(browser::PlayerServer::locateRuffle()), browserWindow(player, prompter),
          window(prompter, QStringLiteral("http://127.0.0.1:9/"))
    {
        catalogue.addClass(3, QStringLiteral("游戏世界"));
        catalogue.addColumn(31, 3, QStringLiteral("益智游戏"));
        for (int i = 1; i <= 5; ++i)
            catalogue.addItem(3100 + i, 31, QStringLiteral("拼图%1").arg(i),
                              QStringLiteral("2003-01-0%1 10:00:00").arg(i), i, i == 4);
        // Every change of a viewed mark is logged, to count the writes.
        catalogue.exec(QStringLiteral("CREATE TABLE viewed_log (FileID INTEGER)"));
        catalogue.exec(QStringLiteral("CREATE TRIGGER log_viewed AFTER UPDATE OF HasViewed ON tb_Files BEGIN"
                                      " INSERT INTO viewed_log VALUES (NEW.FileID); END"));
        writeLocalCopy(QStringLiteral("f3105.swf"), "FWS-copy");
        prompter.asked.clear(); // the home has no skin; the frame said so
        window.setDataModule(&dm);
        window.setBrowser(&browserWindow);
        window.ProgramDir = catalogue.home();
        browserWindow.setProgramDir(catalogue.home());
        previousDir = QDir::currentPath();
        QDir::setCurrent(catalogue.home());
        window.show();
        window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
    }
    ~OpenItem() override
    {
        browserWindow.hide();
        window.hide();
        QDir::setCurrent(previousDir);
    }

    void writeLocalCopy(const QString &file, const QByteArray &content)
    {
        QDir(catalogue.home()).mkpath(QStringLiteral("local/益智游戏"));
        QFile f(QDir(catalogue.home()).filePath(QStringLiteral("local/益智游戏/") + file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    int rowOf(const QString &fileId)
    {
        for (int i = 0; i < window.pal_files->filesModel->rowCount(); ++i) {
            if (window.pal_files->filesModel->row(i).fileId == fileId)
                return i;
        }
        return -1;
    }
    QPoint centreOf(int row)
    {
        return window.pal_files->lv_Files->visualRect(window.pal_files->filesModel->index(row, 0)).center();
    }
    // A double click as a mouse makes it: a click, then the second press.
    void doubleClick(const QPoint &at)
    {
        QTest::mouseClick(window.pal_files->lv_Files->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(window.pal_files->lv_Files->viewport(), Qt::LeftButton, {}, at);
    }
    int viewedWrites() { return catalogue.scalar(QStringLiteral("SELECT count(*) FROM viewed_log")).toInt(); }
    void rightClick(int row)
    {
        window.pal_files->lv_Files->setCurrentIndex(window.pal_files->filesModel->index(row, 0));
        window.listPointer->ListMousePos = centreOf(row);
        window.pal_files->lv_FilesContextPopup(centreOf(row));
        window.pal_files->pm_Files->hide();
    }

    TempCatalogue catalogue;
    TDM_CDS dm;
    ScriptedPrompter prompter;
    browser::PlayerServer player;
    TFrm_Browser browserWindow;
    TFrm_Main window;
    QString previousDir;
};

TEST_F(OpenItem, ADoubleClickOpensTheLocalCopyAndMarksTheItemViewed)
{
    const int row = rowOf(QStringLiteral("3105"));
    ASSERT_GE(row, 0);
    EXPECT_EQ(window.pal_files->filesModel->row(row).localCopy, QStringLiteral("true"));
    doubleClick(centreOf(row));
    EXPECT_TRUE(browserWindow.isVisible());
    EXPECT_EQ(browserWindow.CurrentFileID, 3105);
    EXPECT_EQ(browserWindow.CurrentItemName, QStringLiteral("拼图5"));
    // The local copy plays from the program's own player page.
    ASSERT_TRUE(waitFor([&] { return browserWindow.WebBrowser1->url().isValid(); }));
    EXPECT_EQ(browserWindow.WebBrowser1->url().host(), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(browserWindow.WebBrowser1->url().path().contains(QStringLiteral("/play/")));
    EXPECT_EQ(window.pal_files->filesModel->row(row).viewed, QStringLiteral("true"));
    EXPECT_EQ(viewedWrites(), 1);
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT HasViewed FROM tb_Files WHERE FileID = 3105")).toInt(), 1);
}

TEST_F(OpenItem, AnItemWithoutACopyOpensTheSitesPageAndIsWrittenOnce)
{
    const int row = rowOf(QStringLiteral("3103"));
    doubleClick(centreOf(row));
    ASSERT_TRUE(waitFor([&] { return browserWindow.WebBrowser1->url().isValid(); }));
    EXPECT_EQ(browserWindow.WebBrowser1->url(),
              QUrl(QStringLiteral("http://127.0.0.1:9/flash/openflash.asp?fileid=3103")));
    EXPECT_EQ(viewedWrites(), 1);
    doubleClick(centreOf(row));
    EXPECT_EQ(viewedWrites(), 1) << "an item already viewed is not written again";

    const int viewed = rowOf(QStringLiteral("3104"));
    doubleClick(centreOf(viewed));
    EXPECT_EQ(browserWindow.CurrentFileID, 3104);
    EXPECT_EQ(viewedWrites(), 1);
}

TEST_F(OpenItem, ADoubleClickBelowTheRowsDoesNothing)
{
    doubleClick(QPoint(30, window.pal_files->lv_Files->viewport()->height() - 3));
    EXPECT_FALSE(browserWindow.isVisible());
    EXPECT_EQ(viewedWrites(), 0);
}

TEST_F(OpenItem, OpenFromTheMenuActsOnTheRightClickedItem)
{
    const int row = rowOf(QStringLiteral("3102"));
    rightClick(row);
    window.pal_files->mni_onlineview->trigger();
    EXPECT_EQ(browserWindow.CurrentFileID, 3102);
    // A pointer that has moved to another row since stops it.
    rightClick(rowOf(QStringLiteral("3101")));
    window.listPointer->ListMousePos = centreOf(rowOf(QStringLiteral("3103")));
    window.pal_files->mni_onlineview->trigger();
    EXPECT_EQ(browserWindow.CurrentFileID, 3102);
}

TEST_F(OpenItem, SavingALocalCopy)
{
    QTemporaryDir elsewhere;
    const QString target = QDir(elsewhere.path()).filePath(QStringLiteral("saved.swf"));
    QString suggested;
    window.pal_files->saveFileChooser = [&](const QString &name) {
        suggested = name;
        QDir::setCurrent(elsewhere.path()); // as a file dialog may
        return target;
    };
    rightClick(rowOf(QStringLiteral("3105")));
    window.pal_files->mni_saveas->trigger();
    EXPECT_EQ(suggested, QStringLiteral("f3105.swf"));
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked.last().title, QStringLiteral("提示"));
    EXPECT_EQ(prompter.asked.last().text, QStringLiteral("保存成功！"));
    EXPECT_EQ(prompter.asked.last().icon, platform::Prompter::Icon::Information);
    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("FWS-copy"));
    EXPECT_EQ(QDir::currentPath(), QDir(catalogue.home()).canonicalPath()) << "the current directory comes back";

    // Saving again over the same file replaces it.
    writeLocalCopy(QStringLiteral("f3105.swf"), "FWS-newer");
    window.pal_files->mni_saveas->trigger();
    saved.close();
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("FWS-newer"));
}

TEST_F(OpenItem, SaveResultsWithoutACopyCancelledAndFailing)
{
    bool asked = false;
    window.pal_files->saveFileChooser = [&](const QString &) {
        asked = true;
        return QString();
    };
    rightClick(rowOf(QStringLiteral("3101")));
    window.pal_files->mni_saveas->trigger();
    EXPECT_FALSE(asked) << "no dialog without a local copy";
    EXPECT_EQ(prompter.asked.last().text, QStringLiteral("没找到本地文件，请先将该条目下载到本地！"));

    prompter.asked.clear();
    rightClick(rowOf(QStringLiteral("3105")));
    window.pal_files->mni_saveas->trigger();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(prompter.asked.isEmpty()) << "a cancel says nothing";

    window.pal_files->saveFileChooser = [&](const QString &) { return QStringLiteral("/nonexistent-dir/x/saved.swf"); };
    window.pal_files->mni_saveas->trigger();
    EXPECT_EQ(prompter.asked.last().text, QStringLiteral("保存失败！"));
    EXPECT_EQ(prompter.asked.last().icon, platform::Prompter::Icon::Error);
    // Onto a folder's name: the copy cannot take its place, and none is left beside it.
    const QString folder = QDir(catalogue.home()).filePath(QStringLiteral("a-folder"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/inside")));
    EXPECT_EQ(
        browse::SaveLocalCopyAs(dm, catalogue.home(), QStringLiteral("3105"), [&](const QString &) { return folder; }),
        browse::CopyFailed);
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/inside")).isDir());
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral(".part")));

    EXPECT_EQ(
        browse::SaveLocalCopyAs(dm, catalogue.home(), QStringLiteral("999999"), window.pal_files->saveFileChooser),
        browse::NoSuchItem);
    EXPECT_EQ(browse::saveResultText(browse::NoSuchItem), QStringLiteral("内部错误，不能另存该条目！"));
    EXPECT_FALSE(dm.aq_all.active());
}

TEST_F(OpenItem, SavingOntoTheLocalCopyItselfKeepsIt)
{
    const QString source = QDir(catalogue.home()).filePath(QStringLiteral("local/益智游戏/f3105.swf"));
    window.pal_files->saveFileChooser = [&](const QString &) { return source; };
    rightClick(rowOf(QStringLiteral("3105")));
    window.pal_files->mni_saveas->trigger();
    EXPECT_EQ(prompter.asked.last().text, QStringLiteral("保存成功！"));
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("FWS-copy"));
}

TEST_F(OpenItem, NamesThatLeaveLocalReachNoFile)
{
    // Files outside local/ that hostile column and file names point at.
    const QDir home(catalogue.home());
    home.mkpath(QStringLiteral("outside"));
    for (const QString &path : {QStringLiteral("outside/evil.swf"), QStringLiteral("evil.swf")}) {
        QFile f(home.filePath(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("FWS-outside");
    }
    catalogue.addColumn(32, 3, QStringLiteral("../outside"));
    catalogue.addColumn(33, 3, QStringLiteral(".."));
    catalogue.addItem(3201, 32, QStringLiteral("外面1"), QStringLiteral("2003-01-06 10:00:00"));
    catalogue.addItem(3301, 33, QStringLiteral("外面2"), QStringLiteral("2003-01-07 10:00:00"));
    catalogue.addItem(3106, 31, QStringLiteral("外面3"), QStringLiteral("2003-01-08 10:00:00"));
    catalogue.exec(QStringLiteral("UPDATE tb_Files SET Filename = 'evil.swf' WHERE FileID IN (3201, 3301)"));
    catalogue.exec(QStringLiteral("UPDATE tb_Files SET Filename = '../../evil.swf' WHERE FileID = 3106"));
    window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);

    bool chooserAsked = false;
    window.pal_files->saveFileChooser = [&](const QString &) {
        chooserAsked = true;
        return QDir(catalogue.home()).filePath(QStringLiteral("stolen.swf"));
    };
    for (const QString &id : {QStringLiteral("3201"), QStringLiteral("3301"), QStringLiteral("3106")}) {
        const int row = rowOf(id);
        ASSERT_GE(row, 0) << id.toStdString();
        EXPECT_EQ(window.pal_files->filesModel->row(row).localCopy, QStringLiteral("false")) << id.toStdString();
        EXPECT_EQ(window.pal_files->filesModel->row(row).imageIndex, 0);
        doubleClick(centreOf(row));
        EXPECT_EQ(browserWindow.CurrentFileID, id.toInt());
        ASSERT_TRUE(waitFor([&] {
            return browserWindow.WebBrowser1->url() ==
                   QUrl(QStringLiteral("http://127.0.0.1:9/flash/openflash.asp?fileid=") + id);
        })) << "opens the site's page, not the file: "
            << browserWindow.WebBrowser1->url().toString().toStdString();
        rightClick(row);
        window.pal_files->mni_saveas->trigger();
        EXPECT_EQ(prompter.asked.last().text, QStringLiteral("没找到本地文件，请先将该条目下载到本地！"));
    }
    EXPECT_FALSE(chooserAsked);
    EXPECT_FALSE(QFile::exists(QDir(catalogue.home()).filePath(QStringLiteral("stolen.swf"))));
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_Files WHERE HasDownloaded")).toInt(), 1)
        << "only the real local copy is marked downloaded";
}

TEST_F(OpenItem, DeletingAsksFirst)
{
    const int rows = window.pal_files->filesModel->rowCount();
    rightClick(rowOf(QStringLiteral("3102")));
    prompter.answers = {platform::Prompter::Answer::No};
    window.pal_files->mni_deleteFile->trigger();
    EXPECT_EQ(prompter.asked.last().text, QStringLiteral("您确定要删除该文件吗？"));
    EXPECT_EQ(prompter.asked.last().buttons, platform::Prompter::Buttons::YesNo);
    EXPECT_EQ(window.pal_files->filesModel->rowCount(), rows);
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT Deleted FROM tb_Files WHERE FileID = 3102")).toInt(), 0);

    rightClick(rowOf(QStringLiteral("3105")));
    prompter.answers = {platform::Prompter::Answer::Yes};
    window.pal_files->mni_deleteFile->trigger();
    EXPECT_EQ(window.pal_files->filesModel->rowCount(), rows - 1);
    EXPECT_EQ(rowOf(QStringLiteral("3105")), -1);
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT Deleted FROM tb_Files WHERE FileID = 3105")).toInt(), 1);
    EXPECT_TRUE(QFile::exists(QDir(catalogue.home()).filePath(QStringLiteral("local/益智游戏/f3105.swf"))))
        << "the local copy stays";
    window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
    EXPECT_EQ(window.pal_files->filesModel->rowCount(), rows - 1);
}

} // namespace
