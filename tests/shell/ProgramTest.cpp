// The program as a whole: its objects, its start on a catalogue or without
// one, the new-items notice from another process.
#include "DemoHome.h"
#include "Files.h"
#include "LoginAtStart.h"
#include "ScriptedPrompter.h"
#include "Wait.h"

#include "app/CommandLine.h"
#include "app/HomeInstance.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "browser/BrowserWindow.h"
#include "browser/PlayerServer.h"
#include "platform/NewItemsNotice.h"
#include "search/SearchWindow.h"
#include "server/SendtoDialog.h"
#include "store/Connection.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

#include <signal.h>

namespace {

// Runs the program and returns its exit code; stderr goes to `errors`.
int runProgram(const QStringList &arguments, const QString &workingDir, QString *errors = nullptr,
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
               QString *output = nullptr)
{
    QProcess p;
    p.setWorkingDirectory(workingDir);
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(FLASHBAR_PROGRAM), arguments);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (errors)
        *errors = QString::fromLocal8Bit(p.readAllStandardError());
    if (output)
        *output = QString::fromLocal8Bit(p.readAllStandardOutput());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// Copies the demo home's catalogue and skin to `to`, leaving out the file `without`.
void copyDemoHome(const QString &to, const QString &without = {})
{
    const QDir from(sharedDemoHome());
    for (const QString &folder : {QStringLiteral("Data"), QStringLiteral("001")}) {
        QDir(to).mkpath(folder);
        for (const QString &file : QDir(from.filePath(folder)).entryList(QDir::Files)) {
            if (file != without)
                QFile::copy(from.filePath(folder + u'/' + file), QDir(to).filePath(folder + u'/' + file));
        }
    }
}

// Runs the window probe on `home` and returns what it wrote to stderr, a
// line each, Qt's own warnings left out.
QStringList runWindowProbe(const QString &home, const QStringList &scenario, int *exitCode)
{
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Under the sanitizers, whole stacks at each allocation, so that a leak
    // inside Qt's frames is named by them (and suppressed as Qt's).
    if (environment.contains(QStringLiteral("ASAN_OPTIONS")))
        environment.insert(QStringLiteral("ASAN_OPTIONS"), environment.value(QStringLiteral("ASAN_OPTIONS")) +
                                                               QStringLiteral(":fast_unwind_on_malloc=0"));
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(WINDOW_PROBE), QStringList{home} + scenario);
    if (!probe.waitForFinished(60000)) {
        probe.kill();
        probe.waitForFinished();
    }
    *exitCode = probe.exitStatus() == QProcess::NormalExit ? probe.exitCode() : -1;
    QStringList lines;
    for (const QString &line : QString::fromUtf8(probe.readAllStandardError()).split(u'\n')) {
        static const QStringList ours = {QStringLiteral("box "),      QStringLiteral("logged in"),
                                         QStringLiteral("listed"),    QStringLiteral("damaged"),
                                         QStringLiteral("restored"),  QStringLiteral("still running"),
                                         QStringLiteral("timed out"), QStringLiteral("cannot")};
        if (std::any_of(ours.begin(), ours.end(), [&](const QString &start) { return line.startsWith(start); }))
            lines << line;
    }
    return lines;
}

TEST(Program, MakesItsObjectsInOrderAndStartsOnTheCatalogue)
{
    CurrentDir here(sharedDemoHome());
    ScriptedPrompter prompter;
    Program program(prompter, QStringLiteral("http://127.0.0.1:8731/"));
    EXPECT_EQ(program.creationOrder(),
              (QStringList{QStringLiteral("Frm_Main"), QStringLiteral("Frm_Login"), QStringLiteral("DM_CDS"),
                           QStringLiteral("Frm_Browser"), QStringLiteral("Frm_Sendto"), QStringLiteral("Frm_Postdata"),
                           QStringLiteral("Frm_Search")}));
    EXPECT_FALSE(program.Frm_Browser()->isVisible());
    EXPECT_FALSE(program.Frm_Search()->isVisible());
    QSignalSpy ready(&program, &Program::ready);
    LoginAtStart login;
    program.start();
    EXPECT_TRUE(ready.wait(5000));
    EXPECT_TRUE(login.answered()) << "the login dialog came first";
    EXPECT_FALSE(program.Frm_Main()->login.IsOnline);
    EXPECT_TRUE(program.Frm_Main()->isVisible());
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(prompter.asked.isEmpty());
    program.Frm_Main()->close();
}

