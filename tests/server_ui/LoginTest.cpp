// The login dialog on the real demo site: online and offline logins, the
// messages of a wrong or missing entry, the remembered users, the companion
// program and the session that later pages share.
#include "ScriptedPrompter.h"
#include "SiteAccounts.h"
#include "SiteHome.h"
#include "Wait.h"

#include "browser/BrowserWindow.h"
#include "browser/WebView.h"
#include "server/LoginDialog.h"
#include "server/LoginState.h"
#include "server/PostdataDialog.h"
#include "store/Connection.h"
#include "store/DataModule.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

struct SavedRow
{
    QString password;
    bool savepass = false;
    QString loginDate;
};

class Login : public ::testing::Test
{
protected:
    Login()
        : previousDir(QDir::currentPath()), dm(QDir(home()).filePath(TDM_CDS::defaultPath())),
          poster(prompter, siteHome().player, siteHome().base()), browser(siteHome().player, browserPrompter),
          login(prompter, state, siteHome().base())
    {
        QDir::setCurrent(home());
        login.setDataModule(&dm);
        login.setPoster(&poster);
        login.setBrowser(&browser);
        login.setCompanion(QStringLiteral("Norvane-test"));
        dm.aq_all.setSql(QStringLiteral("delete * from tb_users"));
        dm.aq_all.execSql();
        QFile::remove(mark());
    }
    ~Login() override
    {
        browser.hide();
        QDir::setCurrent(previousDir);
    }
    static QString home() { return siteHome().home.path(); }
    static QString mark() { return QDir(home()).filePath(QStringLiteral("companion-started")); }

    // Shows the dialog as the program does; `act` runs once it is up.
    TFrm_Login::Outcome show(const std::function<void()> &act)
    {
        // Whatever the act does, the dialog must not stay up for ever.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [this] {
            ADD_FAILURE() << "the dialog stayed open";
            login.reject();
        });
        QTimer::singleShot(0, &login, [this, act] {
            if (waitFor([this] { return login.isVisible(); }))
                act();
        });
        guard.start(30000);
        const TFrm_Login::Outcome outcome = login.ShowModal();
        guard.stop();
        return outcome;
    }
    // Fills in the dialog and presses "登陆(&O)"; waits for the post.
    void logIn(const QString &name, const QString &password, bool save)
    {
        login.cb_username->setEditText(name);
        login.ed_password->setText(password);
        login.CheckBox1->setChecked(save);
        QTest::mouseClick(login.Button1, Qt::LeftButton);
    }
    // The browser window's page text once it holds `wanted` (or after 20 s).
    QString pageText(const QString &wanted)
    {
        auto text = std::make_shared<QString>();
        waitFor(
            [&] {
                browser.WebBrowser1->toPlainText([text](const QString &t) { *text = t; });
                return text->contains(wanted);
            },
            20000);
        return *text;
    }
    // Runs a script in the browser window's page, as a person's typing and clicking.
    void runScript(const QString &script) { browser.WebBrowser1->engineView()->page()->runJavaScript(script); }
    static QList<ReceivedRequest> requestsTo(const QByteArray &method, const QByteArray &path)
    {
        return siteRequestsTo(method, path);
    }
    std::optional<SavedRow> saved(const QString &name)
    {
        QSqlQuery q(dm.ac_info.database());
        q.prepare(QStringLiteral("SELECT password, savepass, LoginDate FROM tb_users WHERE Username = ?"));
        q.addBindValue(name);
        q.exec();
        if (!q.next())
            return std::nullopt;
        return SavedRow{q.value(0).toString(), q.value(1).toBool(), q.value(2).toString()};
    }

    QString previousDir;
    ScriptedPrompter prompter;
    ScriptedPrompter browserPrompter; // the browser window's own, about its skin
    server::LoginState state;
    TDM_CDS dm;
    TFrm_Postdata poster;
    TFrm_Browser browser;
    TFrm_Login login;
};

