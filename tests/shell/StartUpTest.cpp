// Start-up on a real desktop: the first start on a home without a catalogue,
// one program per home, and the help command.
#include "DemoHome.h"
#include "EnvVar.h"
#include "Files.h"
#include "Jet3Sample.h"
#include "OldCatalogue.h"
#include "ScriptedPrompter.h"
#include "Wait.h"

#include "app/FirstStart.h"
#include "app/HomeInstance.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "browser/BrowserWindow.h"
#include "browser/PlayerServer.h"
#include "browser/WebView.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <optional>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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
    EXPECT_EQ(readFile(broken + QStringLiteral("/Data/info.db")), QByteArray("not a database"));

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

// What a progress dialog showed as it closed.
class ProgressAtClose final : public QObject
{
public:
    QString label;
    int maximum = 0;
    int value = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *dialog = qobject_cast<QProgressDialog *>(watched);
        if (dialog && event->type() == QEvent::Hide) {
            label = dialog->labelText();
            maximum = dialog->maximum();
            value = dialog->value();
        }
        return false;
    }
};

// Before its window, a start claims its home, reads the site's address and
// settles the catalogue: an owner that does not answer, a declined or failed
// import, a declined demo home each end the start with their code; a
// screenshot run goes on. (A taken import: Jet3File below.)
TEST(FirstStart, ThePreparedHomeIsClaimedImportedOrLeftWithItsCode)
{
    QTemporaryDir dir;
    const EnvVar config("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")));
    const QString settings = dir.filePath(QStringLiteral("config/flashbar/flashbar.conf"));
    const import::WorkerCommand worker{QStringLiteral(FLASHBAR_PROGRAM), {QStringLiteral("--import-worker")}};
    const QString home = dir.filePath(QStringLiteral("old"));
    const QString db = home + QStringLiteral("/Data/info.db");
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/Data")));
    ASSERT_TRUE(QFile::rename(fruitUnderCatalogueNames(QStringLiteral(FRUIT_MDB), dir.path()),
                              home + QStringLiteral("/Data/info.mdb")));
    ScriptedPrompter prompter;
    app::Options options;
    options.home = home;
    common::SiteSetting site;
    const auto prepare = [&](const QString &where) {
        prompter.asked.clear();
        app::HomeInstance instance(where);
        return app::prepareHome(instance, options, where, worker, prompter, &site);
    };

    {
        // Held by a program that does not answer: told, and nothing else done.
        app::HomeInstance holder(home);
        ASSERT_EQ(holder.claim(), app::HomeInstance::Claim::First);
        EXPECT_EQ(prepare(home), 1);
        ASSERT_EQ(prompter.asked.size(), 1);
        EXPECT_EQ(prompter.asked[0].icon, platform::Prompter::Icon::Error);
        EXPECT_TRUE(prompter.asked[0].text.contains(QStringLiteral("没有响应")));
        EXPECT_TRUE(prompter.asked[0].text.contains(home)) << prompter.asked[0].text.toStdString();
        EXPECT_FALSE(QFileInfo::exists(settings));

        // A screenshot run neither claims the home nor imports; a bad address
        // in the settings file is told and the default used.
        writeFile(settings, "[site]\naddress=ftp://files.example/\n");
        options.screenshot = dir.filePath(QStringLiteral("shot.png"));
        EXPECT_EQ(prepare(home), std::nullopt);
        ASSERT_EQ(prompter.asked.size(), 1);
        EXPECT_TRUE(prompter.asked[0].text.contains(settings)) << prompter.asked[0].text.toStdString();
        EXPECT_EQ(site.address, app::kDefaultSite);
        EXPECT_TRUE(site.ownSite) << "the default address is our own site's";
        EXPECT_FALSE(QFileInfo::exists(db));
        options.screenshot.clear();
        ASSERT_TRUE(QFile::remove(settings));
    }

    // The import declined: the program is to quit, and the first start has
    // kept the default address in the settings file.
    EXPECT_EQ(prepare(home), 0);
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_TRUE(prompter.asked[0].text.contains(home + QStringLiteral("/Data/info.mdb")));
    EXPECT_FALSE(QFileInfo::exists(db));
    EXPECT_TRUE(readFile(settings).contains(app::kDefaultSite.toUtf8())) << readFile(settings).toStdString();

    // Taken, but its tables are only named like the catalogue's: refused,
    // told in a window naming each table and the columns it lacks.
    prompter.answers = {platform::Prompter::Answer::Yes};
    EXPECT_EQ(prepare(home), 1);
    ASSERT_EQ(prompter.asked.size(), 2);
    EXPECT_EQ(prompter.asked[1].icon, platform::Prompter::Icon::Error);
    EXPECT_TRUE(prompter.asked[1].text.startsWith(QStringLiteral("目录数据库导入失败：")));
    EXPECT_TRUE(prompter.asked[1].text.contains(QStringLiteral("表 tb_Class 缺少列 ClassID、classname；")))
        << prompter.asked[1].text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(db));

    // A file that is no catalogue: the failure is told and the program quits.
    const QString other = dir.filePath(QStringLiteral("fruit"));
    ASSERT_TRUE(QDir().mkpath(other + QStringLiteral("/Data")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(FRUIT_MDB), other + QStringLiteral("/Data/info.mdb")));
    prompter.answers = {platform::Prompter::Answer::Yes};
    EXPECT_EQ(prepare(other), 1);
    ASSERT_EQ(prompter.asked.size(), 2);
    EXPECT_EQ(prompter.asked[1].icon, platform::Prompter::Icon::Error);

    // Without --home, an empty home is offered a demo catalogue; No quits.
    options.home.clear();
    const QString fresh = dir.filePath(QStringLiteral("fresh"));
    EXPECT_EQ(prepare(fresh), 0);
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_TRUE(prompter.asked[0].text.contains(fresh + QStringLiteral("/Data/info.db")));
    EXPECT_FALSE(QFileInfo::exists(fresh + QStringLiteral("/Data")));
}