TEST(Program, AMissingSkinFileIsReportedByEveryWindowThatLoadsIt)
{
    // A home whose skin lacks one picture.
    QTemporaryDir home;
    copyDemoHome(home.path(), QStringLiteral("ImageBottom.bmp"));
    CurrentDir here(home.path());
    ScriptedPrompter prompter;
    Program program(prompter, QStringLiteral("http://127.0.0.1:9/"));
    // The main window, the browser window and the search window each say so
    // once, as errors.
    ASSERT_EQ(prompter.asked.size(), 3);
    for (const ScriptedPrompter::Asked &a : prompter.asked) {
        EXPECT_EQ(a.title, QStringLiteral("错误"));
        EXPECT_EQ(a.text, QStringLiteral("无法读取皮肤文件 001/ImageBottom.bmp"));
    }
    // Both are laid out all the same, and the program starts.
    EXPECT_EQ(program.Frm_Browser()->size(), QSize(473, 411));
    EXPECT_EQ(program.Frm_Browser()->PanelBkGnd()->geometry(), QRect(10, 50, 455, 349));
    EXPECT_EQ(program.Frm_Search()->PanelBkGnd()->size(), QSize(607, 405));
    QSignalSpy ready(&program, &Program::ready);
    LoginAtStart login;
    program.start();
    EXPECT_TRUE(ready.wait(5000));
    EXPECT_EQ(prompter.asked.size(), 3) << "nothing more at start";
    program.Frm_Main()->close();
}

TEST(Program, ClosingTheMainWindowEndsTheProgramWhateverElseIsOpen)
{
    CurrentDir here(sharedDemoHome());
    ScriptedPrompter prompter;
    Program program(prompter, QStringLiteral("http://127.0.0.1:9/"));
    LoginAtStart login;
    program.start();
    program.Frm_Browser()->show();
    // The application's own loop runs; a timer ends it with 7 if nothing else
    // does. It ends with the program: fired in a later test, it would end
    // that test's loops.
    QTimer::singleShot(0, program.Frm_Main(), &QWidget::close);
    QTimer::singleShot(5000, &program, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QApplication::exec(), 0) << "closing the main window ended the loop";
    program.Frm_Browser()->hide();
}

// Offline, a card first asks to log in; without a login no card dialog opens.
TEST(Program, OfflineACardAsksForALoginFirstAndOpensNothingWithoutOne)
{
    CurrentDir here(sharedDemoHome());
    ScriptedPrompter prompter;
    Program program(prompter, QStringLiteral("http://127.0.0.1:9/"));
    QSignalSpy ready(&program, &Program::ready);
    {
        LoginAtStart login;
        program.start();
        ASSERT_TRUE(ready.wait(5000));
    }
    TFrm_Main *main = program.Frm_Main();
    main->SendItemAsCard(1, QStringLiteral("甲"));
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_TRUE(prompter.asked.at(0).text.contains(QStringLiteral("离线状态")))
        << prompter.asked.at(0).text.toStdString();
    EXPECT_FALSE(program.Frm_Sendto()->isVisible());

    // "Yes" shows the login dialog; an offline login again sends nothing.
    prompter.answers << platform::Prompter::Answer::Yes;
    LoginAtStart again;
    main->SendItemAsCard(1, QStringLiteral("甲"));
    EXPECT_TRUE(again.answered());
    EXPECT_EQ(prompter.asked.size(), 2);
    EXPECT_FALSE(main->login.IsOnline);
    EXPECT_FALSE(program.Frm_Sendto()->isVisible());

    // "Recommend" asks the same, from whichever browser window is the main
    // window's now, and no longer from the one it had before.
    browser::PlayerServer player(browser::PlayerServer::locateRuffle());
    TFrm_Browser other(player, prompter);
    main->setBrowser(&other);
    emit program.Frm_Browser()->recommendRequested(2, QStringLiteral("乙"));
    EXPECT_EQ(prompter.asked.size(), 2);
    emit other.recommendRequested(2, QStringLiteral("乙"));
    EXPECT_EQ(prompter.asked.size(), 3);
    main->setBrowser(program.Frm_Browser());
    emit other.recommendRequested(2, QStringLiteral("乙"));
    EXPECT_EQ(prompter.asked.size(), 3);
    main->close();
}

