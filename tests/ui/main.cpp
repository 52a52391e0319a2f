#include <gtest/gtest.h>

#include <QApplication>

#include "graphics/SurfacePainter.h"

// fontconfig and the Qt platform plugin keep caches until exit; LeakSanitizer reads this.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libQt6Gui.so\nleak:libQt6Core.so\nleak:libQt6Widgets.so\n";
}

int main(int argc, char** argv)
{
    // Offscreen unless a test run names its own screen (offscreen:configfile=...).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    InstallSurfacePainters();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
