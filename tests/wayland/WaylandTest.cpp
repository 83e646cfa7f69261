// The program on a Wayland compositor without a seat (weston's headless back
// end): the start and its login, a message box, the skinned windows moved
// and resized, a class list and an item playing in the browser window; and
// the program itself, started as a user starts it, past its login's paint.
#include "WaylandRun.h"

#include "LoginAtStart.h"
#include "PlayerColour.h"
#include "SiteHome.h"
#include "Wait.h"
#include "cards/ModalScript.h"

#include "app/MainWindow.h"
#include "app/Program.h"
#include "browse/ItemListPanel.h"
#include "browse/ItemRowsModel.h"
#include "browser/BrowserWindow.h"
#include "platform/QtPrompter.h"
#include "platform/WaylandSeat.h"
#include "server/LoginDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QHash>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using Hit = skin::Hit;

bool exposed(QWidget *w)
{
    return w && w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed();
}

// A press at `from`, the mouse moved by `by` with the button held, a release:
// through the window's own handlers, as the platform delivers them.
void drag(QWidget &w, QPoint from, QPoint by)
{
    const auto send = [&w](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(w.mapToGlobal(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(&w, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, from + by, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, from + by, Qt::LeftButton, Qt::NoButton);
}

// How many buffers the program gave the compositor for its window titled
// `title`, read off the protocol log that WAYLAND_DEBUG=client writes.
int buffersOfWindowTitled(const QString &log, const QString &title)
{
    QHash<QString, QString> surfaceOfXdg;
    QHash<QString, QString> xdgOfToplevel;
    static const QRegularExpression xdgSurface(
        QStringLiteral(R"(get_xdg_surface\(new id xdg_surface@(\d+), wl_surface@(\d+)\))"));
    static const QRegularExpression toplevel(
        QStringLiteral(R"(xdg_surface@(\d+)\.get_toplevel\(new id xdg_toplevel@(\d+)\))"));
    for (auto it = xdgSurface.globalMatch(log); it.hasNext();) {
        const auto m = it.next();
        surfaceOfXdg.insert(m.captured(1), m.captured(2));
    }
    for (auto it = toplevel.globalMatch(log); it.hasNext();) {
        const auto m = it.next();
        xdgOfToplevel.insert(m.captured(2), m.captured(1));
    }
    const QRegularExpression titled(
        QStringLiteral(R"(xdg_toplevel@(\d+)\.set_title\("%1"\))").arg(QRegularExpression::escape(title)));
    const QRegularExpressionMatch named = titled.match(log);
    if (!named.hasMatch())
        return 0;
    const QString surface = surfaceOfXdg.value(xdgOfToplevel.value(named.captured(1)));
    return int(log.mid(named.capturedEnd()).count(QStringLiteral("wl_surface@%1.attach(wl_buffer").arg(surface)));
}

TEST(Wayland, ACompositorWithoutASeatLeavesTheProgramWithoutAnInputMethod)
{
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
    EXPECT_EQ(platform::waylandSeatOffered(), std::optional<bool>(false)) << "weston's headless back end";
    EXPECT_EQ(platform::waylandSeatOffered("flashbar-no-compositor"), std::nullopt);
    EXPECT_TRUE(inputMethodTurnedOff);
    EXPECT_EQ(qgetenv("QT_IM_MODULE"), QByteArray("none"));

    // A module the user chose is kept; off Wayland nothing is asked.
    const QByteArray before = qgetenv("QT_IM_MODULE");
    qputenv("QT_IM_MODULE", "compose");
    EXPECT_FALSE(platform::goWithoutInputMethodWhereNoSeat(true));
    EXPECT_EQ(qgetenv("QT_IM_MODULE"), QByteArray("compose"));
    qunsetenv("QT_IM_MODULE");
    EXPECT_FALSE(platform::goWithoutInputMethodWhereNoSeat(false));
    EXPECT_TRUE(qEnvironmentVariableIsEmpty("QT_IM_MODULE"));
    qputenv("QT_IM_MODULE", before);
}

// The program as a user starts it, on the compositor: its login dialog is
// drawn with the focus in the empty name (where Qt's input method would ask
// the seat that is not there), and the program ends on SIGTERM as it does on
// a desktop.
TEST(Wayland, TheProgramDrawsItsLoginAndEndsWhenAsked)
{
    QTemporaryDir config;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_IM_MODULE"));
    environment.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("client"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    QProcess program;
    program.setProcessEnvironment(environment);
    QString log;
    QObject::connect(&program, &QProcess::readyReadStandardError,
                     [&] { log += QString::fromUtf8(program.readAllStandardError()); });
    program.start(QStringLiteral(FLASHBAR_PROGRAM),
                  {QStringLiteral("--home"), siteHome().home.path(), QStringLiteral("--site"), siteHome().base()});
    ASSERT_TRUE(program.waitForStarted());
    const QString login = QStringLiteral("Zanto用户登陆");
    const bool drawn = waitFor(
        [&] { return buffersOfWindowTitled(log, login) >= 1 || program.state() == QProcess::NotRunning; }, 30000);
    EXPECT_TRUE(drawn);
    EXPECT_GE(buffersOfWindowTitled(log, login), 1) << "the login dialog drawn";
    EXPECT_GE(buffersOfWindowTitled(log, QStringLiteral("KelvoFlash吧 2.01")), 1) << "the main window drawn";
    program.terminate();
    EXPECT_TRUE(waitFor([&] { return program.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "signal " << program.exitCode();
    EXPECT_EQ(program.exitCode(), 0);
    if (program.state() != QProcess::NotRunning) {
        program.kill();
        program.waitForFinished();
    }
}

// The whole program in this process, as main() makes it, with message boxes
// on screen.
class WaylandJourney : public ::testing::Test
{
protected:
    WaylandJourney() : previousDir(QDir::currentPath()) { QDir::setCurrent(siteHome().home.path()); }
    ~WaylandJourney() override
    {
        program.reset();
        QDir::setCurrent(previousDir);
    }

    QString previousDir;
    platform::QtPrompter boxes;
    std::unique_ptr<Program> program;
};

TEST_F(WaylandJourney, LogsInOfflineMovesAndResizesItsWindowsListsAClassAndPlaysAnItem)
{
    program = std::make_unique<Program>(boxes, siteHome().base());
    boxes.setOwner(program->Frm_Main());
    program->setLoginAtStart(true);

    // The login dialog drawn with the focus in the empty name; an empty name
    // brings a message box over it; then an offline login.
    QString boxText;
    bool boxShown = false;
    bool loginDrawn = false;
    ModalScript script;
    script
        .then(QStringLiteral("Frm_Login"),
              [&](QWidget *window) {
                  auto *login = static_cast<TFrm_Login *>(window);
                  loginDrawn = waitFor([login] { return exposed(login); }, 10000);
                  QTest::qWait(600); // a blink of the cursor in the empty name
                  EXPECT_EQ(login->focusWidget(), login->cb_username);
                  login->cb_username->setEditText(QString());
                  login->CheckBox2->setChecked(false);
                  QTest::mouseClick(login->Button1, Qt::LeftButton);
              })
        .then(QString(),
              [&](QWidget *window) {
                  auto *box = qobject_cast<QMessageBox *>(window);
                  ASSERT_TRUE(box);
                  boxShown = waitFor([box] { return exposed(box); }, 10000);
                  boxText = box->text();
                  QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
              })
        .then(QStringLiteral("Frm_Login"), [](QWidget *window) {
            auto *login = static_cast<TFrm_Login *>(window);
            login->CheckBox2->setChecked(true);
            QTest::mouseClick(login->Button1, Qt::LeftButton);
        });
    QSignalSpy ready(program.get(), &Program::ready);
    program->start();
    ASSERT_TRUE(ready.wait(30000)) << "the program did not get past its login";
    EXPECT_TRUE(loginDrawn) << "the login dialog on screen";
    EXPECT_TRUE(boxShown) << "the message box on screen";
    EXPECT_EQ(boxText, QStringLiteral("用户名称不能为空，请重新填写。"));
    EXPECT_TRUE(script.finished());

    // The main window, centred where the compositor lets it be, is moved by
    // its caption: by the compositor, or by the program where it cannot.
    TFrm_Main *main = program->Frm_Main();
    ASSERT_TRUE(waitFor([main] { return exposed(main); }, 10000));
    EXPECT_FALSE(main->login.IsOnline);
    const QPoint caption(main->width() / 2, 20);
    ASSERT_EQ(main->hitTest(caption), Hit::Caption);
    drag(*main, caption, {30, 20});
    EXPECT_TRUE(exposed(main));

    // A class list, then its third item played in the browser window.
    QTest::mouseClick(main->findChild<QToolButton *>(QStringLiteral("sbt_c1")), Qt::LeftButton);
    ASSERT_TRUE(waitFor([main] { return main->pal_files->filesModel->rowCount() >= 3; }, 10000));
    const int id = main->pal_files->filesModel->row(2).fileId.toInt();
    QTreeView *list = main->pal_files->lv_Files;
    // A double click as a mouse makes it: a click, then the second press.
    const QPoint row = list->visualRect(list->model()->index(2, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
    TFrm_Browser *browser = program->Frm_Browser();
    ASSERT_TRUE(waitFor([browser] { return exposed(browser); }, 10000)) << "the browser window opens";
    EXPECT_EQ(browser->CurrentFileID, id);
    EXPECT_GT(waitForColour(*browser, backgroundOf(samples::sampleSwf(id))), 200) << "the item plays";

    // The browser window resized by its corner while the movie plays: the
    // compositor resizes it where it can, else the program follows the mouse.
    const QSize before = browser->size();
    const QPoint corner(browser->width() - 2, browser->height() - 2);
    ASSERT_EQ(browser->hitTest(corner), Hit::BottomRight);
    drag(*browser, corner, {40, 30});
    EXPECT_TRUE(waitFor([&] { return browser->size() == before + QSize(40, 30); }, 5000))
        << browser->width() << 'x' << browser->height();
    EXPECT_GT(waitForColour(*browser, backgroundOf(samples::sampleSwf(id))), 200) << "still playing";

    // Maximised by the compositor, to the width of its screen (the height
    // less the compositor's own panel), and back.
    const QSize sized = browser->size();
    browser->maximizeWindow();
    EXPECT_TRUE(waitFor([browser] { return browser->isMaximized() && browser->countsAsMaximized(); }, 5000));
    EXPECT_TRUE(waitFor([browser] { return browser->width() == browser->screen()->size().width(); }, 5000))
        << browser->width() << 'x' << browser->height();
    browser->restoreWindow();
    EXPECT_TRUE(waitFor([&] { return !browser->isMaximized() && browser->size() == sized; }, 5000))
        << browser->width() << 'x' << browser->height();
    browser->close();
    EXPECT_TRUE(exposed(main));
}

} // namespace
