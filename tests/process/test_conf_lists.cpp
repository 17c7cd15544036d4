// Whole-program runs over a prepared configuration file: what loads, what
// the close command leaves in the file, and saves cut short by SIGKILL.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>
#include <csignal>
#include <filesystem>
#include <iostream>

#include "model/config/myconf.h"
#include "core/ini.h"
#include "gui/platform/ufcom.h"
#include "program_run.h"
#include "model/recorder/recorder.h"
#include "slot_isolation.h"
#include "test_support.h"
#include "xkeys.h"

using namespace proctest;

namespace {

std::string sjis(const QString& s)
{
    return uFCom_Bas::toAnsi(s).toStdString();
}

std::string item(const char* stem, int i, const QString& value)
{
    return QStringLiteral("%1%2=").arg(stem).arg(i, 3, 10, QChar('0')).toStdString() + sjis(value) + "\r\n";
}

class ConfListsTest : public ProgramTest {
protected:
    ConfListsTest() : ProgramTest(true) {}
    QString confPath() const { return QString::fromStdString(work_.file("uPVelmora.conf")); }
    QString get(const char* section, const QString& key) const
    {
        return uFCom_Bas::ProfileGet(confPath(), section, key);
    }
    std::unique_ptr<ProgramRun> start(unsigned long* window = nullptr) const { return startVelmora(window); }
    // The slot exists a moment after the window: retried until it takes.
    static bool sendClose()
    {
        return sendCloseCommand();
    }
};

}  // namespace

TEST_F(ConfListsTest, CloseCommandLeavesExactlyTheSurvivingGuideEntries)
{
    // Guide entries: two already due, 103 in the future stored newest first
    // (more than 100 keys; only 000 to 099 are read), then a gap and a key
    // behind it.  Some values hold ソ and 表, whose second byte is 0x5C.
    std::string text = "[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n"
                       "[Section_Watch]\r\nWatch_Timer=1,60,0,0,\r\n"
                       "[Section_Entry]\r\nEntryItems=2\r\n" +
                       item("EntryItem_", 0, "ソフト表示,") + item("EntryItem_", 1, "b,") +
                       "[Section_Cycle]\r\nCycleItems=99\r\n" + item("CycleItem_", 0, "2001/01/01-00:00,due,") +
                       item("CycleItem_", 1, "2002/02/02-02:02,due too,v,");
    QStringList future;
    for (int i = 2; i < 105; ++i) {
        const QString v = QStringLiteral("2099/12/%1-10:00,ソ表%2,表,").arg(31 - i / 4, 2, 10, QChar('0')).arg(i, 3, 10, QChar('0'));
        text += item("CycleItem_", i, v);
        if (i < 100) future << v;  // keys 000 to 099 are read
    }
    text += item("CycleItem_", 106, "2099/01/01-00:00,behind the gap,");
    testsupport::writeFile(work_.file("uPVelmora.conf"), text);
    std::sort(future.begin(), future.end(),
              [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseSensitive) < 0; });

    auto run = start();
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(run->waitEnd(5000));
    EXPECT_EQ(run->exitCode(), 0);

    EXPECT_EQ(get("Section_Cycle", "CycleItems"), QString::number(future.size()));
    for (int i = 0; i < future.size(); ++i)
        EXPECT_EQ(get("Section_Cycle", QStringLiteral("CycleItem_%1").arg(i, 3, 10, QChar('0'))), future[i]) << i;
    // No stale key: nothing behind the new count, up to 999.
    const std::string after = testsupport::readFile(work_.file("uPVelmora.conf"));
    for (int i = static_cast<int>(future.size()); i < 1000; ++i) {
        const std::string key = QStringLiteral("CycleItem_%1=").arg(i, 3, 10, QChar('0')).toStdString();
        EXPECT_EQ(after.find(key), std::string::npos) << key;
    }
    // The other sections are as they were.
    EXPECT_EQ(get("Section_Entry", "EntryItem_000"), "ソフト表示,");
    EXPECT_EQ(get("Section_Watch", "Watch_Timer"), "1,60,0,0,");
    EXPECT_EQ(get("Section_FormStyle", "FormStyle"), "NOMAL,1,3,8,12,");

    // The next start loads the same schedule and writes it back unchanged.
    auto again = start();
    ASSERT_TRUE(sendClose());
    ASSERT_TRUE(again->waitEnd(5000));
    EXPECT_EQ(testsupport::readFile(work_.file("uPVelmora.conf")), after);
}

