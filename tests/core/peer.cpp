#include "peer.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "os.h"
#include "core/instancelock.h"
#include "core/mailslot.h"

namespace contract {

namespace ms = platform::mailslot;

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool pollUntil(const std::function<bool()>& done, int timeoutMs, int everyMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        sleepMs(everyMs);
    }
    return true;
}

std::string uniqueName(const std::string& stem)
{
    static int counter = 0;
    return "vct-" + stem + "-" + std::to_string(processId()) + "-" + std::to_string(++counter);
}

std::string scratchDir()
{
    // Process ids come round again (under Wine soon): a folder of an
    // earlier run is emptied first.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / uniqueName("dir");
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    std::filesystem::create_directories(dir);
    return dir.string();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    // Written under another name first, so that a reader never sees half.
    const std::string part = path + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::filesystem::rename(part, path);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool waitForFile(const std::string& path, int timeoutMs)
{
    return pollUntil([&]() { return std::filesystem::exists(path); }, timeoutMs, 10);
}

namespace {

constexpr int kPatienceMs = 20000;

std::int32_t codeOf(const char* record)
{
    std::int32_t code = 0;
    std::memcpy(&code, record, sizeof code);
    return code;
}

// Polls its slot like the program's receive timer: the close command ends
// it with status 0, every other record is ignored.
int closeSlot(const std::string& name, const std::string& ready)
{
    const int h = ms::SlotCreate(name, 0);
    if (h < 0) return 2;
    writeFile(ready, "ok");
    char buf[ms::kMaxMessage];
    const auto closed = [&]() { return ms::SlotTakeRecord(h, sizeof buf, buf) >= 4 && codeOf(buf) == -88888; };
    return pollUntil(closed, kPatienceMs, 5) ? 0 : 3;
}

// Keeps the first message its slot receives in a file.
int receiveOne(const std::string& name, const std::string& ready, const std::string& out)
{
    const int h = ms::SlotCreate(name, 0);
    if (h < 0) return 2;
    writeFile(ready, "ok");
    char buf[ms::kMaxMessage];
    int n = 0;
    if (!pollUntil([&]() { return (n = ms::SlotRead(h, sizeof buf, buf)) > 0; }, kPatienceMs, 5)) return 3;
    writeFile(out, std::string(buf, static_cast<size_t>(n)));
    return 0;
}

// A reader that starts reading only once the whole burst is sent (the file
// sent appears) and reads slowly: the codes of the first count records, in
// the order they arrived, one per line.
int readSlowly(const std::string& name, const std::string& ready, const std::string& sent, const std::string& out,
               int count)
{
    const int h = ms::SlotCreate(name, 0);
    if (h < 0) return 2;
    writeFile(ready, "ok");
    if (!waitForFile(sent, kPatienceMs)) return 3;
    std::string codes;
    char buf[ms::kMaxMessage];
    for (int got = 0, waited = 0; got < count && waited < kPatienceMs;) {
        if (ms::SlotTakeRecord(h, sizeof buf, buf) >= 4) {
            codes += std::to_string(codeOf(buf)) + "\n";
            ++got;
            sleepMs(2);
        } else {
            sleepMs(5);
            waited += 5;
        }
    }
    writeFile(out, codes);
    return 0;
}

int holdLock(const std::string& exe, const std::string& ready)
{
    platform::InstanceLock lock;
    if (!lock.acquire(exe)) return 2;
    writeFile(ready, "ok");
    // Held until the peer is killed (the test's release never comes).
    waitForFile(ready + ".release", kPatienceMs);
    return 0;
}

}  // namespace

int peerMain(int argc, char** argv)
{
    const std::string role = argv[2];
    auto arg = [&](int i) { return i + 3 < argc ? std::string(argv[i + 3]) : std::string(); };
    if (role == "close-slot") return closeSlot(arg(0), arg(1));
    if (role == "receive") return receiveOne(arg(0), arg(1), arg(2));
    if (role == "read-slowly") return readSlowly(arg(0), arg(1), arg(2), arg(3), std::atoi(arg(4).c_str()));
    if (role == "hold-lock") return holdLock(arg(0), arg(1));
    if (role == "window") return showWindowUntilKilled(readFile(arg(0)), arg(1));
    return 64;
}

}  // namespace contract
