// Test entry point of the core's and the model's tests: Qt's core alone, no
// display.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "test_support.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const testsupport::OwnRuntimeFolder runtime;
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
