#pragma once

#include <QString>

class QLabel;

namespace skin {

// Shows `text` in a label of fixed size: in the label's own font when it
// fits, else in the largest smaller one, down to `smallestPixels`, that fits
// its width; the whole text is then also its tip. A page label of a list of
// a hundred thousand items reads "14391/14391页" whole instead of cut at both
// ends into another number.
void setFittedText(QLabel *label, const QString &text, int smallestPixels = 8);

} // namespace skin
