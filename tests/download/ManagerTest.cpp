// The download manager's own part: how it reads and checks what it is
// sent, and its downloads through a real aria2c from a real web site.
#include "Wait.h"

#include "DemoSite.h"
#include "FileSending.h"
#include "dm/Aria2.h"
#include "dm/Downloads.h"
#include "handoff/ItemText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using handoff::itemText;

TEST(ItemText, TheManagerTakesItsPartAndRefusesTheRest)
{
    // What the manager makes of an item: NetAnts gets the file, FlashGet
    // the folder and the name from the address.
    auto job = dm::jobOf(QStringLiteral("NetAnts"),
                         itemText(QStringLiteral("http://h/a.swf?x=1,2"), QStringLiteral("/home/u/local/c,d/f,g.swf")));
    ASSERT_TRUE(job);
    EXPECT_EQ(job->folder, QStringLiteral("/home/u/local/c,d"));
    EXPECT_EQ(job->name, QStringLiteral("f,g.swf"));
    job = dm::jobOf(QStringLiteral("FlashGet"),
                    itemText(QStringLiteral("https://h/p/%E5%8A%A8.swf?x=1"), QStringLiteral("/home/u/local/c")));
    ASSERT_TRUE(job);
    EXPECT_EQ(job->folder, QStringLiteral("/home/u/local/c"));
    EXPECT_EQ(job->name, QStringLiteral("动.swf"));
    // ftp too; a file right under the root has the root as its folder.
    job = dm::jobOf(QStringLiteral("NetAnts"), itemText(QStringLiteral("ftp://h/a.swf"), QStringLiteral("/f.swf")));
    ASSERT_TRUE(job);
    EXPECT_EQ(job->address, QStringLiteral("ftp://h/a.swf"));
    EXPECT_EQ(job->folder, QStringLiteral("/"));
    EXPECT_EQ(job->name, QStringLiteral("f.swf"));

    // Anything else is refused, whatever the sender meant.
    const std::pair<const char *, QString> refused[] = {
        {"NetAnts", itemText(QStringLiteral("file:///etc/passwd"), QStringLiteral("/home/u/local/c/f.swf"))},
        {"NetAnts", itemText(QStringLiteral("javascript:alert(1)"), QStringLiteral("/home/u/local/c/f.swf"))},
        {"NetAnts", itemText(QStringLiteral("data:text/plain,hi"), QStringLiteral("/home/u/local/c/f.swf"))},
        {"NetAnts", itemText(QStringLiteral("flashbar://h/f.swf"), QStringLiteral("/home/u/local/c/f.swf"))},
        {"NetAnts", itemText(QStringLiteral("http://h/f.swf"), QStringLiteral("/home/u/local/../../../tmp/f.swf"))},
        {"NetAnts", itemText(QStringLiteral("http://h/f.swf"), QStringLiteral("/home/u/./local/f.swf"))},
        {"NetAnts", itemText(QStringLiteral("http://h/f.swf"), QStringLiteral("/home//u/f.swf"))},
        {"NetAnts", itemText(QStringLiteral("http://h/f.swf"), QStringLiteral("/home/u/\x01/f.swf"))},
        {"NetAnts", QStringLiteral("http://h/f.swf,home/u/f.swf")},
        {"NetAnts", QStringLiteral("http://h/f.swf")},
        {"NetAnts", itemText(QStringLiteral("http:///f.swf"), QStringLiteral("/home/u/local/c/f.swf"))},
        {"NetAnts", itemText(QStringLiteral("http://h:99999/f.swf"), QStringLiteral("/home/u/local/c/f.swf"))},
        {"NetAnts", itemText(QStringLiteral("http://h/f.swf"), QStringLiteral("/"))},
        {"FlashGet", itemText(QStringLiteral("http://h/f.swf"), QStringLiteral("/"))},
        {"NetAnts", itemText(QStringLiteral("http://h/f.swf"), QStringLiteral("/home/u/local/c/"))},
        {"FlashGet", itemText(QStringLiteral("http://h/a/%2E%2E"), QStringLiteral("/home/u/local/c"))},
        {"FlashGet", itemText(QStringLiteral("http://h/"), QStringLiteral("/home/u/local/c"))},
        {"Other", itemText(QStringLiteral("http://h/f.swf"), QStringLiteral("/home/u/local/c/f.swf"))},
    };
    for (const auto &[service, item] : refused)
        EXPECT_FALSE(dm::jobOf(QLatin1String(service), item)) << item.toStdString();
}

