// The frame on real windows: skin loading and its failure, moving and
// resizing by the frame, the caption buttons.
#include "DemoHome.h"

#include "ui/art/Artwork.h"
#include "ui/skin/SkinnedWindow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using skin::Hit;
using skin::SkinImage;
using skin::SkinnedWindow;

// A sizeable window with all three caption buttons, as the browser is.
class SizeableWindow final : public SkinnedWindow
{
public:
    explicit SizeableWindow(QStringList *errors = nullptr) : SkinnedWindow(sizeableStyle())
    {
        setWindowTitle(QStringLiteral("Zanto 浏览器[一个很长很长很长很长很长很长很长很长很长很长很长的标题]"));
        setMinimumSize(400, 300);
        setUpFrameForPanel(QSize(455, 349), [errors](const QString &text) {
            if (errors)
                errors->append(text);
        });
    }
};

SkinImage *image(QWidget &w, const char *name)
{
    return w.findChild<SkinImage *>(QLatin1String(name));
}

TEST(SkinnedWindowFrame, LoadsTheSkinAndLaysOutAroundTheContent)
{
    CurrentDir here(sharedDemoHome());
    QStringList errors;
    SizeableWindow w(&errors);
    EXPECT_TRUE(errors.isEmpty()) << errors.value(0).toStdString();
    EXPECT_EQ(w.size(), QSize(473, 411));
    EXPECT_EQ(w.PanelBkGnd()->geometry(), QRect(10, 50, 455, 349));
    for (const char *name :
         {"ImageLeft", "ImageRight", "ImageBottom", "ImageLeftTop", "ImageRightTop", "ImageTop", "ImageClose",
          "ImageMin", "ImageMax", "ImageNormal", "ImageLeftBottom", "ImageRightBottom"})
        EXPECT_FALSE(image(w, name)->picture().isNull()) << name;
    EXPECT_EQ(image(w, "ImageClose")->x(), 473 - 22);
    EXPECT_EQ(image(w, "ImageMax")->x(), 473 - 39);
    EXPECT_EQ(image(w, "ImageMin")->x(), 473 - 56);
    EXPECT_TRUE(w.GetcanResize());
    // The caption is shortened to the width.
    const QString caption = w.findChild<QLabel *>(QStringLiteral("LabelCaption"))->text();
    EXPECT_TRUE(caption.endsWith(QStringLiteral("..."))) << caption.toStdString();
    w.show();
    w.resize(1400, 411);
    EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("LabelCaption"))->text(), w.windowTitle());
}

TEST(SkinnedWindowFrame, AMissingSkinFileIsReportedAndTheWindowStillWorks)
{
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("001"));
    const QString skin = QDir(sharedDemoHome()).filePath(QStringLiteral("001"));
    for (const QString &name : art::skinBitmapNames()) {
        if (name != QLatin1String("ImageMax"))
            QFile::copy(QDir(skin).filePath(name + QStringLiteral(".bmp")),
                        QDir(home.path()).filePath(QStringLiteral("001/%1.bmp").arg(name)));
    }
    CurrentDir here(home.path());
    QStringList errors;
    SizeableWindow w(&errors);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains(QStringLiteral("001/ImageMax.bmp"))) << errors.first().toStdString();
    // Files before the failing one are in; it and the rest stay blank.
    EXPECT_FALSE(image(w, "ImageLeft")->picture().isNull());
    EXPECT_FALSE(image(w, "ImageBottom")->picture().isNull());
    EXPECT_TRUE(image(w, "ImageMax")->picture().isNull());
    EXPECT_TRUE(image(w, "ImageClose")->picture().isNull());
    EXPECT_TRUE(image(w, "ImageRightBottom")->picture().isNull());
    EXPECT_TRUE(image(w, "ImageTop")->picture().isNull());
    // Laid out and shown all the same; the blank corner shows the window's background.
    EXPECT_EQ(w.PanelBkGnd()->geometry(), QRect(10, 50, 455, 349));
    w.show();
    const QImage shot = w.grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(3, 200)), QColor(image(w, "ImageLeft")->picture().toImage().pixel(3, 200)));
    EXPECT_EQ(QColor(shot.pixel(200, 40)), w.palette().color(QPalette::Window)) << "no top picture";
}

