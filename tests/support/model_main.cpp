// Test entry point of the core's and the model's tests: Qt's core alone, no
// display.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // A runtime folder of this process's own (mode 0700): the mailslots and
    // instance locks it makes meet no other test program.
    std::string runtime = (std::filesystem::temp_directory_path() / "velmora-runtime-XXXXXX").string();
    const bool own = mkdtemp(runtime.data()) != nullptr;
    if (own) qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
    int status = 0;
    {
        QCoreApplication app(argc, argv);
        status = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    if (own) std::filesystem::remove_all(runtime, ignored);
    return status;
}
