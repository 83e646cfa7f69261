#pragma once

#include "ui/skin/FrameGeometry.h"

#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace skin {

// One picture element of the frame, drawn at its natural size from its
// top-left corner or stretched over the element.
class SkinImage : public QWidget
{
    Q_OBJECT
public:
    SkinImage(const QString &name, bool stretch, QWidget *parent);
    void setPicture(const QPixmap &picture);
    QPixmap picture() const { return m_picture; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPixmap m_picture;
    bool m_stretch;
};

// A window without a system border whose frame, caption and caption buttons
// come from the skin bitmaps in 001/, and which moves and resizes itself.
class SkinnedWindow : public QWidget
{
    Q_OBJECT
public:
    struct Style
    {
        BorderStyle border = BorderStyle::Single;
        BorderIcons icons;
        bool stretchPictures = false;    // stretch frame pictures over their elements
        bool fitCaptionOnResize = false; // shorten the caption to the width on resize
        bool maximizedBySize = false;    // counts as maximised when it covers the screen
        bool iconDoubleClickCloses = false;
        int captionLeft = 78;
    };
    // The style of the resizable windows (browser, search): all three caption
    // buttons, stretched pictures, the caption fitted to the width.
    static Style sizeableStyle();

    using ErrorReporter = std::function<void(const QString &)>;

    explicit SkinnedWindow(const Style &style, QWidget *parent = nullptr);

    // The window's own content area.
    QWidget *PanelBkGnd() const { return m_panel; }

    bool GetcanResize() const { return m_canResize; }
    void SetCanResize(bool on) { m_canResize = on; }
    CaptionButtons captionButtons() const { return m_buttons; }

    // Answers the hit test for a point in window coordinates.
    Hit hitTest(QPoint point) const;
    // Counts as maximised for the caption buttons and the hit test.
    bool countsAsMaximized() const;
    // The caption buttons "最大化" and "还原". Where no window manager does
    // it, the window fills the screen's work area itself and goes back.
    void maximizeWindow();
    void restoreWindow();
    // Moves the window to the middle of its screen.
    void centreOnScreen();

protected:
    // Loads the skin, sizes the window around a content panel of exactly
    // `panelSize` and lays the frame out. Errors while loading go to
    // `report`; the window is laid out all the same.
    void setUpFrameForPanel(QSize panelSize, const ErrorReporter &report);

    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void loadSkin();
    void layOut();
    void applyActivation(bool active);
    void minimizeApplication();
    void updateCursor(Hit hit);

    Style m_style;
    CaptionButtons m_buttons;
    bool m_canResize = false;

    SkinImage *m_top;
    SkinImage *m_leftTop;
    SkinImage *m_rightTop;
    SkinImage *m_left;
    SkinImage *m_right;
    SkinImage *m_bottom;
    SkinImage *m_leftBottom;
    SkinImage *m_rightBottom;
    SkinImage *m_icon;
    SkinImage *m_min;
    SkinImage *m_max;
    SkinImage *m_normal;
    SkinImage *m_close;
    QLabel *m_caption;
    QWidget *m_panel;
    // Hidden holders of the pictures that activation swaps in.
    QPixmap m_activeTop, m_activeLeftTop, m_activeRightTop;
    QPixmap m_inactiveTop, m_inactiveLeftTop, m_inactiveRightTop;
    QPixmap m_activeMenubar, m_inactiveMenubar;

    // Maximised by the window itself, and where "还原" takes it back.
    bool m_maximizedByProgram = false;
    QRect m_normalGeometry;
    // A move or resize done by the window itself where the system cannot.
    Hit m_dragHit = Hit::Default;
    QPoint m_dragStart;
    QRect m_dragGeometry;
};

} // namespace skin
