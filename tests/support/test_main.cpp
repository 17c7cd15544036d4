// Test entry point: one QApplication for the widget tests of a program.
#include <QApplication>
#include <gtest/gtest.h>

#include "test_support.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Widget tests draw off screen; whole-program tests start their own
    // processes on the X display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const testsupport::OwnRuntimeFolder runtime;
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
