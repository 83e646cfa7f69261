#include "platform/WaylandSeat.h"

#include <wayland-client.h>

#include <cstring>

namespace platform {
namespace {

void noteGlobal(void *data, wl_registry *, uint32_t, const char *interface, uint32_t)
{
    if (std::strcmp(interface, wl_seat_interface.name) == 0)
        *static_cast<bool *>(data) = true;
}

void forgetGlobal(void *, wl_registry *, uint32_t)
{
}

constexpr wl_registry_listener kListener = {noteGlobal, forgetGlobal};

} // namespace

std::optional<bool> waylandSeatOffered(const QByteArray &display)
{
    wl_display *connection = wl_display_connect(display.isEmpty() ? nullptr : display.constData());
    if (!connection)
        return std::nullopt;
    bool seat = false;
    wl_registry *registry = wl_display_get_registry(connection);
    wl_registry_add_listener(registry, &kListener, &seat);
    // One round trip brings every global the compositor offers.
    const bool answered = wl_display_roundtrip(connection) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(connection);
    if (!answered)
        return std::nullopt;
    return seat;
}

bool goWithoutInputMethodWhereNoSeat(bool onWayland)
{
    if (!onWayland)
        return false;
    if (!qEnvironmentVariableIsEmpty("QT_IM_MODULE") || waylandSeatOffered() != false)
        return false;
    qputenv("QT_IM_MODULE", "none");
    return true;
}

} // namespace platform
