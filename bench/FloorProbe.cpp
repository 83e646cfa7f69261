// The floor of the open benchmark: a bare QWebEngineView in a program of its
// own loads the player's page for a movie (the same page, player files and
// movie as the program), then for a second movie in the same view; each is
// timed until the movie's colour is on the screen.
#include "PaintWatch.h"

#include "browser/PlayerServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QUrl>
#include <QWebEngineView>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "floor probe: usage: FIRST.swf SECOND.swf\n");
        return 1;
    }
    const QString first = QString::fromLocal8Bit(argv[1]);
    const QString second = QString::fromLocal8Bit(argv[2]);
    const std::optional<unsigned> firstColour = bench::distinctBackground(first);
    const std::optional<unsigned> secondColour = bench::distinctBackground(second);
    if (!firstColour || !secondColour) {
        std::fprintf(stderr, "floor probe: the movies have no distinct colours\n");
        return 1;
    }
    browser::PlayerServer player(browser::PlayerServer::locateRuffle());
    const QUrl firstPage(player.playerPageFor(first, QStringLiteral("first")));
    const QUrl secondPage(player.playerPageFor(second, QStringLiteral("second")));

    QElapsedTimer timer;
    timer.start();
    QWebEngineView view;
    view.resize(455, 300);
    view.show();
    view.load(firstPage);
    const std::optional<double> cold = bench::waitForPaint(&view, *firstColour, timer);
    timer.restart();
    view.load(secondPage);
    const std::optional<double> warm = bench::waitForPaint(&view, *secondColour, timer);
    if (!cold || !warm) {
        std::fprintf(stderr, "floor probe: a movie never showed\n");
        return 1;
    }
    bench::report({QStringLiteral("cold"), QString::number(*cold, 'f', 1), QStringLiteral("warm"),
                   QString::number(*warm, 'f', 1)});
    return 0;
}
