// Back and forward in the browser window: every page shown, in order, the
// site's pages and local movies handed to the readied player page alike;
// the page kept ready is never one of them.
#include "BrowserFixture.h"
#include "PlayerColour.h"

#include <QSignalSpy>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

class BrowserHistory : public BrowserWindow
{
protected:
    BrowserHistory()
    {
        window.setProgramDir(movies.home.path());
        window.resize(640, 480);
    }

    QString itemAddress(int id) const
    {
        return site().base() + QStringLiteral("flash/openflash.asp?fileid=%1").arg(id);
    }

    // Readies the window while hidden, until the player page has loaded.
    void prewarm()
    {
        QStringList served;
        QObject::connect(&player, &browser::PlayerServer::served, &window,
                         [&](const QString &path) { served << path; });
        window.Prewarm();
        ASSERT_TRUE(waitFor([&] { return served.contains(QStringLiteral("/token/blank/0/blank.swf")); }, 60000));
        ASSERT_TRUE(waitForIdle(window));
        QObject::disconnect(&player, &browser::PlayerServer::served, &window, nullptr);
    }

    // The window shows the page titled `title`, with "后退" and "前进"
    // enabled as given; it is never the page kept ready.
    void expectAt(const QString &title, bool back, bool forward)
    {
        ASSERT_TRUE(waitForTitle(window, title))
            << window.windowTitle().toStdString() << " for " << title.toStdString();
        ASSERT_TRUE(waitForIdle(window));
        waitFor([&] { return window.sb_Back->isEnabled() == back && window.sb_Forward->isEnabled() == forward; });
        EXPECT_EQ(window.sb_Back->isEnabled(), back) << title.toStdString();
        EXPECT_EQ(window.sb_Forward->isEnabled(), forward) << title.toStdString();
        EXPECT_FALSE(window.WebBrowser1->url().path().contains(QStringLiteral("/ready/")));
    }

    void expectMovie(int i) { EXPECT_GT(waitForColour(window, movies.backgrounds.at(i)), 200) << "movie " << i; }

    void openMovie(int i) { window.ShowItemPage(movies.paths.at(i), movieName(i), 10 + i); }
    static QString movieName(int i) { return QStringLiteral("动画%1").arg(i); }

    // Follows the page's link home the way a page's own script does, with
    // no click of the user's; answers the title of the page it leads to.
    QString followHomeLink()
    {
        window.WebBrowser1->engineView()->page()->runJavaScript(
            QStringLiteral("document.querySelector('a[href=\"/\"]').click()"));
        EXPECT_TRUE(waitFor([&] { return window.WebBrowser1->url().path() == QStringLiteral("/"); }, 20000));
        // Until the page has its own title the engine gives its address.
        const QString address = window.WebBrowser1->url().authority();
        EXPECT_TRUE(waitFor([&] {
            const QString title = window.WebBrowser1->title();
            return !title.isEmpty() && !title.contains(address);
        }));
        return window.WebBrowser1->title();
    }

    Movies movies{3};
};

TEST_F(BrowserHistory, AnItemPageOpenedAfterALocalMovieIsOneStepBackFromItsLink)
{
    ASSERT_NO_FATAL_FAILURE(prewarm());
    QSignalSpy loads(window.WebBrowser1->engineView()->page(), &QWebEnginePage::loadStarted);
    openMovie(0);
    ASSERT_NO_FATAL_FAILURE(expectAt(movieName(0), false, false));
    expectMovie(0);
    EXPECT_EQ(loads.count(), 0) << "the movie went to the page kept ready";

    const QString item = site().itemName(1005);
    window.ShowItemPage(itemAddress(1005), item, 1005);
    ASSERT_NO_FATAL_FAILURE(expectAt(item, true, false));
    const QString home = followHomeLink();
    ASSERT_FALSE(home.isEmpty());
    ASSERT_NO_FATAL_FAILURE(expectAt(home, true, false));

    window.sb_Back->click();
    ASSERT_NO_FATAL_FAILURE(expectAt(item, true, true));
    window.sb_Back->click();
    ASSERT_NO_FATAL_FAILURE(expectAt(movieName(0), false, true));
    expectMovie(0);
    window.sb_Forward->click();
    ASSERT_NO_FATAL_FAILURE(expectAt(item, true, true));
    window.sb_Forward->click();
    ASSERT_NO_FATAL_FAILURE(expectAt(home, true, false));
}

// A site page first, then local movies one after the other, back across
// them and forward again; closed and opened again, the window starts a
// history of its own.
TEST_F(BrowserHistory, LocalMoviesAndSitePagesInAnyOrderAreEachAStep)
{
    ASSERT_NO_FATAL_FAILURE(prewarm());
    const QString first = site().itemName(1006);
    window.ShowItemPage(itemAddress(1006), first, 1006);
    ASSERT_NO_FATAL_FAILURE(expectAt(first, false, false));
    openMovie(0);
    ASSERT_NO_FATAL_FAILURE(expectAt(movieName(0), true, false));
    expectMovie(0);
    openMovie(1);
    ASSERT_NO_FATAL_FAILURE(expectAt(movieName(1), true, false));
    expectMovie(1);

    window.sb_Back->click();
    ASSERT_NO_FATAL_FAILURE(expectAt(movieName(0), true, true));
    expectMovie(0);
    window.sb_Back->click();
    ASSERT_NO_FATAL_FAILURE(expectAt(first, false, true));
    window.sb_Forward->click();
    ASSERT_NO_FATAL_FAILURE(expectAt(movieName(0), true, true));
    expectMovie(0);
    window.sb_Forward->click();
    ASSERT_NO_FATAL_FAILURE(expectAt(movieName(1), true, false));
    expectMovie(1);

    window.close();
    QSignalSpy loads(window.WebBrowser1->engineView()->page(), &QWebEnginePage::loadStarted);
    openMovie(2);
    ASSERT_NO_FATAL_FAILURE(expectAt(movieName(2), false, false));
    expectMovie(2);
    EXPECT_EQ(loads.count(), 0) << "the movie went to the page kept ready";
    const QString second = site().itemName(1007);
    window.ShowItemPage(itemAddress(1007), second, 1007);
    ASSERT_NO_FATAL_FAILURE(expectAt(second, true, false));
    window.sb_Back->click();
    ASSERT_NO_FATAL_FAILURE(expectAt(movieName(2), false, true));
    expectMovie(2);
}

} // namespace
