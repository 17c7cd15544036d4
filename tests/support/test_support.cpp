#include "test_support.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace testsupport {

OwnRuntimeFolder::OwnRuntimeFolder()
{
    std::string runtime = (std::filesystem::temp_directory_path() / "velmora-runtime-XXXXXX").string();
    if (mkdtemp(runtime.data()) == nullptr) return;
    path_ = runtime;
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(path_));
}

OwnRuntimeFolder::~OwnRuntimeFolder()
{
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

TempDir::TempDir()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "velmora-test-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    path_ = made ? made : tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

unsigned testSeed()
{
    bool ok = false;
    unsigned seed = qEnvironmentVariable("VELMORA_TEST_SEED").toUInt(&ok);
    if (!ok) seed = static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch() % 1000000007);
    std::cout << "random choices from seed " << seed << " (VELMORA_TEST_SEED=" << seed << " repeats them)\n";
    return seed;
}

std::string xDisplay()
{
    const char* d = std::getenv("VELMORA_X_DISPLAY");
    return d ? d : "";
}

bool waitUntil(const std::function<bool()>& pred, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace testsupport
