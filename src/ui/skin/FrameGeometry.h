#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// The arithmetic of the skinned window frame: hit testing, caption buttons
// and layout. Pure functions, tested without a window.
namespace skin {

// Answers of the hit test, numbered as the system's hit codes.
enum class Hit : int {
    Default = -1, // let the window handle the point itself (buttons, content)
    Caption = 2,
    Left = 10,
    Right = 11,
    Top = 12,
    TopLeft = 13,
    TopRight = 14,
    Bottom = 15,
    BottomLeft = 16,
    BottomRight = 17,
};

inline constexpr int kBorder = 5;         // width of the resizing border
inline constexpr int kCaptionHeight = 50; // height of the top band
inline constexpr int kBottomHeight = 12;
inline constexpr int kButtonWidth = 17;
inline constexpr int kButtonHeight = 19;
inline constexpr int kButtonTop = 6;

struct HitTestInput
{
    QPoint point;             // in window coordinates
    QSize outer;              // the window's outer size
    QList<QRect> buttonRects; // maximise, minimise, restore, close; hidden ones too
    bool canResize = false;
    bool normalState = true; // neither minimised nor maximised
};

Hit FrameHitTest(const HitTestInput &in);

// The rectangle (left, top, left + width, top + height) of an element:
// left and top edges inside, right and bottom edges outside.
inline QRect ImageRect(int left, int top, int width, int height)
{
    return QRect(left, top, width, height);
}

enum class BorderStyle { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };

struct BorderIcons
{
    bool systemMenu = true;
    bool minimize = true;
    bool maximize = true;
};

struct CaptionButtons
{
    bool close = false;
    bool maximize = false;
    bool minimize = false;
    bool icon = false; // icon visible and enabled
};

CaptionButtons SetBorderIcons(BorderStyle style, BorderIcons icons);

inline bool isSizeable(BorderStyle style)
{
    return style == BorderStyle::Sizeable || style == BorderStyle::SizeToolWin;
}

// Where every frame element goes for a window of outer size W x H.
struct FrameLayout
{
    QRect top, bottom, left, right, leftBottom, rightBottom, rightTop, leftTop;
    QRect panel; // PanelBkGnd, the window's own content
    QRect close, maximize, minimize, restore;
    bool maximizeVisible = false;
    bool restoreVisible = false;
};

struct PictureSizes
{
    QSize leftTop{23, 23};
    QSize rightTop{100, 50};
    QSize leftBottom{10, 12};
    QSize rightBottom{13, 12};
    int leftWidth = 12;
    int rightWidth = 13;
};

FrameLayout layoutFrame(QSize outer, const CaptionButtons &buttons, bool maximized, const PictureSizes &pictures = {});

// The frame around the content panel: 10 pixels on the left, the caption
// band above, 8 on the right and the bottom band below. Both ways between
// a window's outer size and its panel go by it.
inline constexpr QMargins kPanelMargins{10, kCaptionHeight, 8, kBottomHeight};

// The content panel of a window of outer size `outer`, in window coordinates.
inline QRect panelRectFor(QSize outer)
{
    return {QPoint(kPanelMargins.left(), kPanelMargins.top()), outer.shrunkBy(kPanelMargins)};
}

// Outer size of a window whose content panel is `panel`.
inline QSize outerSizeFor(QSize panel)
{
    return panel.grownBy(kPanelMargins);
}

// The caption text that fits a window `outerWidth` wide when the letter "w"
// is `letterHeight` pixels high in its font.
QString fittedCaption(const QString &caption, int outerWidth, int letterHeight);

} // namespace skin