TEST(Program, CancellingTheLoginAtStartEndsTheProgramBeforeAnyList)
{
    CurrentDir here(sharedDemoHome());
    ScriptedPrompter prompter;
    Program program(prompter, QStringLiteral("http://127.0.0.1:8731/"));
    QSignalSpy ready(&program, &Program::ready);
    QSignalSpy closed(program.Frm_Main(), &TFrm_Main::closed);
    LoginAtStart login(LoginAtStart::Choice::Cancel);
    program.start();
    ASSERT_TRUE(waitFor([&] { return closed.count() > 0; }));
    EXPECT_TRUE(login.answered());
    EXPECT_EQ(ready.count(), 0);
    EXPECT_FALSE(program.Frm_Main()->isVisible());
    EXPECT_EQ(program.Frm_Main()->pal_files->filesModel->rowCount(), 0) << "no list was loaded";
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(prompter.asked.isEmpty());
}

TEST(Program, WithoutACatalogueItSaysSoAndEnds)
{
    QTemporaryDir empty;
    QDir(empty.path()).mkpath(QStringLiteral("001"));
    CurrentDir here(empty.path());
    ScriptedPrompter prompter;
    Program program(prompter, QStringLiteral("http://127.0.0.1:8731/"));
    QSignalSpy ready(&program, &Program::ready);
    program.start();
    EXPECT_TRUE(waitFor([&] { return !program.Frm_Main()->isVisible(); }));
    EXPECT_EQ(ready.count(), 0);
    EXPECT_EQ(program.exitCode(), 1);
    ASSERT_FALSE(prompter.asked.isEmpty());
    const ScriptedPrompter::Asked &last = prompter.asked.last();
    EXPECT_EQ(last.title, QStringLiteral("错误"));
    EXPECT_EQ(last.text, QStringLiteral("数据库读写失败，您的数据库不能正常打开！"));
}

TEST(Program, StartsFromAnotherDirectoryInItsHome)
{
    QTemporaryDir elsewhere;
    const QString shot = QDir(elsewhere.path()).filePath(QStringLiteral("main.png"));
    QString errors;
    EXPECT_EQ(runProgram({QStringLiteral("--home"), sharedDemoHome(), QStringLiteral("--screenshot"), shot},
                         elsewhere.path(), &errors),
              0)
        << errors.toStdString();
    const QImage image(shot);
    EXPECT_EQ(image.size(), QSize(258, 395));
    // A home given relative to the working directory, and the working
    // directory itself when it holds Data/.
    QDir(elsewhere.path()).mkpath(QStringLiteral("inner"));
    EXPECT_EQ(runProgram({QStringLiteral("--home"), QStringLiteral(".."), QStringLiteral("--screenshot"), shot},
                         QDir(elsewhere.path()).filePath(QStringLiteral("inner")), &errors),
              1)
        << "the parent holds no catalogue";
    EXPECT_TRUE(errors.contains(QStringLiteral("数据库读写失败，您的数据库不能正常打开！"))) << errors.toStdString();
    EXPECT_EQ(runProgram({QStringLiteral("--screenshot"), shot}, sharedDemoHome(), &errors), 0) << errors.toStdString();
}

// Before any window the program says why it cannot start: no display (its
// home left unmade), a home it cannot make, a command line it does not know.
// Help and version need neither display nor home.
TEST(Program, SaysWhyItCannotStartBeforeAnyWindow)
{
    QTemporaryDir dir;
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("DISPLAY"),
                                QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX")})
        bare.remove(name);
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString blocked = plain.fileName() + QStringLiteral("/home");
    const QString shot = dir.filePath(QStringLiteral("x.png"));
    QString errors;
    QString output;

    EXPECT_EQ(runProgram({QStringLiteral("--home"), home}, dir.path(), &errors, bare), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("no display"))) << errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home));

    // Any of the three names a display; a screenshot needs none.
    for (const QString &name :
         {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"), QString()}) {
        SCOPED_TRACE(name.toStdString());
        QProcessEnvironment environment = bare;
        QStringList arguments{QStringLiteral("--home"), blocked};
        if (name.isEmpty())
            arguments << QStringLiteral("--screenshot") << shot;
        else
            environment.insert(name, name == QLatin1String("QT_QPA_PLATFORM") ? QStringLiteral("offscreen")
                                                                              : QStringLiteral("unused"));
        EXPECT_EQ(runProgram(arguments, dir.path(), &errors, environment), 1);
        EXPECT_TRUE(errors.contains(QStringLiteral("cannot work in %1").arg(blocked))) << errors.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(shot));

    EXPECT_EQ(
        runProgram({QStringLiteral("--home"), blocked, QStringLiteral("--help")}, dir.path(), &errors, bare, &output),
        0);
    EXPECT_EQ(output, app::helpText());
    EXPECT_EQ(runProgram({QStringLiteral("--home"), blocked, QStringLiteral("--version")}, dir.path(), &errors, bare,
                         &output),
              0);
    EXPECT_EQ(output, app::versionText());
    EXPECT_EQ(runProgram({QStringLiteral("--import-worker"), shot}, dir.path(), &errors, bare, &output), 2);
    EXPECT_TRUE(errors.startsWith(QStringLiteral("flashbar: unknown option --import-worker"))) << errors.toStdString();
    EXPECT_TRUE(errors.endsWith(app::helpText()));
    EXPECT_TRUE(output.isEmpty());
}

