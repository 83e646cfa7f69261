// The settings file's site address, and the local site the program starts:
// the real flashbar-site on a real demo home, on ports the system picks.
#include "app/LocalSite.h"
#include "common/Settings.h"

#include "Files.h"
#include "Wait.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <QSemaphore>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

// Points XDG_CONFIG_HOME at a fresh folder for one test.
class ConfigHome
{
public:
    ConfigHome() : m_previous(qgetenv("XDG_CONFIG_HOME")) { qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit()); }
    ~ConfigHome() { qputenv("XDG_CONFIG_HOME", m_previous); }
    QString file() const { return m_dir.filePath(QStringLiteral("flashbar/flashbar.conf")); }
    void write(const QByteArray &text) const
    {
        QDir().mkpath(QFileInfo(file()).absolutePath());
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};

// A port nothing listens on, as the system hands them out.
quint16 freePort()
{
    QTcpServer server;
    EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    return server.serverPort();
}

QString address(quint16 port)
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(port);
}

// A demo home of a few items, written by the real catalogue tool.
QString demoHome(const QTemporaryDir &dir)
{
    const QString home = dir.filePath(QStringLiteral("home"));
    QProcess tool;
    tool.start(QStringLiteral(CATALOGUE_PROGRAM),
               {QStringLiteral("demo"), home, QStringLiteral("--items"), QStringLiteral("20")});
    EXPECT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    return home;
}

QByteArray fetch(quint16 port, const QByteArray &path)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(3000))
        return {};
    socket.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray answer;
    while (socket.waitForReadyRead(3000))
        answer += socket.readAll();
    return answer;
}

// Whether the process lives (a zombie no longer counts).
bool processRuns(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype state = line.lastIndexOf(')') + 2;
    return state < line.size() && line.at(state) != 'Z';
}

// Another program's web server, answering every request with its own page
// on a thread of its own.
class OtherServer
{
public:
    // On `port` (else one the system picks), from `afterMs` on.
    explicit OtherServer(quint16 port = 0, int afterMs = 0)
    {
        m_thread = std::thread([this, port, afterMs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
            QTcpServer server;
            server.listen(QHostAddress::LocalHost, port);
            m_port = server.serverPort();
            m_ready.release();
            while (!m_stop) {
                if (!server.waitForNewConnection(50))
                    continue;
                std::unique_ptr<QTcpSocket> c(server.nextPendingConnection());
                c->waitForReadyRead(1000);
                c->write("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");
                c->waitForBytesWritten(1000);
                c->disconnectFromHost();
            }
        });
        if (afterMs == 0)
            m_ready.acquire();
    }
    ~OtherServer()
    {
        m_stop = true;
        m_thread.join();
    }
    quint16 port() const { return m_port; }

private:
    std::thread m_thread;
    QSemaphore m_ready;
    std::atomic<bool> m_stop = false;
    quint16 m_port = 0;
};

