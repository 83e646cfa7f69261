#include "ui/skin/SkinnedWindow.h"

#include "ui/art/Artwork.h"
#include "ui/art/WindowFont.h"
#include "ui/skin/WindowSystem.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <stdexcept>

namespace skin {
namespace {

Qt::Edges edgesOf(Hit hit)
{
    switch (hit) {
    case Hit::Left:
        return Qt::LeftEdge;
    case Hit::Right:
        return Qt::RightEdge;
    case Hit::Top:
        return Qt::TopEdge;
    case Hit::Bottom:
        return Qt::BottomEdge;
    case Hit::TopLeft:
        return Qt::TopEdge | Qt::LeftEdge;
    case Hit::TopRight:
        return Qt::TopEdge | Qt::RightEdge;
    case Hit::BottomLeft:
        return Qt::BottomEdge | Qt::LeftEdge;
    case Hit::BottomRight:
        return Qt::BottomEdge | Qt::RightEdge;
    default:
        return {};
    }
}

QPixmap loadSkinFile(const QString &name)
{
    const QString path = QStringLiteral("001/%1.bmp").arg(name);
    QPixmap picture;
    if (!picture.load(path))
        throw std::runtime_error(QStringLiteral("无法读取皮肤文件 %1").arg(path).toStdString());
    return picture;
}

} // namespace

SkinImage::SkinImage(const QString &name, bool stretch, QWidget *parent) : QWidget(parent), m_stretch(stretch)
{
    setObjectName(name);
}

void SkinImage::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

void SkinImage::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    if (m_stretch)
        painter.drawPixmap(rect(), m_picture);
    else
        painter.drawPixmap(0, 0, m_picture);
}

void SkinImage::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

SkinnedWindow::SkinnedWindow(const Style &style, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_style(style)
{
    setMouseTracking(true);
    const auto image = [this](const char *name, bool stretch) {
        auto *w = new SkinImage(QLatin1String(name), stretch, this);
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
        return w;
    };
    const bool stretch = style.stretchPictures;
    m_top = image("ImageTop", stretch);
    m_left = image("ImageLeft", stretch);
    m_right = image("ImageRight", stretch);
    m_bottom = image("ImageBottom", stretch);
    m_leftBottom = image("ImageLeftBottom", stretch);
    m_rightBottom = image("ImageRightBottom", stretch);
    m_leftTop = image("ImageLeftTop", stretch);
    m_rightTop = image("ImageRightTop", stretch);
    m_icon = image("ImageIcon", true);
    m_icon->setPicture(QPixmap::fromImage(art::windowIcon()));
    setWindowIcon(QIcon(m_icon->picture()));

    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("LabelCaption"));
    m_caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette captionPalette = m_caption->palette();
    captionPalette.setColor(QPalette::WindowText, Qt::white);
    m_caption->setPalette(captionPalette);

    const auto button = [this, stretch](const char *name, const QString &hint) {
        auto *b = new SkinImage(QLatin1String(name), stretch, this);
        b->setToolTip(hint);
        b->resize(kButtonWidth, kButtonHeight);
        return b;
    };
    m_min = button("ImageMin", QStringLiteral("最小化"));
    m_max = button("ImageMax", QStringLiteral("最大化"));
    m_normal = button("ImageNormal", QStringLiteral("还原"));
    m_close = button("ImageClose", QStringLiteral("关闭"));
    connect(m_close, &SkinImage::clicked, this, &QWidget::close);
    connect(m_min, &SkinImage::clicked, this, &SkinnedWindow::minimizeApplication);
    connect(m_max, &SkinImage::clicked, this, &SkinnedWindow::maximizeWindow);
    connect(m_normal, &SkinImage::clicked, this, &SkinnedWindow::restoreWindow);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("PanelBkGnd"));
}

SkinnedWindow::Style SkinnedWindow::sizeableStyle()
{
    Style s;
    s.border = BorderStyle::Sizeable;
    s.icons = {true, true, true};
    s.stretchPictures = true;
    s.fitCaptionOnResize = true;
    s.maximizedBySize = true;
    s.iconDoubleClickCloses = true;
    s.captionLeft = 100;
    return s;
}

void SkinnedWindow::setUpFrameForPanel(QSize panelSize, const ErrorReporter &report)
{
    try {
        loadSkin();
    } catch (const std::exception &e) {
        if (report)
            report(QString::fromStdString(e.what()));
    }
    m_panel->setAutoFillBackground(true);
    QPalette palette = m_panel->palette();
    palette.setColor(QPalette::Window, QColor(207, 207, 207));
    m_panel->setPalette(palette);
    resize(outerSizeFor(panelSize));
    m_caption->setText(windowTitle());
    m_buttons = SetBorderIcons(m_style.border, m_style.icons);
    m_canResize = isSizeable(m_style.border);
    m_icon->setVisible(m_buttons.icon);
    m_icon->setEnabled(m_buttons.icon);
    m_close->setVisible(m_buttons.close);
    m_close->setEnabled(m_buttons.close);
    m_min->setVisible(m_buttons.minimize);
    m_min->setEnabled(m_buttons.minimize);
    applyActivation(isActiveWindow());
    layOut();
}

