// Test entry point for the runs on Wayland: the program's own application
// object on the compositor that with-weston.sh started, made after the same
// preparation main() does.
#include "OwnRuntime.h"
#include "WaylandRun.h"

#include "app/Application.h"
#include "platform/WaylandSeat.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

bool inputMethodTurnedOff = false;

int main(int argc, char **argv)
{
    // The web profile and the program's settings stay with this run.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    const OwnRuntime runtime;
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    inputMethodTurnedOff = platform::goWithoutInputMethodWhereNoSeat(true);
    Application app(argc, argv);
    Application::useWindowFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
