// The rows of the manager's list while aria2 works: progress of a download
// under way, one removed from aria2, one whose name is taken by a folder.
#include "Wait.h"

#include "DemoSite.h"
#include "dm/Aria2.h"
#include "dm/Downloads.h"
#include "handoff/ItemText.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using handoff::itemText;

namespace {

constexpr qint64 kLength = 3 * 1024 * 1024 / 2;
constexpr qint64 kSent = kLength / 4;

// A web server that sends the head and the first quarter of a file, then
// waits; told to trickle, it sends a little more every few milliseconds.
class StallingServer final
{
public:
    StallingServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                s->setParent(&m_server);
                QObject::connect(s, &QTcpSocket::readyRead, s, [s] {
                    if (!s->readAll().contains("\r\n\r\n") || s->property("answered").toBool())
                        return;
                    s->setProperty("answered", true);
                    s->write(QByteArray("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                                        "Content-Length: ") +
                             QByteArray::number(kLength) + "\r\n\r\n" + QByteArray(kSent, 'x'));
                });
            }
        });
        QObject::connect(&m_trickle, &QTimer::timeout, &m_server, [this] {
            for (QTcpSocket *s : m_server.findChildren<QTcpSocket *>())
                s->write(QByteArray(2048, 'y'));
        });
    }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1/stall.swf").arg(m_server.serverPort()); }
    void trickle() { m_trickle.start(20); }

private:
    QTcpServer m_server;
    QTimer m_trickle;
};

QString cell(const dm::Downloads &downloads, int row, int column, int role = Qt::DisplayRole)
{
    return downloads.data(downloads.index(row, column), role).toString();
}

} // namespace

TEST(Manager, RowsFollowProgressRemovalAndNamesInTheWay)
{
    QTemporaryDir home;
    QDir().mkpath(home.filePath(QStringLiteral("site/files/c")));
    const QByteArray middle(1536, 'm');
    {
        QFile f(home.filePath(QStringLiteral("site/files/c/middle.swf")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(middle);
    }
    DemoSite site(home.path(), home.path());
    ASSERT_TRUE(site.listen());
    StallingServer stalling;
    dm::Aria2 aria2;
    dm::Downloads downloads(aria2);
    const QString local = home.filePath(QStringLiteral("local/c"));
    const auto stateOf = [&](int row) { return downloads.downloads().at(row).state; };

    // Under way: size, progress, speed while bytes come, and the tip names
    // the file and the address.
    ASSERT_TRUE(downloads.accept(QStringLiteral("NetAnts"),
                                 itemText(stalling.address(), local + QStringLiteral("/stall.swf"))));
    ASSERT_TRUE(waitFor([&] { return downloads.downloads().at(0).completed == kSent; }, 15000));
    const dm::Download &running = downloads.downloads().at(0);
    EXPECT_EQ(stateOf(0), dm::Download::Running);
    EXPECT_EQ(running.total, kLength);
    EXPECT_EQ(cell(downloads, 0, dm::Downloads::SizeColumn), QStringLiteral("1.5 MB"));
    EXPECT_EQ(cell(downloads, 0, dm::Downloads::ProgressColumn), QStringLiteral("25%"));
    EXPECT_EQ(downloads.data(downloads.index(0, 0), dm::Downloads::PercentRole).toInt(), 25);
    EXPECT_EQ(cell(downloads, 0, dm::Downloads::StateColumn), QStringLiteral("下载中"));
    EXPECT_EQ(cell(downloads, 0, dm::Downloads::NameColumn), QStringLiteral("stall.swf"));
    EXPECT_EQ(cell(downloads, 0, dm::Downloads::NameColumn, Qt::ToolTipRole),
              local + QStringLiteral("/stall.swf\n") + stalling.address());
    EXPECT_TRUE(QFile::exists(running.partPath()));
    EXPECT_FALSE(QFile::exists(running.finalPath()));
    // A row has no rows under it.
    EXPECT_EQ(downloads.rowCount(downloads.index(0, 0)), 0);
    EXPECT_EQ(downloads.columnCount(downloads.index(0, 0)), 0);
    // Bytes coming again: the speed shows.
    stalling.trickle();
    ASSERT_TRUE(waitFor([&] { return downloads.downloads().at(0).speed > 0; }, 10000));
    const QString speed = cell(downloads, 0, dm::Downloads::SpeedColumn);
    EXPECT_TRUE(speed.endsWith(QStringLiteral("B/s")) && speed.at(0).isDigit()) << speed.toStdString();

    // Removed from aria2 behind the list's back: failed, the part file gone.
    bool removed = false;
    aria2.call(QStringLiteral("aria2.remove"), {running.gid},
               [&](const QJsonValue &, const QString &error) { removed = error.isEmpty(); });
    ASSERT_TRUE(waitFor([&] { return stateOf(0) == dm::Download::Failed; }, 10000));
    EXPECT_TRUE(removed);
    EXPECT_TRUE(cell(downloads, 0, dm::Downloads::StateColumn).startsWith(QStringLiteral("失败：")));
    EXPECT_TRUE(cell(downloads, 0, dm::Downloads::SpeedColumn).isEmpty());
    EXPECT_FALSE(QFile::exists(downloads.downloads().at(0).partPath()));
    EXPECT_FALSE(QFile::exists(downloads.downloads().at(0).finalPath()));

    // A folder holds the name: the download fails with why, the folder and
    // what is in it stay, no part file is left. The same file elsewhere
    // lands whole.
    const QString taken = local + QStringLiteral("/middle.swf");
    QDir().mkpath(taken);
    QFile inside(taken + QStringLiteral("/keep"));
    ASSERT_TRUE(inside.open(QIODevice::WriteOnly));
    inside.close();
    const QString address = site.baseUrl() + QStringLiteral("files/c/middle.swf");
    ASSERT_TRUE(downloads.accept(QStringLiteral("NetAnts"), itemText(address, taken)));
    ASSERT_TRUE(
        downloads.accept(QStringLiteral("FlashGet"), itemText(address, home.filePath(QStringLiteral("other")))));
    ASSERT_TRUE(waitFor([&] { return stateOf(1) >= dm::Download::Done && stateOf(2) >= dm::Download::Done; }, 30000));
    EXPECT_EQ(stateOf(1), dm::Download::Failed);
    EXPECT_FALSE(downloads.downloads().at(1).reason.isEmpty());
    EXPECT_TRUE(QFileInfo(taken).isDir());
    EXPECT_TRUE(QFile::exists(taken + QStringLiteral("/keep")));
    EXPECT_EQ(QDir(local).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("middle.swf")});
    EXPECT_EQ(stateOf(2), dm::Download::Done) << downloads.downloads().at(2).reason.toStdString();
    EXPECT_EQ(cell(downloads, 2, dm::Downloads::SizeColumn), QStringLiteral("1.5 KB"));
    QFile landed(home.filePath(QStringLiteral("other/middle.swf")));
    ASSERT_TRUE(landed.open(QIODevice::ReadOnly));
    EXPECT_EQ(landed.readAll(), middle);
}