void SkinnedWindow::loadSkin()
{
    // Each file goes to the element of the same name; loading stops at the
    // first file that fails.
    const QHash<QString, std::function<void(const QPixmap &)>> targets{
        {QStringLiteral("ImageLeft"), [this](const QPixmap &p) { m_left->setPicture(p); }},
        {QStringLiteral("ImageLeftTop"), [this](const QPixmap &p) { m_leftTop->setPicture(p); }},
        {QStringLiteral("ImageRight"), [this](const QPixmap &p) { m_right->setPicture(p); }},
        {QStringLiteral("ImageBottom"), [this](const QPixmap &p) { m_bottom->setPicture(p); }},
        {QStringLiteral("ImageMax"), [this](const QPixmap &p) { m_max->setPicture(p); }},
        {QStringLiteral("ImageMin"), [this](const QPixmap &p) { m_min->setPicture(p); }},
        {QStringLiteral("ImageNormal"), [this](const QPixmap &p) { m_normal->setPicture(p); }},
        {QStringLiteral("ImageClose"), [this](const QPixmap &p) { m_close->setPicture(p); }},
        {QStringLiteral("ImageDeactiveLeftTop"), [this](const QPixmap &p) { m_inactiveLeftTop = p; }},
        {QStringLiteral("ImageDeactiveRightTop"), [this](const QPixmap &p) { m_inactiveRightTop = p; }},
        {QStringLiteral("ImageDeactiveTop"), [this](const QPixmap &p) { m_inactiveTop = p; }},
        {QStringLiteral("ImageActiveTop"), [this](const QPixmap &p) { m_activeTop = p; }},
        {QStringLiteral("ImageActiveLeftTop"), [this](const QPixmap &p) { m_activeLeftTop = p; }},
        {QStringLiteral("ImageActiveRightTop"), [this](const QPixmap &p) { m_activeRightTop = p; }},
        {QStringLiteral("ImageActiveMenubar"), [this](const QPixmap &p) { m_activeMenubar = p; }},
        {QStringLiteral("ImageDeactiveMenubar"), [this](const QPixmap &p) { m_inactiveMenubar = p; }},
        {QStringLiteral("ImageLeftBottom"), [this](const QPixmap &p) { m_leftBottom->setPicture(p); }},
        {QStringLiteral("ImageRightBottom"), [this](const QPixmap &p) { m_rightBottom->setPicture(p); }},
    };
    for (const QString &name : art::skinBitmapNames())
        targets.value(name)(loadSkinFile(name));
}

void SkinnedWindow::applyActivation(bool active)
{
    // A picture that did not load leaves the element as it was.
    const auto take = [](SkinImage *element, const QPixmap &picture) {
        if (!picture.isNull())
            element->setPicture(picture);
    };
    if (active) {
        take(m_top, m_activeTop);
        take(m_leftTop, m_activeLeftTop);
        take(m_rightTop, m_activeRightTop);
    } else {
        take(m_leftTop, m_inactiveLeftTop);
        take(m_top, m_inactiveTop);
        take(m_rightTop, m_inactiveRightTop);
    }
}

bool SkinnedWindow::countsAsMaximized() const
{
    if ((windowState() & Qt::WindowMaximized) || m_maximizedByProgram)
        return true;
    // A window that covers the whole screen counts as maximised too.
    const QScreen *s = screen();
    return m_style.maximizedBySize && s && size() == s->size();
}

void SkinnedWindow::maximizeWindow()
{
    if (windowSystemMaximizes()) {
        showMaximized();
        return;
    }
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    if (!m_maximizedByProgram)
        m_normalGeometry = geometry();
    m_maximizedByProgram = true;
    setGeometry(s->availableGeometry());
    layOut();
}

void SkinnedWindow::restoreWindow()
{
    if (m_maximizedByProgram) {
        m_maximizedByProgram = false;
        setGeometry(m_normalGeometry);
        layOut();
    }
    if (windowState() & Qt::WindowMaximized)
        showNormal();
}

void SkinnedWindow::centreOnScreen()
{
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(s->availableGeometry().center());
    move(frame.topLeft());
}

