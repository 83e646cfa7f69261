// The windows on an X server without a window manager, as someone running
// the program on a bare display sees them: the titles the window system
// shows, maximising and restoring by the caption buttons.
#include "ScriptedPrompter.h"
#include "Wait.h"
#include "shell/DemoHome.h"

#include "app/MainWindow.h"
#include "browser/BrowserWindow.h"
#include "browser/PlayerServer.h"
#include "platform/QtPrompter.h"
#include "store/DataModule.h"
#include "ui/skin/WindowSystem.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

#include <gtest/gtest.h>

namespace {

xcb_connection_t *connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_atom_t atom(const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(connection(), xcb_intern_atom(connection(), 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

// The title as the window system holds it: what a task bar or a window
// list shows.
QString systemTitle(QWidget *window)
{
    const xcb_window_t id = xcb_window_t(window->winId());
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection(), xcb_get_property(connection(), 0, id, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 1024),
        nullptr);
    QString title;
    if (reply)
        title = QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(reply)),
                                  xcb_get_property_value_length(reply));
    std::free(reply);
    return title;
}

// The window's place and size on the X server.
QRect systemGeometry(QWidget *window)
{
    xcb_get_geometry_reply_t *reply =
        xcb_get_geometry_reply(connection(), xcb_get_geometry(connection(), xcb_window_t(window->winId())), nullptr);
    QRect r;
    if (reply)
        r = QRect(reply->x, reply->y, reply->width, reply->height);
    std::free(reply);
    return r;
}

TEST(BareX, EveryTitleIsTheWindowsCaptionAlone)
{
    ASSERT_FALSE(skin::windowSystemMaximizes()) << "an X server without a window manager";
    CurrentDir here(sharedDemoHome());
    platform::QtPrompter boxes;
    TDM_CDS dm;
    TFrm_Main main(boxes, QStringLiteral("http://127.0.0.1:9/"));
    main.setDataModule(&dm);
    boxes.setOwner(&main);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    EXPECT_EQ(systemTitle(&main), QStringLiteral("KelvoFlash吧 2.01"));

    ScriptedPrompter quiet;
    browser::PlayerServer player(browser::PlayerServer::locateRuffle());
    TFrm_Browser browserWindow(player, quiet);
    browserWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&browserWindow));
    EXPECT_EQ(systemTitle(&browserWindow), QStringLiteral("Zanto浏览器"));
    browserWindow.hide();

    // Message boxes of each kind, read while they are up and then answered.
    QStringList titles;
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&titles] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        titles << systemTitle(box);
        box->buttons().first()->click();
    });
    answer.start();
    boxes.showError(QStringLiteral("磁盘已满"));
    boxes.inform(QStringLiteral("提示"), QStringLiteral("文件已保存"));
    boxes.inform(QStringLiteral("信息"), QStringLiteral("下载任务已交给下载工具"));
    answer.stop();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("错误"), QStringLiteral("提示"), QStringLiteral("信息")}));
    main.hide();
}

TEST(BareX, MaximiseFillsTheScreenAndRestoreTakesTheWindowBack)
{
    CurrentDir here(sharedDemoHome());
    ScriptedPrompter prompter;
    browser::PlayerServer player(browser::PlayerServer::locateRuffle());
    TFrm_Browser w(player, prompter);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QRect normal = w.geometry();
    ASSERT_EQ(normal.size(), QSize(473, 411));
    auto *max = w.findChild<QWidget *>(QStringLiteral("ImageMax"));
    auto *restore = w.findChild<QWidget *>(QStringLiteral("ImageNormal"));
    const QRect screen = w.screen()->availableGeometry();

    QTest::mouseClick(max, Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return systemGeometry(&w) == screen; })) << "the X window covers the screen";
    EXPECT_EQ(w.geometry(), screen);
    EXPECT_TRUE(w.countsAsMaximized());
    EXPECT_TRUE(restore->isVisible());
    EXPECT_FALSE(max->isVisible());
    EXPECT_EQ(restore->x(), screen.width() - 39);
    EXPECT_EQ(w.hitTest(QPoint(w.width() - 2, 200)), skin::Hit::Default) << "no resizing while maximised";

    QTest::mouseClick(restore, Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return systemGeometry(&w) == normal; }));
    EXPECT_EQ(w.geometry(), normal);
    EXPECT_FALSE(w.countsAsMaximized());
    EXPECT_TRUE(max->isVisible());
    EXPECT_FALSE(restore->isVisible());

    // The edges resize again, by the program's own handling.
    ASSERT_EQ(w.hitTest(QPoint(w.width() - 2, 200)), skin::Hit::Right);
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(w.width() - 2, 200));
    QTest::mouseMove(&w, QPoint(w.width() + 38, 200));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(w.width() + 38, 200));
    EXPECT_EQ(w.size(), QSize(513, 411));
    w.hide();
}

} // namespace
