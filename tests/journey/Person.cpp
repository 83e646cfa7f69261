#include "Person.h"

#include <QDeadlineTimer>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <stdexcept>

namespace {

// A person's pace: a key or button is held this long, and the program gets
// this long between events.
constexpr int kHoldMs = 30;
constexpr int kGapMs = 60;

constexpr unsigned kShiftL = 0xffe1;
constexpr unsigned kControlL = 0xffe3;

} // namespace

bool until(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!onGui(done)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

bool eventually(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}

Person::Person()
{
    m_x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_x))
        throw std::runtime_error("no X server");
    const xcb_setup_t *setup = xcb_get_setup(m_x);
    m_root = xcb_setup_roots_iterator(setup).data->root;
    m_minKeycode = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *map =
        xcb_get_keyboard_mapping_reply(m_x, xcb_get_keyboard_mapping(m_x, setup->min_keycode, uint8_t(count)), nullptr);
    if (map) {
        m_perKeycode = map->keysyms_per_keycode;
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
        m_keysyms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(map));
        std::free(map);
    }
}

Person::~Person()
{
    xcb_disconnect(m_x);
}

QPoint Person::placeOf(QWidget *widget, QPoint inWidget) const
{
    struct Place
    {
        xcb_window_t window = 0;
        QPoint offset;
    };
    const Place place = onGui([&] {
        const QPoint point = inWidget == QPoint(-1, -1) ? widget->rect().center() : inWidget;
        QWidget *top = widget->window();
        return Place{xcb_window_t(top->winId()), widget->mapTo(top, point)};
    });
    xcb_translate_coordinates_reply_t *reply =
        xcb_translate_coordinates_reply(m_x, xcb_translate_coordinates(m_x, place.window, m_root, 0, 0), nullptr);
    QPoint origin;
    if (reply)
        origin = QPoint(reply->dst_x, reply->dst_y);
    std::free(reply);
    return origin + place.offset;
}

unsigned Person::topOf(unsigned window) const
{
    for (;;) {
        xcb_query_tree_reply_t *tree = xcb_query_tree_reply(m_x, xcb_query_tree(m_x, window), nullptr);
        if (!tree)
            return 0;
        const xcb_window_t parent = tree->parent;
        std::free(tree);
        if (parent == m_root || parent == XCB_NONE)
            return window;
        window = parent;
    }
}

bool Person::isAbove(QWidget *upper, QWidget *lower) const
{
    const auto idOf = [](QWidget *w) { return onGui([w] { return unsigned(w->window()->winId()); }); };
    const unsigned a = topOf(idOf(upper));
    const unsigned b = topOf(idOf(lower));
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(m_x, xcb_query_tree(m_x, m_root), nullptr);
    if (!tree)
        return false;
    // Children come bottom first.
    const xcb_window_t *children = xcb_query_tree_children(tree);
    int indexA = -1;
    int indexB = -1;
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        if (children[i] == a)
            indexA = i;
        if (children[i] == b)
            indexB = i;
    }
    std::free(tree);
    return indexA >= 0 && indexB >= 0 && indexA > indexB;
}

bool Person::looksBlank(QWidget *widget) const
{
    const QImage image = shot(widget);
    if (image.isNull())
        return true;
    const QRgb first = image.pixel(0, 0) & RGB_MASK;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & RGB_MASK) != first)
                return false;
        }
    }
    return true;
}

QImage Person::shot(QWidget *widget) const
{
    const QPoint origin = placeOf(widget, {0, 0});
    const QSize size = onGui([widget] { return widget->size(); });
    xcb_get_image_reply_t *reply =
        xcb_get_image_reply(m_x,
                            xcb_get_image(m_x, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, int16_t(origin.x()),
                                          int16_t(origin.y()), uint16_t(size.width()), uint16_t(size.height()), ~0u),
                            nullptr);
    if (!reply)
        return {};
    // A 24-bit screen sends 32 bits a pixel, as Qt's RGB32 holds them.
    QImage image;
    if (xcb_get_image_data_length(reply) == size.width() * size.height() * 4)
        image = QImage(xcb_get_image_data(reply), size.width(), size.height(), QImage::Format_RGB32).copy();
    std::free(reply);
    return image;
}

void Person::fake(int type, int detail, QPoint at)
{
    xcb_test_fake_input(m_x, uint8_t(type), uint8_t(detail), XCB_CURRENT_TIME, m_root, int16_t(at.x()), int16_t(at.y()),
                        0);
    xcb_flush(m_x);
}

void Person::moveTo(QPoint screen)
{
    fake(XCB_MOTION_NOTIFY, 0, screen);
    QThread::msleep(kGapMs);
}

void Person::click(QPoint screen, int button)
{
    moveTo(screen);
    fake(XCB_BUTTON_PRESS, button);
    QThread::msleep(kHoldMs);
    fake(XCB_BUTTON_RELEASE, button);
    QThread::msleep(kGapMs);
}

void Person::doubleClick(QPoint screen)
{
    moveTo(screen);
    for (int i = 0; i < 2; ++i) {
        fake(XCB_BUTTON_PRESS, 1);
        QThread::msleep(kHoldMs);
        fake(XCB_BUTTON_RELEASE, 1);
        QThread::msleep(kHoldMs);
    }
    QThread::msleep(kGapMs);
}

bool Person::keyFor(unsigned keysym, int *keycode, bool *shift) const
{
    for (int column = 0; column < 2 && column < m_perKeycode; ++column) {
        for (std::size_t i = 0; i * m_perKeycode < m_keysyms.size(); ++i) {
            if (m_keysyms[i * m_perKeycode + column] == keysym) {
                *keycode = m_minKeycode + int(i);
                *shift = column == 1;
                return true;
            }
        }
    }
    return false;
}

void Person::press(unsigned keysym, bool control)
{
    int code = 0;
    bool shift = false;
    if (!keyFor(keysym, &code, &shift))
        throw std::runtime_error("no key for a keysym");
    int modifier = 0;
    bool unused = false;
    if (shift || control)
        keyFor(control ? kControlL : kShiftL, &modifier, &unused);
    if (modifier)
        fake(XCB_KEY_PRESS, modifier);
    fake(XCB_KEY_PRESS, code);
    QThread::msleep(kHoldMs);
    fake(XCB_KEY_RELEASE, code);
    if (modifier)
        fake(XCB_KEY_RELEASE, modifier);
    QThread::msleep(kHoldMs);
}

void Person::type(const QString &text)
{
    // Printable ASCII keysyms are the characters' own codes.
    for (const QChar c : text)
        press(c.unicode());
    QThread::msleep(kGapMs);
}
