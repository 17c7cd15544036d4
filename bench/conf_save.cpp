// The save of one operator change (a fixed-form entry added or removed, then
// its section saved, as the program does it), against the floor of any
// atomic save of the same bytes: a temporary file written, fsynced, and
// renamed over the file.  Two files: one the size of a working file (99
// entries, 100 guide entries) and one of 5 MB (the same, then many keys of
// another section).  The configuration is read once, as at start-up; the
// first save (which keeps the start-up backup) is not timed.  The two are
// timed in turns, the order alternating; medians and the median ratio.
//
//   build/bench/conf_save [rounds] [folder]   (bench/run save)
#include <QCoreApplication>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "model/config/myconf.h"
#include "stats.h"

namespace {

using bench::Clock;
using bench::median;
using bench::ms;

// The program's four sections with full lists; above minBytes, a section of
// other keys fills the file up.
void writeConf(const std::string& path, long minBytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << "[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n\r\n[Section_Watch]\r\nWatch_Timer=1,60,1,0,\r\n\r\n";
    f << "[Section_Entry]\r\nEntryItems=99\r\n";
    for (int i = 0; i < 99; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "EntryItem_%03d=entry %03d of the fixed-form list,\r\n", i, i);
        f << line;
    }
    f << "\r\n[Section_Cycle]\r\nCycleItems=100\r\n";
    for (int i = 0; i < 100; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "CycleItem_%03d=2099/12/31-%02d:%02d,guide %03d,text %03d,\r\n", i,
                      10 + i / 60, i % 60, i, i);
        f << line;
    }
    if (minBytes > 0) {
        f << "\r\n[Section_History]\r\n";
        for (long i = 0; f.tellp() < minBytes; ++i)
            f << "Line_" << i << "=some recorded text of a past day " << i << "\r\n";
    }
}

std::string readBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// The floor: what any save that leaves the old file whole until the new one
// is on disk has to do.
bool atomicWrite(const std::string& path, const std::string& bytes)
{
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    const bool ok = done == bytes.size() && ::fsync(fd) == 0;
    ::close(fd);
    return ok && ::rename(temp.c_str(), path.c_str()) == 0;
}

int runCase(const char* name, const std::string& dir, long minBytes, int rounds)
{
    const std::string conf = dir + "/bench_save.conf";
    const std::string floorFile = dir + "/bench_save_floor.conf";
    writeConf(conf, minBytes);
    const QString confQ = QString::fromStdString(conf);
    uFConf::MyConf::Binding b;
    b.confPath = [confQ]() { return confQ; };
    uFConf::MyConf myconf(b);
    myconf.MyConfRead();
    const QString extra = QStringLiteral("one more entry of the fixed-form list");
    // Not timed: the first save keeps the file as the run found it.
    if (myconf.MyConfWriteEntry() != 0) {
        std::fprintf(stderr, "%s: the first save failed\n", name);
        return 1;
    }

    std::vector<double> save, floor, ratio;
    int row = -1;
    for (int r = 0; r < rounds; ++r) {
        // One change: the entry comes and goes, so the file keeps its size.
        if (r % 2 == 0) {
            row = myconf.entries().insertSorted(extra);
        } else {
            myconf.entries().removeAt(row);
        }
        const std::string before = readBytes(conf);
        double s = 0, f = 0;
        auto timeSave = [&]() {
            const auto t0 = Clock::now();
            const int rc = myconf.MyConfWriteEntry();
            s = ms(t0, Clock::now());
            return rc == 0;
        };
        auto timeFloor = [&]() {
            const auto t0 = Clock::now();
            const bool ok = atomicWrite(floorFile, before);
            f = ms(t0, Clock::now());
            return ok;
        };
        const bool ok = (r % 2 == 0) ? (timeSave() && timeFloor()) : (timeFloor() && timeSave());
        if (!ok || readBytes(conf) == before) {
            std::fprintf(stderr, "%s: round %d: a save failed or changed nothing\n", name, r);
            return 1;
        }
        save.push_back(s);
        floor.push_back(f);
        ratio.push_back(s / f);
    }
    struct stat st {};
    ::stat(conf.c_str(), &st);
    std::printf(
        "save, %s (%.2f MB file), %d rounds: one change saved median %.2f ms, atomic floor (temp, fsync, "
        "rename) median %.2f ms, ratio %.2f\n",
        name, st.st_size / 1048576.0, rounds, median(save), median(floor), median(ratio));
    for (const std::string& f : {conf, floorFile, conf + ".bak"}) ::unlink(f.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 41;
    const std::string dir = argc > 2 ? argv[2] : ".";
    if (runCase("working file", dir, 0, rounds) != 0) return 1;
    if (runCase("5 MB file", dir, 5L * 1024 * 1024, std::max(5, rounds / 2)) != 0) return 1;
    return 0;
}
