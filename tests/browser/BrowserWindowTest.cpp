// The browser window against the demo site over real HTTP, and the Flash
// player on a local file.
#include "BrowserFixture.h"
#include "PlayerColour.h"

#include "Files.h"
#include "catalogue/DemoCatalogue.h"
#include "samples/SampleSwf.h"
#include "store/Connection.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

TEST_F(BrowserWindow, StartsHiddenWithoutItsEngine)
{
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.WebBrowser1->engineView(), nullptr) << "the engine starts with the first page";
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Zanto浏览器"));
    EXPECT_EQ(window.size(), QSize(473, 411));
    EXPECT_EQ(window.PanelBkGnd()->size(), QSize(455, 349)) << "the panel keeps its designed size";
    EXPECT_EQ(window.minimumSize(), QSize(400, 300));
    EXPECT_EQ(window.sb_Back->geometry(), QRect(8, 5, 49, 22));
    EXPECT_EQ(window.sb_recommend->geometry(), QRect(204, 5, 77, 22));
    EXPECT_EQ(window.sb_recommend->text(), QStringLiteral("发送给好友"));
    EXPECT_EQ(window.ProgressBar2->geometry(), QRect(303, 1, 98, 17));
    EXPECT_EQ(window.StatusBar2->height(), 19);

    // Before the first page the buttons, closing and the questions to the
    // view answer at once, and the engine stays unstarted.
    for (QToolButton *b : {window.sb_Back, window.sb_Forward, window.sb_Stop, window.sb_Refresh})
        b->click();
    window.close();
    QString text = QStringLiteral("unanswered");
    window.WebBrowser1->toPlainText([&](const QString &t) { text = t; });
    EXPECT_EQ(text, QString());
    EXPECT_EQ(window.WebBrowser1->url(), QUrl());
    EXPECT_EQ(window.WebBrowser1->title(), QString());
    // A refused server page shows the hidden window with the reason.
    window.ShowPage(QStringLiteral("javascript:alert(1)"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.statusPanels[0]->text().startsWith(QStringLiteral("未打开地址")));
    EXPECT_EQ(window.WebBrowser1->engineView(), nullptr);
}

TEST_F(BrowserWindow, AnItemPageShowsTheWindowWithTheItemsTitle)
{
    const int id = 1005;
    const QString name = site().itemName(id);
    ASSERT_FALSE(name.isEmpty());
    QSignalSpy progress(window.WebBrowser1, &browser::WebView::progressChanged);
    window.ShowItemPage(site().base() + QStringLiteral("flash/openflash.asp?fileid=%1").arg(id), name, id);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.CurrentFileID, id);
    EXPECT_EQ(window.CurrentItemName, name);
    EXPECT_TRUE(window.sb_recommend->isVisible());
    ASSERT_TRUE(waitForTitle(window, name)) << window.windowTitle().toStdString();
    ASSERT_TRUE(waitForIdle(window));
    // Progress came in as (progress, 100) and ended full.
    EXPECT_GE(progress.count(), 2);
    EXPECT_EQ(progress.last().at(1).toInt(), 100);
    EXPECT_EQ(window.ProgressBar2->maximum(), 100);
    EXPECT_EQ(window.ProgressBar2->value(), 100);
    EXPECT_EQ(window.statusPanels[0]->text(), QStringLiteral("完成"));
    EXPECT_FALSE(window.sb_Stop->isEnabled());
    EXPECT_FALSE(window.sb_Back->isEnabled());
}

TEST_F(BrowserWindow, BackAndForwardFollowTheHistory)
{
    const QString first = site().itemName(1010);
    const QString second = site().itemName(1011);
    window.ShowItemPage(site().base() + QStringLiteral("flash/openflash.asp?fileid=1010"), first, 1010);
    ASSERT_TRUE(waitForTitle(window, first));
    ASSERT_TRUE(waitForIdle(window));
    window.ShowItemPage(site().base() + QStringLiteral("flash/openflash.asp?fileid=1011"), second, 1011);
    ASSERT_TRUE(waitForTitle(window, second));
    ASSERT_TRUE(waitFor([&] { return window.sb_Back->isEnabled(); }));
    EXPECT_FALSE(window.sb_Forward->isEnabled());
    window.sb_Back->click();
    ASSERT_TRUE(waitForTitle(window, first));
    ASSERT_TRUE(waitFor([&] { return window.sb_Forward->isEnabled(); }));
    EXPECT_FALSE(window.sb_Back->isEnabled());
    window.sb_Forward->click();
    ASSERT_TRUE(waitForTitle(window, second));
}

