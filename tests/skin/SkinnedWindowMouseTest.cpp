// The frame under the mouse: the cursor that shows which edge resizes, and
// buttons other than the left one leaving the frame alone.
#include "ui/skin/LinkLabel.h"
#include "ui/skin/SkinnedWindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class SizeableWindow final : public skin::SkinnedWindow
{
public:
    SizeableWindow() : SkinnedWindow(sizeableStyle())
    {
        setMinimumSize(200, 150);
        setUpFrameForPanel(QSize(300, 200), {});
    }
};

void send(QWidget &w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), QPointF(w.mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

void hover(QWidget &w, QPoint at, Qt::MouseButtons held = Qt::NoButton)
{
    send(w, QEvent::MouseMove, at, Qt::NoButton, held);
}

TEST(SkinnedWindowMouse, TheCursorShowsTheEdgeUnderItAndStaysWhileAButtonIsHeld)
{
    SizeableWindow w;
    const int W = w.width();
    const int H = w.height();
    const struct
    {
        QPoint at;
        Qt::CursorShape shape;
    } edges[] = {{{2, 100}, Qt::SizeHorCursor},     {{W - 2, 100}, Qt::SizeHorCursor},
                 {{150, 2}, Qt::SizeVerCursor},     {{150, H - 2}, Qt::SizeVerCursor},
                 {{1, 1}, Qt::SizeFDiagCursor},     {{W - 2, H - 2}, Qt::SizeFDiagCursor},
                 {{W - 2, 1}, Qt::SizeBDiagCursor}, {{1, H - 2}, Qt::SizeBDiagCursor}};
    for (const auto &edge : edges) {
        hover(w, {150, 150});
        EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor) << "the panel keeps the usual cursor";
        hover(w, edge.at);
        EXPECT_EQ(w.cursor().shape(), edge.shape) << edge.at.x() << ',' << edge.at.y();
    }
    hover(w, {150, 20});
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor) << "the caption band moves, it does not resize";

    // Dragged over an edge with the button held, the cursor keeps its shape.
    hover(w, {2, 100});
    hover(w, {150, 2}, Qt::LeftButton);
    EXPECT_EQ(w.cursor().shape(), Qt::SizeHorCursor);
}

TEST(SkinnedWindowMouse, OnlyTheLeftButtonMovesOrResizesTheWindow)
{
    SizeableWindow w;
    const QRect before = w.geometry();
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        for (const QPoint at : {QPoint(w.width() - 2, 100), QPoint(150, 20), QPoint(1, 1)}) {
            send(w, QEvent::MouseButtonPress, at, button, button);
            hover(w, at + QPoint(40, 30), button);
            send(w, QEvent::MouseButtonRelease, at + QPoint(40, 30), button, Qt::NoButton);
            EXPECT_EQ(w.geometry(), before) << at.x() << ',' << at.y();
        }
    }
    // The left button on the right edge does resize it, the height kept.
    send(w, QEvent::MouseButtonPress, {w.width() - 2, 100}, Qt::LeftButton, Qt::LeftButton);
    hover(w, {w.width() + 38, 130}, Qt::LeftButton);
    send(w, QEvent::MouseButtonRelease, {w.width() + 38, 130}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.geometry(), before.adjusted(0, 0, 40, 0));
    // And a left drag of the top-left corner stops at the least size.
    const QRect wide = w.geometry();
    send(w, QEvent::MouseButtonPress, {1, 1}, Qt::LeftButton, Qt::LeftButton);
    hover(w, {1000, 1000}, Qt::LeftButton);
    send(w, QEvent::MouseButtonRelease, {1000, 1000}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.geometry(), QRect(QPoint(wide.right() - 199, wide.bottom() - 149), wide.bottomRight()));
}

// A caption button or a link answers a left button let go over it, and no
// other release.
TEST(SkinnedWindowMouse, ButtonsAndLinksAnswerOnlyALeftClickLetGoOverThem)
{
    SizeableWindow w;
    skin::LinkLabel link(&w);
    link.setText(QStringLiteral("链接"));
    link.resize(40, 16);
    for (QWidget *target : {static_cast<QWidget *>(w.findChild<skin::SkinImage *>(QStringLiteral("ImageClose"))),
                            static_cast<QWidget *>(&link)}) {
        ASSERT_NE(target, nullptr);
        QSignalSpy clicks(target, SIGNAL(clicked()));
        send(*target, QEvent::MouseButtonRelease, {2, 2}, Qt::RightButton, Qt::NoButton);
        send(*target, QEvent::MouseButtonRelease, {-3, 2}, Qt::LeftButton, Qt::NoButton);
        send(*target, QEvent::MouseButtonRelease, {2, target->height() + 1}, Qt::LeftButton, Qt::NoButton);
        EXPECT_EQ(clicks.count(), 0) << target->objectName().toStdString();
        send(*target, QEvent::MouseButtonRelease, {2, 2}, Qt::LeftButton, Qt::NoButton);
        EXPECT_EQ(clicks.count(), 1) << target->objectName().toStdString();
    }
}

} // namespace
