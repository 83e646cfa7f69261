// One run of the program for the open benchmark, in a process of its own:
// starts the program on a home, logs in offline, lists classes to find two
// items with local copies of different colours, and opens them the way a
// double-click does, each timed until the movie's colour is on the screen.
// "open HOME" prints the cold and warm times and the files it opened;
// "memory HOME" prints the memory before any list and with an item playing.
#include "LoginAtStart.h"
#include "PaintWatch.h"

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "browse/ItemListModel.h"
#include "browse/ItemListPanel.h"
#include "browse/Paging.h"
#include "browser/BrowserWindow.h"
#include "browser/EngineTuning.h"
#include "browser/WebView.h"
#include "common/LocalCopy.h"
#include "platform/StreamPrompter.h"
#include "search/IndexLoader.h"
#include "search/SearchWindow.h"
#include "ui/skin/ListPointer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <functional>

namespace {

struct Pick
{
    int classNumber = 0;
    int row = -1;
    QString path;
    unsigned rgb = 0;
};

// Runs the event loop for `ms` milliseconds: the time a user takes.
void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntil(const std::function<bool()> &condition, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms)
        pause(10);
    return condition();
}

// Items of the classes' first pages with local copies, one per colour.
QList<Pick> findPicks(TFrm_Main &main, const QString &home, int wanted)
{
    QList<Pick> picks;
    for (int c = 1; c <= 9 && picks.size() < wanted; ++c) {
        main.ListItems(QString(), c, browse::FirstPage);
        const browse::ItemListModel *model = main.pal_files->filesModel;
        for (int row = 0; row < model->rowCount() && picks.size() < wanted; ++row) {
            const browse::ItemRow item = model->row(row);
            const std::optional<QString> path = LocalCopyPath(home, item.columnName, item.fileName);
            const std::optional<unsigned> rgb =
                item.hasLocalCopy() && path ? bench::distinctBackground(*path) : std::nullopt;
            if (!rgb)
                continue;
            const unsigned colour = *rgb;
            const bool seen =
                std::any_of(picks.begin(), picks.end(), [colour](const Pick &p) { return p.rgb == colour; });
            if (!seen)
                picks << Pick{c, row, *path, colour};
        }
    }
    return picks;
}

// Lists the pick's class, lets a user's moment pass, then opens the row as
// a double-click does; answers the milliseconds until its colour shows.
std::optional<double> open(TFrm_Main &main, TFrm_Browser &browser, const Pick &pick, int userMs)
{
    main.ListItems(QString(), pick.classNumber, browse::FirstPage);
    pause(userMs);
    QTreeView *list = main.pal_files->lv_Files;
    const QModelIndex index = main.pal_files->filesModel->index(pick.row, 0);
    list->setCurrentIndex(index);
    main.listPointer->ListMousePos = list->visualRect(index).center();
    QElapsedTimer timer;
    timer.start();
    main.pal_files->lv_FilesDblClick();
    return bench::waitForPaint(browser.WebBrowser1, pick.rgb, timer);
}

int fail(const char *what)
{
    std::fprintf(stderr, "open probe: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return fail("usage: open|memory HOME");
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString home = QString::fromLocal8Bit(argv[2]);
    if (!QDir::setCurrent(home))
        return fail("no such home");
    browser::tuneEngine();
    Application application(argc, argv);
    Application::useWindowFont();
    platform::StreamPrompter prompter;
    application.setPrompter(&prompter);
    Program program(prompter, QStringLiteral("http://127.0.0.1:9/"));
    LoginAtStart login;
    program.start();
    TFrm_Main &main = *program.Frm_Main();
    TFrm_Browser &browser = *program.Frm_Browser();
    if (!waitUntil([&] { return main.isVisible() && login.answered(); }, 30000))
        return fail("the program did not start");

    if (mode == QLatin1String("memory")) {
        search::IndexLoader &index = program.Frm_Search()->indexLoader();
        if (!waitUntil([&] { return index.ready(); }, 120000))
            return fail("the search index was not read");
        pause(1000);
        const double before = bench::residentMegabytes();
        const double peak = bench::peakResidentMegabytes();
        const QList<Pick> picks = findPicks(main, home, 1);
        if (picks.isEmpty() || !open(main, browser, picks.first(), 2000))
            return fail("no item played");
        pause(3000);
        bench::report({QStringLiteral("rss_before_list_mb"), QString::number(before, 'f', 0),
                       QStringLiteral("peak_before_list_mb"), QString::number(peak, 'f', 0),
                       QStringLiteral("pss_playing_mb"),
                       QString::number(bench::proportionalMegabytesWithChildren(), 'f', 0)});
        return 0;
    }

    const QList<Pick> picks = findPicks(main, home, 2);
    if (picks.size() < 2)
        return fail("the home has no two local copies of different colours");
    const std::optional<double> cold = open(main, browser, picks.at(0), 2000);
    if (!cold)
        return fail("the first item never showed");
    const std::optional<double> warm = open(main, browser, picks.at(1), 500);
    if (!warm)
        return fail("the second item never showed");
    bench::report({QStringLiteral("cold"), QString::number(*cold, 'f', 1), QStringLiteral("warm"),
                   QString::number(*warm, 'f', 1), picks.at(0).path, picks.at(1).path});
    return 0;
}
