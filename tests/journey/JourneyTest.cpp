// What a person does with the program, through the X server's own input:
// the logins with their messages, a class list and its context menu, a card
// to a friend, an item opened (a movie that hears keys, fills the screen,
// takes the sound keys; a moving one paused from the player's menu), a local
// search. The same journeys run on a bare X server and under a window manager.
#include "Files.h"
#include "Person.h"
#include "PlayerColour.h"
#include "PlayerMenu.h"
#include "server_ui/SiteHome.h"
#include "shell/DemoHome.h"

#include "app/MainWindow.h"
#include "app/Program.h"
#include "browse/ItemListPanel.h"
#include "browse/ItemRowsModel.h"
#include "browse/ListLoader.h"
#include "browser/BrowserWindow.h"
#include "browser/WebView.h"
#include "common/LocalCopy.h"
#include "common/Settings.h"
#include "platform/QtPrompter.h"
#include "samples/SampleSwf.h"
#include "search/SearchResultModel.h"
#include "search/SearchWindow.h"
#include "server/LoginDialog.h"
#include "server/SendtoDialog.h"
#include "store/DataModule.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSqlQuery>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

// Whether a window is up where a person can see it.
bool onScreen(QWidget *window)
{
    return window && window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed();
}

// Waits for a message box saying `text`; answers it or nothing. Boxes live
// on the stack of the code that asks, so the pointer follows its deletion.
QPointer<QMessageBox> waitForBox(const QString &text)
{
    QPointer<QMessageBox> box;
    until([&] {
        box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        return box && onScreen(box) && box->text().contains(text);
    });
    return box;
}

bool closed(const QPointer<QMessageBox> &box)
{
    return until([box] { return !box || !box->isVisible(); });
}

bool closed(QWidget *window)
{
    return until([window] { return !window->isVisible(); });
}

// A window does not move once it is on the screen: what a person aims at
// stays where they saw it.
void expectSteady(Person &person, QWidget *window, const char *name)
{
    const QPoint first = person.placeOf(window, {0, 0});
    QThread::msleep(400);
    EXPECT_EQ(person.placeOf(window, {0, 0}), first) << name << " moved after it was shown";
}

// Counts of the catalogue, read on the GUI thread.
int countOf(TDM_CDS *dm, const char *sql)
{
    QSqlQuery q(dm->ac_info.database());
    q.exec(QLatin1String(sql));
    return q.next() ? q.value(0).toInt() : -1;
}

int itemsMarked(TDM_CDS *dm)
{
    return onGui(
        [dm] { return countOf(dm, "SELECT COUNT(*) FROM tb_Files WHERE HasViewed OR HasDownloaded OR Deleted"); });
}

// What a script in the browser's page answers; nothing when it does not
// answer within a few seconds. Asked from the person's thread.
QVariant askPage(TFrm_Browser *browser, const QString &script)
{
    struct Answer
    {
        std::atomic<bool> done = false;
        QVariant value;
    };
    const auto answer = std::make_shared<Answer>();
    QMetaObject::invokeMethod(qApp, [browser, script, answer] {
        browser->WebBrowser1->engineView()->page()->runJavaScript(script, [answer](const QVariant &v) {
            answer->value = v;
            answer->done = true;
        });
    });
    eventually([&answer] { return answer->done.load(); }, 5000);
    return answer->done ? answer->value : QVariant();
}

QWidget *movieView(TFrm_Browser *browser)
{
    return onGui([browser] { return static_cast<QWidget *>(browser->WebBrowser1->engineView()); });
}

// Whether the screen shows `colour` over a good part of the movie within
// `timeoutMs`.
bool showsColour(Person &person, TFrm_Browser *browser, const QColor &colour, int timeoutMs = 30000)
{
    QWidget *view = movieView(browser);
    return eventually([&] { return pointsShowing(person.shot(view), colour) > 200; }, timeoutMs);
}

QList<QColor> keyMovieColours()
{
    QList<QColor> colours;
    for (unsigned c : samples::keySwfColours())
        colours << QColor(QRgb(c));
    return colours;
}

constexpr const char *kCardsSent = "SELECT COUNT(*) FROM tb_SendCards WHERE SendFlag = 1";

