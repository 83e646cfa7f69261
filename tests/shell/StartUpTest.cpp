// Start-up on a real desktop: the first start on a home without a catalogue,
// one program per home, and the help command.
#include "DemoHome.h"
#include "EnvVar.h"
#include "ScriptedPrompter.h"
#include "Wait.h"

#include "app/FirstStart.h"
#include "app/HomeInstance.h"
#include "app/MainWindow.h"
#include "browser/BrowserWindow.h"
#include "browser/PlayerServer.h"
#include "browser/WebView.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QMimeDatabase>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(FirstStart, OffersDemoHomeWritesItOnYesAndNeverReplacesData)
{
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("新家"));
    ScriptedPrompter prompter;

    // No: nothing is written and the program is to quit.
    EXPECT_EQ(app::offerDemoHome(home, QStringLiteral("http://127.0.0.1:9/"), prompter), app::HomeOffer::Declined);
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked[0].title, QStringLiteral("提示"));
    EXPECT_EQ(prompter.asked[0].buttons, platform::Prompter::Buttons::YesNo);
    EXPECT_TRUE(prompter.asked[0].text.contains(QDir(home).filePath(QStringLiteral("Data/info.db"))));
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/Data")));

    // Yes: a complete demo home the program opens.
    prompter.answers = {platform::Prompter::Answer::Yes};
    EXPECT_EQ(app::offerDemoHome(home, QStringLiteral("http://127.0.0.1:9/"), prompter), app::HomeOffer::Written);
    EXPECT_TRUE(QFileInfo(home + QStringLiteral("/001/ImageLeft.bmp")).isFile());
    EXPECT_TRUE(catalogue::catalogueInfo(home).contains(QStringLiteral("items: 2000\n")));

    // A home that has Data/, even with a catalogue that cannot be read, is
    // left as it is and nothing is asked.
    const QString broken = dir.filePath(QStringLiteral("broken"));
    QDir().mkpath(broken + QStringLiteral("/Data"));
    QFile db(broken + QStringLiteral("/Data/info.db"));
    ASSERT_TRUE(db.open(QIODevice::WriteOnly));
    db.write("not a database");
    db.close();
    prompter.asked.clear();
    prompter.answers = {platform::Prompter::Answer::Yes};
    EXPECT_EQ(app::offerDemoHome(broken, QString(), prompter), app::HomeOffer::NotNeeded);
    EXPECT_TRUE(prompter.asked.isEmpty());
    EXPECT_EQ(fileBytes(broken + QStringLiteral("/Data/info.db")), QByteArray("not a database"));

    // A home that cannot be written (under a plain file): the failure is told.
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString blocked = plain.fileName() + QStringLiteral("/home");
    prompter.asked.clear();
    prompter.answers = {platform::Prompter::Answer::Yes};
    EXPECT_EQ(app::offerDemoHome(blocked, QString(), prompter), app::HomeOffer::Failed);
    ASSERT_EQ(prompter.asked.size(), 2);
    EXPECT_EQ(prompter.asked[1].icon, platform::Prompter::Icon::Error);
    EXPECT_TRUE(prompter.asked[1].text.startsWith(QStringLiteral("演示目录写入失败")))
        << prompter.asked[1].text.toStdString();
    EXPECT_GT(prompter.asked[1].text.section(u'\n', 1).size(), 0) << "with the reason";
}

