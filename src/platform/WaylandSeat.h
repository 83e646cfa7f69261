#pragma once

#include <QByteArray>

#include <optional>

namespace platform {

// Whether the Wayland compositor `display` names (a WAYLAND_DISPLAY value;
// empty: the one of the environment) offers a seat, that is keyboards and
// pointers. Nothing when no compositor answers there.
std::optional<bool> waylandSeatOffered(const QByteArray &display = {});

// Before the application object, on Wayland: where the compositor offers no
// seat (a headless or kiosk compositor without input devices), the program
// goes without an input method. Qt 6.4's Wayland input method reads the
// seat's text input without looking whether there is a seat, and a line edit
// with the focus and no text asks it for the writing direction as it paints.
// Without a seat nothing can be typed, so nothing is lost. A module the user
// chose (QT_IM_MODULE) is kept. True when it was turned off.
bool goWithoutInputMethodWhereNoSeat(bool onWayland);

} // namespace platform
