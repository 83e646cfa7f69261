// Which displays the engine composes on without OpenGL, and the allocator
// settings of its processes. The engine as it starts on an X server is
// tested in tests/x11.
#include "browser/EngineTuning.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <cstdio>

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

// The platform Qt will pick: the one asked for, else Wayland where a
// compositor is announced, else X where a display is named.
TEST(EngineTuning, TheDisplayIsTheOneQtWillPick)
{
    const char *names[] = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"};
    QByteArray kept[3];
    for (int i = 0; i < 3; ++i)
        kept[i] = qgetenv(names[i]);
    struct Case
    {
        const char *platform, *wayland, *x;
        Display::Kind kind;
    };
    const Case cases[] = {
        {"wayland-egl", ":1", "", Display::Kind::Wayland},
        {"offscreen", "w-0", ":0", Display::Kind::Other},
        {"vnc", "", "", Display::Kind::Other},
        {"", "wayland-0", ":0", Display::Kind::Wayland},
        {"", "", "", Display::Kind::Other},
        {"xcb", "", "", Display::Kind::X11},
    };
    for (const Case &c : cases) {
        qputenv("QT_QPA_PLATFORM", c.platform);
        qputenv("WAYLAND_DISPLAY", c.wayland);
        qputenv("DISPLAY", c.x);
        const Display d = browser::probeDisplay();
        EXPECT_EQ(d.kind, c.kind) << c.platform << '/' << c.wayland << '/' << c.x;
        EXPECT_FALSE(d.x11Direct) << "only an X server offers it, and none answers here";
    }
    // A display named but no X server there to answer.
    qputenv("QT_QPA_PLATFORM", "");
    qputenv("WAYLAND_DISPLAY", "");
    qputenv("DISPLAY", ":987654");
    const Display gone = browser::probeDisplay();
    EXPECT_EQ(gone.kind, Display::Kind::X11);
    EXPECT_FALSE(gone.x11Direct);
    // The X server this runs on, if any: direct rendering as it lists it.
    const QString xdpyinfo = QStandardPaths::findExecutable(QStringLiteral("xdpyinfo"));
    if (!kept[2].isEmpty() && !xdpyinfo.isEmpty()) {
        QProcess list;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), QString::fromLocal8Bit(kept[2]));
        list.setProcessEnvironment(env);
        list.start(xdpyinfo, {QStringLiteral("-queryExtensions")});
        ASSERT_TRUE(list.waitForFinished(10000));
        const QByteArray extensions = list.readAllStandardOutput();
        ASSERT_TRUE(extensions.contains("number of extensions"));
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("DISPLAY", kept[2]);
        const Display x = browser::probeDisplay();
        EXPECT_EQ(x.kind, Display::Kind::X11);
        EXPECT_EQ(x.x11Direct, extensions.contains("    DRI3") || extensions.contains("    DRI2"));
    }
    for (int i = 0; i < 3; ++i) {
        if (kept[i].isNull())
            qunsetenv(names[i]);
        else
            qputenv(names[i], kept[i]);
    }
}

// Run by the test below in a process of its own: tunes the engine there and
// tells what it set.
TEST(EngineTuning, DISABLED_TunesThisProcess)
{
    // As on an X display that offers no direct rendering.
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("DISPLAY", "");
    browser::tuneEngine();
    std::printf("flags=%s\nxcb-gl=%s\ntunables=%s\n", qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").constData(),
                qgetenv("QT_XCB_GL_INTEGRATION").constData(), qgetenv("GLIBC_TUNABLES").constData());
}

// The engine's settings join the user's: what the user gave stays and wins.
TEST(EngineTuning, TheUsersOwnSettingsStayAndWin)
{
    struct Case
    {
        QByteArray flags, backend, tunables, xcbGl;
        QByteArray expected;
    };
    const Case cases[] = {
        {"", "", "", "",
         "flags=--js-flags=--wasm-lazy-compilation --disable-features=AudioServiceOutOfProcess "
         "--no-unsandboxed-zygote\nxcb-gl=none\ntunables=glibc.malloc.arena_max=2:glibc.malloc.trim_threshold="
         "131072\n"},
        {" --js-flags=--jitless --disable-features=X --zygote-cmd-prefix=y ", "software",
         "glibc.malloc.trim_threshold=1:glibc.malloc.arena_max=9", "",
         "flags=--js-flags=--jitless --disable-features=X --zygote-cmd-prefix=y\nxcb-gl=\n"
         "tunables=glibc.malloc.trim_threshold=1:glibc.malloc.arena_max=9\n"},
        {"--js-flags=--jitless", "", "", "xcb_egl", "xcb-gl=xcb_egl\n"},
    };
    for (const Case &c : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QString::fromLatin1(c.flags));
        env.insert(QStringLiteral("QT_QUICK_BACKEND"), QString::fromLatin1(c.backend));
        env.insert(QStringLiteral("GLIBC_TUNABLES"), QString::fromLatin1(c.tunables));
        env.insert(QStringLiteral("QT_XCB_GL_INTEGRATION"), QString::fromLatin1(c.xcbGl));
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_also_run_disabled_tests"),
                     QStringLiteral("--gtest_filter=EngineTuning.DISABLED_TunesThisProcess")});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0);
        const QByteArray out = child.readAllStandardOutput();
        EXPECT_TRUE(out.contains(c.expected)) << out.constData();
    }
}
