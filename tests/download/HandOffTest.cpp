// The hand-off commands on a real catalogue against managers served in the
// test: which rows go, what they are marked, what the user is told; and
// starting a manager, ours or the user's own.
#include "DdeDir.h"
#include "ScriptedPrompter.h"
#include "TempCatalogue.h"

#include "browse/ListLoader.h"
#include "browse/Paging.h"
#include "download/HandOff.h"
#include "store/DataModule.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <map>

namespace dde = platform::dde;
using handoff::Manager;
using P = platform::Prompter;

namespace {

const QString kColumn = QStringLiteral("动画,精选");

class HandOff : public ::testing::Test
{
protected:
    HandOff() : dm(catalogue.path()), commands(prompter, settings())
    {
        catalogue.addClass(3, QStringLiteral("游戏世界"));
        catalogue.addColumn(31, 3, kColumn);
        for (int i = 1; i <= 5; ++i)
            catalogue.addItem(3100 + i, 31, QStringLiteral("动画%1").arg(i), QStringLiteral("2003-01-0%1").arg(i), i,
                              false, i == 3);
        // Addresses with commas in their query.
        catalogue.exec(QStringLiteral("UPDATE tb_Files SET URL = URL || '?from=list,page'"));
        QDir(catalogue.home()).mkpath(QStringLiteral("local/") + kColumn);
        QFile copy(QDir(catalogue.home()).filePath(QStringLiteral("local/%1/f3102.swf").arg(kColumn)));
        EXPECT_TRUE(copy.open(QIODevice::WriteOnly));
    }

    download::HandOffSettings settings() const
    {
        download::HandOffSettings s;
        s.programs.homeDir = catalogue.home();
        s.requestTimeoutMs = 2000;
        s.startWaitMs = 8000;
        return s;
    }

    QList<browse::ItemRow> page()
    {
        browse::ListState state;
        return browse::ListItems(dm, state, catalogue.home(), QStringLiteral("游戏世界"), 3, browse::FirstPage).rows;
    }
    bool downloaded(int id)
    {
        return catalogue.scalar(QStringLiteral("SELECT HasDownloaded FROM tb_Files WHERE FileID=%1").arg(id)).toBool();
    }
    // The index of an item's row on the page.
    static qsizetype at(const QList<browse::ItemRow> &rows, int id)
    {
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (rows.at(i).fileId == QString::number(id))
                return i;
        }
        return -1;
    }
    QString target(const QString &file = {}) const
    {
        return catalogue.home() + QStringLiteral("/local/") + kColumn + (file.isEmpty() ? QString() : u'/' + file);
    }

    DdeDir dir;
    TempCatalogue catalogue;
    TDM_CDS dm;
    ScriptedPrompter prompter;
    download::HandOffCommands commands;
    std::map<qsizetype, int> icons;
    download::HandOffCommands::SetIcon setIcon = [this](qsizetype row, int icon) { icons[row] = icon; };
};

} // namespace

TEST_F(HandOff, PageGoesRowByRowSkippingLocalCopiesAndRefusals)
{
    // f3105's name would leave local/: it is refused before anything is sent.
    catalogue.exec(QStringLiteral("UPDATE tb_Files SET Filename='../../evil.swf' WHERE FileID=3105"));
    QStringList received;
    dde::Server flashget(QStringLiteral("FlashGet"), [&](const QString &topic, const QString &item) {
        received << item;
        EXPECT_EQ(topic, QStringLiteral("WWW_OPENURL"));
        return item.contains(QStringLiteral("f3104")) ? std::nullopt : std::optional<QString>(QStringLiteral("1"));
    });
    QString error;
    ASSERT_TRUE(flashget.listen(&error)) << error.toStdString();

    const QList<browse::ItemRow> rows = page();
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows.at(at(rows, 3102)).imageIndex, 2);
    EXPECT_EQ(rows.at(at(rows, 3103)).imageIndex, 1);
    commands.handOffPage(dm, Manager::FlashGet, catalogue.home(), rows, setIcon);

    // Icon 2 is not handed off, icon 1 is handed again; FlashGet gets the
    // folder. The rows go in their order.
    QStringList expected;
    for (const browse::ItemRow &row : rows) {
        if (row.fileId != u"3102" && row.fileId != u"3105")
            expected << row.url + u',' + target();
    }
    EXPECT_EQ(received, expected);
    EXPECT_EQ(icons, (std::map<qsizetype, int>{{at(rows, 3101), 1}, {at(rows, 3103), 1}}));
    EXPECT_TRUE(downloaded(3101));
    EXPECT_FALSE(downloaded(3104));
    EXPECT_FALSE(downloaded(3105));
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked[0].title, QStringLiteral("信息"));
    EXPECT_EQ(prompter.asked[0].text, QStringLiteral("文件成功添加到网际快车的下载列表中。"));
    EXPECT_EQ(prompter.asked[0].icon, P::Icon::Information);
    EXPECT_EQ(prompter.asked[0].buttons, P::Buttons::Ok);
    // The next load shows the mark.
    EXPECT_EQ(page().at(at(rows, 3101)).imageIndex, 1);

    // A page of local copies sends nothing and still reports success.
    received.clear();
    prompter.asked.clear();
    QList<browse::ItemRow> copies = rows;
    for (browse::ItemRow &r : copies)
        r.imageIndex = 2;
    commands.handOffPage(dm, Manager::FlashGet, catalogue.home(), copies, setIcon);
    EXPECT_TRUE(received.isEmpty());
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked[0].text, QStringLiteral("文件成功添加到网际快车的下载列表中。"));
}

