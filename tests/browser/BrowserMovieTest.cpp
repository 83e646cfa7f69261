// Watching a movie in the browser window: the keyboard goes to the movie at
// once and after a click, while the window's own keys keep working.
#include "BrowserFixture.h"
#include "PlayerColour.h"

#include "Files.h"
#include "samples/SampleSwf.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>

#include <gtest/gtest.h>

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
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr) << "no widget has the keyboard";
        QTest::keyClick(focus, key);
    }

    bool shows(const QColor &colour) { return waitForColour(window, colour) > 200; }

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
    EXPECT_TRUE(window.isActiveWindow()) << "a movie that asks for full screen on its own stays in the window";
    EXPECT_FALSE(window.isFullScreen());
}

} // namespace