namespace {

// A web server that takes connections and never answers.
class SilentServer final
{
public:
    SilentServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection())
                s->setParent(&m_server);
        });
    }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1/slow.swf").arg(m_server.serverPort()); }

private:
    QTcpServer m_server;
};

} // namespace

TEST(Manager, DownloadsLandWholeUnderTheirNameOrFailVisibly)
{
    QTemporaryDir home;
    const QString siteFiles = home.filePath(QStringLiteral("site/files/c"));
    QDir().mkpath(siteFiles);
    QByteArray big(6 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char(i * 7919 % 251);
    {
        QFile f(siteFiles + QStringLiteral("/big.swf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(big);
        QFile s(siteFiles + QStringLiteral("/small.swf"));
        ASSERT_TRUE(s.open(QIODevice::WriteOnly));
        s.write("FWS small");
    }
    DemoSite site(home.path(), home.path());
    ASSERT_TRUE(site.listen());

    dm::Aria2 aria2;
    dm::Downloads downloads(aria2);
    const QString local = home.filePath(QStringLiteral("local/动画,精选"));
    const auto stateOf = [&](int row) { return downloads.downloads().at(row).state; };
    const auto settled = [&](int row) {
        return stateOf(row) == dm::Download::Done || stateOf(row) == dm::Download::Failed;
    };

    // NetAnts: the full path; FlashGet: the folder. Whenever the file is
    // there under its name, it is whole.
    ASSERT_TRUE(downloads.accept(QStringLiteral("NetAnts"), itemText(site.baseUrl() + QStringLiteral("files/c/big.swf"),
                                                                     local + QStringLiteral("/大.swf"))));
    ASSERT_TRUE(downloads.accept(QStringLiteral("FlashGet"),
                                 itemText(site.baseUrl() + QStringLiteral("files/c/small.swf"), local)));
    bool wholeWhenSeen = true;
    EXPECT_TRUE(waitFor(
        [&] {
            const QFileInfo seen(local + QStringLiteral("/大.swf"));
            if (seen.exists() && seen.size() != big.size())
                wholeWhenSeen = false;
            return settled(0) && settled(1);
        },
        30000));
    EXPECT_TRUE(wholeWhenSeen);
    EXPECT_EQ(stateOf(0), dm::Download::Done) << downloads.downloads().at(0).reason.toStdString();
    EXPECT_EQ(stateOf(1), dm::Download::Done) << downloads.downloads().at(1).reason.toStdString();
    QFile got(local + QStringLiteral("/大.swf"));
    ASSERT_TRUE(got.open(QIODevice::ReadOnly));
    EXPECT_TRUE(got.readAll() == big);
    EXPECT_EQ(QDir(local).entryList(QDir::Files | QDir::Hidden).size(), 2); // no part files left
    EXPECT_EQ(downloads.data(downloads.index(0, dm::Downloads::StateColumn), Qt::DisplayRole).toString(),
              QStringLiteral("完成"));
    EXPECT_EQ(downloads.data(downloads.index(0, dm::Downloads::ProgressColumn), Qt::DisplayRole).toString(),
              QStringLiteral("100%"));
    EXPECT_EQ(downloads.data(downloads.index(0, dm::Downloads::SizeColumn), Qt::DisplayRole).toString(),
              QStringLiteral("6.0 MB"));
    EXPECT_EQ(downloads.data(downloads.index(1, dm::Downloads::SizeColumn), Qt::DisplayRole).toString(),
              QStringLiteral("9 B"));

    // The site has no such file; the folder cannot be made (a file is in
    // the way): failed, with aria2's reason, and no file under the name.
    QFile blocker(home.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ASSERT_TRUE(
        downloads.accept(QStringLiteral("NetAnts"), itemText(site.baseUrl() + QStringLiteral("nothing/none.swf"),
                                                             local + QStringLiteral("/none.swf"))));
    ASSERT_TRUE(
        downloads.accept(QStringLiteral("FlashGet"), itemText(site.baseUrl() + QStringLiteral("files/c/small.swf"),
                                                              home.filePath(QStringLiteral("blocker/sub")))));
    EXPECT_TRUE(waitFor([&] { return settled(2) && settled(3); }, 30000));
    for (int row : {2, 3}) {
        EXPECT_EQ(stateOf(row), dm::Download::Failed);
        EXPECT_FALSE(downloads.downloads().at(row).reason.isEmpty());
        EXPECT_TRUE(downloads.data(downloads.index(row, dm::Downloads::StateColumn), Qt::DisplayRole)
                        .toString()
                        .startsWith(QStringLiteral("失败：")));
    }
    EXPECT_FALSE(QFile::exists(local + QStringLiteral("/none.swf")));

    // aria2 killed in the middle of a download: that download fails, and the
    // next item starts aria2 again.
    SilentServer slow;
    ASSERT_TRUE(
        downloads.accept(QStringLiteral("NetAnts"), itemText(slow.address(), local + QStringLiteral("/slow.swf"))));
    ASSERT_TRUE(waitFor([&] { return stateOf(4) == dm::Download::Running; }, 10000));
    const qint64 first = aria2.processId();
    ::kill(pid_t(first), SIGKILL);
    EXPECT_TRUE(waitFor([&] { return stateOf(4) == dm::Download::Failed; }, 10000));
    EXPECT_FALSE(QFile::exists(local + QStringLiteral("/slow.swf")));
    ASSERT_TRUE(
        downloads.accept(QStringLiteral("NetAnts"), itemText(site.baseUrl() + QStringLiteral("files/c/small.swf"),
                                                             local + QStringLiteral("/again.swf"))));
    EXPECT_TRUE(waitFor([&] { return settled(5); }, 30000));
    EXPECT_EQ(stateOf(5), dm::Download::Done);
    EXPECT_NE(aria2.processId(), first);
    EXPECT_TRUE(QFile::exists(local + QStringLiteral("/again.swf")));

    // A host that is not there, a port where nothing listens: failed after
    // the tries, and why in words, as for the missing file and the folder
    // in the way above.
    quint16 closedPort = 0;
    {
        QTcpServer closed;
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
        closedPort = closed.serverPort();
    }
    ASSERT_TRUE(downloads.accept(QStringLiteral("NetAnts"), itemText(QStringLiteral("http://nohost.invalid/f.swf"),
                                                                     local + QStringLiteral("/nohost.swf"))));
    ASSERT_TRUE(downloads.accept(
        QStringLiteral("NetAnts"),
        itemText(QStringLiteral("http://127.0.0.1:%1/f.swf").arg(closedPort), local + QStringLiteral("/refused.swf"))));
    EXPECT_TRUE(waitFor([&] { return settled(6) && settled(7); }, 60000));
    const auto reason = [&](int row) { return downloads.downloads().at(row).reason; };
    EXPECT_EQ(reason(2), QStringLiteral("服务器上没有这个文件（404）"));
    EXPECT_EQ(reason(3), QStringLiteral("无法创建文件夹"));
    EXPECT_EQ(reason(6), QStringLiteral("找不到服务器"));
    EXPECT_EQ(reason(7), QStringLiteral("服务器拒绝连接"));
    for (const QString &name : {QStringLiteral("nohost.swf"), QStringLiteral("refused.swf")})
        EXPECT_FALSE(QFile::exists(local + u'/' + name));

    // The connection cut at 30 %: the download goes on with a ranged
    // request by itself, whole, with little fetched twice.
    site.fileSending().bytesSent = 0;
    site.fileSending().dropAfter = big.size() * 3 / 10;
    ASSERT_TRUE(downloads.accept(QStringLiteral("NetAnts"), itemText(site.baseUrl() + QStringLiteral("files/c/big.swf"),
                                                                     local + QStringLiteral("/cut.swf"))));
    EXPECT_TRUE(waitFor([&] { return settled(8); }, 60000));
    EXPECT_EQ(stateOf(8), dm::Download::Done) << reason(8).toStdString();
    EXPECT_EQ(site.fileSending().dropAfter, -1); // it was cut
    QFile cut(local + QStringLiteral("/cut.swf"));
    ASSERT_TRUE(cut.open(QIODevice::ReadOnly));
    EXPECT_TRUE(cut.readAll() == big);
    EXPECT_LE(site.fileSending().bytesSent, big.size() * 5 / 4);
}