TEST_F(Login, LaysOutTheDialog)
{
    EXPECT_EQ(login.windowTitle(), QStringLiteral("Zanto用户登陆"));
    EXPECT_EQ(login.size(), QSize(277, 153));
    EXPECT_EQ(login.cb_username->geometry(), QRect(104, 26, 121, 20));
    EXPECT_TRUE(login.cb_username->isEditable());
    EXPECT_EQ(login.cb_username->completer(), nullptr);
    EXPECT_EQ(login.ed_password->geometry(), QRect(104, 56, 121, 20));
    EXPECT_EQ(login.ed_password->echoMode(), QLineEdit::Password);
    const std::tuple<QPushButton *, QRect, QString> buttons[] = {
        {login.Button1, QRect(104, 116, 75, 25), QStringLiteral("登陆(&O)")},
        {login.Button2, QRect(192, 116, 75, 25), QStringLiteral("取消(&C)")},
        {login.Button3, QRect(16, 116, 75, 25), QStringLiteral("注册(&R)")},
    };
    for (const auto &[button, place, caption] : buttons) {
        EXPECT_EQ(button->geometry(), place);
        EXPECT_EQ(button->text(), caption);
    }
    EXPECT_TRUE(login.Button1->isDefault());
    EXPECT_EQ(login.CheckBox1->geometry(), QRect(40, 84, 97, 17));
    EXPECT_EQ(login.CheckBox1->text(), QStringLiteral("保存口令"));
    EXPECT_EQ(login.CheckBox2->geometry(), QRect(152, 84, 97, 17));
    EXPECT_EQ(login.CheckBox2->text(), QStringLiteral("离线登陆"));
    EXPECT_EQ(login.Label1->text(), QStringLiteral("用户名："));
    EXPECT_EQ(login.Label1->pos(), QPoint(40, 28));
    EXPECT_EQ(login.Label2->text(), QStringLiteral("口令："));
    EXPECT_EQ(login.Label2->pos(), QPoint(40, 60));
    // Tab order: name, password, log in, cancel, save, offline, register.
    const QList<QWidget *> order = {login.cb_username, login.ed_password, login.Button1, login.Button2,
                                    login.CheckBox1,   login.CheckBox2,   login.Button3};
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        // The combo box's own edit line comes between it and the next.
        QWidget *next = order.at(i)->nextInFocusChain();
        while (order.at(i)->isAncestorOf(next))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order.at(i + 1)) << i;
    }
}

