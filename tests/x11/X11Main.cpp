// Test entry point for the windows on a real X server: the program's own
// application object, on the platform the program runs on at a desktop,
// with its engine settings.
#include "OwnRuntime.h"

#include "app/Application.h"
#include "browser/EngineTuning.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    const OwnRuntime runtime;
    browser::tuneEngine();
    Application app(argc, argv);
    Application::useWindowFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
