// Test entry point for the journeys: the program's own application object on
// a real X server. With FLASHBAR_TEST_WM set, the tests wait for the window
// manager to be up first.
#include "OwnRuntime.h"

#include "app/Application.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

namespace {

// Whether a window manager has announced itself on the root window.
bool windowManagerUp()
{
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    const char name[] = "_NET_SUPPORTING_WM_CHECK";
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 1, uint16_t(std::strlen(name)), name), nullptr);
    bool up = false;
    if (atom && atom->atom != XCB_ATOM_NONE) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
        xcb_get_property_reply_t *p =
            xcb_get_property_reply(x, xcb_get_property(x, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
        up = p && xcb_get_property_value_length(p) > 0;
        std::free(p);
    }
    std::free(atom);
    xcb_disconnect(x);
    return up;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    if (!qgetenv("FLASHBAR_TEST_WM").isEmpty()) {
        QDeadlineTimer deadline(15000);
        while (!windowManagerUp()) {
            if (deadline.hasExpired()) {
                std::fprintf(stderr, "the window manager did not come up\n");
                return 1;
            }
            QThread::msleep(50);
        }
    }
    // The web profile and the program's settings stay with this run.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const OwnRuntime runtime;
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    Application app(argc, argv);
    Application::useWindowFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
