// One fixed-form registration that brings the list from 99 to 100 entries,
// its save included, against the physical floor: writing the same file's
// bytes once with fsync.  Also the same save done the way the profile
// functions do it, one file rewrite per key.  Runs side by side, reports
// medians.
//
//   build/bench/fixedform_save [rounds] [folder]   (bench/run fixedform)
#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "model/config/myconf.h"
#include "stats.h"
#include "gui/messages/fixedform.h"
#include "gui/messages/msgrules.h"
#include "gui/platform/ufcom.h"

namespace {

using bench::Clock;
using bench::median;
using bench::ms;

QString entryText(int i)
{
    return QStringLiteral("定型ﾒｯｾｰｼﾞ ソフト表示 %1 をお知らせします").arg(i, 3, 10, QLatin1Char('0'));
}

std::string startFile()
{
    std::string t =
        "[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n\r\n[Section_Watch]\r\nWatch_Timer=1,60,1,0,\r\n\r\n"
        "[Section_Entry]\r\nEntryItems=99\r\n";
    for (int i = 0; i < 99; ++i)
        t += QStringLiteral("EntryItem_%1=").arg(i, 3, 10, QLatin1Char('0')).toStdString() +
             uFCom_Bas::toAnsi(entryText(i) + QLatin1Char(',')).toStdString() + "\r\n";
    t += "\r\n[Section_Cycle]\r\nCycleItems=3\r\n";
    for (int i = 0; i < 3; ++i)
        t += QStringLiteral("CycleItem_%1=2099/01/0%2-10:00,guide,text,\r\n")
                 .arg(i, 3, 10, QLatin1Char('0'))
                 .arg(i + 1)
                 .toStdString();
    return t;
}

void writeBytes(const std::string& path, const std::string& bytes, bool sync)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    if (sync) ::fsync(fd);
    ::close(fd);
}

std::string readBytes(const std::string& path)
{
    std::string out;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return out;
    char buf[65536];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    ::close(fd);
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 41;
    const std::string dir = argc > 2 ? argv[2] : ".";
    const std::string conf = dir + "/bench_fixedform.conf";
    const std::string floorFile = dir + "/bench_fixedform_floor.conf";
    const std::string keyFile = dir + "/bench_fixedform_perkey.conf";
    const QString confQ = QString::fromStdString(conf);

    QWidget form;
    QPlainTextEdit text1(&form), text2(&form);
    QListWidget list(&form);
    QWidget dummy(&form);
    uFConf::MyConf::Binding b;
    b.confPath = [confQ]() { return confQ; };
    uFConf::MyConf myconf(b);
    uFMsg::FixedFormList fixed({&form, &text1, &text2, &list, &dummy}, &myconf.entries(),
                               {[]() { return QStringLiteral("[ｳﾞｪﾙﾓﾗ]"); },
                                [](int key) { return QStringLiteral("[ｳﾞｪﾙﾓﾗ]") + uFMsg::StatusText(key); },
                                [&myconf]() { return myconf.MyConfWriteEntry() == 0; }});

    const std::string start = startFile();
    std::vector<double> reg, floor, perKey, ratio, perKeyRatio;
    for (int r = 0; r < rounds; ++r) {
        // Not timed: the file and the list at 99 entries.
        writeBytes(conf, start, true);
        myconf.entries().clear();
        for (int i = 0; i < 99; ++i) myconf.entries().insertSorted(entryText(i));
        uFMsg::ListFollow(&list, myconf.entries());
        text1.setPlainText(entryText(99));

        const auto t0 = Clock::now();
        fixed.Register();
        const auto t1 = Clock::now();
        if (list.count() != 100) {
            std::fprintf(stderr, "registration failed\n");
            return 1;
        }
        const std::string result = readBytes(conf);

        const auto t2 = Clock::now();
        writeBytes(floorFile, result, true);
        const auto t3 = Clock::now();

        // One rewrite per key: old item keys deleted, the count, each item.
        writeBytes(keyFile, start, true);
        const QString keyQ = QString::fromStdString(keyFile);
        const auto t4 = Clock::now();
        for (int i = 0; i < 99; ++i)
            uFCom_Bas::ProfilePut(keyQ, QStringLiteral("Section_Entry"),
                                  QStringLiteral("EntryItem_%1").arg(i, 3, 10, QLatin1Char('0')), {});
        uFCom_Bas::ProfilePut(keyQ, QStringLiteral("Section_Entry"), QStringLiteral("EntryItems"),
                              QString::number(list.count()));
        for (int i = 0; i < list.count(); ++i)
            uFCom_Bas::ProfilePut(keyQ, QStringLiteral("Section_Entry"),
                                  QStringLiteral("EntryItem_%1").arg(i, 3, 10, QLatin1Char('0')),
                                  uFConf::EntryValue(list.item(i)->text()));
        const auto t5 = Clock::now();
        if (r == 0 && readBytes(keyFile) != result) std::fprintf(stderr, "note: per-key file differs\n");

        reg.push_back(ms(t0, t1));
        floor.push_back(ms(t2, t3));
        perKey.push_back(ms(t4, t5));
        ratio.push_back(ms(t0, t1) / ms(t2, t3));
        perKeyRatio.push_back(ms(t4, t5) / ms(t2, t3));
    }
    std::printf("rounds %d, file %zu bytes, folder %s\n", rounds, readBytes(conf).size(), dir.c_str());
    std::printf("registration 99->100 with its save  median %8.3f ms\n", median(reg));
    std::printf("write bytes once + fsync (floor)      median %8.3f ms\n", median(floor));
    std::printf("same save, one rewrite per key        median %8.3f ms\n", median(perKey));
    std::printf("median ratio registration / floor     %8.2f\n", median(ratio));
    std::printf("median ratio per-key save / floor     %8.2f\n", median(perKeyRatio));
    for (const std::string& f : {conf, floorFile, keyFile}) ::unlink(f.c_str());
    return 0;
}
