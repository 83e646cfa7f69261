#pragma once

#include "ui/skin/Colours.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <initializer_list>

// The bars the sizeable skinned windows share: a sky-blue tool bar at the
// top of the content panel, and a status bar of sunken panels at the bottom.
namespace skin {

// Lays the content panel out top to bottom and puts the 31-pixel tool bar
// ("Panel1") first; the caller adds the rest to the layout it answers.
inline QVBoxLayout *addToolBar(QWidget *panel, QWidget **bar)
{
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    *bar = new QWidget(panel);
    (*bar)->setObjectName(QStringLiteral("Panel1"));
    (*bar)->setFixedHeight(31);
    fillBackground(*bar, kSkyBlue);
    layout->addWidget(*bar);
    return layout;
}

// The status bar "StatusBar2", 19 pixels high, with sunken panels of the
// given widths from the left, written to `panels`.
inline QWidget *statusBar(QWidget *parent, std::initializer_list<int> widths, QLabel **panels)
{
    auto *bar = new QWidget(parent);
    bar->setObjectName(QStringLiteral("StatusBar2"));
    bar->setFixedHeight(19);
    int left = 0;
    int i = 0;
    for (int width : widths) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusBar2_%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setGeometry(left, 1, width - 2, 17);
        left += width;
        panels[i++] = panel;
    }
    return bar;
}

} // namespace skin
