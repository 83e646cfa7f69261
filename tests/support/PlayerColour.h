#pragma once

// Whether a browser window shows a Flash movie playing: the movie's
// background colour over a good part of the view.
#include "Wait.h"

#include "browser/BrowserWindow.h"
#include "browser/WebView.h"
#include "samples/SampleSwf.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QWebEngineView>

#include <gtest/gtest.h>

// The background colour an SWF sets.
inline QColor backgroundOf(const QByteArray &swf)
{
    const std::optional<unsigned> rgb = samples::backgroundOf(swf);
    return rgb ? QColor(QRgb(*rgb)) : QColor();
}

// How many points of a grid 8 pixels apart over `shot` show `colour`.
inline int pointsShowing(const QImage &shot, const QColor &colour)
{
    int matching = 0;
    for (int y = 0; y < shot.height(); y += 8)
        for (int x = 0; x < shot.width(); x += 8) {
            const QColor c = shot.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) < 8 && qAbs(c.green() - colour.green()) < 8 &&
                qAbs(c.blue() - colour.blue()) < 8)
                ++matching;
        }
    return matching;
}

// Waits until the player draws `colour` over a good part of the view;
// answers how many sampled points show it.
inline int waitForColour(TFrm_Browser &w, const QColor &colour)
{
    EXPECT_TRUE(colour.isValid());
    int matching = 0;
    waitFor(
        [&] {
            matching = pointsShowing(w.WebBrowser1->engineView()->grab().toImage(), colour);
            return matching > 200;
        },
        30000);
    return matching;
}
