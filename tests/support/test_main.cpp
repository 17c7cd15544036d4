// Test entry point: one QApplication for the widget tests of a program.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Widget tests draw off screen; whole-program tests start their own
    // processes on the X display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // A runtime folder of this process's own (mode 0700): the mailslots and
    // instance locks of everything it runs meet no other test program.
    std::string runtime = (std::filesystem::temp_directory_path() / "velmora-runtime-XXXXXX").string();
    const bool own = mkdtemp(runtime.data()) != nullptr;
    if (own) qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
    int status = 0;
    {
        QApplication app(argc, argv);
        status = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    if (own) std::filesystem::remove_all(runtime, ignored);
    return status;
}