void SkinnedWindow::layOut()
{
    PictureSizes sizes;
    const auto sizeOf = [](const SkinImage *image, QSize fallback) {
        return image->picture().isNull() ? fallback : image->picture().size();
    };
    if (!m_style.stretchPictures) {
        sizes.leftTop = sizeOf(m_leftTop, sizes.leftTop);
        sizes.rightTop = sizeOf(m_rightTop, sizes.rightTop);
        sizes.rightBottom = sizeOf(m_rightBottom, sizes.rightBottom);
    }
    const FrameLayout l = layoutFrame(size(), m_buttons, countsAsMaximized(), sizes);
    m_top->setGeometry(l.top);
    m_bottom->setGeometry(l.bottom);
    m_left->setGeometry(l.left);
    m_right->setGeometry(l.right);
    m_leftBottom->setGeometry(l.leftBottom);
    m_rightBottom->setGeometry(l.rightBottom);
    m_rightTop->setGeometry(l.rightTop);
    m_leftTop->setGeometry(l.leftTop);
    m_panel->setGeometry(l.panel);
    m_icon->setGeometry(8, 4, 20, 20);
    m_close->setGeometry(l.close);
    m_max->setGeometry(l.maximize);
    m_normal->setGeometry(l.restore);
    m_min->setGeometry(l.minimize);
    m_max->setVisible(l.maximizeVisible);
    m_max->setEnabled(l.maximizeVisible);
    m_normal->setVisible(l.restoreVisible);
    m_normal->setEnabled(l.restoreVisible);

    if (m_style.fitCaptionOnResize)
        m_caption->setText(fittedCaption(windowTitle(), width(), art::textBox(font()).height));
    m_caption->move(m_style.captionLeft, 12);
    m_caption->adjustSize();
    // The frame pictures lie under everything else.
    for (SkinImage *image : {m_leftTop, m_rightTop, m_rightBottom, m_leftBottom, m_bottom, m_right, m_left, m_top})
        image->lower();
    m_panel->raise();
    for (QWidget *w :
         {static_cast<QWidget *>(m_icon), static_cast<QWidget *>(m_caption), static_cast<QWidget *>(m_min),
          static_cast<QWidget *>(m_max), static_cast<QWidget *>(m_normal), static_cast<QWidget *>(m_close)})
        w->raise();
}

Hit SkinnedWindow::hitTest(QPoint point) const
{
    HitTestInput in;
    in.point = point;
    in.outer = size();
    in.buttonRects = {m_max->geometry(), m_min->geometry(), m_normal->geometry(), m_close->geometry()};
    in.canResize = m_canResize;
    in.normalState = !(windowState() & (Qt::WindowMinimized | Qt::WindowFullScreen)) && !countsAsMaximized();
    return FrameHitTest(in);
}

void SkinnedWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void SkinnedWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        applyActivation(isActiveWindow());
    else if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::WindowTitleChange)
        layOut();
}

void SkinnedWindow::updateCursor(Hit hit)
{
    switch (hit) {
    case Hit::Left:
    case Hit::Right:
        setCursor(Qt::SizeHorCursor);
        break;
    case Hit::Top:
    case Hit::Bottom:
        setCursor(Qt::SizeVerCursor);
        break;
    case Hit::TopLeft:
    case Hit::BottomRight:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case Hit::TopRight:
    case Hit::BottomLeft:
        setCursor(Qt::SizeBDiagCursor);
        break;
    default:
        unsetCursor();
    }
}

void SkinnedWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const Hit hit = hitTest(event->position().toPoint());
    if (hit == Hit::Default) {
        QWidget::mousePressEvent(event);
        return;
    }
    QWindow *window = windowHandle();
    const bool bySystem =
        window && (hit == Hit::Caption ? window->startSystemMove() : window->startSystemResize(edgesOf(hit)));
    if (!bySystem) {
        // No window manager to do it: follow the mouse ourselves.
        m_dragHit = hit;
        m_dragStart = event->globalPosition().toPoint();
        m_dragGeometry = geometry();
    }
    event->accept();
}

void SkinnedWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragHit == Hit::Default) {
        if (!(event->buttons() & Qt::LeftButton))
            updateCursor(hitTest(event->position().toPoint()));
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - m_dragStart;
    QRect g = m_dragGeometry;
    if (m_dragHit == Hit::Caption) {
        move(g.topLeft() + delta);
        return;
    }
    const Qt::Edges edges = edgesOf(m_dragHit);
    const QSize minimum = minimumSize();
    if (edges & Qt::LeftEdge)
        g.setLeft(std::min(g.left() + delta.x(), g.right() - minimum.width() + 1));
    if (edges & Qt::RightEdge)
        g.setRight(std::max(g.right() + delta.x(), g.left() + minimum.width() - 1));
    if (edges & Qt::TopEdge)
        g.setTop(std::min(g.top() + delta.y(), g.bottom() - minimum.height() + 1));
    if (edges & Qt::BottomEdge)
        g.setBottom(std::max(g.bottom() + delta.y(), g.top() + minimum.height() - 1));
    setGeometry(g);
}

void SkinnedWindow::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragHit = Hit::Default;
    QWidget::mouseReleaseEvent(event);
}

void SkinnedWindow::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (m_style.iconDoubleClickCloses && m_icon->isVisible() && m_icon->geometry().contains(p) &&
        hitTest(p) == Hit::Default) {
        close();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void SkinnedWindow::minimizeApplication()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isWindow())
            w->showMinimized();
    }
}

} // namespace skin
