// Watching a movie in the browser window: the keyboard goes to the movie at
// once and after a click, while the window's own keys keep working.
#include "BrowserFixture.h"
#include "PlayerColour.h"

#include "Files.h"
#include "samples/SampleSwf.h"

#include <QApplication>
#include <QDir>
#include <QMap>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <memory>

namespace {

class BrowserMovie : public BrowserWindow
{
protected:
    BrowserMovie() : movies(1)
    {
        keys = QDir(movies.home.path()).filePath(QStringLiteral("local/动画/keys.swf"));
        writeFile(keys, samples::keySwf());
        for (unsigned c : samples::keySwfColours())
            keyColours << QColor(QRgb(c));
        window.setProgramDir(movies.home.path());
        window.resize(640, 480);
    }

    // Where keys typed now go: the focused widget of the active window.
    static void type(Qt::Key key)
    {
        // A window comes back active a moment after the one over it went.
        waitFor([] { return QApplication::focusWidget() != nullptr; });
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr) << "no widget has the keyboard";
        QTest::keyClick(focus, key);
    }

    bool shows(const QColor &colour) { return waitForColour(window, colour) > 200; }

    // What a script in the page answers.
    QVariant ask(const QString &script)
    {
        const auto answer = std::make_shared<QVariant>();
        const auto done = std::make_shared<bool>(false);
        window.WebBrowser1->engineView()->page()->runJavaScript(script, [answer, done](const QVariant &v) {
            *answer = v;
            *done = true;
        });
        waitFor([&] { return *done; });
        return *answer;
    }

    // The player's menu as shown: each entry's text and centre in the
    // view; none while it is hidden.
    QMap<QString, QPoint> playerMenu()
    {
        const QVariantList entries =
            ask(QStringLiteral(
                    "(()=>{const s=document.querySelector('ruffle-player').shadowRoot;"
                    "if(s.getElementById('context-menu-overlay').classList.contains('hidden'))return [];"
                    "return [...s.querySelectorAll('#context-menu .menu-item')].map(e=>{"
                    "const r=e.getBoundingClientRect();return [e.textContent,r.x+r.width/2,r.y+r.height/2];});})()"))
                .toList();
        QMap<QString, QPoint> menu;
        for (const QVariant &e : entries) {
            const QVariantList entry = e.toList();
            menu.insert(entry.at(0).toString(), QPoint(entry.at(1).toInt(), entry.at(2).toInt()));
        }
        return menu;
    }

    QWidget *surface() { return window.WebBrowser1->engineView()->focusProxy(); }

    // Whether the movie's picture changes within `ms`.
    bool pictureChanges(int ms)
    {
        const QImage first = surface()->grab().toImage();
        return waitFor([&] { return surface()->grab().toImage() != first; }, ms);
    }

    Movies movies;
    QString keys;
    QList<QColor> keyColours;
};

TEST_F(BrowserMovie, TheMovieHasTheKeyboardWhenShownAndAfterAClick)
{
    // Both ways a movie comes: a page of its own, and handed to the page
    // already showing a movie.
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (int round : {0, 1}) {
        SCOPED_TRACE(round == 0 ? "own page" : "handed over");
        window.ShowItemPage(keys, QStringLiteral("键盘"), 1);
        ASSERT_TRUE(shows(keyColours.at(0)));
        type(Qt::Key_A);
        EXPECT_TRUE(shows(keyColours.at(1))) << "a key with no click first";

        // The keyboard elsewhere, a click into the movie brings it back.
        window.sb_Back->setFocus();
        QWidget *surface = window.WebBrowser1->engineView()->focusProxy();
        QTest::mouseClick(surface, Qt::LeftButton, {}, surface->rect().center());
        type(Qt::Key_B);
        EXPECT_TRUE(shows(keyColours.at(2))) << "a key after a click";
        // The next movie takes the keyboard as it shows.
        window.ShowItemPage(movies.paths.at(0), QStringLiteral("动画"), 2);
        ASSERT_TRUE(shows(movies.backgrounds.at(0)));
    }
    EXPECT_FALSE(window.WebBrowser1->isFullScreen()) << "a movie that asks for full screen on its own stays put";
    EXPECT_TRUE(window.isActiveWindow());
}