TEST_F(BrowserWindow, APostedFormReachesTheSiteIntact)
{
    site().site->clearRequests();
    const QByteArray body = "title=%C4%E3%BA%C3&b=1";
    window.ShowPage(site().base() + QStringLiteral("echo"), body,
                    QStringLiteral("Content-Type: application/x-www-form-urlencoded\n\r: no name\nno value\r"));
    EXPECT_FALSE(window.sb_recommend->isVisible());
    ASSERT_TRUE(waitForTitle(window, QStringLiteral("echo")));
    const ReceivedRequest *post = nullptr;
    for (const ReceivedRequest &r : site().site->requests()) {
        if (r.method == "POST")
            post = &r;
    }
    ASSERT_NE(post, nullptr);
    EXPECT_EQ(post->target, QByteArray("/echo"));
    EXPECT_EQ(post->body, body);
    EXPECT_EQ(post->header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
    QString text;
    window.WebBrowser1->toPlainText([&](const QString &t) { text = t; });
    ASSERT_TRUE(waitFor([&] { return !text.isEmpty(); }));
    EXPECT_TRUE(text.contains(QString::fromLatin1(body))) << text.toStdString();
}

TEST_F(BrowserWindow, APageNobodyAnswersEndsAsFailed)
{
    QTcpServer gone;
    ASSERT_TRUE(gone.listen(QHostAddress::LocalHost));
    const quint16 port = gone.serverPort();
    gone.close();
    QSignalSpy complete(window.WebBrowser1, &browser::WebView::documentComplete);
    window.ShowPage(QStringLiteral("http://127.0.0.1:%1/gone").arg(port));
    ASSERT_TRUE(waitFor([&] { return complete.count() > 0; }, 20000));
    EXPECT_FALSE(complete.last().at(1).toBool());
    EXPECT_EQ(window.statusPanels[0]->text(), QStringLiteral("无法打开网页"));
    EXPECT_EQ(window.ProgressBar2->value(), 100);
    EXPECT_FALSE(window.sb_Stop->isEnabled());
}

// The program's own pages (the help) lie outside the folder whose pages are
// let through, and open all the same.
TEST_F(BrowserWindow, TheProgramsOwnPageOpensWhereOtherLocalFilesWouldNot)
{
    QTemporaryDir help;
    const QString path = QDir(help.path()).filePath(QStringLiteral("帮助.html"));
    writeFile(path, "<html><head><meta charset=\"utf-8\"><title>帮助</title></head><body>help</body></html>");
    QTemporaryDir home;
    window.setProgramDir(home.path());
    window.ShowOwnPage(path);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.sb_recommend->isVisible());
    EXPECT_TRUE(waitForTitle(window, QStringLiteral("帮助")));
    EXPECT_TRUE(waitForIdle(window));
    EXPECT_EQ(window.WebBrowser1->title(), QStringLiteral("帮助"));
    // Refreshed, it loads again; readying the engine again changes nothing.
    QSignalSpy loads(window.WebBrowser1->engineView()->page(), &QWebEnginePage::loadFinished);
    window.sb_Refresh->click();
    EXPECT_TRUE(waitFor([&] { return loads.count() == 1; }));
    window.Prewarm();
    EXPECT_FALSE(waitFor([&] { return loads.count() > 1; }, 500));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Zanto 浏览器[帮助]"));
    window.ShowPage(path);
    EXPECT_TRUE(window.statusPanels[0]->text().startsWith(QStringLiteral("未打开地址")));
}

TEST_F(BrowserWindow, AServerPageWhileVisibleOpensAWindowOfItsOwn)
{
    const QString name = site().itemName(1020);
    window.ShowItemPage(site().base() + QStringLiteral("flash/openflash.asp?fileid=1020"), name, 1020);
    ASSERT_TRUE(waitForTitle(window, name));
    QPointer<TFrm_Browser> second;
    QObject::connect(&window, &TFrm_Browser::pageWindowOpened, [&](TFrm_Browser *w) { second = w; });
    window.ShowPage(site().base() + QStringLiteral("echo"));
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(second->onDemandMarker(), TFrm_Browser::kOnDemandMarker);
    EXPECT_TRUE(second->isVisible());
    EXPECT_FALSE(second->sb_recommend->isVisible());
    EXPECT_FALSE(window.sb_recommend->isVisible()) << "the first window loses its button too";
    ASSERT_TRUE(waitForTitle(*second, QStringLiteral("echo")));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Zanto 浏览器[%1]").arg(name)) << "the first keeps its page";

    second->close();
    EXPECT_TRUE(waitFor([&] { return second.isNull(); })) << "a window made for one page goes when closed";

    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.CurrentFileID, 1020) << "the start-up window is only hidden";
    window.ShowItemPage(site().base() + QStringLiteral("flash/openflash.asp?fileid=1020"), name, 1020);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.sb_recommend->isVisible());
}

