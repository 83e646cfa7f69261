#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

// Colours the skinned windows share, and filling a widget with one.
namespace skin {

inline const QColor kSkyBlue(166, 202, 240);
inline const QColor kNavy(0, 0, 128);

inline void fillBackground(QWidget *widget, const QColor &colour)
{
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

} // namespace skin