// The program as main() makes it, on the shared demo home and site, with
// message boxes a person answers.
class Journey : public ::testing::Test
{
protected:
    Journey() : cwd(siteHome().home.path()), program(boxes, siteHome().base())
    {
        boxes.setOwner(program.Frm_Main());
        program.setLoginAtStart(true);
        program.start();
    }

    // Runs the person's part on a thread of its own while the program's
    // event loop runs here.
    void act(const std::function<void(Person &)> &part)
    {
        std::atomic<bool> done = false;
        std::thread thread([&] {
            try {
                Person person;
                part(person);
            } catch (const std::exception &e) {
                ADD_FAILURE() << e.what();
            }
            closeModalWindows();
            done = true;
        });
        while (!done)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        thread.join();
    }

    // Whatever modal window a failed step left open holds the event loop:
    // closed, so the test ends.
    static void closeModalWindows()
    {
        for (int i = 0; i < 10 && onGui([] { return QApplication::activeModalWidget() != nullptr; }); ++i) {
            QMetaObject::invokeMethod(qApp, [] {
                if (QWidget *w = QApplication::activeModalWidget()) {
                    const auto *box = qobject_cast<QMessageBox *>(w);
                    std::fprintf(stderr, "left open: %s \"%s\" %s\n", w->metaObject()->className(),
                                 qPrintable(w->windowTitle()), box ? qPrintable(box->text()) : "");
                    w->close();
                }
            });
            QThread::msleep(200);
        }
    }

    // The start's login dialog, answered offline.
    void logInOffline(Person &person)
    {
        TFrm_Login *login = program.Frm_Login();
        ASSERT_TRUE(until([login] { return onScreen(login); })) << "the login dialog shows at start";
        expectSteady(person, login, "the login dialog");
        person.clickOn(login->CheckBox2);
        ASSERT_TRUE(onGui([login] { return login->CheckBox2->isChecked(); }));
        person.clickOn(login->Button1);
        ASSERT_TRUE(closed(login));
        ASSERT_TRUE(until([this] { return onScreen(program.Frm_Main()); }));
    }

    // Lists the first class by its button on the start panel.
    void listFirstClass(Person &person)
    {
        TFrm_Main *main = program.Frm_Main();
        expectSteady(person, main, "the main window");
        person.clickOn(main->findChild<QToolButton *>(QStringLiteral("sbt_c1")));
        ASSERT_TRUE(until([main] { return main->pal_files->filesModel->rowCount() >= 3; }));
    }

    // The movie shown has the keyboard with no click: its window is active,
    // the view has Qt's focus and the player its page's. F11 fills the
    // screen with it, a second F11 gives the window back where it was.
    static void watchFullScreen(Person &person, TFrm_Browser *browser)
    {
        EXPECT_TRUE(until([browser] {
            return browser->isActiveWindow() && browser->WebBrowser1->isAncestorOf(QApplication::focusWidget());
        })) << "the browser window has the keyboard";
        EXPECT_TRUE(eventually([browser] {
            return askPage(browser, QStringLiteral("(()=>{const p=document.querySelector('ruffle-player');"
                                                   "return !!p&&document.activeElement===p&&"
                                                   "p.shadowRoot.activeElement.id==='container';})()"))
                .toBool();
        })) << "the movie has the page's keyboard";
        const QRect place = onGui([browser] { return browser->frameGeometry(); });
        person.press(Person::kF11);
        EXPECT_TRUE(until([browser] {
            QWidget *shown = browser->WebBrowser1->engineView()->window();
            return shown != browser && shown->isFullScreen() && shown->windowHandle()->isExposed() &&
                   shown->size() == shown->screen()->size();
        })) << "F11 fills the screen";
        person.press(Person::kF11);
        EXPECT_TRUE(until([browser] {
            return !browser->WebBrowser1->isFullScreen() && browser->WebBrowser1->engineView()->window() == browser;
        })) << "a second F11 gives the window back";
        EXPECT_TRUE(until([browser, place] { return browser->frameGeometry() == place; }))
            << "where and as large as it was";
        EXPECT_TRUE(until([browser] { return browser->isActiveWindow(); }));
    }

