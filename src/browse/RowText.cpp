#include "browse/RowText.h"

#include "common/Text.h"

#include <algorithm>

namespace browse {

namespace {
constexpr int kMargin = 3;
}

int captionSpace(int columnWidth)
{
    return columnWidth - kStateIconWidth - kMargin;
}

int columnNameSpace(int columnWidth)
{
    return columnWidth - kMargin;
}

QString fitCellText(const QString &text, int textWidth, int available, int columnWidth, int letterHeight)
{
    if (textWidth <= available)
        return text;
    // A font without height would divide by zero; treat it as one pixel.
    const int maximum = columnWidth / std::max(letterHeight, 1) - 2;
    return TruncateWithEllipsis(text, maximum);
}

Rgb rowTextColour(bool hot, bool viewed)
{
    if (hot)
        return {0, 0, 128};
    if (viewed)
        return {128, 128, 128};
    return {0, 128, 0};
}

} // namespace browse