// Full screen from F11 and from the movie's own request (a key it hears),
// left by F11 and Esc, and ended by another item or by closing the window;
// the window stays where and as large as it was.
TEST_F(BrowserMovie, TheMovieFillsTheScreenAndGivesItBack)
{
    window.move(30, 40);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QRect place = window.geometry();
    window.ShowItemPage(keys, QStringLiteral("键盘"), 1);
    ASSERT_TRUE(shows(keyColours.at(0)));
    QWebEngineView *view = window.WebBrowser1->engineView();
    const QSize screen = window.screen()->geometry().size();
    const auto fullScreenSurfaces = [] {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            n += w->isVisible() && w->isFullScreen();
        return n;
    };
    const auto expectFull = [&](const char *how) {
        ASSERT_TRUE(waitFor([&] { return window.WebBrowser1->isFullScreen() && view->size() == screen; })) << how;
        EXPECT_TRUE(view->window()->isFullScreen()) << how;
        EXPECT_EQ(fullScreenSurfaces(), 1) << how;
    };
    const auto expectBack = [&](const char *how) {
        ASSERT_TRUE(waitFor([&] { return !window.WebBrowser1->isFullScreen() && fullScreenSurfaces() == 0; })) << how;
        EXPECT_EQ(view->window(), &window) << how;
        EXPECT_EQ(window.geometry(), place) << how;
        EXPECT_FALSE(window.isFullScreen()) << how;
    };

    type(Qt::Key_F11);
    expectFull("F11");
    type(Qt::Key_A);
    EXPECT_TRUE(shows(keyColours.at(1))) << "the movie keeps the keyboard in full screen";
    type(Qt::Key_F11);
    expectBack("F11 again");
    EXPECT_TRUE(shows(keyColours.at(1)));

    type(Qt::Key_F);
    expectFull("the movie's request");
    type(Qt::Key_Escape);
    expectBack("Esc");
    type(Qt::Key_B);
    EXPECT_TRUE(shows(keyColours.at(2))) << "the keyboard is the movie's again";

    type(Qt::Key_F);
    expectFull("the movie's request again");
    window.ShowItemPage(movies.paths.at(0), QStringLiteral("动画"), 2);
    expectBack("another item");
    EXPECT_TRUE(shows(movies.backgrounds.at(0)));

    type(Qt::Key_F11);
    expectFull("F11 on the next item");
    window.close();
    expectBack("the window closed");
    EXPECT_FALSE(window.isVisible());
}

// A right click in the movie shows the player's menu in Chinese, whole; its
// "播放" pauses the movie, its picture standing still, and plays it again.
TEST_F(BrowserMovie, TheMenuOnARightClickPausesTheMovie)
{
    window.resize(window.minimumSize()); // the whole menu fits even here
    window.show();
    window.ShowItemPage(movies.paths.at(0), QStringLiteral("动画"), 2);
    ASSERT_TRUE(shows(movies.backgrounds.at(0)));
    EXPECT_TRUE(pictureChanges(5000)) << "playing, the picture moves";

    QTest::mouseClick(surface(), Qt::RightButton, {}, surface()->rect().center());
    ASSERT_TRUE(waitFor([&] { return !playerMenu().isEmpty(); })) << "no menu on a right click";
    const QMap<QString, QPoint> menu = playerMenu();
    for (const QString &entry :
         {QStringLiteral("播放"), QStringLiteral("后退"), QStringLiteral("前进"), QStringLiteral("返回"),
          QStringLiteral("质量：高"), QStringLiteral("进入全屏"), QStringLiteral("音量控制")})
        EXPECT_TRUE(surface()->rect().contains(menu.value(entry, QPoint(-1, -1))))
            << entry.toStdString() << " in " << menu.keys().join(u',').toStdString();
    QTest::mouseClick(surface(), Qt::LeftButton, {}, menu.value(QStringLiteral("播放")));
    ASSERT_TRUE(waitFor([&] { return playerMenu().isEmpty(); })) << "the menu goes once used";
    QTest::qWait(300); // the menu's last picture
    EXPECT_FALSE(pictureChanges(1500)) << "paused, the picture stands still";

    QTest::mouseClick(surface(), Qt::RightButton, {}, surface()->rect().center());
    ASSERT_TRUE(waitFor([&] { return !playerMenu().isEmpty(); }));
    QTest::mouseClick(surface(), Qt::LeftButton, {}, playerMenu().value(QStringLiteral("播放")));
    ASSERT_TRUE(waitFor([&] { return playerMenu().isEmpty(); }));
    EXPECT_TRUE(pictureChanges(5000)) << "played again, it moves";
}

} // namespace
