#include "app/Program.h"

#include "app/MainWindow.h"
#include "browser/BrowserWindow.h"
#include "browser/PlayerServer.h"
#include "browser/WebProfile.h"
#include "search/SearchWindow.h"
#include "server/LoginDialog.h"
#include "server/PostdataDialog.h"
#include "server/SendtoDialog.h"
#include "store/DataModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QToolButton>

Program::Program(platform::Prompter &prompter, const QString &site)
{
    m_main = std::make_unique<TFrm_Main>(prompter, site);
    m_creationOrder << QStringLiteral("Frm_Main");
    m_login = std::make_unique<TFrm_Login>(prompter, m_main->login, site);
    m_creationOrder << QStringLiteral("Frm_Login");
    m_dataModule = std::make_unique<TDM_CDS>();
    m_creationOrder << QStringLiteral("DM_CDS");
    m_player = std::make_unique<browser::PlayerServer>(browser::PlayerServer::locateRuffle());
    // The player's addresses stay the same from run to run, and so does what
    // the engine's cache keeps of them.
    m_player->rememberPortIn(QDir(browser::webDataDir()).filePath(QStringLiteral("player-port")));
    m_player->keepSoundInSettings();
    m_browser = std::make_unique<TFrm_Browser>(*m_player, prompter);
    m_creationOrder << QStringLiteral("Frm_Browser");
    m_sendto = std::make_unique<TFrm_Sendto>(prompter, site);
    m_creationOrder << QStringLiteral("Frm_Sendto");
    m_poster = std::make_unique<TFrm_Postdata>(prompter, *m_player, site);
    m_creationOrder << QStringLiteral("Frm_Postdata");
    m_login->setDataModule(m_dataModule.get());
    m_login->setPoster(m_poster.get());
    m_login->setBrowser(m_browser.get());
    m_main->setLoginDialog(m_login.get());
    m_sendto->setDataModule(m_dataModule.get());
    m_sendto->setPoster(m_poster.get());
    m_sendto->setBrowser(m_browser.get());
    m_main->setCardDialog(m_sendto.get());
    m_search = std::make_unique<TFrm_Search>(prompter, *m_dataModule, *m_browser, m_main->ProgramDir, site);
    m_creationOrder << QStringLiteral("Frm_Search");
    m_main->setDataModule(m_dataModule.get());
    m_main->setBrowser(m_browser.get());
    m_browser->setProgramDir(m_main->ProgramDir);

    connect(m_main->sb_search, &QToolButton::clicked, m_search.get(), &TFrm_Search::sb_searchClick);
    // The search index is read in the background once the catalogue is open.
    connect(m_main.get(), &TFrm_Main::ready, m_search.get(), &TFrm_Search::startIndexing);

    connect(m_main.get(), &TFrm_Main::databaseUnavailable, this, [this] { m_exitCode = 1; });
    connect(m_main.get(), &TFrm_Main::ready, this, &Program::ready);
    connect(&m_listener, &platform::NewItemsListener::newItems, m_main.get(), &TFrm_Main::newItemsNotice);
    // Closing the main window ends the program, whatever other windows are open.
    connect(m_main.get(), &TFrm_Main::closed, this, [] { QCoreApplication::quit(); });
}

Program::~Program() = default;

void Program::setLoginAtStart(bool ask)
{
    m_main->setLoginDialog(m_login.get(), ask);
}

void Program::start()
{
    m_listener.listen();
    m_main->centreOnScreen();
    m_main->show();
}
