#pragma once

// Whether a browser window shows a Flash movie playing: the movie's
// background colour over a good part of the view.
#include "Wait.h"

#include "browser/BrowserWindow.h"
#include "browser/WebView.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QWebEngineView>

#include <gtest/gtest.h>

// The background colour an SWF sets, read from its SetBackgroundColor tag.
inline QColor backgroundOf(const QByteArray &swf)
{
    const int nbits = quint8(swf.at(8)) >> 3;
    int pos = 8 + (5 + 4 * nbits + 7) / 8 + 4;
    while (pos + 2 <= swf.size()) {
        const quint16 head = quint8(swf.at(pos)) | (quint8(swf.at(pos + 1)) << 8);
        int length = head & 0x3f;
        pos += 2;
        if (length == 0x3f) {
            length = int(quint8(swf.at(pos)) | (quint8(swf.at(pos + 1)) << 8) | (quint8(swf.at(pos + 2)) << 16) |
                         (quint8(swf.at(pos + 3)) << 24));
            pos += 4;
        }
        if ((head >> 6) == 9)
            return QColor(quint8(swf.at(pos)), quint8(swf.at(pos + 1)), quint8(swf.at(pos + 2)));
        pos += length;
    }
    return {};
}

// Waits until the player draws `colour` over a good part of the view;
// answers how many sampled points show it.
inline int waitForColour(TFrm_Browser &w, const QColor &colour)
{
    EXPECT_TRUE(colour.isValid());
    int matching = 0;
    waitFor(
        [&] {
            const QImage shot = w.WebBrowser1->engineView()->grab().toImage();
            matching = 0;
            for (int y = 0; y < shot.height(); y += 8)
                for (int x = 0; x < shot.width(); x += 8) {
                    const QColor c = shot.pixelColor(x, y);
                    if (qAbs(c.red() - colour.red()) < 8 && qAbs(c.green() - colour.green()) < 8 &&
                        qAbs(c.blue() - colour.blue()) < 8)
                        ++matching;
                }
            return matching > 200;
        },
        30000);
    return matching;
}
