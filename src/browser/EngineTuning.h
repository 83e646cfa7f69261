#pragma once

#include <QByteArray>

namespace browser {

// What the screen offers the engine for drawing.
struct Display
{
    enum class Kind { X11, Wayland, Other }; // Other: offscreen, VNC and such
    bool gpuRenderNode = false;              // a graphics card's render node under /dev/dri
    Kind kind = Kind::Other;                 // where Qt puts the windows
    bool x11Direct = false;                  // the X server offers direct rendering (DRI2 or DRI3)
};

// Read off the machine, Qt's platform setting and the X server.
Display probeDisplay();

// True when OpenGL would be drawn by the processor anyway: no graphics card,
// no desktop display, or an X server without direct rendering (a virtual or
// remote display). The engine then composes its pages without OpenGL, which
// spares the software OpenGL driver's memory and gives the same picture.
bool composesInSoftware(const Display &display);

// The engine's settings for the glibc allocator of its processes, joined to
// the user's own: fewer arenas, and freed memory given back sooner.
QByteArray allocatorTunables(const QByteArray &users);

// Settings of the engine that keep it small. Before the application object
// is made; settings the user gave the engine come first:
// - the player's WebAssembly is compiled function by function as it runs;
// - sound plays in the program's own process rather than in one more;
// - no process is kept waiting to start the engine's unsandboxed helpers;
// - pages are composed without OpenGL where OpenGL would be software;
// - the allocator of the program and of the engine's processes keeps fewer
//   arenas and gives freed memory back.
void tuneEngine();

} // namespace browser