    // With the keyboard elsewhere in the window, a click into the movie
    // gives it back: a key changes its colour on the screen.
    static void clickAndType(Person &person, TFrm_Browser *browser, const QList<QColor> &colours)
    {
        onGui([browser] {
            browser->sb_Back->setFocus();
            return true;
        });
        person.click(person.placeOf(movieView(browser)));
        person.type(QStringLiteral("b"));
        EXPECT_TRUE(showsColour(person, browser, colours.at(2))) << "a key after a click into the movie";
    }

    // Ctrl+Down and Ctrl+Up set the movie's sound, Ctrl+M mutes it, and
    // the settings file keeps each.
    static void setTheSound(Person &person, TFrm_Browser *browser)
    {
        EXPECT_EQ(common::readPlayerSound(), common::PlayerSound{}) << "a new settings file";
        const auto heard = [browser](int volume, bool muted) {
            return eventually([=] {
                return common::readPlayerSound() == common::PlayerSound{volume, muted} &&
                       askPage(browser, QStringLiteral("Math.round(document.querySelector('ruffle-player')"
                                                       ".volume*100)"))
                               .toInt() == (muted ? 0 : volume);
            });
        };
        person.press(Person::kDown, true);
        EXPECT_TRUE(heard(90, false)) << "Ctrl+Down";
        EXPECT_TRUE(until([browser] { return browser->statusPanels[0]->text() == QStringLiteral("音量：90%"); }));
        person.press(Person::kUp, true);
        EXPECT_TRUE(heard(100, false)) << "Ctrl+Up";
        person.press('m', true);
        EXPECT_TRUE(heard(100, true)) << "Ctrl+M";
        person.press('m', true);
        EXPECT_TRUE(heard(100, false)) << "Ctrl+M again";
    }

    // A right click shows the player's own menu; its "播放" pauses the
    // movie, its picture standing still on the screen, and plays it again.
    static void pauseFromTheMenu(Person &person, TFrm_Browser *browser)
    {
        QWidget *view = movieView(browser);
        const auto menu = [browser] { return playerMenuFrom(askPage(browser, playerMenuScript())); };
        const auto pictureChanges = [&](int ms) {
            const QImage first = person.shot(view);
            return eventually([&] { return person.shot(view) != first; }, ms);
        };
        const auto choosePlay = [&] {
            person.click(person.placeOf(view), 3);
            ASSERT_TRUE(eventually([&] { return menu().contains(QStringLiteral("播放")); }))
                << "the player's menu on a right click";
            const QMap<QString, QPoint> shown = menu();
            EXPECT_TRUE(shown.contains(QStringLiteral("进入全屏")) && shown.contains(QStringLiteral("发送给好友")))
                << shown.keys().join(u',').toStdString();
            person.click(person.placeOf(view, shown.value(QStringLiteral("播放"))));
            EXPECT_TRUE(eventually([&] { return menu().isEmpty(); })) << "the menu goes once used";
        };
        ASSERT_TRUE(pictureChanges(5000)) << "playing, the picture moves";
        choosePlay();
        QThread::msleep(300); // the menu's last picture
        EXPECT_FALSE(pictureChanges(1500)) << "paused, the picture stands still";
        choosePlay();
        EXPECT_TRUE(pictureChanges(5000)) << "played again, it moves";
    }

    QPoint rowPlace(Person &person, int row)
    {
        QTreeView *list = program.Frm_Main()->pal_files->lv_Files;
        const QRect rect = onGui([&] { return list->visualRect(list->model()->index(row, 0)); });
        return person.placeOf(list->viewport(), rect.center());
    }

    CurrentDir cwd;
    platform::QtPrompter boxes;
    Program program;
};

