#include "server/LoginDialog.h"

#include "browser/BrowserWindow.h"
#include "platform/Companion.h"
#include "platform/Prompter.h"
#include "server/LoginState.h"
#include "server/PostdataDialog.h"
#include "server/ResultCode.h"
#include "server/SavedUsers.h"
#include "store/DatabaseError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

QPushButton *button(QWidget *parent, const char *name, const QString &caption, int left)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(left, 116, 75, 25);
    b->setAutoDefault(false);
    return b;
}

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption, int left)
{
    auto *c = new QCheckBox(caption, parent);
    c->setObjectName(QLatin1String(name));
    c->setGeometry(left, 84, 97, 17);
    return c;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, int left, int top)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    l->move(left, top);
    l->adjustSize();
    return l;
}

} // namespace

TFrm_Login::TFrm_Login(platform::Prompter &prompter, server::LoginState &state, const QString &site, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_prompter(prompter), m_state(state),
      m_site(site),
      m_ownCompanion(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("flashbar-update")))
{
    setObjectName(QStringLiteral("Frm_Login"));
    setWindowTitle(QStringLiteral("Zanto用户登陆"));
    setFixedSize(277, 153);

    Label1 = label(this, "Label1", QStringLiteral("用户名："), 40, 28);
    Label2 = label(this, "Label2", QStringLiteral("口令："), 40, 60);
    cb_username = new QComboBox(this);
    cb_username->setObjectName(QStringLiteral("cb_username"));
    cb_username->setEditable(true);
    cb_username->setCompleter(nullptr);
    cb_username->setInsertPolicy(QComboBox::NoInsert);
    cb_username->setGeometry(104, 26, 121, 20);
    ed_password = new QLineEdit(this);
    ed_password->setObjectName(QStringLiteral("ed_password"));
    ed_password->setEchoMode(QLineEdit::Password);
    ed_password->setGeometry(104, 56, 121, 20);
    Button1 = button(this, "Button1", QStringLiteral("登陆(&O)"), 104);
    Button1->setDefault(true);
    Button2 = button(this, "Button2", QStringLiteral("取消(&C)"), 192);
    CheckBox1 = checkBox(this, "CheckBox1", QStringLiteral("保存口令"), 40);
    CheckBox2 = checkBox(this, "CheckBox2", QStringLiteral("离线登陆"), 152);
    Button3 = button(this, "Button3", QStringLiteral("注册(&R)"), 16);
    setTabOrder(cb_username, ed_password);
    setTabOrder(ed_password, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, CheckBox1);
    setTabOrder(CheckBox1, CheckBox2);
    setTabOrder(CheckBox2, Button3);

    connect(Button1, &QPushButton::clicked, this, &TFrm_Login::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFrm_Login::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TFrm_Login::Button3Click);
    connect(cb_username, &QComboBox::activated, this, &TFrm_Login::cb_usernameSelect);
}

TFrm_Login::Outcome TFrm_Login::ShowModal(bool ask)
{
    if (!FormShow())
        return Outcome::DatabaseFailed;
    if (!ask)
        return Outcome::LoggedIn;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    cb_username->setFocus();
    exec();
    // The loop may also have ended because the program is quitting.
    if (isVisible())
        hide();
    return LoginAccepted ? Outcome::LoggedIn : Outcome::Cancelled;
}

bool TFrm_Login::FormShow()
{
    CheckBox2->setChecked(false);
    try {
        if (!m_dm)
            throw DatabaseError(QStringLiteral("没有数据模块"));
        const QStringList names = server::listSavedUsers(*m_dm);
        const QString typed = cb_username->currentText();
        cb_username->clear();
        cb_username->addItems(names);
        // With no one to list, the name keeps what it held.
        if (names.isEmpty())
            cb_username->setEditText(typed);
        if (!names.isEmpty()) {
            cb_username->setCurrentIndex(0);
            cb_username->setEditText(names.constFirst());
            LoadSavedUser(names.constFirst());
        }
    } catch (const DatabaseError &) {
        m_prompter.ask(QStringLiteral("错误"), QStringLiteral("数据库读写失败，您的数据库不能正常打开！"),
                       platform::Prompter::Icon::Error, platform::Prompter::Buttons::Ok);
        return false;
    }
    return true;
}

void TFrm_Login::LoadSavedUser(const QString &name)
{
    if (!m_dm)
        return;
    if (const auto user = server::loadSavedUser(*m_dm, name)) {
        CheckBox1->setChecked(user->savepass);
        ed_password->setText(user->password);
    }
}

void TFrm_Login::cb_usernameSelect()
{
    LoadSavedUser(cb_username->currentText());
}

bool TFrm_Login::ValidateLogin()
{
    if (cb_username->currentText().trimmed().isEmpty()) {
        m_prompter.ask(QStringLiteral("提示"), QStringLiteral("用户名称不能为空，请重新填写。"),
                       platform::Prompter::Icon::Question, platform::Prompter::Buttons::Ok);
        cb_username->setFocus();
        return false;
    }
    if (ed_password->text().trimmed().isEmpty()) {
        m_prompter.ask(QStringLiteral("提示"), QStringLiteral("用户口令不能为空，请重新填写。"),
                       platform::Prompter::Icon::Question, platform::Prompter::Buttons::Ok);
        ed_password->setFocus();
        return false;
    }
    return true;
}

void TFrm_Login::Button1Click()
{
    if (CheckBox2->isChecked()) {
        LoginAccepted = true;
        close();
        return;
    }
    if (!ValidateLogin() || !m_poster || !m_dm)
        return;
    const QString name = cb_username->currentText();
    const QString password = ed_password->text();
    const int code = m_poster->PostForm(QStringLiteral("zc/Zanto_chklogin.asp"), QStringLiteral("状态：  正在登陆..."),
                                        {{QStringLiteral("Username"), name}, {QStringLiteral("Password"), password}});
    if (code != server::kSuccess)
        return;
    // A database error here reaches the application's handler; the dialog
    // then stays open and nothing after it happens.
    if (server::SaveLoginUser(*m_dm, name, password, QDateTime::currentDateTime(), CheckBox1->isChecked()))
        cb_username->addItem(name);
    platform::startCompanion(
        m_companion,
        {m_ownCompanion, {QStringLiteral("--home"), QDir::currentPath(), QStringLiteral("--site"), m_site}});
    m_state.LoggedInUser = name;
    m_state.LoggedInPassword = password;
    m_state.IsOnline = true;
    LoginAccepted = true;
    close();
}

void TFrm_Login::Button2Click()
{
    LoginAccepted = false;
    close();
}

void TFrm_Login::Button3Click()
{
    if (m_browser)
        m_browser->ShowPage(m_site + QStringLiteral("zc/Reg.ASP"));
}