// An old catalogue taken: read under its progress, table by table, the
// columns the catalogue does not know told in one line, and the start goes
// on with the command line's site, which is not kept; from then on the home
// has its catalogue and nothing is asked.
TEST(Jet3File, FirstStartImportsTheOldCatalogueUnderItsProgress)
{
    QTemporaryDir dir;
    const EnvVar config("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")));
    const QString settings = dir.filePath(QStringLiteral("config/flashbar/flashbar.conf"));
    const import::WorkerCommand worker{QStringLiteral(FLASHBAR_PROGRAM), {QStringLiteral("--import-worker")}};
    const QString home = dir.filePath(QStringLiteral("old"));
    const QString db = home + QStringLiteral("/Data/info.db");
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/Data")));
    ASSERT_TRUE(QFile::rename(jet3Catalogue(dir.path()), home + QStringLiteral("/Data/info.mdb")));
    ScriptedPrompter prompter;
    app::Options options;
    options.home = home;
    common::SiteSetting site;
    const auto prepare = [&](const QString &where) {
        prompter.asked.clear();
        app::HomeInstance instance(where);
        return app::prepareHome(instance, options, where, worker, prompter, &site);
    };

    ProgressAtClose progress;
    qApp->installEventFilter(&progress);
    options.site = QStringLiteral("http://10.0.0.2:81/");
    options.siteGiven = true;
    prompter.answers = {platform::Prompter::Answer::Yes};
    EXPECT_EQ(prepare(home), std::nullopt);
    qApp->removeEventFilter(&progress);
    EXPECT_EQ(site.address, options.site);
    EXPECT_FALSE(site.ownSite) << "the user's address is used as it is";
    EXPECT_FALSE(QFileInfo::exists(settings));
    ASSERT_EQ(prompter.asked.size(), 2);
    EXPECT_EQ(prompter.asked[1].icon, platform::Prompter::Icon::Information);
    EXPECT_TRUE(
        prompter.asked[1].text.endsWith(QStringLiteral("没有导入：tb_Files.SupplierID、tb_Files.QuantityPerUnit、"
                                                       "tb_Files.UnitPrice、tb_Files.UnitsInStock、"
                                                       "tb_Files.UnitsOnOrder、tb_Files.ReorderLevel、"
                                                       "tb_Files.Discontinued、tb_Class.Phone、tb_Colume.Picture")))
        << prompter.asked[1].text.toStdString();
    EXPECT_TRUE(QFileInfo::exists(db));
    EXPECT_TRUE(catalogue::catalogueInfo(home).contains(QStringLiteral("items: 77\n")))
        << catalogue::catalogueInfo(home).toStdString();
    // It closed on the last table's count.
    const QRegularExpressionMatch table =
        QRegularExpression(QStringLiteral("\n表 (\\d+)/\\1：.+\n已导入 [1-9]\\d* 行$")).match(progress.label);
    ASSERT_TRUE(table.hasMatch()) << progress.label.toStdString();
    EXPECT_EQ(progress.maximum, table.captured(1).toInt() * 100);
    EXPECT_GT(progress.value, progress.maximum - 100);
    // Now that it has its catalogue, nothing is asked, with --home or without.
    EXPECT_EQ(prepare(home), std::nullopt);
    EXPECT_TRUE(prompter.asked.isEmpty());
    options.home.clear();
    EXPECT_EQ(prepare(home), std::nullopt);
    EXPECT_TRUE(prompter.asked.isEmpty());
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

    // The raise line in two pieces is one request.
    QLocalSocket slow;
    slow.connectToServer(app::homeSocketPath(home.path()));
    ASSERT_TRUE(slow.waitForConnected(3000));
    slow.write("rai");
    slow.flush();
    answer.clear();
    EXPECT_FALSE(waitFor([&] { return !(answer += slow.readAll()).isEmpty(); }, 300));
    slow.write("se\n");
    slow.flush();
    ASSERT_TRUE(waitFor([&] {
        answer += slow.readAll();
        return answer.endsWith('\n');
    }));
    EXPECT_EQ(answer, QByteArray("ok\n"));
    EXPECT_EQ(raised.count(), 1);

    // The first one is busy in this very thread and cannot answer in time.
    app::HomeInstance second(home.path());
    EXPECT_EQ(second.claim(), app::HomeInstance::Claim::OtherSilent);

    // A home locked by a program that never listened: silent too. The home
    // need not exist yet.
    const QString unmade = home.filePath(QStringLiteral("unmade"));
    QLockFile held(app::homeSocketPath(unmade) + QStringLiteral(".lock"));
    ASSERT_TRUE(held.tryLock(0));
    app::HomeInstance third(unmade);
    EXPECT_EQ(third.claim(), app::HomeInstance::Claim::OtherSilent);
}

