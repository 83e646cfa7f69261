// flashbar-dm as the program hands items to it: a real process serving
// both names, its answers, a second start, a service folder it cannot use,
// and its end on SIGTERM.
#include "DdeDir.h"
#include "Processes.h"
#include "Wait.h"

#include "DemoSite.h"
#include "FileSending.h"
#include "handoff/Framing.h"
#include "handoff/ItemText.h"
#include "platform/Conversation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

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

namespace {

// The manager as a program of its own, its files under `data`.
struct ManagerRun
{
    QProcessEnvironment env;
    QProcess process;

    void start()
    {
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(FLASHBAR_DM));
        ASSERT_TRUE(dde::waitForService(QStringLiteral("NetAnts"), 15000));
    }
    // Its aria2c, known by its configuration under the test's TMPDIR.
    qint64 aria2(const QString &temp) const
    {
        qint64 found = 0;
        waitFor(
            [&] {
                for (const qint64 pid : selfAndDescendants()) {
                    if (processFile(pid, "cmdline").contains(temp.toLocal8Bit()))
                        found = pid;
                }
                return found != 0;
            },
            15000);
        return found;
    }
};

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(ManagerProgram, GoesOnAfterBeingKilledAndKeepsItsListFromRunToRun)
{
    DdeDir dir;
    QTemporaryDir home, temp;
    QDir().mkpath(home.filePath(QStringLiteral("site/files/c")));
    QByteArray big(50 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 7919 + i / 4093) % 251);
    {
        QFile f(home.filePath(QStringLiteral("site/files/c/big.swf")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(big);
        QFile s(home.filePath(QStringLiteral("site/files/c/small.swf")));
        ASSERT_TRUE(s.open(QIODevice::WriteOnly));
        s.write("FWS small");
    }
    DemoSite site(home.path(), home.path());
    ASSERT_TRUE(site.listen());
    FileSending &sending = site.fileSending();
    sending.bytesPerSecond = 3 * 1024 * 1024;
    const QString data = home.filePath(QStringLiteral("data"));
    const QString listFile = data + QStringLiteral("/flashbar/downloads/downloads.json");
    const QString sessionFile = data + QStringLiteral("/flashbar/downloads/aria2.session");
    ManagerRun run;
    run.env = QProcessEnvironment::systemEnvironment();
    run.env.insert(QStringLiteral("TMPDIR"), temp.path());
    run.env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    run.env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    const QString local = home.filePath(QStringLiteral("local/c"));
    const QString target = local + QStringLiteral("/big.swf");
    const QString address = site.baseUrl() + QStringLiteral("files/c/big.swf");

    // Killed outright at about half: aria2 ends with it, the file is not
    // there under its name.
    ASSERT_NO_FATAL_FAILURE(run.start());
    const qint64 firstAria2 = run.aria2(temp.path());
    ASSERT_NE(firstAria2, 0);
    EXPECT_EQ(dde::request(QStringLiteral("NetAnts"), handoff::kOpenUrlTopic, itemText(address, target)).data,
              QStringLiteral("OK"));
    ASSERT_TRUE(waitFor([&] { return sending.bytesSent >= big.size() / 2; }, 60000)) << sending.bytesSent;
    run.process.kill();
    ASSERT_TRUE(run.process.waitForFinished(10000));
    EXPECT_TRUE(waitFor([&] { return processFile(firstAria2, "cmdline").isEmpty(); }, 15000));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_TRUE(fileBytes(listFile).contains("big.swf"));
    EXPECT_TRUE(fileBytes(sessionFile).contains("files/c/big.swf"));

    // The next start goes on by itself from where it was.
    ASSERT_NO_FATAL_FAILURE(run.start());
    bool wholeWhenSeen = true;
    EXPECT_TRUE(waitFor(
        [&] {
            const QFileInfo seen(target);
            wholeWhenSeen = wholeWhenSeen && (!seen.exists() || seen.size() == big.size());
            return seen.exists();
        },
        90000));
    EXPECT_TRUE(wholeWhenSeen);
    EXPECT_TRUE(fileBytes(target) == big);
    std::printf("50 MB resumed after kill -9: %lld bytes sent in all (%.3f x its size)\n",
                static_cast<long long>(sending.bytesSent), double(sending.bytesSent) / double(big.size()));
    EXPECT_LE(sending.bytesSent, big.size() * 5 / 4);
    EXPECT_EQ(QDir(local).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("big.swf")});
    EXPECT_TRUE(waitFor([&] { return fileBytes(listFile).contains("\"done\""); }, 10000));

    // The same item again: no second copy while the file is there. The
    // small file handed over after it lands first.
    const qint64 sentBefore = sending.bytesSent;
    EXPECT_EQ(dde::request(QStringLiteral("FlashGet"), handoff::kOpenUrlTopic, itemText(address, local)).data,
              QStringLiteral("OK"));
    EXPECT_EQ(dde::request(QStringLiteral("FlashGet"), handoff::kOpenUrlTopic,
                           itemText(site.baseUrl() + QStringLiteral("files/c/small.swf"), local))
                  .data,
              QStringLiteral("OK"));
    EXPECT_TRUE(waitFor([&] { return QFile::exists(local + QStringLiteral("/small.swf")); }, 30000));
    EXPECT_EQ(sending.bytesSent, sentBefore + 9);
    run.process.terminate();
    ASSERT_TRUE(run.process.waitForFinished(10000));

    // The list is kept from run to run; damaged files are kept aside as
    // .bad, the manager says so once and starts with what it could read.
    const QByteArray list = fileBytes(listFile);
    EXPECT_TRUE(list.contains("small.swf") && list.contains("big.swf") && list.contains("finished"));
    const auto writeFile = [](const QString &path, const QByteArray &bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    const QByteArray garbage("{\"downloads\": [\x01\x02 not a list");
    writeFile(listFile, garbage);
    // aria2's session still has a download the list lost: it comes back.
    writeFile(sessionFile, (site.baseUrl() + QStringLiteral("files/c/small.swf\n dir=") + local +
                            QStringLiteral("\n out=.again.swf.7.part\n gid=0123456789abcdef\n"))
                               .toUtf8());
    // Two started at once: one keeps the list and serves, the other ends.
    QProcess other;
    other.setProcessEnvironment(run.env);
    other.start(QStringLiteral(FLASHBAR_DM));
    ASSERT_NO_FATAL_FAILURE(run.start());
    ASSERT_TRUE(waitFor(
        [&] { return other.state() == QProcess::NotRunning || run.process.state() == QProcess::NotRunning; }, 20000));
    QProcess &ended = other.state() == QProcess::NotRunning ? other : run.process;
    QProcess &serving = &ended == &other ? run.process : other;
    EXPECT_EQ(ended.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(ended.exitCode(), 0);
    EXPECT_TRUE(waitFor([&] { return QFile::exists(local + QStringLiteral("/again.swf")); }, 30000));
    EXPECT_TRUE(waitFor([&] { return fileBytes(listFile).contains("again.swf"); }, 10000));
    serving.terminate();
    ASSERT_TRUE(serving.waitForFinished(10000));
    EXPECT_EQ(serving.readAllStandardError().count(".bad") + ended.readAllStandardError().count(".bad"), 1);
    EXPECT_EQ(fileBytes(listFile + QStringLiteral(".bad")), garbage);

    // A damaged session is kept aside; the list goes on.
    writeFile(sessionFile, garbage);
    ASSERT_NO_FATAL_FAILURE(run.start());
    run.process.terminate();
    ASSERT_TRUE(run.process.waitForFinished(10000));
    EXPECT_EQ(run.process.readAllStandardError().count(".bad"), 1);
    EXPECT_EQ(fileBytes(sessionFile + QStringLiteral(".bad")), garbage);
    EXPECT_TRUE(fileBytes(listFile).contains("again.swf"));
}
