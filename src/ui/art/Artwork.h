#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

// Pictures the program draws itself: the class buttons, the list state icons,
// the window icon and the frame skin written into a demo home's 001/.
// Everything is drawn with shapes (no text), so it works without a display.
namespace art {

// Picture above a class button's caption on the start panel, for the
// button's tag 1..12 (classes, 6 ranking, 10 recommendations, 5 community).
QImage classButtonPicture(int tag);

// List state icons, 24 x 19: 0 a dim arrow (not downloaded, no local copy),
// 1 a coloured arrow (downloaded), 2 a brown diamond (local copy present).
QImage stateIcon(int index);

// A recommendation category in the category panel, 32 x 27: a folder.
QImage categoryIcon();

// The program's window icon, 20 x 20.
QImage windowIcon();

// The same icon at `size` x `size` pixels (the desktop's menu icons).
QImage programIcon(int size);

// The 18 skin bitmaps in the order a window loads them ("ImageLeft", ...).
QStringList skinBitmapNames();
QImage skinBitmap(const QString &name);

// Writes DIR/001/<name>.bmp for every skin bitmap; throws std::runtime_error.
void writeSkin(const QString &home);

} // namespace art