// A home copied from the old program has only its Access catalogue: the
// program offers to import it, reading it in a worker of its own; a file
// that is no catalogue is refused with its name, a read that never ends can
// be cancelled from its progress dialog, and neither leaves an info.db.
TEST(FirstStart, OffersTheImportOfTheOldCatalogueAndCancellingLeavesNoCatalogue)
{
    QTemporaryDir dir;
    const QString home = dir.path();
    const QString mdb = home + QStringLiteral("/Data/info.mdb");
    const QString db = home + QStringLiteral("/Data/info.db");
    ASSERT_TRUE(QDir(home).mkpath(QStringLiteral("Data")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(FRUIT_MDB), mdb));
    const import::WorkerCommand worker{QStringLiteral(FLASHBAR_PROGRAM), {QStringLiteral("--import-worker")}};
    ScriptedPrompter prompter;

    EXPECT_EQ(app::offerImport(home, worker, prompter), app::HomeOffer::Declined);
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_TRUE(prompter.asked[0].text.contains(mdb)) << prompter.asked[0].text.toStdString();

    prompter.asked.clear();
    prompter.answers = {platform::Prompter::Answer::Yes};
    EXPECT_EQ(app::offerImport(home, worker, prompter), app::HomeOffer::Failed);
    ASSERT_EQ(prompter.asked.size(), 2);
    EXPECT_EQ(prompter.asked[1].icon, platform::Prompter::Icon::Error);
    EXPECT_TRUE(prompter.asked[1].text.contains(mdb)) << prompter.asked[1].text.toStdString();
    EXPECT_TRUE(prompter.asked[1].text.contains(QStringLiteral("tb_Files"))) << prompter.asked[1].text.toStdString();
    EXPECT_FALSE(QFile::exists(db));

    // A file that never delivers (a pipe no one writes to).
    ASSERT_TRUE(QFile::remove(mdb));
    ASSERT_EQ(::mkfifo(QFile::encodeName(mdb).constData(), 0600), 0);
    prompter.asked.clear();
    prompter.answers = {platform::Prompter::Answer::Yes};
    bool cancelled = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QProgressDialog *>(w);
            if (dialog && dialog->objectName() == QStringLiteral("dlg_Import") && dialog->isVisible() && !cancelled) {
                EXPECT_TRUE(dialog->labelText().contains(mdb)) << dialog->labelText().toStdString();
                dialog->findChild<QPushButton *>()->click();
                cancelled = true;
            }
        }
    });
    poll.start(50);
    EXPECT_EQ(app::offerImport(home, worker, prompter), app::HomeOffer::Declined);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(prompter.asked.size(), 1);
    EXPECT_FALSE(QFile::exists(db));
    EXPECT_FALSE(QFile::exists(db + QStringLiteral(".import")));

    // With its info.db there is nothing to offer.
    QFile existing(db);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    prompter.asked.clear();
    EXPECT_EQ(app::offerImport(home, worker, prompter), app::HomeOffer::NotNeeded);
    EXPECT_TRUE(prompter.asked.isEmpty());
}

TEST(FirstStart, TheProgramWithoutHomeAsksWhereItLooks)
{
    // The real program, started from an empty directory with no --home: the
    // catalogue is looked for in the user's data directory. A screenshot run
    // answers the question No, so the program quits and writes nothing.
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("cwd"));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.filePath(QStringLiteral("cwd")));
    program.start(QStringLiteral(FLASHBAR_PROGRAM),
                  {QStringLiteral("--screenshot"), dir.filePath(QStringLiteral("x.png"))});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), 0);
    const QString said = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_TRUE(said.contains(dir.filePath(QStringLiteral("data/flashbar/Data/info.db")))) << said.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("data/flashbar/Data"))));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("x.png"))));
}