// Without a usable runtime directory (Qt's own fallback under the temporary
// directory blocked too) the home's socket is made in the temporary
// directory: two starts on a home still meet, whatever their current
// directories.
TEST(HomeInstance, WithoutARuntimeDirectoryTwoStartsStillMeet)
{
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString tmp = dir.filePath(QStringLiteral("tmp"));
    ASSERT_TRUE(QDir().mkpath(home) && QDir().mkpath(tmp));
    for (const QString &plain :
         {dir.filePath(QStringLiteral("plain")),
          QStringLiteral("%1/runtime-%2").arg(tmp, QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name))}) {
        writeFile(plain, {});
    }
    const EnvVar runtime("XDG_RUNTIME_DIR", dir.filePath(QStringLiteral("plain")));
    const EnvVar temporary("TMPDIR", tmp);

    std::optional<CurrentDir> here(std::in_place, home);
    app::HomeInstance first(home);
    ASSERT_EQ(first.claim(), app::HomeInstance::Claim::First);
    here.emplace(dir.path());
    app::HomeInstance second(home);
    EXPECT_EQ(second.claim(), app::HomeInstance::Claim::OtherSilent);
    EXPECT_TRUE(app::homeSocketPath(home).startsWith(tmp + u'/'));
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
    writeFile(chm, "ITSF");
    desktopOpens = true;

    // No program for it: our help page, though the desktop would take it.
    pressHelp();
    EXPECT_TRUE(handedOver.isEmpty());
    expectHelpPage();

    // A program for it that starts: it goes there and nothing else opens.
    const QString type = QMimeDatabase().mimeTypeForFile(chm).name();
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
