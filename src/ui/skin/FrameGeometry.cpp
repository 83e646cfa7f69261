#include "ui/skin/FrameGeometry.h"

#include "common/Text.h"

namespace skin {

Hit FrameHitTest(const HitTestInput &in)
{
    const QPoint p = in.point;
    const int w = in.outer.width();
    const int h = in.outer.height();

    if (p.y() >= kBorder && p.y() <= kCaptionHeight && p.x() >= kBorder && p.x() <= w - kBorder) {
        for (const QRect &button : in.buttonRects) {
            if (button.contains(p))
                return Hit::Default;
        }
        return Hit::Caption;
    }
    if (!in.canResize || !in.normalState)
        return Hit::Default;

    const bool left = p.x() < kBorder;
    const bool right = p.x() > w - kBorder;
    const bool top = p.y() < kBorder;
    const bool bottom = p.y() > h - kBorder;
    if (left && top)
        return Hit::TopLeft;
    if (right && top)
        return Hit::TopRight;
    if (right && bottom)
        return Hit::BottomRight;
    if (left && bottom)
        return Hit::BottomLeft;
    if (left)
        return Hit::Left;
    if (top)
        return Hit::Top;
    if (right)
        return Hit::Right;
    if (bottom)
        return Hit::Bottom;
    return Hit::Default;
}

CaptionButtons SetBorderIcons(BorderStyle style, BorderIcons icons)
{
    CaptionButtons out;
    switch (style) {
    case BorderStyle::None:
        break;
    case BorderStyle::Single:
    case BorderStyle::Sizeable:
        out = {true, true, true, true};
        break;
    case BorderStyle::Dialog:
    case BorderStyle::ToolWindow:
    case BorderStyle::SizeToolWin:
        out.close = true;
        break;
    }
    if (!icons.systemMenu)
        return {};
    if (!icons.minimize)
        out.minimize = false;
    if (!icons.maximize)
        out.maximize = false;
    return out;
}

FrameLayout layoutFrame(QSize outer, const CaptionButtons &buttons, bool maximized, const PictureSizes &pictures)
{
    const int w = outer.width();
    const int h = outer.height();
    FrameLayout l;
    l.top = QRect(0, 0, w, kCaptionHeight);
    l.bottom = QRect(0, h - kBottomHeight, w, kBottomHeight);
    l.left = QRect(0, 0, pictures.leftWidth, h);
    l.right = QRect(w - 10, 0, pictures.rightWidth, h);
    l.leftBottom = QRect(QPoint(0, h - kBottomHeight), pictures.leftBottom);
    l.rightBottom = QRect(QPoint(w - 10, h - kBottomHeight), pictures.rightBottom);
    l.rightTop = QRect(QPoint(w - 97, 0), pictures.rightTop);
    l.leftTop = QRect(QPoint(0, 0), pictures.leftTop);
    l.panel = panelRectFor(outer);

    // Buttons fill slots from the right edge: close, maximise, minimise.
    int slot = 0;
    const auto nextSlot = [&] {
        ++slot;
        return QRect(w - kButtonWidth * slot - 5, kButtonTop, kButtonWidth, kButtonHeight);
    };
    l.close = buttons.close ? nextSlot() : QRect(w - kButtonWidth - 5, kButtonTop, kButtonWidth, kButtonHeight);
    l.maximize =
        buttons.maximize ? nextSlot() : QRect(l.close.left() - kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight);
    l.minimize = buttons.minimize ? nextSlot()
                                  : QRect(l.maximize.left() - kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight);
    l.restore = l.maximize;
    l.maximizeVisible = buttons.maximize && !maximized;
    l.restoreVisible = buttons.maximize && maximized;
    return l;
}

QString fittedCaption(const QString &caption, int outerWidth, int letterHeight)
{
    const int n = letterHeight > 0 ? outerWidth / letterHeight : 0;
    return TruncateWithEllipsis(caption, n - 2);
}

} // namespace skin