TEST_F(BrowserWindow, OnlyWebPagesLocalCopiesAndMailAreOpened)
{
    QTemporaryDir home;
    window.setProgramDir(home.path());
    QList<QUrl> handedOut;
    window.desktopOpener = [&](const QUrl &url) {
        handedOut << url;
        return true;
    };
    QPointer<TFrm_Browser> second;
    QObject::connect(&window, &TFrm_Browser::pageWindowOpened, [&](TFrm_Browser *w) { second = w; });
    const QString refused[] = {
        QStringLiteral("javascript:alert(document.cookie)"),
        QStringLiteral("data:text/html,<script>alert(1)</script>"),
        QStringLiteral("file:///etc/passwd"),
        QStringLiteral("/etc/passwd"),
        home.path() + QStringLiteral("/local/../Data/info.db"),
        QStringLiteral("flashbar-evil://run"),
        QStringLiteral("http://a.exa\nmple/"),
    };
    for (const QString &address : refused) {
        window.ShowItemPage(address, QStringLiteral("坏地址"), 7);
        window.ShowPage(address);
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(window.statusPanels[0]->text().startsWith(QStringLiteral("未打开地址"))) << address.toStdString();
    }
    EXPECT_EQ(window.WebBrowser1->engineView(), nullptr) << "nothing was navigated to";
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    window.grab().save(QStringLiteral(SCREENSHOT_DIR "/browser-refused-address.png"));
    EXPECT_TRUE(second.isNull()) << "no window for a refused server page";
    EXPECT_EQ(window.CurrentFileID, 0);
    EXPECT_TRUE(handedOut.isEmpty());

    window.ShowItemPage(QStringLiteral("mailto:friend@kelvo.example"), QStringLiteral("信"), 0);
    EXPECT_EQ(handedOut, QList<QUrl>{QUrl(QStringLiteral("mailto:friend@kelvo.example"))});
    EXPECT_EQ(window.WebBrowser1->engineView(), nullptr);

    const QString name = site().itemName(1021);
    window.ShowItemPage(site().base() + QStringLiteral("flash/openflash.asp?fileid=1021"), name, 1021);
    EXPECT_TRUE(waitForTitle(window, name));
}

TEST_F(BrowserWindow, AHugeStrangeTitleIsShortenedInTheCaptionLabel)
{
    QTemporaryDir home;
    const QString path = QDir(home.path()).filePath(QStringLiteral("local/栏目/long.html"));
    const QString title = QChar(0x202E) + QString(100000, u'长') + QChar(0x200F) + QStringLiteral("末");
    writeFile(path,
              "<html><head><meta charset=\"utf-8\"><title>" + title.toUtf8() + "</title></head><body>x</body></html>");
    window.setProgramDir(home.path());
    window.ShowItemPage(path, QStringLiteral("长"), 1);
    // The engine itself keeps only the first few thousand characters of a title.
    ASSERT_TRUE(waitFor([&] { return window.windowTitle().size() > 1000; }));
    const QString caption = window.findChild<QLabel *>(QStringLiteral("LabelCaption"))->text();
    EXPECT_TRUE(caption.endsWith(QStringLiteral("..."))) << caption.size();
    EXPECT_LT(caption.size(), 200);
    EXPECT_FALSE(window.grab().isNull());
}

TEST_F(BrowserWindow, ALongTitleIsShortenedInTheCaptionLabelOnly)
{
    const QString longName = QString(60, QChar(u'长'));
    {
        store::Connection c(catalogue::cataloguePath(site().home.path()));
        c.exec(QStringLiteral("INSERT OR REPLACE INTO tb_Files (FileID, ColumeID, DisplayName, Filename, UploadDate)"
                              " SELECT 99999, ColumeID, '%1', 'long.swf', '2003-01-01 00:00:00' FROM tb_Colume LIMIT 1")
                   .arg(longName));
    }
    window.ShowItemPage(site().base() + QStringLiteral("flash/openflash.asp?fileid=99999"), longName, 99999);
    ASSERT_TRUE(waitForTitle(window, longName));
    const QString caption = window.findChild<QLabel *>(QStringLiteral("LabelCaption"))->text();
    EXPECT_TRUE(caption.endsWith(QStringLiteral("..."))) << caption.toStdString();
    EXPECT_LT(caption.size(), window.windowTitle().size());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Zanto 浏览器[%1]").arg(longName)) << "the window keeps it whole";
}

