// Which site the program uses and whether it starts its own: the real
// flashbar-site, the real program's windows, and a web server of the user's.
#include "DemoHome.h"
#include "EnvVar.h"
#include "LoginAtStart.h"
#include "ScriptedPrompter.h"
#include "Wait.h"

#include "app/LocalSite.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "app/StartUp.h"

#include <QApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// A web server of the user's own: keeps each whole request it gets and
// answers with a page of its own.
class UsersServer final
{
public:
    UsersServer()
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *peer = m_server.nextPendingConnection()) {
                auto request = std::make_shared<QByteArray>();
                QObject::connect(peer, &QTcpSocket::readyRead, peer, [this, peer, request] {
                    *request += peer->readAll();
                    if (!complete(*request))
                        return;
                    requests << *request;
                    peer->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 25\r\n"
                                "Connection: close\r\n\r\n<html>tunnel is up</html>");
                    peer->disconnectFromHost();
                });
            }
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    QByteArrayList requests;

private:
    // Whether the head has ended and the body has its Content-Length.
    static bool complete(const QByteArray &request)
    {
        const qsizetype head = request.indexOf("\r\n\r\n");
        if (head < 0)
            return false;
        static const QRegularExpression lengthLine(QStringLiteral("content-length: *(\\d+)"),
                                                   QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch length = lengthLine.match(QString::fromLatin1(request.left(head)));
        return request.size() - head - 4 >= (length.hasMatch() ? length.captured(1).toLongLong() : 0);
    }

    QTcpServer m_server;
};

// The local site the program starts: nothing for an address elsewhere or the
// user's own on this machine, a box that names the address when its port is
// taken or its program cannot start, and the program goes on either way; a
// home without a catalogue is left to the catalogue's message.
TEST(FirstStart, ALocalSiteThatCannotStartIsTold)
{
    QTemporaryDir dir;
    const QString home = sharedDemoHome();
    ScriptedPrompter prompter;
    app::LocalSite site;
    EXPECT_EQ(app::startLocalSite(site, QStringLiteral("http://flash.example.org/"), true, home,
                                  dir.filePath(QStringLiteral("none")), prompter),
              app::LocalSite::State::Elsewhere);
    EXPECT_TRUE(prompter.asked.isEmpty());

    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    const QString takenAddress = QStringLiteral("http://127.0.0.1:%1/").arg(taken.serverPort());
    // The user's address: used as it is, whether something listens or not.
    for (const QString &users : {takenAddress, QStringLiteral("http://127.0.0.1:9/")})
        EXPECT_EQ(app::startLocalSite(site, users, false, home, QStringLiteral(SITE_PROGRAM), prompter),
                  app::LocalSite::State::Elsewhere);
    EXPECT_TRUE(prompter.asked.isEmpty());
    EXPECT_EQ(site.processId(), 0);
    EXPECT_EQ(app::startLocalSite(site, takenAddress, true, home, QStringLiteral(SITE_PROGRAM), prompter),
              app::LocalSite::State::PortTaken);
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_TRUE(prompter.asked[0].text.contains(takenAddress)) << prompter.asked[0].text.toStdString();
    EXPECT_TRUE(prompter.asked[0].text.contains(QStringLiteral("占用")));
    EXPECT_EQ(site.processId(), 0);

    taken.close();
    prompter.asked.clear();
    EXPECT_EQ(app::startLocalSite(site, takenAddress, true, home, dir.filePath(QStringLiteral("none")), prompter),
              app::LocalSite::State::Failed);
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_TRUE(prompter.asked[0].text.contains(takenAddress));
    EXPECT_TRUE(prompter.asked[0].text.contains(QStringLiteral("flashbar-site"))) << "with the reason";

    prompter.asked.clear();
    EXPECT_EQ(app::startLocalSite(site, takenAddress, true, dir.path(), QStringLiteral(SITE_PROGRAM), prompter),
              app::LocalSite::State::NoCatalogue);
    EXPECT_TRUE(prompter.asked.isEmpty()) << prompter.asked[0].text.toStdString();
    EXPECT_EQ(app::startLocalSite(site, takenAddress, true, home, QStringLiteral(SITE_PROGRAM), prompter),
              app::LocalSite::State::Started);
    EXPECT_TRUE(prompter.asked.isEmpty());
    EXPECT_NE(site.processId(), 0);
}

// A web server of the user's own on this machine (a tunnel to the site, a
// proxy, a site in development): no site of ours is started, no box is
// shown, and an online login posts to that server.
TEST(FirstStart, AUsersOwnSiteOnThisMachineIsUsedAsItIs)
{
    QTemporaryDir dir;
    const EnvVar config("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")));
    UsersServer users;
    app::Options options;
    options.site = QStringLiteral("http://127.0.0.1:%1/").arg(users.port());
    options.siteGiven = true;
    ScriptedPrompter prompter;
    const common::SiteSetting site = app::siteAddress(options, true, prompter);
    app::LocalSite local;
    EXPECT_EQ(app::startLocalSite(local, site.address, site.ownSite, sharedDemoHome(), QStringLiteral(SITE_PROGRAM),
                                  prompter),
              app::LocalSite::State::Elsewhere);
    EXPECT_EQ(local.processId(), 0);

    CurrentDir here(sharedDemoHome());
    Program program(prompter, site.address);
    const auto loginPosted = [&] {
        return std::any_of(users.requests.begin(), users.requests.end(), [](const QByteArray &r) {
            return r.startsWith("POST /zc/Zanto_chklogin.asp ") && r.endsWith("\r\n\r\nUsername=demo&Password=secret");
        });
    };
    // Once the post has reached the user's server the login is cancelled.
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (loginPosted() && dialog && dialog->objectName() == QLatin1String("Frm_Login"))
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Button2")), Qt::LeftButton);
    });
    cancel.start(20);
    LoginAtStart login(LoginAtStart::Choice::Online, QStringLiteral("demo"), QStringLiteral("secret"));
    program.setLoginAtStart(true);
    program.start();
    EXPECT_TRUE(waitFor([&] { return !program.Frm_Main()->isVisible() && loginPosted(); }, 60000));
    EXPECT_TRUE(login.answered());
    for (const ScriptedPrompter::Asked &box : prompter.asked)
        EXPECT_FALSE(box.text.contains(QStringLiteral("占用"))) << box.text.toStdString();
}

} // namespace
