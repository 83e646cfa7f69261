#pragma once

// What the browser window's tests share: the demo site over real HTTP, a
// window with its own player server, and local copies of movies.
#include "Wait.h"

#include "DemoSite.h"
#include "ScriptedPrompter.h"
#include "browser/BrowserWindow.h"
#include "browser/PlayerServer.h"
#include "browser/WebView.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// The demo site on a demo catalogue of 60 items, started once for the
// test program.
struct Site
{
    Site();
    QString base() const { return site->baseUrl(); }
    QString itemName(int id);
    // Where a real file put for an item replaces the site's drawn sample.
    QString siteFilePath(int id);
    QTemporaryDir home;
    std::unique_ptr<DemoSite> site;
};

Site &site();

class BrowserWindow : public ::testing::Test
{
protected:
    BrowserWindow() : player(QStringLiteral(RUFFLE_DIR)), window(player, prompter) {}
    ~BrowserWindow() override { window.hide(); }

    bool waitForTitle(TFrm_Browser &w, const QString &title, int ms = 20000)
    {
        return waitFor([&] { return w.windowTitle() == QStringLiteral("Zanto 浏览器[%1]").arg(title); }, ms);
    }
    bool waitForIdle(TFrm_Browser &w, int ms = 20000)
    {
        return waitFor([&] { return !w.WebBrowser1->busy() && w.WebBrowser1->engineView(); }, ms);
    }

    ScriptedPrompter prompter;
    browser::PlayerServer player;
    TFrm_Browser window;
};

// Local copies of movies of different background colours, in a home's local/.
struct Movies
{
    explicit Movies(int count);
    QTemporaryDir home;
    QStringList paths;
    QList<QColor> backgrounds;
};

// How many sampled points of the browser's area show `colour`.
int pointsOf(TFrm_Browser &w, const QColor &colour);

// Waits until the view shows `colour`; false also when `earlier` showed first.
bool showsWithoutEarlier(TFrm_Browser &w, const QColor &colour, const QList<QColor> &earlier);
