#pragma once

#include <QString>

namespace browse {

// Width of a state icon; the caption starts right after it.
inline constexpr int kStateIconWidth = 24;

// Space a caption may take in a first column `columnWidth` wide: the column
// less the icon and a 3-pixel margin.
int captionSpace(int columnWidth);

// Space a column name may take in a second column `columnWidth` wide.
int columnNameSpace(int columnWidth);

// The text drawn in a cell: `text` whole when its pixel width fits in
// `available`, otherwise shortened to (columnWidth / letterHeight - 2)
// characters with TruncateWithEllipsis. `letterHeight` is the text height of
// "w" in the list's font; the division drops the fraction.
QString fitCellText(const QString &text, int textWidth, int available, int columnWidth, int letterHeight);

// A colour as red, green and blue 0..255.
struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

// Text colour of a row: navy under the pointer, else grey when the item was
// viewed, else green.
Rgb rowTextColour(bool hot, bool viewed);

} // namespace browse
