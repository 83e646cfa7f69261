// Which displays the engine composes on without OpenGL, and the allocator
// settings of its processes. The engine as it starts on an X server is
// tested in tests/x11.
#include "browser/EngineTuning.h"

#include <gtest/gtest.h>

using browser::Display;

TEST(EngineTuning, OpenGLIsUsedOnlyWhereAGraphicsCardDrawsTheDesktop)
{
    struct Case
    {
        Display display;
        bool software;
    };
    const Case cases[] = {
        {{true, Display::Kind::X11, true}, false}, // a desktop's X server on a card
        {{true, Display::Kind::X11, false}, true}, // Xvfb, Xvnc on a machine with a card
        {{false, Display::Kind::X11, true}, true}, // no card at all
        {{true, Display::Kind::Wayland, false}, false}, {{false, Display::Kind::Wayland, false}, true},
        {{true, Display::Kind::Other, true}, true}, // offscreen
    };
    for (const Case &c : cases)
        EXPECT_EQ(browser::composesInSoftware(c.display), c.software)
            << int(c.display.kind) << c.display.gpuRenderNode << c.display.x11Direct;

    EXPECT_EQ(browser::allocatorTunables(""), "glibc.malloc.arena_max=2:glibc.malloc.trim_threshold=131072");
    // The user's own values stay and win.
    EXPECT_EQ(browser::allocatorTunables("glibc.malloc.arena_max=8"),
              "glibc.malloc.arena_max=8:glibc.malloc.trim_threshold=131072");
}
