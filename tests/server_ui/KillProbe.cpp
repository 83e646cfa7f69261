// Helper program for the durability test: logs in online with the demo
// account through the real dialogs against a demo site of its own, and is
// killed the moment the dialog has closed.
#include "DemoSite.h"
#include "browser/PlayerServer.h"
#include "platform/StreamPrompter.h"
#include "server/LoginDialog.h"
#include "server/LoginState.h"
#include "server/PostdataDialog.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <csignal>
#include <cstdio>

#include <unistd.h>

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: login_kill_probe HOME RUFFLE\n");
        return 2;
    }
    const QString home = QString::fromLocal8Bit(argv[1]);
    DemoSite site(home, QString::fromLocal8Bit(argv[2]));
    if (!site.listen())
        return 3;
    platform::StreamPrompter prompter;
    browser::PlayerServer player(QString::fromLocal8Bit(argv[2]));
    TDM_CDS dm(QDir(home).filePath(TDM_CDS::defaultPath()));
    TFrm_Postdata poster(prompter, player, site.baseUrl());
    server::LoginState state;
    TFrm_Login login(prompter, state, site.baseUrl());
    login.setDataModule(&dm);
    login.setPoster(&poster);
    QTimer::singleShot(0, &login, [&login] {
        login.cb_username->setEditText(QStringLiteral("demo"));
        login.ed_password->setText(QStringLiteral("demo"));
        login.Button1->click();
    });
    if (login.ShowModal() == TFrm_Login::Outcome::LoggedIn)
        ::kill(::getpid(), SIGKILL);
    return 1;
}
