#include "ui/art/WindowFont.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QStringList>

namespace art {

void registerSongFace()
{
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC")});
}

QFont windowFont(int pixelSize)
{
    // A character missing in the first family comes from the next one: the
    // Latin face has no Chinese, so Chinese falls through to "宋体".
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("宋体")});
    font.setPixelSize(pixelSize);
    // Unsmoothed, the Song face draws its embedded bitmaps (11 to 16 pixels)
    // and the Latin face is hinted to whole pixels.
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

TextBox textBox(const QFont &font)
{
    QFont song(QStringLiteral("宋体"));
    song.setPixelSize(font.pixelSize() > 0 ? font.pixelSize() : 12);
    song.setStyleStrategy(font.styleStrategy());
    const QFontMetrics metrics(song);
    return {metrics.height(), metrics.ascent()};
}

void useWindowFont()
{
    registerSongFace();
    QGuiApplication::setFont(windowFont());
}

} // namespace art