TEST(HomeInstance, ASecondProgramOnTheSameHomeBringsTheFirstForward)
{
    QTemporaryDir other;
    const QString home = sharedDemoHome();
    app::HomeInstance first(home);
    ASSERT_EQ(first.claim(), app::HomeInstance::Claim::First);
    // Another home is free.
    app::HomeInstance elsewhere(other.path());
    EXPECT_EQ(elsewhere.claim(), app::HomeInstance::Claim::First);

    ScriptedPrompter prompter;
    TDM_CDS dm;
    TFrm_Main window(prompter, QStringLiteral("http://127.0.0.1:9/"));
    window.setDataModule(&dm);
    window.show();
    window.showMinimized();
    int raised = 0;
    QObject::connect(&first, &app::HomeInstance::raiseRequested, &window, [&] {
        ++raised;
        app::bringToFront(&window);
    });

    // The real program on the same home leaves at once, having asked.
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(FLASHBAR_PROGRAM), {QStringLiteral("--home"), home});
    ASSERT_TRUE(waitFor([&] { return second.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().contains("already running"));
    EXPECT_EQ(raised, 1);
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(window.isVisible());
}

// Only the raise line raises; an owner that does not answer is told apart
// from one that does.
TEST(HomeInstance, AStrayLineIsRefusedAndASilentOwnerIsReported)
{
    QTemporaryDir home;
    app::HomeInstance first(home.path());
    ASSERT_EQ(first.claim(), app::HomeInstance::Claim::First);
    QSignalSpy raised(&first, &app::HomeInstance::raiseRequested);

    QLocalSocket stray;
    stray.connectToServer(app::homeSocketPath(home.path()));
    ASSERT_TRUE(stray.waitForConnected(3000));
    stray.write("hello\n");
    stray.flush();
    QByteArray answer;
    ASSERT_TRUE(waitFor([&] {
        answer += stray.readAll();
        return answer.endsWith('\n');
    }));
    EXPECT_EQ(answer, QByteArray("bad\n"));
    EXPECT_EQ(raised.count(), 0);

    // The first one is busy in this very thread and cannot answer in time.
    app::HomeInstance second(home.path());
    EXPECT_EQ(second.claim(), app::HomeInstance::Claim::OtherSilent);
}

TEST(Help, TheHomesHelpFileGoesToTheDesktopElseOurHelpPageOpensInTheBrowser)
{
    const QString home = sharedDemoHome();
    CurrentDir here(home);
    ScriptedPrompter prompter;
    TDM_CDS dm;
    browser::PlayerServer player(browser::PlayerServer::locateRuffle());
    TFrm_Browser browserWindow(player, prompter);
    TFrm_Main window(prompter, QStringLiteral("http://127.0.0.1:9/"));
    window.setDataModule(&dm);
    window.setBrowser(&browserWindow);
    window.show();
    QList<QUrl> handedOver;
    bool desktopOpens = false;
    window.desktopOpener = [&](const QUrl &url) {
        handedOver << url;
        return desktopOpens;
    };
    const QString chm = QDir(home).filePath(QStringLiteral("zanto.chm"));
    const auto pressHelp = [&] {
        browserWindow.hide();
        handedOver.clear();
        window.sb_set->click();
    };
    const auto expectHelpPage = [&] {
        ASSERT_TRUE(browserWindow.isVisible());
        ASSERT_TRUE(waitFor([&] { return browserWindow.windowTitle().contains(QStringLiteral("帮助")); }, 20000))
            << browserWindow.windowTitle().toStdString();
        const QUrl page = browserWindow.WebBrowser1->url();
        EXPECT_TRUE(page.isLocalFile()) << page.toString().toStdString();
        EXPECT_TRUE(page.path().endsWith(QStringLiteral("/help/index.html")));
        EXPECT_TRUE(QFileInfo(page.toLocalFile()).isFile());
    };

    // No zanto.chm: nothing goes to the desktop.
    pressHelp();
    EXPECT_TRUE(handedOver.isEmpty());
    expectHelpPage();

    // A zanto.chm: it goes to the desktop only where the desktop names a
    // program for its type (asked through xdg-mime, with the user's own
    // settings folders made here) and that program starts.
    QTemporaryDir xdg;
    const EnvVar config("XDG_CONFIG_HOME", xdg.filePath(QStringLiteral("config")));
    const EnvVar data("XDG_DATA_HOME", xdg.filePath(QStringLiteral("data")));
    const EnvVar desktopName("XDG_CURRENT_DESKTOP", QString());
    QFile file(chm);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("ITSF");
    file.close();
    desktopOpens = true;

    // No program for it: our help page, though the desktop would take it.
    pressHelp();
    EXPECT_TRUE(handedOver.isEmpty());
    expectHelpPage();

    // A program for it that starts: it goes there and nothing else opens.
    const QString type = QMimeDatabase().mimeTypeForFile(chm).name();
    ASSERT_TRUE(QDir().mkpath(xdg.filePath(QStringLiteral("data/applications"))));
    ASSERT_TRUE(QDir().mkpath(xdg.filePath(QStringLiteral("config"))));
    writeFile(xdg.filePath(QStringLiteral("data/applications/chm-reader.desktop")),
              "[Desktop Entry]\nType=Application\nName=CHM reader\nExec=true %f\nMimeType=" + type.toUtf8() + ";\n");
    writeFile(xdg.filePath(QStringLiteral("config/mimeapps.list")),
              "[Default Applications]\n" + type.toUtf8() + "=chm-reader.desktop\n");
    pressHelp();
    EXPECT_EQ(handedOver, QList<QUrl>{QUrl::fromLocalFile(chm)});
    EXPECT_FALSE(browserWindow.isVisible());

    // One that does not start: our help page after all.
    desktopOpens = false;
    pressHelp();
    EXPECT_EQ(handedOver, QList<QUrl>{QUrl::fromLocalFile(chm)});
    expectHelpPage();

    QFile::remove(chm);
    EXPECT_TRUE(prompter.asked.isEmpty());
    browserWindow.close();
}

} // namespace