TEST(Settings, TheSiteAddressComesFromTheCommandLineElseTheFileElseTheDefault)
{
    ConfigHome config;
    // No file: the default, and nothing written by reading.
    common::SiteSetting s = common::readSiteAddress(QString());
    EXPECT_EQ(s.address, common::kDefaultSiteAddress);
    EXPECT_EQ(s.error, QString());
    EXPECT_FALSE(QFileInfo::exists(config.file()));
    // The first start keeps the default in the file, in Qt's INI format.
    ASSERT_TRUE(common::keepDefaultSiteAddress());
    EXPECT_TRUE(readFile(config.file()).contains("[site]\naddress=http://127.0.0.1:8731/"))
        << readFile(config.file()).toStdString();

    EXPECT_TRUE(s.ownSite);

    // A user's address is read at every start and never overwritten.
    config.write("[site]\naddress=https://flash.example.org/bar\n");
    EXPECT_TRUE(common::keepDefaultSiteAddress());
    s = common::readSiteAddress(QString());
    EXPECT_EQ(s.address, QStringLiteral("https://flash.example.org/bar/"));
    EXPECT_EQ(s.error, QString());
    EXPECT_FALSE(s.ownSite);

    // Our own site belongs at the default address however written, and at
    // the file's address when the file marks it local; a user's address on
    // this machine is the user's.
    for (const QString &ours : {QStringLiteral("http://localhost:8731"), QStringLiteral("http://127.0.0.1:8731/")})
        EXPECT_TRUE(common::readSiteAddress(ours).ownSite) << ours.toStdString();
    for (const QString &theirs : {QStringLiteral("http://127.0.0.1:18765/"), QStringLiteral("http://127.0.0.1:8731/x/"),
                                  QStringLiteral("https://127.0.0.1:8731/")})
        EXPECT_FALSE(common::readSiteAddress(theirs).ownSite) << theirs.toStdString();
    config.write("[site]\naddress=http://127.0.0.1:18765/\nlocal=true\n");
    EXPECT_TRUE(common::readSiteAddress(QString()).ownSite);
    EXPECT_TRUE(common::readSiteAddress(QStringLiteral("http://localhost:18765/")).ownSite);
    EXPECT_FALSE(common::readSiteAddress(QStringLiteral("http://127.0.0.1:18766/")).ownSite);
    config.write("[site]\naddress=https://flash.example.org/bar\n");
    // The command line or the environment wins for one run.
    EXPECT_EQ(common::readSiteAddress(QStringLiteral("http://10.0.0.2:81")).address,
              QStringLiteral("http://10.0.0.2:81/"));
    EXPECT_TRUE(readFile(config.file()).contains("flash.example.org"));

    // A bad address in the file: the default, and a message naming the file.
    for (const QByteArray &bad : {QByteArray("ftp://files.example/"), QByteArray("http://"),
                                  QByteArray("http://exa mple.org/"), QByteArray("just words")}) {
        SCOPED_TRACE(bad.toStdString());
        config.write("[site]\naddress=" + bad + "\n");
        s = common::readSiteAddress(QString());
        EXPECT_EQ(s.address, common::kDefaultSiteAddress);
        EXPECT_TRUE(s.error.contains(config.file())) << s.error.toStdString();
        EXPECT_TRUE(common::keepDefaultSiteAddress());
        EXPECT_TRUE(readFile(config.file()).contains(bad)) << "the user's value stays for the user to mend";
    }
}

TEST(LocalSite, ALocalAddressGetsOurSiteWhichEndsWithItsOwner)
{
    QTemporaryDir dir;
    const QString home = demoHome(dir);
    const quint16 port = freePort();
    QString error;
    qint64 pid = 0;
    {
        app::LocalSite site;
        ASSERT_EQ(site.ensure(address(port), home, QStringLiteral(SITE_PROGRAM), &error),
                  app::LocalSite::State::Started)
            << error.toStdString();
        pid = site.processId();
        EXPECT_TRUE(processRuns(pid));
        EXPECT_TRUE(fetch(port, "/").contains("Flash吧"));
        // Another start finds it and starts nothing.
        app::LocalSite second;
        EXPECT_EQ(second.ensure(QStringLiteral("http://localhost:%1/x/").arg(port), home, QStringLiteral(SITE_PROGRAM),
                                &error),
                  app::LocalSite::State::AlreadyServed);
        EXPECT_EQ(second.processId(), 0);
    }
    EXPECT_TRUE(waitFor([&] { return !processRuns(pid); }, 5000)) << "the site outlived its owner";
    EXPECT_EQ(fetch(port, "/"), QByteArray());

    // Addresses elsewhere start nothing; a missing program is told.
    app::LocalSite site;
    for (const QString &elsewhere :
         {QStringLiteral("https://127.0.0.1:%1/").arg(port), QStringLiteral("http://flash.example.org:%1/").arg(port)})
        EXPECT_EQ(site.ensure(elsewhere, home, QStringLiteral(SITE_PROGRAM), &error), app::LocalSite::State::Elsewhere);
    EXPECT_EQ(site.ensure(address(port), home, dir.filePath(QStringLiteral("no-such-program")), &error),
              app::LocalSite::State::Failed);
    EXPECT_TRUE(error.contains(QStringLiteral("flashbar-site"))) << error.toStdString();
    EXPECT_EQ(site.processId(), 0);
}

