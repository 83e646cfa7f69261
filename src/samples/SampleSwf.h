#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace samples {

// A small, valid, uncompressed SWF animation for an item: coloured shapes
// that move over a few frames and the item's number drawn as vector
// strokes. The same arguments always give the same bytes; different items
// give different pictures.
QByteArray sampleSwf(int fileId);

// A black movie of one empty frame: what a player loads to get ready.
QByteArray blankSwf();

// A movie that answers the keyboard, still on its first colour until a key
// changes it: "a" turns it to the second colour, "b" to the third, "f" asks
// for full screen. As it starts it asks for full screen on its own too, which
// a player refuses without the user's action.
QByteArray keySwf();
// Its three colours as 0xRRGGBB, the first its background.
std::array<unsigned, 3> keySwfColours();

// The background colour an uncompressed SWF sets, read from its
// SetBackgroundColor tag, as 0xRRGGBB; none when it sets none.
std::optional<unsigned> backgroundOf(const QByteArray &swf);

} // namespace samples