// Whether our site answers on 127.0.0.1:port.
bool siteAnswers(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write("GET /flashbar-site HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray answer;
    while (socket.waitForReadyRead(1000))
        answer += socket.readAll();
    return answer.contains("\r\n\r\nflashbar-site");
}

// The desktop ends the session with SIGTERM, a terminal interrupts with
// SIGINT: either closes the program as its window's closing does, with its
// code, and the local site it started ends with it. One that comes while a
// box of the start is up (the site's port taken) ends the box, then the
// program.
TEST(Program, EndsOnSigtermOrSigintAsIfClosedAndItsSiteWithIt)
{
    QTemporaryDir dir;
    copyDemoHome(dir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    for (const bool taken : {false, true}) {
        for (const int signal : {SIGTERM, SIGINT}) {
            SCOPED_TRACE(testing::Message() << "signal " << signal << (taken ? ", port taken" : ""));
            QTcpServer other;
            ASSERT_TRUE(other.listen(QHostAddress::LocalHost, 0));
            const quint16 port = other.serverPort();
            if (!taken)
                other.close();
            // The settings file marks the address as our own site's.
            const QString site = QStringLiteral("http://127.0.0.1:%1/").arg(port);
            writeFile(dir.filePath(QStringLiteral("config/flashbar/flashbar.conf")),
                      "[site]\naddress=" + site.toUtf8() + "\nlocal=true\n");
            QProcess program;
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(FLASHBAR_PROGRAM),
                          {QStringLiteral("--home"), dir.path(), QStringLiteral("--site"), site});
            // The site answers once the program waits at its login; a taken
            // port is told in a box once the program holds its home.
            const QString lock = app::homeSocketPath(dir.path()) + QStringLiteral(".lock");
            ASSERT_TRUE(waitFor([&] { return taken ? QFileInfo::exists(lock) : siteAnswers(port); }, 30000));
            ASSERT_EQ(::kill(pid_t(program.processId()), signal), 0);
            ASSERT_TRUE(program.waitForFinished(20000));
            EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
            EXPECT_TRUE(taken || !siteAnswers(port)) << "the site outlived the program";
        }
    }
}

TEST(Program, AnErrorInAnEventIsShownAndTheProgramGoesOn)
{
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(ERROR_PROBE), {});
    ASSERT_TRUE(probe.waitForFinished(30000));
    const QString errors = QString::fromLocal8Bit(probe.readAllStandardError());
    EXPECT_EQ(probe.exitCode(), 0);
    EXPECT_TRUE(errors.contains(QStringLiteral("错误: 磁盘已满"))) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("错误: plain failure"))) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("flashbar: 无处可示\n"))) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral("错误: 无处可示"))) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("still running")));
}

