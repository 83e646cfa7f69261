#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDM_CDS;
class TFrm_Browser;
class TFrm_Postdata;

namespace platform {
class Prompter;
}

namespace server {
struct LoginState;
}

// The login dialog: online against the site, or offline. Users who logged in
// here are remembered, newest first, with their passwords when asked to.
class TFrm_Login final : public QDialog
{
    Q_OBJECT
public:
    enum class Outcome { LoggedIn, Cancelled, DatabaseFailed };

    // `state` is the main window's login state, which an online login sets.
    TFrm_Login(platform::Prompter &prompter, server::LoginState &state, const QString &site, QWidget *parent = nullptr);

    // Made after the dialog; handed over here.
    void setDataModule(TDM_CDS *dataModule) { m_dm = dataModule; }
    void setPoster(TFrm_Postdata *poster) { m_poster = poster; }
    void setBrowser(TFrm_Browser *browser) { m_browser = browser; }
    // The companion program started after every online login.
    void setCompanion(const QString &name) { m_companion = name; }
    // Our own companion, started in its stead when there is none: its path
    // (flashbar-update beside the program by default). It is handed the home
    // and the site's address on its command line.
    void setOwnCompanion(const QString &program) { m_ownCompanion = program; }

    // Shows the dialog modally, after FormShow; answers LoginAccepted, or
    // DatabaseFailed when the saved users could not be listed (the message
    // has been shown). With `ask` false only the list is read.
    Outcome ShowModal(bool ask = true);

    bool LoginAccepted = false;

    QComboBox *cb_username;
    QLineEdit *ed_password;
    QPushButton *Button1;
    QPushButton *Button2;
    QCheckBox *CheckBox1;
    QCheckBox *CheckBox2;
    QPushButton *Button3;
    QLabel *Label1;
    QLabel *Label2;

    bool FormShow();
    void LoadSavedUser(const QString &name);
    bool ValidateLogin();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void cb_usernameSelect();

private:
    platform::Prompter &m_prompter;
    server::LoginState &m_state;
    QString m_site;
    QString m_companion = QStringLiteral("Norvane");
    QString m_ownCompanion;
    TDM_CDS *m_dm = nullptr;
    TFrm_Postdata *m_poster = nullptr;
    TFrm_Browser *m_browser = nullptr;
};
