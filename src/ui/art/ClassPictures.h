#pragma once

class QPainter;

// The pictures above the class buttons' captions, each drawn on a
// pictureWidth x pictureHeight canvas.
namespace art::detail {

constexpr int pictureWidth = 40;
constexpr int pictureHeight = 36;

// The catalogue's classes.
void drawMusicTv(QPainter &p);
void drawLaughingFace(QPainter &p);
void drawGamePad(QPainter &p);
void drawPalette(QPainter &p);
void drawScroll(QPainter &p);
void drawClapper(QPainter &p);
void drawBookAndCap(QPainter &p);
void drawCard(QPainter &p);
void drawMegaphone(QPainter &p);

// The buttons that open panels, and any other class.
void drawTrophy(QPainter &p);
void drawStar(QPainter &p);
void drawPeople(QPainter &p);
void drawFolder(QPainter &p);

} // namespace art::detail
