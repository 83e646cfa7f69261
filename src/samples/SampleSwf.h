#pragma once

#include <QByteArray>
#include <QString>

namespace samples {

// A small, valid, uncompressed SWF animation for an item: coloured shapes
// that move over a few frames and the item's number drawn as vector
// strokes. The same arguments always give the same bytes; different items
// give different pictures.
QByteArray sampleSwf(int fileId);

} // namespace samples
