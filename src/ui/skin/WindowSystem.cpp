#include "ui/skin/WindowSystem.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace skin {
namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

// A window manager on X announces itself by the root window's
// _NET_SUPPORTING_WM_CHECK property.
bool x11WindowManagerRuns(xcb_connection_t *connection)
{
    static constexpr char kName[] = "_NET_SUPPORTING_WM_CHECK";
    const Reply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof kName - 1, kName), nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    const xcb_setup_t *setup = xcb_get_setup(connection);
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup); it.rem; xcb_screen_next(&it)) {
        const Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, it.data->root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr));
        if (property && xcb_get_property_value_length(property.get()) >= 4)
            return true;
    }
    return false;
}

} // namespace

bool windowSystemMaximizes()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return true;
    return x11WindowManagerRuns(x11->connection());
}

} // namespace skin
