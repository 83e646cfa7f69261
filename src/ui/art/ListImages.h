#pragma once

#include <QImage>

namespace art {

// The main window's large list images, 32 x 27, by index: 0 a person,
// 1 a folder, 2 a page, 3 two speech bubbles, 4 a letter. Any other index
// gives the folder.
QImage listImage(int index);

} // namespace art
