// The web engine as the program starts it on an X server without direct
// rendering (this Xvfb): pages composed without OpenGL, no process kept for
// the engine's helpers outside the sandbox, and the allocator settings in
// every engine process.
#include "Processes.h"
#include "Wait.h"

#include "browser/EngineTuning.h"
#include "browser/WebProfile.h"

#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

TEST(EngineOnX, AVirtualDisplayGetsALeanEngineWithoutOpenGL)
{
    const browser::Display display = browser::probeDisplay();
    EXPECT_EQ(display.kind, browser::Display::Kind::X11);
    EXPECT_FALSE(display.x11Direct);

    QWebEngineView view;
    view.setPage(new QWebEnginePage(browser::webProfile(), &view));
    view.resize(320, 240);
    view.show();
    bool loaded = false;
    QObject::connect(view.page(), &QWebEnginePage::loadFinished, [&](bool ok) { loaded = ok; });
    view.setHtml(QStringLiteral("<title>t</title><body style='background:#123456'>"));
    ASSERT_TRUE(waitFor([&] { return loaded; }, 30000));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);

    int engineProcesses = 0;
    for (qint64 pid : selfAndDescendants()) {
        const QByteArray command = processFile(pid, "cmdline");
        if (!command.contains("QtWebEngineProcess"))
            continue;
        ++engineProcesses;
        EXPECT_FALSE(command.contains("--no-zygote-sandbox")) << command.constData();
        EXPECT_TRUE(processFile(pid, "environ").contains("GLIBC_TUNABLES=glibc.malloc.arena_max=2"));
    }
    EXPECT_GT(engineProcesses, 0);
    // No OpenGL driver was loaded to compose the page.
    const QByteArray maps = processFile(QCoreApplication::applicationPid(), "maps");
    EXPECT_FALSE(maps.contains("_dri.so"));
    EXPECT_FALSE(maps.contains("libLLVM"));
}