// The operator registers fixed-form messages one after the other (each is
// saved); the program is killed at a random moment.  Every time the file is
// whole: it loads, its count matches its items, no stored entry is lost and
// the next start reads it.
TEST_F(ConfListsTest, KilledWhileSavingLeavesAWholeFile)
{
    std::string base = "[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n[Section_Watch]\r\nWatch_Timer=1,60,1,0,\r\n"
                       "[Section_Entry]\r\nEntryItems=60\r\n";
    for (int i = 0; i < 60; ++i) base += item("EntryItem_", i, QStringLiteral("定型表%1ソ,").arg(i, 2, 10, QChar('0')));
    base += "[Section_Cycle]\r\nCycleItems=1\r\n" + item("CycleItem_", 0, "2099/01/01-00:00,keep,me,");
    const std::string path = work_.file("uPVelmora.conf");
    testsupport::writeFile(path, base);

    const unsigned seed = testsupport::testSeed();
    SCOPED_TRACE("seed " + std::to_string(seed));
    QRandomGenerator generator(seed);
    auto* rng = &generator;
    QStringList known = uFConf::ConfRead(confPath(), "2000/01/01-00:00").entries;
    int killedDuringTyping = 0, registered = 0;
    QElapsedTimer total;
    total.start();
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        if (known.size() > 90) {
            testsupport::writeFile(path, base);
            known = uFConf::ConfRead(confPath(), "2000/01/01-00:00").entries;
        }
        unsigned long window = 0;
        auto run = start(&window);
        ASSERT_NE(window, 0u);
        // The window loaded every stored entry: the file was whole.
        QStringList typed;
        const int deadlineMs = rng->bounded(0, 250);
        QElapsedTimer clock;
        clock.start();
        bool killed = false;
        auto key = [&](const std::string& k) {
            if (killed) return;
            if (clock.elapsed() >= deadlineMs) {
                run->signal(SIGKILL);
                killed = true;
                return;
            }
            testsupport::sendKeyToWindow(window, k);
        };
        for (int n = 0; n < 200 && !killed; ++n) {
            // Focus is on the hidden box: Tab Tab reaches 定型登録's text box,
            // two more Tabs the button.
            const std::string a(1, char('a' + round % 26)), b(1, char('a' + n % 26)), c(1, char('a' + round / 26));
            key("Tab");
            key("Tab");
            key("k");
            key(a);
            key(b);
            key(c);
            key("Tab");
            key("Tab");
            key("space");
            if (!killed) typed << QString::fromStdString("k" + a + b + c);
        }
        if (!killed) run->signal(SIGKILL);
        else ++killedDuringTyping;
        ASSERT_TRUE(run->waitEnd(3000));

        // Whole and loadable.
        platform::ini::Document doc;
        ASSERT_TRUE(doc.load(path));
        const uFConf::ConfContent c = uFConf::ConfRead(confPath(), "2000/01/01-00:00");
        EXPECT_EQ(get("Section_Entry", "EntryItems"), QString::number(c.entries.size()));
        EXPECT_EQ(get("Section_FormStyle", "FormStyle"), "NOMAL,1,3,8,12,");
        EXPECT_EQ(c.cycles, QStringList{"2099/01/01-00:00,keep,me,"});
        for (const QString& k : known) {
            EXPECT_TRUE(c.entries.contains(k)) << k.toStdString();
        }
        for (const QString& e : c.entries) {
            EXPECT_TRUE(known.contains(e) || e.startsWith('k')) << e.toStdString();
        }
        registered += static_cast<int>(c.entries.size() - known.size());
        known = c.entries;
    }
    int temps = 0;
    for (const auto& e : std::filesystem::directory_iterator(work_.path()))
        if (e.path().filename().string().rfind(".uPVelmora.conf.tmp", 0) == 0) ++temps;
    std::cout << "rounds 50, killed while typing " << killedDuringTyping << ", entries saved " << registered
              << ", temporary files left by cut saves " << temps << ", " << total.elapsed() << " ms\n";
    // The keys reached the program: entries were saved along the way.
    EXPECT_GT(registered, 0);
}