TEST_F(BrowserWindow, TheSitesPlayingPagePlaysTheItem)
{
    const int id = 1030;
    const QString name = site().itemName(id);
    window.resize(640, 520);
    window.ShowItemPage(site().base() + QStringLiteral("flash/openflash.asp?fileid=%1").arg(id), name, id);
    ASSERT_TRUE(waitForTitle(window, name));
    EXPECT_GT(waitForColour(window, backgroundOf(samples::sampleSwf(id))), 200)
        << "the item's movie is drawn on the page";
}

TEST_F(BrowserWindow, ALocalFlashFilePlays)
{
    QTemporaryDir home;
    const int id = 4242;
    const QByteArray swf = samples::sampleSwf(id);
    const QString path = QDir(home.path()).filePath(QStringLiteral("local/测试/movie.swf"));
    writeFile(path, swf);

    // A window made in a home with the skin, for its picture.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(site().home.path());
    TFrm_Browser shown(player, prompter);
    QDir::setCurrent(previous);
    shown.setProgramDir(home.path());
    shown.resize(640, 480);
    shown.ShowItemPage(path, QStringLiteral("本地动画"), id);
    ASSERT_TRUE(waitForTitle(shown, QStringLiteral("本地动画")));
    const int matching = waitForColour(shown, backgroundOf(swf));
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    shown.grab().save(QStringLiteral(SCREENSHOT_DIR "/browser-window.png"));
    shown.hide();
    EXPECT_GT(matching, 200) << "the movie's background colour is on screen";
}

TEST_F(BrowserWindow, TheNextMovieIsHandedToThePlayerPageAlreadyLoaded)
{
    Movies movies(3);
    window.setProgramDir(movies.home.path());
    window.resize(640, 480);
    QStringList served;
    QObject::connect(&player, &browser::PlayerServer::served, [&](const QString &path) { served << path; });
    const auto playerFetches = [&] {
        return std::count_if(served.begin(), served.end(),
                             [](const QString &p) { return p.endsWith(QStringLiteral(".wasm")); });
    };

    // Readied while hidden: the engine and the player start, the window
    // hears nothing of it.
    window.Prewarm();
    ASSERT_NE(window.WebBrowser1->engineView(), nullptr);
    ASSERT_TRUE(waitFor([&] { return served.contains(QStringLiteral("/token/blank/0/blank.swf")); }, 60000))
        << served.join(u' ').toStdString();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Zanto浏览器"));
    EXPECT_EQ(playerFetches(), 1);
    QWebEnginePage *page = window.WebBrowser1->engineView()->page();
    QSignalSpy loads(page, &QWebEnginePage::loadStarted);

    // Each movie goes to the page already there: no new page, no new
    // fetch of the player; once the page stands for the new movie, never the
    // previous movie's picture.
    for (int i : {0, 1}) {
        const QString name = QStringLiteral("动画%1").arg(i);
        window.ShowItemPage(movies.paths.at(i), name, 10 + i);
        EXPECT_TRUE(waitForTitle(window, name));
        EXPECT_TRUE(showsWithoutEarlier(window, movies.backgrounds.at(i), movies.backgrounds.mid(0, i))) << i;
        EXPECT_TRUE(waitForIdle(window));
        EXPECT_EQ(window.statusPanels[0]->text(), QStringLiteral("完成"));
        EXPECT_TRUE(window.WebBrowser1->url().path().contains(QStringLiteral("/play/")));
    }
    EXPECT_EQ(window.WebBrowser1->engineView()->page(), page);
    EXPECT_EQ(loads.count(), 0);
    EXPECT_EQ(playerFetches(), 1);

    // Closed while a movie loads: the page is emptied and silent; the next
    // movie still goes to it and shows without the earlier ones.
    window.ShowItemPage(movies.paths.at(2), QStringLiteral("动画2"), 12);
    window.close();
    EXPECT_TRUE(page->isAudioMuted());
    // Answers may still come when the page goes, after this test.
    const auto players = std::make_shared<int>(-1);
    ASSERT_TRUE(waitFor([&] {
        page->runJavaScript(QStringLiteral("document.querySelectorAll('ruffle-player').length"),
                            [players](const QVariant &n) { *players = n.isValid() ? n.toInt() : -1; });
        return *players == 0;
    }));
    window.ShowItemPage(movies.paths.at(0), QStringLiteral("动画0"), 10);
    EXPECT_FALSE(page->isAudioMuted());
    EXPECT_TRUE(showsWithoutEarlier(window, movies.backgrounds.at(0), movies.backgrounds.mid(1)));
    EXPECT_EQ(playerFetches(), 1);

    // A local copy that went missing shows the player's own error.
    window.ShowItemPage(QDir(movies.home.path()).filePath(QStringLiteral("local/动画/gone.swf")), QStringLiteral("无"),
                        13);
    ASSERT_TRUE(waitFor([&] { return served.last().endsWith(QStringLiteral("gone.swf")); }));
    const auto text = std::make_shared<QString>();
    ASSERT_TRUE(waitFor(
        [&] {
            page->runJavaScript(QStringLiteral("document.querySelector('ruffle-player').shadowRoot.textContent"),
                                [text](const QVariant &t) { *text = t.toString(); });
            return text->contains(QStringLiteral("SWF"));
        },
        20000))
        << text->toStdString();
}

