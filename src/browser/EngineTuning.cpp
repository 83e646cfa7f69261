#include "browser/EngineTuning.h"

#include <QCoreApplication>
#include <QDir>
#include <QQuickWindow>

#include <malloc.h>
#include <xcb/xcb.h>

#include <cstring>

namespace browser {

namespace {

constexpr int kArenas = 2;
constexpr int kTrimThreshold = 128 * 1024;

bool hasRenderNode()
{
    return !QDir(QStringLiteral("/dev/dri")).entryList({QStringLiteral("renderD*")}, QDir::System).isEmpty();
}

bool serverHasExtension(xcb_connection_t *connection, const char *name)
{
    const xcb_query_extension_cookie_t cookie =
        xcb_query_extension(connection, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_query_extension_reply_t *reply = xcb_query_extension_reply(connection, cookie, nullptr);
    const bool present = reply && reply->present;
    std::free(reply);
    return present;
}

// Qt's platform as it will pick it: the one asked for, else Wayland where a
// compositor is announced, else X.
Display::Kind displayKind()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("xcb"))
        return Display::Kind::X11;
    if (platform.startsWith("wayland"))
        return Display::Kind::Wayland;
    if (!platform.isEmpty())
        return Display::Kind::Other;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return Display::Kind::Wayland;
    return qEnvironmentVariableIsEmpty("DISPLAY") ? Display::Kind::Other : Display::Kind::X11;
}

} // namespace

Display probeDisplay()
{
    Display display;
    display.gpuRenderNode = hasRenderNode();
    display.kind = displayKind();
    if (display.kind != Display::Kind::X11)
        return display;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (!xcb_connection_has_error(connection))
        display.x11Direct = serverHasExtension(connection, "DRI3") || serverHasExtension(connection, "DRI2");
    xcb_disconnect(connection);
    return display;
}

bool composesInSoftware(const Display &display)
{
    switch (display.kind) {
    case Display::Kind::X11:
        return !display.gpuRenderNode || !display.x11Direct;
    case Display::Kind::Wayland:
        return !display.gpuRenderNode;
    case Display::Kind::Other:
        break;
    }
    return true;
}

QByteArray allocatorTunables(const QByteArray &users)
{
    QByteArray tunables = users;
    const auto add = [&](const QByteArray &name, int value) {
        if (tunables.contains(name + '='))
            return;
        if (!tunables.isEmpty())
            tunables += ':';
        tunables += name + '=' + QByteArray::number(value);
    };
    add("glibc.malloc.arena_max", kArenas);
    add("glibc.malloc.trim_threshold", kTrimThreshold);
    return tunables;
}

void tuneEngine()
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--js-flags"))
        flags += " --js-flags=--wasm-lazy-compilation";
    if (!flags.contains("--disable-features"))
        flags += " --disable-features=AudioServiceOutOfProcess";
    // The engine's helpers that run outside the sandbox are started when
    // wanted instead of from a zygote process kept for them.
    if (!flags.contains("zygote"))
        flags += " --no-unsandboxed-zygote";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());

    // The engine turns its own OpenGL off when Qt Quick draws in software.
    // It still makes an OpenGL context as the application starts, which
    // would load the driver for nothing: on X the program then goes without
    // OpenGL.
    const Display display = probeDisplay();
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") && composesInSoftware(display)) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        if (display.kind == Display::Kind::X11 && qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
            qputenv("QT_XCB_GL_INTEGRATION", "none");
    } else {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    }

    // The engine's processes read these as they start; this process is told
    // directly.
    qputenv("GLIBC_TUNABLES", allocatorTunables(qgetenv("GLIBC_TUNABLES")));
    mallopt(M_ARENA_MAX, kArenas);
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
}

} // namespace browser