TEST_F(Journey, FromAnOfflineStartToACardThroughTheLoginsMessages)
{
    act([this](Person &person) {
        logInOffline(person);
        listFirstClass(person);
        if (HasFatalFailure())
            return;
        browse::ItemListPanel *files = program.Frm_Main()->pal_files;
        const int view = onGui([files] { return files->state.CurrentView; });
        const QString caption = onGui([files] { return files->lab_Files->text(); });
        const int marked = itemsMarked(program.DM_CDS());

        // A right click on a row opens the menu, which stays, and changes nothing.
        person.click(rowPlace(person, 1), 3);
        QMenu *menu = files->pm_Files;
        ASSERT_TRUE(until([menu] { return onScreen(menu); })) << "the context menu opens";
        QThread::msleep(500);
        EXPECT_TRUE(onGui([menu] { return menu->isVisible(); })) << "the context menu stays";
        EXPECT_EQ(onGui([files] { return files->state.CurrentView; }), view);
        EXPECT_EQ(onGui([files] { return files->lab_Files->text(); }), caption);
        EXPECT_EQ(itemsMarked(program.DM_CDS()), marked);

        // Sending the row as a card while offline offers a login.
        const QRect card = onGui([&] { return menu->actionGeometry(files->T1); });
        person.click(person.placeOf(menu, card.center()));
        QPointer<QMessageBox> offer = waitForBox(QStringLiteral("离线状态"));
        ASSERT_TRUE(offer) << "the offer to log in";
        person.clickOn(offer->button(QMessageBox::Yes));

        // The login dialog again: online, its messages answered by a click
        // and by Enter, and the dialog still takes both afterwards.
        TFrm_Login *login = program.Frm_Login();
        ASSERT_TRUE(until([login] { return onScreen(login); }));
        if (onGui([login] { return login->CheckBox2->isChecked(); }))
            person.clickOn(login->CheckBox2);
        onGui([login] {
            login->cb_username->setEditText(QString());
            login->ed_password->clear();
            return true;
        });
        person.clickOn(login->Button1);
        QPointer<QMessageBox> noName = waitForBox(QStringLiteral("用户名称不能为空"));
        ASSERT_TRUE(noName) << "an empty name is refused";
        EXPECT_TRUE(person.isAbove(noName, login)) << "the box shows over the login dialog";
        QThread::msleep(1000);
        EXPECT_TRUE(person.isAbove(noName, login)) << "the box stays over the login dialog";
        person.clickOn(noName->button(QMessageBox::Ok));
        ASSERT_TRUE(closed(noName));
        person.clickOn(login->cb_username);
        person.type(QStringLiteral("demo"));
        person.press(Person::kReturn);
        QPointer<QMessageBox> noPassword = waitForBox(QStringLiteral("用户口令不能为空"));
        ASSERT_TRUE(noPassword) << "Enter on the login dialog after a message box";
        person.press(Person::kReturn);
        ASSERT_TRUE(closed(noPassword));
        person.clickOn(login->ed_password);
        person.type(QStringLiteral("demo"));
        person.clickOn(login->Button1);

        // Logged in online, the card dialog follows for the row.
        TFrm_Sendto *cards = program.Frm_Sendto();
        ASSERT_TRUE(until([cards] { return onScreen(cards); }, 30000)) << "the card dialog after the login";
        EXPECT_TRUE(onGui([this] { return program.Frm_Main()->login.IsOnline; }));
        EXPECT_EQ(onGui([this] { return program.Frm_Main()->login.LoggedInUser; }), QStringLiteral("demo"));
        expectSteady(person, cards, "the card dialog");
        const int sent = onGui([this] { return countOf(program.DM_CDS(), kCardsSent); });
        person.clickOn(cards->ed_ToEmail);
        person.type(QStringLiteral("friend@example.org"));
        person.clickOn(cards->ed_ToName);
        person.type(QStringLiteral("Friend"));
        person.clickOn(cards->ed_Memo);
        person.type(QStringLiteral("Have a look!"));
        person.clickOn(cards->ed_Fromname);
        person.type(QStringLiteral("Demo"));
        person.clickOn(cards->btn_Send);
        QPointer<QMessageBox> done = waitForBox(QStringLiteral("贺卡已经发送"));
        ASSERT_TRUE(done) << "the card is sent";
        EXPECT_TRUE(eventually([&] { return !person.looksBlank(done); }, 3000)) << "the box is drawn";
        person.clickOn(done->button(QMessageBox::Ok));
        ASSERT_TRUE(closed(done));
        EXPECT_EQ(onGui([this] { return countOf(program.DM_CDS(), kCardsSent); }), sent + 1);
    });
}