// A movie opened while the readied page still loads plays in that page once
// it has loaded; one opened before the page has even begun to load takes a
// page of its own. Either way the page loads once and the player is fetched
// once.
TEST_F(BrowserWindow, AMovieOpenedWhileThePlayerPageStillLoadsPlaysOnceItHasLoaded)
{
    Movies movies(2);
    QStringList served;
    QObject::connect(&player, &browser::PlayerServer::served, [&](const QString &path) { served << path; });
    const auto playerFetches = [&] {
        return std::count_if(served.begin(), served.end(),
                             [](const QString &p) { return p.endsWith(QStringLiteral(".wasm")); });
    };
    TFrm_Browser early(player, prompter);
    for (TFrm_Browser *w : {&window, &early}) {
        SCOPED_TRACE(w == &window ? "while loading" : "before loading");
        served.clear();
        w->setProgramDir(movies.home.path());
        w->resize(640, 480);
        w->Prewarm();
        QWebEnginePage *page = w->WebBrowser1->engineView()->page();
        QSignalSpy loads(page, &QWebEnginePage::loadStarted);
        if (w == &window) {
            ASSERT_TRUE(waitFor([&] { return w->WebBrowser1->url().path().endsWith(QStringLiteral("/ready/0")); }));
        }
        const int i = w == &window ? 0 : 1;
        w->ShowItemPage(movies.paths.at(i), QStringLiteral("动画%1").arg(i), 10 + i);
        EXPECT_TRUE(waitForTitle(*w, QStringLiteral("动画%1").arg(i)));
        EXPECT_TRUE(showsWithoutEarlier(*w, movies.backgrounds.at(i), {}));
        EXPECT_EQ(w->WebBrowser1->engineView()->page(), page);
        EXPECT_LE(loads.count(), 1);
        EXPECT_LE(playerFetches(), 1) << served.join(u' ').toStdString();
        w->hide();
    }
}

// Stopped before the readied page has loaded (the engine calls that loaded
// too), a movie that waits for that page gets a page of its own; opened
// without a name, it goes by its file's.
TEST_F(BrowserWindow, AMovieWaitingForAStoppedPageGetsAPageOfItsOwn)
{
    Movies movies(1);
    window.setProgramDir(movies.home.path());
    window.resize(640, 480);
    window.Prewarm();
    ASSERT_TRUE(waitFor([&] { return window.WebBrowser1->url().path().endsWith(QStringLiteral("/ready/0")); }));
    window.ShowPage(movies.paths.at(0));
    window.WebBrowser1->stop();
    const QString name = QFileInfo(movies.paths.at(0)).fileName();
    ASSERT_TRUE(waitForTitle(window, name)) << window.windowTitle().toStdString();
    EXPECT_TRUE(showsWithoutEarlier(window, movies.backgrounds.at(0), {}));
    EXPECT_TRUE(waitForIdle(window));
    EXPECT_EQ(window.statusPanels[0]->text(), QStringLiteral("完成"));
    EXPECT_TRUE(window.WebBrowser1->url().path().contains(QStringLiteral("/play/")));
}

} // namespace