TEST(LocalSite, AnotherProgramOnThePortIsToldWithoutHanging)
{
    QTemporaryDir dir;
    const QString home = demoHome(dir);
    // One that accepts and never answers, one that answers as another site.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    const OtherServer other;
    for (const quint16 port : {silent.serverPort(), other.port()}) {
        app::LocalSite site;
        QString error;
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(site.ensure(address(port), home, QStringLiteral(SITE_PROGRAM), &error),
                  app::LocalSite::State::PortTaken);
        EXPECT_TRUE(error.contains(address(port))) << error.toStdString();
        EXPECT_LT(clock.elapsed(), 10000);
        EXPECT_EQ(site.processId(), 0);
    }
}

TEST(LocalSite, TheSiteOfAKilledProgramEnds)
{
    QTemporaryDir dir;
    const QString home = demoHome(dir);
    // A stand-in owner that starts the site as the program does, then dies.
    QProcess owner;
    owner.start(QStringLiteral("bash"),
                {QStringLiteral("-c"), QStringLiteral("\"$0\" --home \"$1\" --port 0 --parent $$ & echo $!; wait"),
                 QStringLiteral(SITE_PROGRAM), home});
    ASSERT_TRUE(owner.waitForReadyRead(10000));
    const qint64 sitePid = owner.readLine().trimmed().toLongLong();
    ASSERT_TRUE(waitFor([&] { return owner.readAllStandardOutput().contains("serving"); }, 15000));
    EXPECT_TRUE(processRuns(sitePid));
    owner.kill();
    owner.waitForFinished();
    EXPECT_TRUE(waitFor([&] { return !processRuns(sitePid); }, 5000)) << "the site outlived the killed program";
    // Not a child of the one given: it does not start at all.
    QProcess stray;
    stray.start(QStringLiteral(SITE_PROGRAM), {QStringLiteral("--home"), home, QStringLiteral("--port"),
                                               QStringLiteral("0"), QStringLiteral("--parent"), QStringLiteral("1")});
    ASSERT_TRUE(stray.waitForFinished(10000));
    EXPECT_FALSE(stray.readAllStandardOutput().contains("serving"));
}

// A stand-in for the site's program that never says it serves, ignores
// SIGTERM and leaves its process id in the home it is given.
QString silentProgram(const QString &dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("silent-site"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\ntrap '' TERM\necho $$ > \"$2/pid\"\nexec sleep 60\n");
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return path;
}

// A site program that is missing, fails or never listens is told, and what
// it started is ended, however it takes SIGTERM; a port taken meanwhile by
// another program is told as taken.
TEST(LocalSite, ASiteThatFailsOrNeverListensIsToldAndEnded)
{
    QTemporaryDir dir;
    QString error;
    app::LocalSite site;
    const quint16 port = freePort();
    EXPECT_EQ(site.ensure(address(port), dir.path(), QString(), &error), app::LocalSite::State::Failed);
    EXPECT_TRUE(error.contains(QStringLiteral("flashbar-site"))) << error.toStdString();

    // The real site on a home without a catalogue: told apart, in our words.
    EXPECT_EQ(site.ensure(address(port), dir.path(), QStringLiteral(SITE_PROGRAM), &error),
              app::LocalSite::State::NoCatalogue);
    EXPECT_TRUE(error.contains(QStringLiteral("数据库"))) << error.toStdString();
    EXPECT_EQ(site.processId(), 0);

    // Silent past the wait, while another program takes the port.
    const OtherServer other(port, 200);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(site.ensure(address(port), dir.path(), silentProgram(dir.path()), &error, 1000),
              app::LocalSite::State::PortTaken);
    EXPECT_LT(clock.elapsed(), 12000);
    EXPECT_TRUE(error.contains(QStringLiteral("没有开始服务"))) << error.toStdString();
    const qint64 pid = readFile(dir.filePath(QStringLiteral("pid"))).trimmed().toLongLong();
    EXPECT_GT(pid, 0);
    EXPECT_FALSE(processRuns(pid)) << "a site that ignores SIGTERM is killed";
    EXPECT_EQ(site.processId(), 0);

    // Only http on this machine's own names is a local site.
    EXPECT_EQ(app::LocalSite::localPort(QStringLiteral("http://localhost/")), 80);
    EXPECT_EQ(app::LocalSite::localPort(QStringLiteral("http://127.0.0.1:0/")), 0);
    EXPECT_EQ(app::LocalSite::localPort(QStringLiteral("http://127.0.0.2:8731/")), 0);
}

} // namespace