TEST_F(Journey, OpensAnItemAndSearchesWithoutAStrayClick)
{
    act([this](Person &person) {
        logInOffline(person);
        // The first class's third item is a movie that hears keys, its
        // second a moving picture, both as local copies.
        TFrm_Main *main = program.Frm_Main();
        TDM_CDS *dm = program.DM_CDS();
        const QString home = onGui([main] { return main->ProgramDir; });
        const QList<browse::ItemRow> rows = onGui([main, dm, home] {
            browse::ListState state = main->pal_files->state;
            return browse::ListItems(*dm, state, home, {}, 1, browse::FirstPage).rows;
        });
        ASSERT_GE(rows.size(), 3);
        const browse::ItemRow &moving = rows.at(1);
        for (const auto &[row, swf] :
             {std::pair(rows.at(2), samples::keySwf()), std::pair(moving, samples::sampleSwf(moving.fileId.toInt()))}) {
            const std::optional<QString> copy = LocalCopyPath(home, row.columnName, row.fileName);
            ASSERT_TRUE(copy);
            writeFile(*copy, swf);
        }
        listFirstClass(person);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(until([main] {
            return main->pal_files->filesModel->row(2).hasLocalCopy() &&
                   main->pal_files->filesModel->row(1).hasLocalCopy();
        }));
        const QList<QColor> colours = keyMovieColours();

        // A double click opens the row's item in the browser window, where
        // it hears the keyboard at once.
        const int id = onGui([this] { return program.Frm_Main()->pal_files->filesModel->row(2).fileId.toInt(); });
        person.doubleClick(rowPlace(person, 2));
        TFrm_Browser *browser = program.Frm_Browser();
        ASSERT_TRUE(until([browser] { return onScreen(browser); })) << "the browser window opens";
        EXPECT_EQ(onGui([browser] { return browser->CurrentFileID; }), id);
        expectSteady(person, browser, "the browser window");
        ASSERT_TRUE(showsColour(person, browser, colours.at(0))) << "the movie shows";
        person.type(QStringLiteral("a"));
        EXPECT_TRUE(showsColour(person, browser, colours.at(1))) << "a key with no click first";
        watchFullScreen(person, browser);
        clickAndType(person, browser, colours);
        setTheSound(person, browser);
        onGui([browser] { return browser->close(); });

        // The second row's item is a moving picture, paused from its menu.
        ASSERT_TRUE(closed(browser));
        person.doubleClick(rowPlace(person, 1));
        ASSERT_TRUE(until([browser] { return onScreen(browser); })) << "the browser window opens again";
        ASSERT_TRUE(showsColour(person, browser, backgroundOf(samples::sampleSwf(moving.fileId.toInt()))));
        pauseFromTheMenu(person, browser);
        onGui([browser] { return browser->close(); });

        // The search window: a click into its keyword box searches nothing.
        const int marked = itemsMarked(dm);
        TFrm_Search *search = program.Frm_Search();
        person.clickOn(program.Frm_Main()->sb_search);
        ASSERT_TRUE(until([search] { return onScreen(search); })) << "the search window opens";
        expectSteady(person, search, "the search window");
        person.clickOn(search->ed_keyword);
        QThread::msleep(500);
        EXPECT_EQ(onGui([search] { return search->filesModel->rowCount(); }), 0) << "a click in the keyword box";
        EXPECT_EQ(itemsMarked(dm), marked);
        EXPECT_TRUE(onGui([search] { return search->ed_keyword->hasFocus(); }));

        // Typing a keyword and Enter searches, and lists what matches.
        person.type(QStringLiteral("zzz"));
        person.press(Person::kReturn);
        const auto status = [search] {
            return search->statusPanels[2]->text() + u' ' + search->statusPanels[3]->text();
        };
        EXPECT_TRUE(until([&] { return status() == QStringLiteral("关键字:zzz 共0条"); }))
            << onGui(status).toStdString();

        // An empty keyword and "本地搜索" list every item.
        person.press(Person::kSelectAll, true);
        person.press(Person::kBackSpace);
        person.clickOn(search->SpeedButton1);
        const int items = onGui([dm] { return countOf(dm, "SELECT COUNT(*) FROM tb_Files WHERE NOT Deleted"); });
        EXPECT_TRUE(until([&] { return status() == QStringLiteral("关键字: 共%1条").arg(items); }))
            << onGui(status).toStdString();
        EXPECT_EQ(onGui([search] { return search->filesModel->rowCount(); }), items);
    });
}

} // namespace
