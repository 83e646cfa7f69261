// Watching a movie in the browser window: the keyboard goes to the movie at
// once and after a click, while the window's own keys keep working; full
// screen; the player's menu; the sound, kept in the settings file.
#include "BrowserFixture.h"
#include "PlayerColour.h"
#include "PlayerMenu.h"

#include "EnvVar.h"
#include "Files.h"
#include "common/Settings.h"
#include "samples/SampleSwf.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
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

    static void type(Qt::Key key) { typeWith(Qt::NoModifier, key); }

    // Keys typed now go to the focused widget of the active window; that
    // window comes back active a moment after one over it went.
    static void typeWith(Qt::KeyboardModifiers modifiers, Qt::Key key)
    {
        waitFor([] { return QApplication::focusWidget() != nullptr; });
        ASSERT_NE(QApplication::focusWidget(), nullptr) << "no widget has the keyboard";
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
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

    // The player's menu as shown; none while it is hidden.
    QMap<QString, QPoint> playerMenu() { return playerMenuFrom(ask(playerMenuScript())); }

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

// The site's own playing page: the movie there has the keyboard too, and
// may fill the screen on a key of its own.
TEST_F(BrowserMovie, TheSitesPlayingPageGivesItsMovieTheKeyboard)
{
    const int id = 1031;
    const QString file = site().siteFilePath(id);
    ASSERT_FALSE(file.isEmpty());
    writeFile(file, samples::keySwf());
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.ShowItemPage(site().base() + QStringLiteral("flash/openflash.asp?fileid=%1").arg(id), QStringLiteral("站"),
                        id);
    ASSERT_TRUE(shows(keyColours.at(0)));
    type(Qt::Key_A);
    EXPECT_TRUE(shows(keyColours.at(1)));
    type(Qt::Key_F);
    EXPECT_TRUE(waitFor([&] { return window.WebBrowser1->isFullScreen(); }));
    type(Qt::Key_Escape);
    EXPECT_TRUE(waitFor([&] { return !window.WebBrowser1->isFullScreen(); }));
    QFile::remove(file);
}

// A right click in the movie shows the player's menu in Chinese, whole,
// with "发送给好友" for an item; its "播放" pauses the movie, its picture
// standing still, and plays it again.
TEST_F(BrowserMovie, TheMenuOnARightClickPausesTheMovie)
{
    window.resize(window.minimumSize()); // the whole menu fits even here
    // A movie opened as a page, not as an item, has nothing to send.
    window.ShowPage(movies.paths.at(0));
    ASSERT_TRUE(shows(movies.backgrounds.at(0)));
    QTest::mouseClick(surface(), Qt::RightButton, {}, surface()->rect().center());
    ASSERT_TRUE(waitFor([&] { return playerMenu().contains(QStringLiteral("播放")); }));
    EXPECT_FALSE(playerMenu().contains(QStringLiteral("发送给好友")));
    QTest::mouseClick(surface(), Qt::LeftButton, {}, QPoint(2, 2));
    ASSERT_TRUE(waitFor([&] { return playerMenu().isEmpty(); }));

    window.ShowItemPage(movies.paths.at(0), QStringLiteral("动画"), 2);
    ASSERT_TRUE(waitFor([&] { return window.WebBrowser1->url().path().contains(QStringLiteral("/play/")); }));
    ASSERT_TRUE(
        waitFor([&] { return ask(QStringLiteral("document.querySelector('ruffle-player').isPlaying")).toBool(); }));
    EXPECT_TRUE(pictureChanges(5000)) << "playing, the picture moves";

    QTest::mouseClick(surface(), Qt::RightButton, {}, surface()->rect().center());
    ASSERT_TRUE(waitFor([&] { return !playerMenu().isEmpty(); })) << "no menu on a right click";
    const QMap<QString, QPoint> menu = playerMenu();
    for (const QString &entry : {QStringLiteral("播放"), QStringLiteral("后退"), QStringLiteral("前进"),
                                 QStringLiteral("返回"), QStringLiteral("发送给好友"), QStringLiteral("质量：高"),
                                 QStringLiteral("进入全屏"), QStringLiteral("音量控制")})
        EXPECT_TRUE(surface()->rect().contains(menu.value(entry, QPoint(-1, -1))))
            << entry.toStdString() << " in " << menu.keys().join(u',').toStdString();
    // "发送给好友" sends the item shown.
    QSignalSpy recommended(&window, &TFrm_Browser::recommendRequested);
    QTest::mouseClick(surface(), Qt::LeftButton, {}, menu.value(QStringLiteral("发送给好友")));
    ASSERT_TRUE(waitFor([&] { return recommended.count() == 1; }));
    EXPECT_EQ(recommended.first(), (QVariantList{2, QStringLiteral("动画")}));
    ASSERT_TRUE(waitFor([&] { return playerMenu().isEmpty(); })) << "the menu goes once used";

    QTest::mouseClick(surface(), Qt::RightButton, {}, surface()->rect().center());
    ASSERT_TRUE(waitFor([&] { return !playerMenu().isEmpty(); }));
    QTest::mouseClick(surface(), Qt::LeftButton, {}, playerMenu().value(QStringLiteral("播放")));
    ASSERT_TRUE(waitFor([&] { return playerMenu().isEmpty(); })) << "the menu goes once used";
    QTest::qWait(300); // the menu's last picture
    EXPECT_FALSE(pictureChanges(1500)) << "paused, the picture stands still";

    QTest::mouseClick(surface(), Qt::RightButton, {}, surface()->rect().center());
    ASSERT_TRUE(waitFor([&] { return !playerMenu().isEmpty(); }));
    QTest::mouseClick(surface(), Qt::LeftButton, {}, playerMenu().value(QStringLiteral("播放")));
    ASSERT_TRUE(waitFor([&] { return playerMenu().isEmpty(); }));
    EXPECT_TRUE(pictureChanges(5000)) << "played again, it moves";
}

// The sound: taken from the settings file (a bad value ignored, the file
// left alone), set by keys in the window and in full screen and by the
// player's own volume controls, and written back for the next run.
TEST_F(BrowserMovie, TheSoundIsReachedWhileWatchingAndKept)
{
    QTemporaryDir config;
    EnvVar configHome("XDG_CONFIG_HOME", config.path());
    const QString file = common::settingsFilePath();
    writeFile(file, "[player]\nvolume=loud\nmuted=true\n");
    player.keepSoundInSettings();
    EXPECT_EQ(player.sound(), (common::PlayerSound{100, true}));
    EXPECT_EQ(readFile(file), QByteArray("[player]\nvolume=loud\nmuted=true\n"));
    writeFile(file, "[player]\nvolume=40\n");
    player.keepSoundInSettings();
    EXPECT_EQ(player.sound(), (common::PlayerSound{40, false}));

    // What the player's controls show and what it plays at.
    const auto heard = [&] {
        return ask(QStringLiteral("(()=>{const p=document.querySelector('ruffle-player');const s=p.shadowRoot;"
                                  "return [s.getElementById('volume-slider').valueAsNumber,"
                                  "s.getElementById('mute-checkbox').checked,Math.round(p.volume*100)];})()"))
            .toList();
    };
    const auto expectSound = [&](int volume, bool muted, const char *how) {
        const QVariantList expected{volume, muted, muted ? 0 : volume};
        EXPECT_TRUE(waitFor([&] { return heard() == expected; })) << how << ": " << heard().size();
        EXPECT_EQ(player.sound(), (common::PlayerSound{volume, muted})) << how;
        EXPECT_EQ(common::readPlayerSound(), (common::PlayerSound{volume, muted})) << how;
    };

    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.ShowItemPage(keys, QStringLiteral("键盘"), 1);
    ASSERT_TRUE(shows(keyColours.at(0)));
    expectSound(40, false, "from the file");
    typeWith(Qt::ControlModifier, Qt::Key_Down);
    expectSound(30, false, "Ctrl+Down");
    EXPECT_EQ(window.statusPanels[0]->text(), QStringLiteral("音量：30%"));
    typeWith(Qt::ControlModifier, Qt::Key_M);
    expectSound(30, true, "Ctrl+M");
    EXPECT_EQ(window.statusPanels[0]->text(), QStringLiteral("静音"));
    type(Qt::Key_F11);
    ASSERT_TRUE(waitFor([&] { return window.WebBrowser1->isFullScreen(); }));
    typeWith(Qt::ControlModifier, Qt::Key_Up);
    expectSound(40, false, "Ctrl+Up in full screen");
    type(Qt::Key_F11);
    ASSERT_TRUE(waitFor([&] { return !window.WebBrowser1->isFullScreen(); }));
    for (int i = 0; i < 8; ++i)
        typeWith(Qt::ControlModifier, Qt::Key_Up);
    expectSound(100, false, "never above 100");
    type(Qt::Key_A);
    EXPECT_TRUE(shows(keyColours.at(1))) << "other keys are still the movie's";

    // The player's own controls, from its menu: a click on the loudspeaker
    // mutes, and the program keeps it.
    QTest::mouseClick(surface(), Qt::RightButton, {}, surface()->rect().center());
    ASSERT_TRUE(waitFor([&] { return playerMenu().contains(QStringLiteral("音量控制")); }));
    QTest::mouseClick(surface(), Qt::LeftButton, {}, playerMenu().value(QStringLiteral("音量控制")));
    const auto speaker = [&] {
        const QVariantList at = ask(QStringLiteral("(()=>{const r=document.querySelector('ruffle-player').shadowRoot"
                                                   ".getElementById('volume-max').getBoundingClientRect();"
                                                   "return [r.x+r.width/2,r.y+r.height/2,r.width];})()"))
                                    .toList();
        return at.value(2).toDouble() > 0 ? QPoint(at.value(0).toInt(), at.value(1).toInt()) : QPoint();
    };
    ASSERT_TRUE(waitFor([&] { return !speaker().isNull(); })) << "the volume controls show";
    QTest::mouseClick(surface(), Qt::LeftButton, {}, speaker());
    expectSound(100, true, "the player's controls");

    // The next run starts with it.
    browser::PlayerServer next(QStringLiteral(RUFFLE_DIR));
    next.keepSoundInSettings();
    EXPECT_EQ(next.sound(), (common::PlayerSound{100, true}));
}

} // namespace