TEST_F(HandOff, PageStopsAtTheFirstManagerThatCannotBeReached)
{
    QStringList received;
    dde::Server *server = nullptr;
    server = new dde::Server(QStringLiteral("NetAnts"), [&](const QString &, const QString &item) {
        received << item;
        server->close(); // the manager goes away after the first item
        return std::optional<QString>(QStringLiteral("1"));
    });
    QString error;
    ASSERT_TRUE(server->listen(&error));
    prompter.answers = {P::Answer::No};

    const QList<browse::ItemRow> rows = page();
    commands.handOffPage(dm, Manager::NetAnts, catalogue.home(), rows, setIcon);
    delete server;

    // NetAnts gets the file's full path.
    EXPECT_EQ(received, QStringList{rows.at(0).url + u',' + target(rows.at(0).fileName)});
    EXPECT_EQ(icons, (std::map<qsizetype, int>{{0, 1}}));
    EXPECT_TRUE(downloaded(rows.at(0).fileId.toInt()));
    EXPECT_FALSE(downloaded(rows.at(1).fileId.toInt()));
    // The question, and nothing after it.
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked[0].title, QStringLiteral("信息"));
    EXPECT_EQ(prompter.asked[0].text, QStringLiteral("添加失败，您需要先启动网络蚂蚁，现在就启动吗？"));
    EXPECT_EQ(prompter.asked[0].icon, P::Icon::None);
    EXPECT_EQ(prompter.asked[0].buttons, P::Buttons::YesNo);
}

TEST_F(HandOff, SingleItemIconsAndMessages)
{
    QStringList received;
    dde::Server netants(QStringLiteral("NetAnts"), [&](const QString &, const QString &item) {
        received << item;
        return item.contains(QStringLiteral("f3104")) ? std::nullopt : std::optional<QString>(QStringLiteral("1"));
    });
    QString error;
    ASSERT_TRUE(netants.listen(&error));
    const QList<browse::ItemRow> rows = page();
    const QString accepted = QStringLiteral("文件成功添加到网络蚂蚁的下载列表中。");
    const QString failed = QStringLiteral("添加失败，请您与我们联系，相信您会得到满意的答复！");

    const auto item = [&](int id) { return rows.at(at(rows, id)); };
    // Icon 0 becomes 1; icon 2 stays.
    commands.handOffItem(dm, Manager::NetAnts, catalogue.home(), item(3101), setIcon);
    commands.handOffItem(dm, Manager::NetAnts, catalogue.home(), item(3102), setIcon);
    EXPECT_EQ(icons, (std::map<qsizetype, int>{{0, 1}}));
    EXPECT_TRUE(downloaded(3101));
    // An item missing from the catalogue still counts as accepted.
    browse::ItemRow gone = item(3105);
    gone.fileId = QStringLiteral("99999");
    commands.handOffItem(dm, Manager::NetAnts, catalogue.home(), gone, setIcon);
    // A refusal, and an item whose column name would leave local/.
    commands.handOffItem(dm, Manager::NetAnts, catalogue.home(), item(3104), setIcon);
    browse::ItemRow hostile = item(3105);
    hostile.columnName = QStringLiteral("..");
    commands.handOffItem(dm, Manager::NetAnts, catalogue.home(), hostile, setIcon);
    EXPECT_FALSE(downloaded(3104));
    EXPECT_FALSE(downloaded(3105));
    EXPECT_EQ(received.size(), 4);

    ASSERT_EQ(prompter.asked.size(), 5);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(prompter.asked[i].title, QStringLiteral("信息"));
        EXPECT_EQ(prompter.asked[i].text, accepted);
    }
    for (int i = 3; i < 5; ++i) {
        EXPECT_EQ(prompter.asked[i].title, QStringLiteral("错误"));
        EXPECT_EQ(prompter.asked[i].text, failed);
        EXPECT_EQ(prompter.asked[i].icon, P::Icon::Warning);
        EXPECT_EQ(prompter.asked[i].buttons, P::Buttons::Ok);
    }

    // No manager and none to start: the question; Yes tries to start one,
    // and that error reaches the caller.
    netants.close();
    prompter.asked.clear();
    prompter.answers = {P::Answer::Yes};
    EXPECT_THROW(commands.handOffItem(dm, Manager::NetAnts, catalogue.home(), item(3105), setIcon),
                 platform::AutomationError);
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked[0].buttons, P::Buttons::YesNo);
    EXPECT_FALSE(downloaded(3105));
}

