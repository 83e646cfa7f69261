#include "ui/skin/FrameGeometry.h"
#include "ui/art/Artwork.h"
#include "ui/skin/SkinnedWindow.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>

namespace skin {

// Readable names for failed comparisons of hit answers.
void PrintTo(Hit hit, std::ostream *os)
{
    switch (hit) {
    case Hit::Default:
        *os << "Default";
        return;
    case Hit::Caption:
        *os << "Caption";
        return;
    case Hit::Left:
        *os << "Left";
        return;
    case Hit::Right:
        *os << "Right";
        return;
    case Hit::Top:
        *os << "Top";
        return;
    case Hit::TopLeft:
        *os << "TopLeft";
        return;
    case Hit::TopRight:
        *os << "TopRight";
        return;
    case Hit::Bottom:
        *os << "Bottom";
        return;
    case Hit::BottomLeft:
        *os << "BottomLeft";
        return;
    case Hit::BottomRight:
        *os << "BottomRight";
        return;
    }
    *os << "Hit(" << static_cast<int>(hit) << ')';
}

} // namespace skin

namespace {

using skin::Hit;

// The browser window's size and frame: resizable, all three caption buttons.
constexpr int kW = 627;
constexpr int kH = 451;

const skin::CaptionButtons kAllButtons{true, true, true, true};
const skin::CaptionButtons kMainButtons{true, false, true, true}; // close and minimise

QList<QRect> buttonRectsOf(const skin::FrameLayout &layout)
{
    return {layout.maximize, layout.minimize, layout.restore, layout.close};
}

Hit hitAt(QPoint point, QSize outer, const QList<QRect> &buttons, bool canResize, bool normal)
{
    skin::HitTestInput in;
    in.point = point;
    in.outer = outer;
    in.buttonRects = buttons;
    in.canResize = canResize;
    in.normalState = normal;
    return skin::FrameHitTest(in);
}

// A resizable window in the normal state, no buttons in the way.
Hit resizableHit(int x, int y, int w = kW, int h = kH)
{
    return hitAt(QPoint(x, y), QSize(w, h), {}, true, true);
}

std::string describe(const skin::CaptionButtons &b)
{
    std::string s;
    if (b.close)
        s += "close ";
    if (b.maximize)
        s += "maximize ";
    if (b.minimize)
        s += "minimize ";
    if (b.icon)
        s += "icon ";
    return s.empty() ? std::string("nothing") : s.substr(0, s.size() - 1);
}

TEST(FrameHitTest, CaptionBandBoundaries)
{
    for (bool canResize : {false, true}) {
        for (bool normal : {false, true}) {
            SCOPED_TRACE(testing::Message() << "canResize " << canResize << " normal " << normal);
            const auto hit = [&](int x, int y) { return hitAt(QPoint(x, y), QSize(kW, kH), {}, canResize, normal); };
            // The band runs 5 <= y <= 50 and 5 <= x <= W - 5, all edges included.
            EXPECT_EQ(hit(5, 5), Hit::Caption);
            EXPECT_EQ(hit(5, 20), Hit::Caption);
            EXPECT_EQ(hit(300, 5), Hit::Caption);
            EXPECT_EQ(hit(300, 50), Hit::Caption);
            EXPECT_EQ(hit(kW - 5, 20), Hit::Caption);
            EXPECT_EQ(hit(kW - 5, 50), Hit::Caption);
            EXPECT_NE(hit(300, 51), Hit::Caption);
            EXPECT_NE(hit(kW - 4, 20), Hit::Caption);
            EXPECT_NE(hit(4, 20), Hit::Caption);
            EXPECT_NE(hit(300, 4), Hit::Caption);
        }
    }
    // Just outside the band a resizable window shows its edges; below it is content.
    EXPECT_EQ(resizableHit(300, 51), Hit::Default);
    EXPECT_EQ(resizableHit(kW - 4, 20), Hit::Right);
    EXPECT_EQ(resizableHit(4, 20), Hit::Left);
    EXPECT_EQ(resizableHit(300, 4), Hit::Top);
}

TEST(FrameHitTest, CaptionButtonsAnswerDefaultWithinTheirRectangles)
{
    const QSize outer(kW, kH);
    const auto browser = skin::layoutFrame(outer, kAllButtons, false);
    const QList<QRect> rects = buttonRectsOf(browser);
    const auto hit = [&](int x, int y, const QList<QRect> &buttons = {}) {
        return hitAt(QPoint(x, y), outer, buttons.isEmpty() ? rects : buttons, true, true);
    };

    // close at W-22, maximise (and the hidden restore) at W-39, minimise at W-56; 17 x 19 at top 6.
    EXPECT_EQ(hit(kW - 22, 6), Hit::Default);  // close, top-left pixel
    EXPECT_EQ(hit(kW - 6, 24), Hit::Default);  // close, bottom-right pixel
    EXPECT_EQ(hit(kW - 39, 10), Hit::Default); // maximise / restore
    EXPECT_EQ(hit(kW - 56, 10), Hit::Default); // minimise
    EXPECT_EQ(hit(kW - 40, 24), Hit::Default); // minimise, bottom-right pixel

    // Right and bottom edges of a button lie outside it.
    EXPECT_EQ(hit(kW - 22, 25), Hit::Caption); // below close
    EXPECT_EQ(hit(kW - 5, 10), Hit::Caption);  // right of close (x = W - 22 + 17)
    EXPECT_EQ(hit(kW - 57, 10), Hit::Caption); // left of minimise
    EXPECT_EQ(hit(kW - 22, 5), Hit::Caption);  // above the buttons, still in the band

    // A hidden button still takes the click away from the caption: here the
    // restore button alone sits where nothing else is.
    const QRect hiddenRestore(200, 6, 17, 19);
    const QList<QRect> withHidden{QRect(), QRect(), hiddenRestore, QRect()};
    EXPECT_EQ(hit(200, 6, withHidden), Hit::Default);
    EXPECT_EQ(hit(216, 24, withHidden), Hit::Default);
    EXPECT_EQ(hit(217, 24, withHidden), Hit::Caption);
    EXPECT_EQ(hit(216, 25, withHidden), Hit::Caption);
    EXPECT_EQ(hit(199, 6, withHidden), Hit::Caption);

    // A button rectangle reaching outside the band does not matter there: the
    // band test comes first and the edges below it follow their own rules.
    const QList<QRect> tall{QRect(100, 40, 17, 19)};
    EXPECT_EQ(hit(105, 50, tall), Hit::Default);
    EXPECT_EQ(hit(4, 45, QList<QRect>{QRect(0, 40, 17, 19)}), Hit::Left);
}

TEST(FrameHitTest, EdgesOfAResizableNormalWindow)
{
    // Every edge, with its 5-pixel border: x < 5, y < 5, x > W - 5, y > H - 5.
    EXPECT_EQ(resizableHit(0, 0), Hit::TopLeft);
    EXPECT_EQ(resizableHit(4, 4), Hit::TopLeft);
    EXPECT_EQ(resizableHit(kW - 4, 4), Hit::TopRight);
    EXPECT_EQ(resizableHit(kW - 1, 0), Hit::TopRight);
    EXPECT_EQ(resizableHit(kW - 4, kH - 4), Hit::BottomRight);
    EXPECT_EQ(resizableHit(kW - 1, kH - 1), Hit::BottomRight);
    EXPECT_EQ(resizableHit(4, kH - 4), Hit::BottomLeft);
    EXPECT_EQ(resizableHit(0, kH - 1), Hit::BottomLeft);
    EXPECT_EQ(resizableHit(4, 200), Hit::Left);
    EXPECT_EQ(resizableHit(200, 4), Hit::Top);
    EXPECT_EQ(resizableHit(kW - 4, 200), Hit::Right);
    EXPECT_EQ(resizableHit(200, kH - 4), Hit::Bottom);

    // One pixel further in is no longer the border.
    EXPECT_EQ(resizableHit(5, 200), Hit::Default);
    EXPECT_EQ(resizableHit(kW - 5, 200), Hit::Default);
    EXPECT_EQ(resizableHit(200, kH - 5), Hit::Default);
    EXPECT_EQ(resizableHit(5, kH - 4), Hit::Bottom);
    EXPECT_EQ(resizableHit(kW - 5, kH - 4), Hit::Bottom);
    EXPECT_EQ(resizableHit(4, kH - 5), Hit::Left);
    EXPECT_EQ(resizableHit(200, 200), Hit::Default);

    // The top row of the icon (8,4, 20 x 20) is the top edge, the rest caption.
    EXPECT_EQ(resizableHit(10, 4), Hit::Top);
    EXPECT_EQ(resizableHit(10, 5), Hit::Caption);
}

TEST(FrameHitTest, EdgePriorityInATinyWindow)
{
    // In a window narrower or lower than two borders the edge conditions
    // overlap, which shows the order: corners first (top-left, top-right,
    // bottom-right, bottom-left), then left, top, right, bottom.
    EXPECT_EQ(resizableHit(4, 4, 8, 8), Hit::TopLeft);        // all four edges
    EXPECT_EQ(resizableHit(4, 2, 8, 100), Hit::TopLeft);      // left, right, top
    EXPECT_EQ(resizableHit(2, 4, 100, 8), Hit::TopLeft);      // left, top, bottom
    EXPECT_EQ(resizableHit(98, 4, 100, 8), Hit::TopRight);    // right, top, bottom
    EXPECT_EQ(resizableHit(4, 98, 8, 100), Hit::BottomRight); // left, right, bottom
    EXPECT_EQ(resizableHit(4, 60, 8, 100), Hit::Left);        // left, right
    EXPECT_EQ(resizableHit(60, 4, 100, 8), Hit::Top);         // top, bottom
}

TEST(FrameHitTest, FixedOrNotNormalWindowsIgnoreTheirEdges)
{
    const QList<QPoint> edgePoints{{0, 0},   {4, 4},   {kW - 1, 0},   {kW - 1, kH - 1}, {0, kH - 1},
                                   {2, 200}, {200, 2}, {kW - 2, 200}, {200, kH - 2},    {kW - 4, 20}};
    for (const auto &[canResize, normal] : {std::pair{false, true}, std::pair{true, false}, std::pair{false, false}}) {
        SCOPED_TRACE(testing::Message() << "canResize " << canResize << " normal " << normal);
        for (const QPoint &p : edgePoints) {
            SCOPED_TRACE(testing::Message() << "at " << p.x() << ',' << p.y());
            EXPECT_EQ(hitAt(p, QSize(kW, kH), {}, canResize, normal), Hit::Default);
        }
        // The caption band still moves the window.
        EXPECT_EQ(hitAt(QPoint(300, 20), QSize(kW, kH), {}, canResize, normal), Hit::Caption);
        EXPECT_EQ(hitAt(QPoint(5, 5), QSize(kW, kH), {}, canResize, normal), Hit::Caption);
    }
}

TEST(SetBorderIcons, ButtonsByBorderStyleAndIcons)
{
    using skin::BorderStyle;
    const skin::BorderIcons all{true, true, true};
    EXPECT_EQ(describe(skin::SetBorderIcons(BorderStyle::None, all)), "nothing");
    EXPECT_EQ(describe(skin::SetBorderIcons(BorderStyle::Single, all)), "close maximize minimize icon");
    EXPECT_EQ(describe(skin::SetBorderIcons(BorderStyle::Sizeable, all)), "close maximize minimize icon");
    EXPECT_EQ(describe(skin::SetBorderIcons(BorderStyle::Dialog, all)), "close");
    EXPECT_EQ(describe(skin::SetBorderIcons(BorderStyle::ToolWindow, all)), "close");
    EXPECT_EQ(describe(skin::SetBorderIcons(BorderStyle::SizeToolWin, all)), "close");

    // The main window: single border, system menu and minimise only.
    EXPECT_EQ(describe(skin::SetBorderIcons(BorderStyle::Single, {true, true, false})), "close minimize icon");
    EXPECT_EQ(describe(skin::SetBorderIcons(BorderStyle::Sizeable, {true, false, true})), "close maximize icon");
    EXPECT_EQ(describe(skin::SetBorderIcons(BorderStyle::Sizeable, {true, false, false})), "close icon");

    // Without the system menu nothing is shown, whatever else is asked for.
    for (BorderStyle style : {BorderStyle::None, BorderStyle::Single, BorderStyle::Sizeable, BorderStyle::Dialog,
                              BorderStyle::ToolWindow, BorderStyle::SizeToolWin}) {
        SCOPED_TRACE(static_cast<int>(style));
        EXPECT_EQ(describe(skin::SetBorderIcons(style, {false, true, true})), "nothing");
        EXPECT_EQ(describe(skin::SetBorderIcons(style, {false, false, false})), "nothing");
    }

    EXPECT_TRUE(skin::isSizeable(BorderStyle::Sizeable));
    EXPECT_TRUE(skin::isSizeable(BorderStyle::SizeToolWin));
    EXPECT_FALSE(skin::isSizeable(BorderStyle::Single));
    EXPECT_FALSE(skin::isSizeable(BorderStyle::ToolWindow));
    EXPECT_FALSE(skin::isSizeable(BorderStyle::Dialog));
    EXPECT_FALSE(skin::isSizeable(BorderStyle::None));
}

TEST(LayoutFrame, MainWindowFrameAndButtons)
{
    const int w = 256;
    const int h = 397;
    const auto l = skin::layoutFrame(QSize(w, h), kMainButtons, false);

    EXPECT_EQ(l.top, QRect(0, 0, w, 50));
    EXPECT_EQ(l.bottom, QRect(0, h - 12, w, 12));
    EXPECT_EQ(l.left.topLeft(), QPoint(0, 0));
    EXPECT_EQ(l.left.height(), h);
    EXPECT_EQ(l.right.topLeft(), QPoint(w - 10, 0));
    EXPECT_EQ(l.right.height(), h);
    EXPECT_EQ(l.leftTop.topLeft(), QPoint(0, 0));
    EXPECT_EQ(l.rightTop.topLeft(), QPoint(w - 97, 0));
    EXPECT_EQ(l.leftBottom.topLeft(), QPoint(0, h - 12));
    EXPECT_EQ(l.rightBottom.topLeft(), QPoint(w - 10, h - 12));
    EXPECT_EQ(l.panel, QRect(10, 50, w - 18, h - 62));

    // Close in slot 1, minimise in slot 2 since maximise is not shown.
    EXPECT_EQ(l.close, QRect(234, 6, 17, 19));
    EXPECT_EQ(l.minimize, QRect(217, 6, 17, 19));
    EXPECT_EQ(l.minimize.left(), w - 39);
    EXPECT_FALSE(l.maximizeVisible);
    EXPECT_FALSE(l.restoreVisible);

    // Maximising never shows maximise or restore on a window without them.
    const auto maximized = skin::layoutFrame(QSize(w, h), kMainButtons, true);
    EXPECT_FALSE(maximized.maximizeVisible);
    EXPECT_FALSE(maximized.restoreVisible);
    EXPECT_EQ(maximized.minimize.left(), w - 39);

    // The minimise button answers the hit test, the pixel left of it is caption.
    const QList<QRect> rects = buttonRectsOf(l);
    EXPECT_EQ(hitAt(QPoint(217, 10), QSize(w, h), rects, false, true), Hit::Default);
    EXPECT_EQ(hitAt(QPoint(216, 10), QSize(w, h), rects, false, true), Hit::Caption);
}

TEST(LayoutFrame, ThreeButtonSlotsAndMaximisedSwap)
{
    for (const QSize outer : {QSize(kW, kH), QSize(400, 300), QSize(1920, 1080)}) {
        SCOPED_TRACE(testing::Message() << outer.width() << 'x' << outer.height());
        const int w = outer.width();
        const auto l = skin::layoutFrame(outer, kAllButtons, false);
        EXPECT_EQ(l.close, QRect(w - 22, 6, 17, 19));
        EXPECT_EQ(l.maximize, QRect(w - 39, 6, 17, 19));
        EXPECT_EQ(l.minimize, QRect(w - 56, 6, 17, 19));
        EXPECT_EQ(l.restore.left(), l.maximize.left());
        EXPECT_EQ(l.restore.top(), 6);
        EXPECT_TRUE(l.maximizeVisible);
        EXPECT_FALSE(l.restoreVisible);

        const auto m = skin::layoutFrame(outer, kAllButtons, true);
        EXPECT_FALSE(m.maximizeVisible);
        EXPECT_TRUE(m.restoreVisible);
        EXPECT_EQ(m.restore.left(), w - 39);
        EXPECT_EQ(m.close.left(), w - 22);
        EXPECT_EQ(m.minimize.left(), w - 56);
    }

    // Close alone sits in slot 1; with close hidden, the next button takes it.
    EXPECT_EQ(skin::layoutFrame(QSize(kW, kH), {true, false, false, false}, false).close.left(), kW - 22);
    EXPECT_EQ(skin::layoutFrame(QSize(kW, kH), {false, false, true, false}, false).minimize.left(), kW - 22);
    EXPECT_EQ(skin::layoutFrame(QSize(kW, kH), {false, true, true, false}, false).maximize.left(), kW - 22);
    EXPECT_EQ(skin::layoutFrame(QSize(kW, kH), {false, true, true, false}, false).minimize.left(), kW - 39);
}

TEST(LayoutFrame, APanelGetsExactlyItsSizeAndTheOuterSizeGivesItBack)
{
    // The frame: 10 pixels left, the 50-pixel caption band, 8 right, the
    // 12-pixel bottom band.
    const struct
    {
        QSize panel;
        QSize outer;
    } windows[] = {
        {QSize(455, 349), QSize(473, 411)}, // browser
        {QSize(607, 405), QSize(625, 467)}, // search
        {QSize(240, 333), QSize(258, 395)}, // main window
        {QSize(0, 0), QSize(18, 62)},
    };
    for (const auto &w : windows) {
        SCOPED_TRACE(testing::Message() << w.panel.width() << 'x' << w.panel.height());
        EXPECT_EQ(skin::outerSizeFor(w.panel), w.outer);
        const QRect panel(QPoint(10, 50), w.panel);
        EXPECT_EQ(skin::panelRectFor(w.outer), panel);
        EXPECT_EQ(skin::layoutFrame(w.outer, kAllButtons, false).panel, panel);
        EXPECT_EQ(skin::layoutFrame(w.outer, kMainButtons, true).panel, panel);
        // The panel ends where the right and bottom frame pictures begin.
        EXPECT_EQ(panel.right() + 1, w.outer.width() - 8);
        EXPECT_EQ(panel.bottom() + 1, skin::layoutFrame(w.outer, kAllButtons, false).bottom.top());
    }
}

TEST(FittedCaption, ShortensToTheWidthOfTheWindow)
{
    // 627 / 12 = 52 letters, limit 50: longer captions keep 49 and end in "...".
    const QString fifty = QString(50, u'a');
    EXPECT_EQ(skin::fittedCaption(fifty, 627, 12), fifty);
    const QString fiftyOne = fifty + u'b';
    EXPECT_EQ(skin::fittedCaption(fiftyOne, 627, 12), QString(49, u'a') + QStringLiteral("..."));
    const QString title = QStringLiteral("Zanto 浏览器[a very long page title that never fits the caption band]");
    const QString fitted = skin::fittedCaption(title, 627, 12);
    EXPECT_TRUE(fitted.endsWith(QStringLiteral("...")));
    EXPECT_EQ(fitted, title.left(52 - 3) + QStringLiteral("..."));

    // The fraction of the division is dropped: 131 / 12 is 10, limit 8.
    EXPECT_EQ(skin::fittedCaption(QStringLiteral("abcdefgh"), 131, 12), QStringLiteral("abcdefgh"));
    EXPECT_EQ(skin::fittedCaption(QStringLiteral("abcdefghi"), 131, 12), QStringLiteral("abcdefg..."));
    EXPECT_EQ(skin::fittedCaption(QStringLiteral("abcdefghi"), 132, 12), QStringLiteral("abcdefghi"));

    // Chinese text counts one per character.
    EXPECT_EQ(skin::fittedCaption(QStringLiteral("浏览器浏览器浏览"), 120, 12), QStringLiteral("浏览器浏览器浏览"));
    EXPECT_EQ(skin::fittedCaption(QStringLiteral("浏览器浏览器浏览器"), 120, 12), QStringLiteral("浏览器浏览器浏..."));
    EXPECT_EQ(skin::fittedCaption(QStringLiteral("Zanto 浏览器[游戏]"), 120, 12), QStringLiteral("Zanto 浏..."));

    // A window too narrow for any letter, or a font without height.
    EXPECT_EQ(skin::fittedCaption(QStringLiteral("浏览器"), 30, 12), QStringLiteral("..."));
    EXPECT_EQ(skin::fittedCaption(QStringLiteral("浏览器"), 627, 0), QStringLiteral("..."));
    EXPECT_EQ(skin::fittedCaption(QString(), 627, 0), QString());
    EXPECT_EQ(skin::fittedCaption(QString(), 627, 12), QString());
}

// A window of the skin, laid out around a panel.
class SkinWindow final : public skin::SkinnedWindow
{
public:
    explicit SkinWindow(QStringList *errors) : SkinnedWindow(sizeableStyle())
    {
        setUpFrameForPanel(QSize(300, 200), [errors](const QString &text) { errors->append(text); });
    }
};

TEST(SkinFiles, AWindowLoadsTheEighteenFilesInTheirOrder)
{
    // The window's files, in the order it loads them: its own pictures, then
    // those that activation swaps in, then the bottom corners. The top band
    // and the right-top corner have no file of their own.
    const QStringList expected{QStringLiteral("ImageLeft"),
                               QStringLiteral("ImageLeftTop"),
                               QStringLiteral("ImageRight"),
                               QStringLiteral("ImageBottom"),
                               QStringLiteral("ImageMax"),
                               QStringLiteral("ImageMin"),
                               QStringLiteral("ImageNormal"),
                               QStringLiteral("ImageClose"),
                               QStringLiteral("ImageDeactiveLeftTop"),
                               QStringLiteral("ImageDeactiveRightTop"),
                               QStringLiteral("ImageDeactiveTop"),
                               QStringLiteral("ImageActiveTop"),
                               QStringLiteral("ImageActiveLeftTop"),
                               QStringLiteral("ImageActiveRightTop"),
                               QStringLiteral("ImageActiveMenubar"),
                               QStringLiteral("ImageDeactiveMenubar"),
                               QStringLiteral("ImageLeftBottom"),
                               QStringLiteral("ImageRightBottom")};
    QTemporaryDir home;
    art::writeSkin(home.path());
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(home.path()));
    {
        QStringList errors;
        SkinWindow whole(&errors);
        EXPECT_TRUE(errors.isEmpty()) << errors.value(0).toStdString();
        EXPECT_EQ(whole.PanelBkGnd()->geometry(), QRect(10, 50, 300, 200));
        EXPECT_EQ(whole.size(), QSize(318, 262));
    }
    // Taking the files away from the last on, a window misses each first:
    // it loads every file before it and none after it.
    for (qsizetype i = expected.size() - 1; i >= 0; --i) {
        ASSERT_TRUE(QFile::remove(QStringLiteral("001/%1.bmp").arg(expected.at(i))));
        QStringList errors;
        SkinWindow w(&errors);
        ASSERT_EQ(errors.size(), 1) << expected.at(i).toStdString();
        EXPECT_EQ(errors.first(), QStringLiteral("无法读取皮肤文件 001/%1.bmp").arg(expected.at(i)));
    }
    QDir::setCurrent(before);
    EXPECT_EQ(art::skinBitmapNames(), expected) << "the files written are the files read";
}

} // namespace
