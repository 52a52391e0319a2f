#include <gtest/gtest.h>

#include <QApplication>

#include "graphics/SurfacePainter.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    InstallSurfacePainters();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