TEST(SkinnedWindowFrame, TheCaptionBandMovesTheWindowAndTheEdgesResizeIt)
{
    CurrentDir here(sharedDemoHome());
    SizeableWindow w;
    w.move(100, 100);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.hitTest(QPoint(200, 20)), Hit::Caption);
    EXPECT_EQ(w.hitTest(QPoint(w.width() - 2, 200)), Hit::Right);
    EXPECT_EQ(w.hitTest(QPoint(4, 4)), Hit::TopLeft);

    const QPoint start = w.pos();
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(200, 20));
    QTest::mouseMove(&w, QPoint(230, 60));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(230, 60));
    EXPECT_EQ(w.pos(), start + QPoint(30, 40));

    const QSize size = w.size();
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(w.width() - 2, 200));
    QTest::mouseMove(&w, QPoint(w.width() + 48, 200));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(w.width() + 48, 200));
    EXPECT_EQ(w.size(), size + QSize(50, 0));
    EXPECT_EQ(w.findChild<SkinImage *>(QStringLiteral("ImageClose"))->x(), w.width() - 22) << "laid out again";

    // Dragging the bottom-right corner far inwards stops at the minimum size.
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(w.width() - 2, w.height() - 2));
    QTest::mouseMove(&w, QPoint(10, 10));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(w.size(), QSize(400, 300));
}

TEST(SkinnedWindowFrame, CaptionButtonsMaximiseRestoreAndClose)
{
    CurrentDir here(sharedDemoHome());
    SizeableWindow w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto *max = image(w, "ImageMax");
    auto *normal = image(w, "ImageNormal");
    EXPECT_TRUE(max->isVisible());
    EXPECT_FALSE(normal->isVisible());
    EXPECT_EQ(max->toolTip(), QStringLiteral("最大化"));
    QTest::mouseClick(max, Qt::LeftButton);
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(normal->isVisible());
    EXPECT_FALSE(max->isVisible());
    EXPECT_EQ(w.hitTest(QPoint(w.width() - 2, 200)), Hit::Default) << "a maximised window is not resized";
    QTest::mouseClick(normal, Qt::LeftButton);
    EXPECT_FALSE(w.windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(max->isVisible());

    QTest::mouseClick(image(w, "ImageClose"), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
}

TEST(SkinnedWindowFrame, MinimiseTakesTheWholeApplication)
{
    CurrentDir here(sharedDemoHome());
    SizeableWindow a;
    SizeableWindow b;
    a.show();
    b.show();
    QTest::mouseClick(image(a, "ImageMin"), Qt::LeftButton);
    EXPECT_TRUE(a.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(b.windowState() & Qt::WindowMinimized);
}

TEST(SkinnedWindowFrame, ActivationSwapsTheTopPictures)
{
    CurrentDir here(sharedDemoHome());
    SizeableWindow w;
    w.show();
    w.activateWindow();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const QImage active = image(w, "ImageTop")->picture().toImage();
    QImage expected(QDir(sharedDemoHome()).filePath(QStringLiteral("001/ImageActiveTop.bmp")));
    EXPECT_EQ(active.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));

    SizeableWindow other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QImage inactive(QDir(sharedDemoHome()).filePath(QStringLiteral("001/ImageDeactiveTop.bmp")));
    EXPECT_EQ(image(w, "ImageTop")->picture().toImage().convertToFormat(QImage::Format_RGB32),
              inactive.convertToFormat(QImage::Format_RGB32));
}

TEST(SkinnedWindowFrame, DoubleClickOnTheIconClosesOnlyWhereTheHitTestLetsIt)
{
    CurrentDir here(sharedDemoHome());
    SizeableWindow w;
    w.show();
    // In the normal state the icon lies in the caption band and on the top edge.
    QTest::mouseDClick(&w, Qt::LeftButton, {}, QPoint(15, 10));
    EXPECT_TRUE(w.isVisible());
    w.showMaximized();
    QTest::mouseDClick(&w, Qt::LeftButton, {}, QPoint(15, 4));
    EXPECT_FALSE(w.isVisible());
}

} // namespace