// The footer's advertisements when their table cannot be read: each tick
// that fails is reported by the application's error handler, one box at a
// time, before the login and after it, and the ticks go on.
TEST(Program, AnUnreadableAdvertisementTableIsReportedAtEveryTickBeforeAndAfterTheLogin)
{
    QTemporaryDir home;
    copyDemoHome(home.path());
    {
        store::Connection catalogue(QDir(home.path()).filePath(QStringLiteral("Data/info.db")));
        catalogue.exec(QStringLiteral("DROP TABLE tb_Adver"));
        catalogue.exec(QStringLiteral("CREATE VIEW tb_Adver AS SELECT 'x' AS Context, 'y' AS URL"
                                      " WHERE abs(-9223372036854775808)"));
    }
    const QString error = QStringLiteral("box 错误: 数据库错误：integer overflow Unable to fetch row");
    for (const QString &login : {QStringLiteral("after-two"), QStringLiteral("at-once")}) {
        SCOPED_TRACE(login.toStdString());
        int code = 0;
        const QStringList lines = runWindowProbe(home.path(), {QStringLiteral("advert"), login}, &code);
        const std::string all = lines.join(u'\n').toStdString();
        EXPECT_EQ(code, 0) << all;
        const qsizetype loggedIn = lines.indexOf(QStringLiteral("logged in"));
        ASSERT_GE(loggedIn, 0) << all;
        if (login == QLatin1String("after-two")) {
            EXPECT_GE(loggedIn, 2) << "boxes while the login dialog was up: " << all;
        }
        EXPECT_GE(lines.mid(loggedIn + 1).count(error), 3) << "boxes after the login: " << all;
        for (const QString &line : lines) {
            if (line.startsWith(QLatin1String("box "))) {
                EXPECT_EQ(line, error) << "one box at a time: " << all;
            }
        }
        EXPECT_EQ(lines.constLast(), QStringLiteral("still running"));
    }
}

// The catalogue file cut short under the main window: the next list command
// shows the store's error, the list keeps what it showed, and once the file
// is back the next command lists again.
TEST(Program, ADamagedCatalogueIsReportedAndTheListKeepsItsRowsUntilTheFileIsBack)
{
    for (const QString &damage : {QStringLiteral("third"), QStringLiteral("emptied")}) {
        SCOPED_TRACE(damage.toStdString());
        QTemporaryDir home;
        copyDemoHome(home.path());
        int code = 0;
        const QStringList lines = runWindowProbe(home.path(), {QStringLiteral("damage"), damage}, &code);
        const std::string all = lines.join(u'\n').toStdString();
        EXPECT_EQ(code, 0) << all;
        ASSERT_EQ(lines.size(), 6) << all;
        EXPECT_EQ(lines.at(0), QStringLiteral("logged in"));
        EXPECT_TRUE(lines.at(1).startsWith(QStringLiteral("listed: 游戏世界-全部条目 | 1/"))) << all;
        EXPECT_EQ(lines.at(2),
                  QStringLiteral("box 错误: 数据库错误：database disk image is malformed Unable to fetch row"));
        EXPECT_EQ(lines.at(3).section(u':', 1), lines.at(1).section(u':', 1)) << "the list is as it was";
        EXPECT_TRUE(lines.at(4).startsWith(QStringLiteral("restored: MTV 精选-全部条目 | 1/"))) << all;
        EXPECT_GT(lines.at(4).section(u'|', 2).trimmed().size(), 0) << "rows again";
        EXPECT_EQ(lines.at(5), QStringLiteral("still running"));
    }
}

TEST(Program, CommandLineAnswers)
{
    QString errors;
    EXPECT_EQ(runProgram({QStringLiteral("--version")}, QDir::tempPath()), 0);
    EXPECT_EQ(runProgram({QStringLiteral("--bogus")}, QDir::tempPath(), &errors), 2);
    EXPECT_TRUE(errors.contains(QStringLiteral("--bogus")));
    EXPECT_EQ(runProgram({QStringLiteral("--site"), QStringLiteral("ftp://x/")}, QDir::tempPath(), &errors), 2);

    // A bad address in the settings file is told, and the program goes on
    // with the default; the file is left for the user to mend.
    QTemporaryDir config;
    QDir(config.path()).mkpath(QStringLiteral("flashbar"));
    const QString settings = config.filePath(QStringLiteral("flashbar/flashbar.conf"));
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[site]\naddress=gopher://flash.example/\n");
    file.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    const QString shot = config.filePath(QStringLiteral("shot.png"));
    EXPECT_EQ(runProgram({QStringLiteral("--home"), sharedDemoHome(), QStringLiteral("--screenshot"), shot},
                         QDir::tempPath(), &errors, environment),
              0)
        << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("错误"))) << errors.toStdString();
    EXPECT_TRUE(errors.contains(settings)) << errors.toStdString();
    EXPECT_TRUE(QFileInfo(shot).size() > 0);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("gopher://flash.example/"));
}

