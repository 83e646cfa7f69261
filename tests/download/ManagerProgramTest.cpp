// flashbar-dm as the program hands items to it: a real process serving
// both names, its answers, a second start, a service folder it cannot use,
// and its end on SIGTERM.
#include "DdeDir.h"
#include "Processes.h"
#include "Wait.h"

#include "DemoSite.h"
#include "handoff/Framing.h"
#include "handoff/ItemText.h"
#include "platform/Conversation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dde = platform::dde;
using handoff::itemText;

TEST(ManagerProgram, ServesBothNamesAnswersOnlyItsTopicsAndEndsCleanly)
{
    DdeDir dir;
    QTemporaryDir home;
    QDir().mkpath(home.filePath(QStringLiteral("site/files/c")));
    {
        QFile f(home.filePath(QStringLiteral("site/files/c/a.swf")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("FWS a");
    }
    DemoSite site(home.path(), home.path());
    ASSERT_TRUE(site.listen());
    // The manager's temporary files go to a folder of the test's own.
    QTemporaryDir temp;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), temp.path());

    QProcess manager;
    manager.setProcessEnvironment(env);
    manager.start(QStringLiteral(FLASHBAR_DM));
    ASSERT_TRUE(dde::waitForService(QStringLiteral("NetAnts"), 15000));
    ASSERT_TRUE(dde::waitForService(QStringLiteral("FlashGet"), 15000));
    qint64 aria2 = 0;
    ASSERT_TRUE(waitFor(
        [&] {
            for (const qint64 pid : selfAndDescendants()) {
                if (processFile(pid, "cmdline").contains(temp.path().toLocal8Bit()))
                    aria2 = pid;
            }
            return aria2 != 0;
        },
        15000));

    // Both names take a download; each lands where its name says.
    const QString address = site.baseUrl() + QStringLiteral("files/c/a.swf");
    const QString local = home.filePath(QStringLiteral("local/c"));
    dde::Reply reply = dde::request(QStringLiteral("NetAnts"), handoff::kOpenUrlTopic,
                                    itemText(address, local + QStringLiteral("/ant.swf")));
    EXPECT_EQ(reply.outcome, dde::Reply::Data);
    EXPECT_EQ(reply.data, QStringLiteral("OK"));
    reply = dde::request(QStringLiteral("FlashGet"), handoff::kOpenUrlTopic, itemText(address, local));
    EXPECT_EQ(reply.outcome, dde::Reply::Data);
    EXPECT_TRUE(waitFor(
        [&] {
            return QFile::exists(local + QStringLiteral("/ant.swf")) && QFile::exists(local + QStringLiteral("/a.swf"));
        },
        30000));

    // Other topics, and the automation topic with another item, are refused.
    const std::pair<QString, QString> refused[] = {
        {QStringLiteral("WWW_Activate"), itemText(address, local + QStringLiteral("/x.swf"))},
        {handoff::kAutomationTopic, itemText(address, local + QStringLiteral("/x.swf"))},
        {handoff::kAutomationTopic, QStringLiteral("start 1")},
        {handoff::kOpenUrlTopic, handoff::kStartItem},
    };
    for (const auto &[topic, item] : refused)
        EXPECT_EQ(dde::request(QStringLiteral("NetAnts"), topic, item).outcome, dde::Reply::NoData)
            << topic.toStdString() << ' ' << item.toStdString();
    EXPECT_FALSE(QFile::exists(local + QStringLiteral("/x.swf")));
    // The start request is answered.
    reply = dde::request(QStringLiteral("FlashGet"), handoff::kAutomationTopic, handoff::kStartItem);
    EXPECT_EQ(reply.outcome, dde::Reply::Data);

    // A second start finds it serving and ends; the first serves on.
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(FLASHBAR_DM));
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(dde::serviceAnswers(QStringLiteral("NetAnts")));

    // SIGTERM ends it as closing its window would: aria2c stopped, its
    // configuration (with the secret) gone, the names free.
    manager.terminate();
    ASSERT_TRUE(manager.waitForFinished(10000));
    EXPECT_EQ(manager.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(manager.exitCode(), 0);
    EXPECT_TRUE(processFile(aria2, "cmdline").isEmpty());
    EXPECT_EQ(QDir(temp.path()).entryList({QStringLiteral("flashbar-dm-*")}, QDir::AllEntries | QDir::Hidden),
              QStringList());
    EXPECT_FALSE(dde::serviceAnswers(QStringLiteral("NetAnts")));
    EXPECT_FALSE(dde::serviceAnswers(QStringLiteral("FlashGet")));

    // A service folder it cannot make: it says why and ends with an error.
    QFile blocker(home.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    env.insert(QStringLiteral("FLASHBAR_DDE_DIR"), blocker.fileName() + QStringLiteral("/dde"));
    QProcess unserved;
    unserved.setProcessEnvironment(env);
    unserved.start(QStringLiteral(FLASHBAR_DM));
    ASSERT_TRUE(unserved.waitForFinished(15000));
    EXPECT_EQ(unserved.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(unserved.exitCode(), 1);
    EXPECT_TRUE(unserved.readAllStandardError().contains("flashbar-dm: "));
}
