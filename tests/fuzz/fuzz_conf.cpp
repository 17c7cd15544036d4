// The configuration file reader on arbitrary file bytes, and the two list
// writers on arbitrary list texts: what a writer stores, the reader gives
// back.  No QCoreApplication: the reader and writers work without one, and
// any Qt warning on the way stops the run.
#include "model/config/myconf.h"
#include "fuzz_check.h"
#include "fuzz_tempdir.h"
#include "gui/messages/msgrules.h"
#include "gui/platform/ufcom.h"

#include <QtGlobal>
#include <fstream>

namespace {

// A list text as the lists hold it: lines joined by CR LF, no NUL, no tabs,
// no unit separator (the stored form of a line break, which no text box
// passes on).
QString listText(const std::string& bytes)
{
    QString t = uFCom_Bas::fromAnsi(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    t.remove(QChar(0));
    t.remove(QChar(0x1F));
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.remove(QChar('\r'));
    t.replace(QChar('\n'), QStringLiteral("\r\n"));
    t.replace(QChar('\t'), QChar(' '));
    return t;
}

// The text a stored value reads back as: through the file's code page, its
// line breaks back.
QString throughFile(const QString& value)
{
    return uFConf::LoadedValue(uFCom_Bas::fromAnsi(uFCom_Bas::toAnsi(value)));
}

std::string show(const QString& s)
{
    return quoted(s.toStdString());
}

void checkContent(const uFConf::ConfContent& c, const QString& now)
{
    FUZZ_CHECK(c.entries.size() <= uFConf::kItemKeysRead && c.cycles.size() <= uFConf::kItemKeysRead,
               "more than 100 entries read");
    FUZZ_CHECK(c.EntryCount >= 0 && c.EntryCount <= 100 && c.CycleCount >= 0 && c.CycleCount <= 100,
               "count out of range");
    for (const QString& e : c.entries) FUZZ_CHECK(!e.isEmpty(), "empty fixed-form entry read");
    for (const QString& g : c.cycles) {
        const uFMsg::DueMinute due = uFMsg::GuideEntry(g).due();
        FUZZ_CHECK(!due.isNull() && due.laterThan(uFMsg::DueMinute::fromText(now)),
                   "guide entry not later than now read: " + show(g));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool handlerSet = (qInstallMessageHandler(failOnQtWarning), true);
    (void)handlerSet;
    FuzzedDataProvider in(data, size);
    const QString path = QString::fromStdString(fuzzTempDir() + "/uPVelmora.conf");
    const std::string file = in.ConsumeRandomLengthString(4096);
    std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc) << file;
    const QString now = QString::fromUtf8(in.ConsumeRandomLengthString(20));

    checkContent(uFConf::ConfRead(path, now), now);

    QStringList entries, cycles;
    for (QStringList* list : {&entries, &cycles}) {
        const int n = in.ConsumeIntegralInRange(0, 110);
        for (int i = 0; i < n; ++i) list->append(listText(in.ConsumeRandomLengthString(80)));
    }

    // What each writer stores: the first 100 texts that give a value.
    QStringList storedEntries, storedCycles;
    for (const QString& e : entries) {
        const QString v = uFConf::EntryValue(e);
        if (!v.isEmpty() && storedEntries.size() < 100) storedEntries.append(throughFile(v));
    }
    for (const QString& g : cycles) {
        const QString v = uFConf::CycleValue(g);
        if (!v.isEmpty() && storedCycles.size() < 100) storedCycles.append(throughFile(v));
    }

    int entriesWritten = -1, cyclesWritten = -1;
    const uFConf::WriteResult entriesSaved = uFConf::ConfWriteEntry(path, entries, &entriesWritten);
    FUZZ_CHECK(entriesSaved == 0, "ConfWriteEntry failed: " + entriesSaved.why.toStdString());
    const uFConf::WriteResult cyclesSaved = uFConf::ConfWriteCycle(path, cycles, &cyclesWritten);
    FUZZ_CHECK(cyclesSaved == 0, "ConfWriteCycle failed: " + cyclesSaved.why.toStdString());
    FUZZ_CHECK(entriesWritten == storedEntries.size() && cyclesWritten == storedCycles.size(),
               "written counts differ from the values stored");

    const uFConf::ConfContent c = uFConf::ConfRead(path, now);
    checkContent(c, now);
    FUZZ_CHECK(c.entries.size() == storedEntries.size() && c.EntryCount == storedEntries.size(),
               "fixed-form entries written and read differ in number");
    for (qsizetype i = 0; i < storedEntries.size(); ++i) {
        // The stored value is the fixed part and its comma.
        FUZZ_CHECK(c.entries[i] == storedEntries[i].chopped(1),
                   "fixed-form entry " + show(c.entries[i]) + " read for " + show(storedEntries[i]));
    }
    QStringList expectedCycles;
    for (const QString& v : storedCycles)
        if (now < uFMsg::GuideEntry(v).due().text()) expectedCycles.append(v);
    FUZZ_CHECK(c.cycles == expectedCycles, "guide entries read differ from those written: " +
                                               show(c.cycles.join('|')) + " vs " + show(expectedCycles.join('|')));
    if (!c.cycles.isEmpty()) FUZZ_CHECK(c.CycleCount == c.cycles.size(), "guide count differs");
    return 0;
}
