#pragma once

#include <QFont>

// The font of the program's windows: "宋体" at 12 pixels. Chinese comes from
// a Song (Ming) face drawn from its hand-tuned bitmaps, Latin letters from a
// sans face whose l, I and 1 differ; both without smoothing, so small text is
// sharp and takes exactly the colour it is drawn in.
namespace art {

// Maps the family "宋体" to the Song faces installed here.
void registerSongFace();

// The window font at `pixelSize` pixels.
QFont windowFont(int pixelSize = 12);

// Registers the Song face and makes the window font the application's.
void useWindowFont();

// The line box of text in `font` as the windows' arithmetic counts it
// (the "text height of w" that shortens captions and cells, and the box
// that centres a row's text): the Song face's, 12 high with an ascent of 11
// at 12 pixels, whatever face draws the Latin letters.
struct TextBox
{
    int height = 0;
    int ascent = 0;
};
TextBox textBox(const QFont &font);

} // namespace art
