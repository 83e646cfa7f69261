#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace samples {

// A small, valid, uncompressed SWF animation for an item: coloured shapes
// that move over a few frames and the item's number drawn as vector
// strokes. The same arguments always give the same bytes; different items
// give different pictures.
QByteArray sampleSwf(int fileId);

// A black movie of one empty frame: what a player loads to get ready.
QByteArray blankSwf();

// The background colour an uncompressed SWF sets, read from its
// SetBackgroundColor tag, as 0xRRGGBB; none when it sets none.
std::optional<unsigned> backgroundOf(const QByteArray &swf);

} // namespace samples