TEST_F(Login, OnlineLoginRecordsTheUserStartsTheCompanionAndSetsTheState)
{
    // The companion is a script in the home directory that leaves a mark.
    const QString companion = QDir(home()).filePath(QStringLiteral("Norvane-test"));
    {
        QFile script(companion);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho started > companion-started\n");
    }
    QFile::setPermissions(companion, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    siteHome().site->clearRequests();
    const auto outcome = show([this] { logIn(QStringLiteral("demo"), QStringLiteral("demo"), true); });
    EXPECT_EQ(outcome, TFrm_Login::Outcome::LoggedIn);
    EXPECT_TRUE(login.LoginAccepted);
    EXPECT_TRUE(prompter.asked.isEmpty());
    EXPECT_TRUE(state.IsOnline);
    EXPECT_EQ(state.LoggedInUser, QStringLiteral("demo"));
    EXPECT_EQ(state.LoggedInPassword, QStringLiteral("demo"));
    const auto row = saved(QStringLiteral("demo"));
    ASSERT_TRUE(row);
    EXPECT_EQ(row->password, QStringLiteral("demo"));
    EXPECT_TRUE(row->savepass);
    EXPECT_FALSE(row->loginDate.isEmpty());
    EXPECT_EQ(login.cb_username->findText(QStringLiteral("demo")), 0) << "added to the open dialog's list";
    EXPECT_TRUE(waitFor([] { return QFile::exists(mark()); }, 10000)) << "the companion ran";

    // The site's session cookie goes with later pages of any web view.
    browser.ShowPage(siteHome().base() + QStringLiteral("echo"));
    ASSERT_TRUE(waitFor(
        [] {
            const auto &requests = siteHome().site->requests();
            return !requests.isEmpty() && requests.constLast().target == "/echo";
        },
        20000));
    EXPECT_TRUE(siteHome().site->requests().constLast().header("Cookie").contains("ZantoSession="));
}

TEST_F(Login, AWrongPasswordOrAnEmptyFieldKeepsTheDialogOpenAndRecordsNothing)
{
    const auto outcome = show([this] {
        logIn(QStringLiteral("demo"), QStringLiteral("wrong"), true);
        // The site said 3; the message was shown and the dialog is still up.
        EXPECT_TRUE(login.isVisible());
        logIn(QStringLiteral("   "), QStringLiteral("demo"), true);
        EXPECT_EQ(login.focusWidget(), login.cb_username);
        logIn(QStringLiteral("demo"), QStringLiteral(" "), true);
        EXPECT_EQ(login.focusWidget(), login.ed_password);
        QTest::mouseClick(login.Button2, Qt::LeftButton);
    });
    EXPECT_EQ(outcome, TFrm_Login::Outcome::Cancelled);
    EXPECT_FALSE(login.LoginAccepted);
    EXPECT_FALSE(state.IsOnline);
    EXPECT_FALSE(saved(QStringLiteral("demo")));
    EXPECT_FALSE(QFile::exists(mark()));
    ASSERT_EQ(prompter.asked.size(), 3);
    EXPECT_EQ(prompter.asked.at(0).text, QStringLiteral("对不起，您的用户名或密码不正确！"));
    EXPECT_EQ(prompter.asked.at(0).icon, platform::Prompter::Icon::Error);
    EXPECT_EQ(prompter.asked.at(1).text, QStringLiteral("用户名称不能为空，请重新填写。"));
    EXPECT_EQ(prompter.asked.at(1).icon, platform::Prompter::Icon::Question);
    EXPECT_EQ(prompter.asked.at(2).text, QStringLiteral("用户口令不能为空，请重新填写。"));
    EXPECT_EQ(prompter.asked.at(2).title, QStringLiteral("提示"));
}

TEST_F(Login, OfflineAcceptsEmptyFieldsAndStaysOffline)
{
    const auto outcome = show([this] {
        EXPECT_FALSE(login.CheckBox2->isChecked()) << "each showing unticks offline";
        login.cb_username->setEditText(QString());
        login.ed_password->clear();
        QTest::mouseClick(login.CheckBox2, Qt::LeftButton);
        QTest::mouseClick(login.Button1, Qt::LeftButton);
    });
    EXPECT_EQ(outcome, TFrm_Login::Outcome::LoggedIn);
    EXPECT_TRUE(login.LoginAccepted);
    EXPECT_FALSE(state.IsOnline);
    EXPECT_TRUE(state.LoggedInUser.isEmpty());
    EXPECT_TRUE(prompter.asked.isEmpty());
    EXPECT_FALSE(QFile::exists(mark()));
}

TEST_F(Login, RemembersUsersNewestFirstWithTheirSavedPasswords)
{
    // Accounts on the site whose names need care: an apostrophe, blanks
    // around the name, Chinese text.
    const QString quote = QStringLiteral("o'brien");
    const QString blanks = QStringLiteral(" 闪客 ");
    for (const QString &name : {quote, blanks})
        siteHome().site->accounts().create(name, QStringLiteral("pw ") + name);

    const auto logInAs = [this](const QString &name, bool save) {
        return show([=, this] { logIn(name, QStringLiteral("pw ") + name, save); });
    };
    ASSERT_EQ(logInAs(quote, true), TFrm_Login::Outcome::LoggedIn);
    ASSERT_EQ(logInAs(blanks, false), TFrm_Login::Outcome::LoggedIn);
    EXPECT_EQ(state.LoggedInUser, blanks) << "the name as typed, blanks and all";
    EXPECT_EQ(saved(quote)->password, QStringLiteral("pw ") + quote);
    EXPECT_EQ(saved(blanks)->password, QString());
    EXPECT_FALSE(saved(blanks)->savepass);

    // The next showing lists the newest first and loads its record; picking
    // the other loads its saved password; typing a name loads nothing.
    show([&, this] {
        EXPECT_EQ(login.cb_username->count(), 2);
        EXPECT_EQ(login.cb_username->itemText(0), blanks);
        EXPECT_EQ(login.cb_username->itemText(1), quote);
        EXPECT_EQ(login.cb_username->currentText(), blanks);
        EXPECT_TRUE(login.ed_password->text().isEmpty());
        EXPECT_FALSE(login.CheckBox1->isChecked());
        login.cb_username->setCurrentIndex(1);
        emit login.cb_username->activated(1);
        EXPECT_EQ(login.ed_password->text(), QStringLiteral("pw ") + quote);
        EXPECT_TRUE(login.CheckBox1->isChecked());
        login.cb_username->setEditText(blanks);
        EXPECT_EQ(login.ed_password->text(), QStringLiteral("pw ") + quote) << "typing loads nothing";
        // Logging in without saving clears the password saved before.
        login.cb_username->setEditText(quote);
        login.CheckBox1->setChecked(false);
        QTest::mouseClick(login.Button1, Qt::LeftButton);
    });
    EXPECT_EQ(saved(quote)->password, QString());
    EXPECT_FALSE(saved(quote)->savepass);
    show([this] {
        EXPECT_EQ(login.cb_username->itemText(0), QStringLiteral("o'brien"));
        QTest::mouseClick(login.Button2, Qt::LeftButton);
    });
}

TEST_F(Login, RegisterOpensTheSitesPageWhoseNewAccountThenLogsInOnline)
{
    const QString name = QStringLiteral("新来的闪客");
    const QString password = QStringLiteral("口令 42");
    siteHome().site->clearRequests();
    const auto outcome = show([&, this] {
        // Not an account yet.
        logIn(name, password, false);
        ASSERT_EQ(prompter.asked.size(), 1);
        EXPECT_EQ(prompter.asked.at(0).text, QStringLiteral("对不起，您的用户名或密码不正确！"));

        QTest::mouseClick(login.Button3, Qt::LeftButton);
        EXPECT_TRUE(login.isVisible()) << "the dialog stays open";
        EXPECT_TRUE(browser.isVisible());
        QString text = pageText(QStringLiteral("注册以后回到程序里登陆。"));
        EXPECT_TRUE(text.contains(QStringLiteral("注册新用户"))) << text.toStdString();
        EXPECT_TRUE(browser.windowTitle().contains(QStringLiteral("注册新用户")))
            << browser.windowTitle().toStdString();
        const auto gets = requestsTo("GET", "/zc/Reg.ASP");
        ASSERT_EQ(gets.size(), 1) << "a plain request";
        EXPECT_TRUE(gets.at(0).body.isEmpty());

        // The person fills in the site's form and sends it.
        runScript(QStringLiteral("var f = document.getElementById('register');"
                                 "f.Username.value = '%1'; f.Password.value = '%2';"
                                 "f.querySelector('button').click();")
                      .arg(name, password));
        text = pageText(QStringLiteral("注册成功"));
        EXPECT_TRUE(text.contains(QStringLiteral("请回到 KelvoFlash吧 里用“%1”登陆").arg(name))) << text.toStdString();
        ASSERT_EQ(requestsTo("POST", "/zc/Reg.ASP").size(), 1);

        // Back in the dialog, the new account logs in.
        logIn(name, password, false);
    });
    EXPECT_EQ(outcome, TFrm_Login::Outcome::LoggedIn);
    EXPECT_EQ(prompter.asked.size(), 1) << "no message after the first";
    EXPECT_TRUE(state.IsOnline);
    EXPECT_EQ(state.LoggedInUser, name);
    EXPECT_TRUE(saved(name));
    EXPECT_TRUE(siteHome().site->accounts().check(name, password));
}

TEST_F(Login, AnUnreadableDatabaseIsReportedWhenTheUsersAreListed)
{
    TDM_CDS broken(QDir(home()).filePath(QStringLiteral("no/such/info.db")));
    login.setDataModule(&broken);
    EXPECT_EQ(login.ShowModal(), TFrm_Login::Outcome::DatabaseFailed);
    EXPECT_FALSE(login.isVisible());
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked.constFirst().title, QStringLiteral("错误"));
    EXPECT_EQ(prompter.asked.constFirst().text, QStringLiteral("数据库读写失败，您的数据库不能正常打开！"));
}

} // namespace

namespace {

TEST(LoginRecord, SurvivesAKillRightAfterTheDialogCloses)
{
    QTemporaryDir home;
    catalogue::DemoOptions options;
    options.items = 10;
    catalogue::writeDemoCatalogue(home.path(), options);
    QProcess probe;
    probe.setWorkingDirectory(home.path());
    probe.start(QStringLiteral(KILL_PROBE), {home.path(), QStringLiteral(RUFFLE_DIR)});
    ASSERT_TRUE(probe.waitForFinished(60000));
    EXPECT_EQ(probe.exitStatus(), QProcess::CrashExit) << probe.readAllStandardError().toStdString();
    const QByteArray errors = probe.readAllStandardError();
    EXPECT_FALSE(errors.contains("demo")) << "no password or name in the output: " << errors.toStdString();

    store::Connection c(catalogue::cataloguePath(home.path()));
    QSqlQuery q(c.database());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT Username, LoginDate FROM tb_users")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("demo"));
    EXPECT_FALSE(q.value(1).toString().isEmpty());
}

} // namespace