TEST_F(HandOff, StartsTheUsersOwnManagerOrOursAndAttachesToARunningOne)
{
    // Nothing to start: the automation error.
    platform::AutomationPort nothing({catalogue.home(), QString()});
    EXPECT_THROW(nothing.start(handoff::classId(Manager::FlashGet)), platform::AutomationError);
    EXPECT_THROW(nothing.start(QStringLiteral("{00000000-0000-0000-0000-000000000000}")), platform::AutomationError);

    // A program named after the service in the home directory comes first:
    // here one that notes its process and runs our manager.
    const QString script = QDir(catalogue.home()).filePath(QStringLiteral("NetAnts"));
    const QString pidFile = QDir(catalogue.home()).filePath(QStringLiteral("manager.pid"));
    {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\necho $$ > '%1'\nexec '%2'\n")
                    .arg(pidFile, QStringLiteral(FLASHBAR_DM))
                    .toUtf8());
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    }
    platform::ManagerPrograms programs{catalogue.home(), QStringLiteral(FLASHBAR_DM)};
    EXPECT_EQ(platform::findManagerProgram(QStringLiteral("NetAnts"), programs), script);
    EXPECT_EQ(platform::findManagerProgram(QStringLiteral("FlashGet"), programs), QStringLiteral(FLASHBAR_DM));

    // A hand-off with no manager running starts it and goes through.
    const QList<browse::ItemRow> rows = page();
    EXPECT_EQ(download::SendToDownloadManager(dm, Manager::NetAnts, catalogue.home(), kColumn,
                                              QStringLiteral("f3101.swf"), QStringLiteral("http://127.0.0.1:9/f.swf"),
                                              QStringLiteral("3101"), settings()),
              download::Accepted);
    EXPECT_TRUE(downloaded(3101));
    QFile pid(pidFile);
    ASSERT_TRUE(pid.open(QIODevice::ReadOnly));
    const qint64 managerPid = pid.readAll().trimmed().toLongLong();
    ASSERT_GT(managerPid, 0);

    // It serves both names: starting either attaches to it.
    platform::AutomationPort port(programs);
    EXPECT_EQ(port.start(handoff::classId(Manager::FlashGet)), platform::AutomationPort::Attached);
    EXPECT_EQ(port.start(handoff::classId(Manager::NetAnts)), platform::AutomationPort::Attached);
    ::kill(pid_t(managerPid), SIGTERM);
    for (int i = 0; i < 100 && dde::serviceAnswers(QStringLiteral("NetAnts")); ++i)
        QThread::msleep(50);

    // With none running, our manager is started.
    platform::AutomationPort ours({QString(), QStringLiteral(FLASHBAR_DM)});
    EXPECT_EQ(ours.start(handoff::classId(Manager::FlashGet)), platform::AutomationPort::Started);
    ASSERT_GT(ours.startedProcess(), 0);
    ::kill(pid_t(ours.startedProcess()), SIGTERM);
}