// Where it cannot show or keep anything the program says why and ends with 1.
TEST(Program, RefusesToStartWhereItCannotWork)
{
    QString errors;
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        bare.remove(QLatin1String(name));
    EXPECT_EQ(runProgram({QStringLiteral("--home"), sharedDemoHome()}, QDir::tempPath(), &errors, bare), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("no display"))) << errors.toStdString();

    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("file"));
    ASSERT_TRUE(QFile(blocker).open(QIODevice::WriteOnly));
    const QString home = blocker + QStringLiteral("/home");
    EXPECT_EQ(runProgram({QStringLiteral("--home"), home, QStringLiteral("--screenshot"),
                          dir.filePath(QStringLiteral("a.png"))},
                         QDir::tempPath(), &errors),
              1);
    EXPECT_TRUE(errors.contains(QStringLiteral("cannot work in %1").arg(home))) << errors.toStdString();

    const QString shot = blocker + QStringLiteral("/shot.png");
    EXPECT_EQ(runProgram({QStringLiteral("--home"), sharedDemoHome(), QStringLiteral("--screenshot"), shot},
                         QDir::tempPath(), &errors),
              1);
    EXPECT_TRUE(errors.contains(QStringLiteral("cannot write %1").arg(shot))) << errors.toStdString();

    // Without --home and a catalogue where it starts, the user's data
    // directory is offered a demo catalogue; a picture run answers no and
    // ends, writing nothing (a picture needs no display either).
    QProcessEnvironment fresh = bare;
    fresh.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    fresh.insert(QStringLiteral("XDG_DATA_HOME"), dir.path());
    const QString picture = dir.filePath(QStringLiteral("b.png"));
    EXPECT_EQ(runProgram({QStringLiteral("--screenshot"), picture}, dir.path(), &errors, fresh), 0)
        << errors.toStdString();
    EXPECT_TRUE(errors.contains(QDir(dir.path()).filePath(QStringLiteral("flashbar/Data/info.db"))))
        << errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("flashbar/Data"))));
    EXPECT_FALSE(QFileInfo::exists(picture));
}

class NewItems : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous = qgetenv("XDG_RUNTIME_DIR");
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", previous); }

    int notify(const QString &count, QString *errors = nullptr)
    {
        return runProgram({QStringLiteral("--notify-new-items"), count}, QDir::tempPath(), errors, environment);
    }

    QTemporaryDir runtime;
    QByteArray previous;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

TEST_F(NewItems, ANoticeFromAnotherProcessReachesTheMainWindow)
{
    CurrentDir here(sharedDemoHome());
    ScriptedPrompter prompter;
    Program program(prompter, QStringLiteral("http://127.0.0.1:8731/"));
    ASSERT_TRUE(program.newItemsListener().listen()) << program.newItemsListener().errorText().toStdString();
    QFileInfo socket(platform::NewItemsListener::socketPath());
    EXPECT_TRUE(socket.absoluteFilePath().startsWith(runtime.path()));
    EXPECT_EQ(socket.permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
              QFile::Permissions())
        << "only the same user may connect";

    TFrm_Main *main = program.Frm_Main();
    const QColor before = main->sb_refresh->palette().color(QPalette::ButtonText);
    QSignalSpy spy(&program.newItemsListener(), &platform::NewItemsListener::newItems);
    // The sender waits for the answer, so the event loop must run meanwhile.
    QProcess sender;
    sender.setProcessEnvironment(environment);
    sender.start(QStringLiteral(FLASHBAR_PROGRAM), {QStringLiteral("--notify-new-items"), QStringLiteral("0")});
    ASSERT_TRUE(waitFor([&] { return sender.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(sender.exitCode(), 0);
    EXPECT_EQ(main->sb_refresh->palette().color(QPalette::ButtonText), before);

    sender.start(QStringLiteral(FLASHBAR_PROGRAM), {QStringLiteral("--notify-new-items"), QStringLiteral("7")});
    ASSERT_TRUE(waitFor([&] { return sender.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(sender.exitCode(), 0);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).toInt(), 7);
    EXPECT_EQ(main->sb_refresh->palette().color(QPalette::ButtonText), QColor(255, 0, 0));

    // A second program does not take the socket away from the first.
    platform::NewItemsListener second;
    EXPECT_FALSE(second.listen());
}

TEST_F(NewItems, WithoutARunningProgramTheSenderFails)
{
    QString errors;
    EXPECT_EQ(notify(QStringLiteral("3"), &errors), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("no running program"))) << errors.toStdString();
    EXPECT_EQ(notify(QStringLiteral("three"), &errors), 2);
}

TEST_F(NewItems, AStaleSocketIsTakenOver)
{
    {
        QFile stale(platform::NewItemsListener::socketPath());
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    platform::NewItemsListener listener;
    EXPECT_TRUE(listener.listen()) << listener.errorText().toStdString();
}

} // namespace
