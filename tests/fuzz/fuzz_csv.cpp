// CSV files from other programs: any bytes read into records in line order
// without a field that runs past the file, what is written reads back as it
// was, and an import planned from any bytes keeps the lists within their
// bounds and accounts for every row.
#include <QtGlobal>

#include "fuzz_check.h"
#include "model/config/csv.h"
#include "model/config/exchange.h"
#include "model/platform/text.h"

namespace {

using namespace uFConf;

// A field as the writer may be given it: text the code page holds, line
// breaks as CR LF.
QString field(const std::string& bytes)
{
    QString t = uFCom_Bas::fromAnsi(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    t = uFCom_Bas::fromAnsi(uFCom_Bas::toAnsi(t));
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.remove(QChar('\r'));
    t.replace(QChar('\n'), QStringLiteral("\r\n"));
    return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qInstallMessageHandler(failOnQtWarning);
    const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QList<CsvRecord> records = CsvRead(raw);
    int line = 0;
    for (const CsvRecord& r : records) {
        FUZZ_CHECK(r.line > line, "records out of line order");
        FUZZ_CHECK(r.line <= raw.count('\n') + raw.count('\r') + 1, "a record past the last line");
        FUZZ_CHECK(!r.fields.isEmpty(), "a record without fields");
        line = r.line;
    }

    // An import planned from the bytes on an empty schedule.
    uFMsg::Schedule schedule;
    uFMsg::FixedFormEntries fixed;
    const ImportPlan plan =
        PlanImport(raw, schedule, fixed, uFMsg::DueMinute::fromText(QStringLiteral("2026/12/07-08:00")));
    FUZZ_CHECK(plan.accepted + plan.refused == plan.rows.size(), "a row neither taken nor refused");
    FUZZ_CHECK(plan.accepted <= 2 * uFMsg::ListItemMax + uFMsg::ListItemMax, "more taken than the lists hold");
    for (const ImportRow& r : plan.rows) FUZZ_CHECK(r.accepted == r.reason.isEmpty(), "a refusal without its reason");
    FUZZ_CHECK(schedule.entries().isEmpty() && fixed.isEmpty(), "a plan changed the lists");

    // Fields written and read back.
    FuzzedDataProvider in(data, size);
    // Behind the header, as an export writes them: its kanji are no UTF-8,
    // so the file reads as CP932 whatever the rows hold.
    QList<QStringList> rows{kCsvHeader};
    const int n = in.ConsumeIntegralInRange<int>(1, 4);
    for (int i = 0; i < n; ++i) {
        QStringList row;
        const int m = in.ConsumeIntegralInRange<int>(1, 7);
        for (int j = 0; j < m; ++j) row << field(in.ConsumeRandomLengthString(40));
        // A row of one empty field is a blank line, which is no record.
        if (row == QStringList{QString()}) row[0] = QStringLiteral("x");
        rows << row;
    }
    const QList<CsvRecord> back = CsvRead(CsvWrite(rows));
    FUZZ_CHECK(back.size() == rows.size(), "rows lost or gained through a file");
    for (qsizetype i = 0; i < rows.size(); ++i)
        FUZZ_CHECK(back[i].fields == rows[i], "a row changed through a file: " + quoted(rows[i].join('|').toStdString()));
    return 0;
}
