#pragma once

#include "platform/NewItemsNotice.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class TDM_CDS;
class TFrm_Browser;
class TFrm_Login;
class TFrm_Main;
class TFrm_Postdata;
class TFrm_Search;
class TFrm_Sendto;

namespace browser {
class PlayerServer;
}

namespace platform {
class Prompter;
}

// The program's objects, made in their fixed order and wired together.
class Program final : public QObject
{
    Q_OBJECT
public:
    Program(platform::Prompter &prompter, const QString &site);
    ~Program() override;

    // Whether the start asks for a login (else it only lists the saved
    // users, for a picture of the main window).
    void setLoginAtStart(bool ask);
    // Shows the main window; the login gate follows.
    void start();

    TFrm_Main *Frm_Main() const { return m_main.get(); }
    TDM_CDS *DM_CDS() const { return m_dataModule.get(); }
    TFrm_Login *Frm_Login() const { return m_login.get(); }
    TFrm_Browser *Frm_Browser() const { return m_browser.get(); }
    TFrm_Sendto *Frm_Sendto() const { return m_sendto.get(); }
    TFrm_Postdata *Frm_Postdata() const { return m_poster.get(); }
    TFrm_Search *Frm_Search() const { return m_search.get(); }
    const QStringList &creationOrder() const { return m_creationOrder; }
    platform::NewItemsListener &newItemsListener() { return m_listener; }

    // 0, or 1 once the catalogue could not be opened.
    int exitCode() const { return m_exitCode; }

signals:
    void ready();

private:
    std::unique_ptr<TFrm_Main> m_main;
    std::unique_ptr<TFrm_Login> m_login;
    std::unique_ptr<TDM_CDS> m_dataModule;
    std::unique_ptr<browser::PlayerServer> m_player;
    std::unique_ptr<TFrm_Browser> m_browser;
    std::unique_ptr<TFrm_Sendto> m_sendto;
    std::unique_ptr<TFrm_Postdata> m_poster;
    std::unique_ptr<TFrm_Search> m_search;
    platform::NewItemsListener m_listener;
    QStringList m_creationOrder;
    int m_exitCode = 0;
};
