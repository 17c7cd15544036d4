// The schedule as CSV: the reader and writer of spreadsheet files, the
// import's plan with each row's fate and line, its application in one save,
// and a whole schedule through a file and back.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>

#include "fakes.h"
#include "model/config/exchange.h"
#include "model/platform/text.h"
#include "test_support.h"

using namespace uFConf;

namespace {

const QString kCRLF = QStringLiteral("\r\n");

uFMsg::DueMinute at(const char* text)
{
    return uFMsg::DueMinute::fromText(QString::fromUtf8(text));
}

QByteArray cp932(const char* utf8)
{
    return uFCom_Bas::toAnsi(QString::fromUtf8(utf8));
}

// A configuration file as the starter file begins: settings, empty lists.
const std::string kSettingsOnly =
    "[Section_FormStyle]\r\nFormStyle=NOMAL,1,3,8,12,\r\n\r\n[Section_Watch]\r\nWatch_Timer=1,60,1,0,\r\n\r\n"
    "[Section_Entry]\r\nEntryItems=0\r\n\r\n[Section_Cycle]\r\nCycleItems=0\r\n";

// A configuration in a folder of its own, loaded at 2026/12/07 08:00 (a
// Monday).
class Conf {
public:
    explicit Conf(const std::string& bytes = kSettingsOnly)
    {
        testsupport::writeFile(path_, bytes);
        MyConf::Binding b;
        b.confPath = [this]() { return QString::fromStdString(path_); };
        conf_ = std::make_unique<MyConf>(std::move(b));
        conf_->MyConfRead();
    }
    MyConf& operator*() { return *conf_; }
    MyConf* operator->() { return conf_.get(); }
    std::string bytes() const { return testsupport::readFile(path_); }

private:
    testsupport::StillClock clock_{platform::LocalTime{2026, 12, 7, 8, 0, 0, 0}};
    testsupport::TempDir dir_;
    std::string path_ = dir_.file("uPVelmora.conf");
    std::unique_ptr<MyConf> conf_;
};

// A function: a minute read at static initialisation may find the reader
// not set up yet.
uFMsg::DueMinute now0()
{
    return at("2026/12/07-08:00");
}

// "line:reason" of each refused row, "line:取込" of each accepted one.
QStringList fates(const ImportPlan& plan)
{
    QStringList out;
    for (const ImportRow& r : plan.rows) out << QString::number(r.line) + ":" + (r.accepted ? "取込" : r.reason);
    return out;
}

}  // namespace

TEST(Csv, RecordsAsSpreadsheetsWriteThem)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        QList<QPair<int, QStringList>> records;  // line, fields
        CsvEncoding encoding;
    } cases[] = {
        {"LF only, no line end at the end", "a,b\nc,d", {{1, {"a", "b"}}, {2, {"c", "d"}}}, CsvEncoding::Utf8},
        {"CRLF, empty fields kept", "a,,\r\n,b,\r\n", {{1, {"a", "", ""}}, {2, {"", "b", ""}}}, CsvEncoding::Utf8},
        {"a quoted comma is one field", "\"a,b\",c\r\n", {{1, {"a,b", "c"}}}, CsvEncoding::Utf8},
        {"doubled quotes", "\"say \"\"hi\"\"\",x\n", {{1, {"say \"hi\"", "x"}}}, CsvEncoding::Utf8},
        {"a quoted CRLF is kept and counts its line", "\"a\r\nb\",c\r\nd\r\n",
         {{1, {"a\r\nb", "c"}}, {3, {"d"}}}, CsvEncoding::Utf8},
        {"a quoted LF is kept as CRLF", "\"a\nb\"\nd\n", {{1, {"a\r\nb"}}, {3, {"d"}}}, CsvEncoding::Utf8},
        {"blank lines are no records but count", "a\n\n\r\nb\n", {{1, {"a"}}, {4, {"b"}}}, CsvEncoding::Utf8},
        {"an unterminated quote runs to the end", "x,\"a\nb", {{1, {"x", "a\r\nb"}}}, CsvEncoding::Utf8},
        {"a quote inside an unquoted field is a character", "a\"b,c\n", {{1, {"a\"b", "c"}}}, CsvEncoding::Utf8},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" "種別,朝礼\n", {{1, {"種別", "朝礼"}}}, CsvEncoding::Utf8},
        {"UTF-8 without a mark", "ｶﾞｲﾄﾞ,朝礼\n", {{1, {"ｶﾞｲﾄﾞ", "朝礼"}}}, CsvEncoding::Utf8},
        {"CP932", cp932("ｶﾞｲﾄﾞ,\"朝礼,です\"\r\n表示\r\n"), {{1, {"ｶﾞｲﾄﾞ", "朝礼,です"}}, {2, {"表示"}}},
         CsvEncoding::Cp932},
        {"nothing", "", {}, CsvEncoding::Utf8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CsvEncoding encoding = CsvEncoding::Cp932;
        const QList<CsvRecord> got = CsvRead(c.bytes, &encoding);
        ASSERT_EQ(got.size(), c.records.size());
        for (qsizetype i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].line, c.records[i].first);
            EXPECT_EQ(got[i].fields, c.records[i].second);
        }
        EXPECT_EQ(encoding, c.encoding);
    }
}

TEST(Csv, WrittenInCp932WithCrlfAndReadBackTheSame)
{
    const QList<QStringList> rows = {
        {"種別", "plain", ""},
        {"a,b", "say \"hi\"", "二行の\r\nお知らせ"},
        {" lead", "trail ", "ｳﾞｪﾙﾓﾗ"},
    };
    const QByteArray bytes = CsvWrite(rows);
    EXPECT_EQ(uFCom_Bas::fromAnsi(bytes), "種別,plain,\r\n\"a,b\",\"say \"\"hi\"\"\",\"二行の\r\nお知らせ\"\r\n"
                                          "\" lead\",\"trail \",ｳﾞｪﾙﾓﾗ\r\n");
    EXPECT_TRUE(bytes.contains(cp932("ｳﾞｪﾙﾓﾗ"))) << "CP932, not UTF-8";
    CsvEncoding encoding = CsvEncoding::Utf8;
    const QList<CsvRecord> back = CsvRead(bytes, &encoding);
    EXPECT_EQ(encoding, CsvEncoding::Cp932);
    ASSERT_EQ(back.size(), rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) EXPECT_EQ(back[i].fields, rows[i]);
    EXPECT_EQ(back[2].line, 4) << "the line break of the row before counts";
}

// Every refusal, with the line the row starts on; rows meet the rows before
// them and what is listed; nothing changes before the plan is applied.
TEST(Import, ThePlanTellsEachRowsFateWithItsLine)
{
    Conf conf;
    ASSERT_EQ(conf->schedule()
                  .add(uFMsg::GuideEntry::compose(at("2026/12/24-09:30"), "朝礼", ""), std::nullopt, now0())
                  .result,
              uFMsg::AddResult::Added);
    conf->entries().insertSorted(QStringLiteral("朝礼"));
    const std::string before = conf.bytes();
    const QString tooLong(65, QChar(0x3042));
    const QString file = QStringLiteral(
                             "種別,日時,繰り返し,時刻,固定ﾒｯｾｰｼﾞ,可変ﾒｯｾｰｼﾞ,オプション\n"  // 1
                             "ｶﾞｲﾄﾞ,2026/12/24 10:00,,,会議,,\n"                              // 2
                             "ｶﾞｲﾄﾞ,2026/12/07 08:00,,,過去,,\n"                              // 3
                             "ｶﾞｲﾄﾞ,2026/12/24 09:30,,,朝礼,,\n"                              // 4
                             "ｶﾞｲﾄﾞ,2026/12/24 10:00,,,会議,,\n"                              // 5
                             "ｶﾞｲﾄﾞ,2026/12/24 11:00,,,%1,,\n"                                // 6
                             "ｶﾞｲﾄﾞ,2026/12/24 11:00,,,a,%1,\n"                               // 7
                             "\"ｶﾞｲﾄﾞ\",\"2026/12/24 12:00\",,,\"a,b\",,\n"                   // 8
                             "ｶﾞｲﾄﾞ,2026/12/24 13:00,,,\"二行\n"                              // 9
                             "です\",,予告=5\n"                                               // 10
                             "繰り返し,,ときどき,09:00,x,,\n"                                 // 11
                             "繰り返し,,平日,25:00,x,,\n"                                     // 12
                             "繰り返し,,平日,09:00,始業,,予告=abc\n"                          // 13
                             "予定,2026/12/24 14:00,,,x,,\n"                                  // 14
                             "ｶﾞｲﾄﾞ,2026-12-24,,,x,,\n"                                       // 15
                             "定型,,,,朝礼,,\n"                                               // 16
                             "定型,,,,新しい定型,,\n"                                         // 17
                             "ｶﾞｲﾄﾞ,2026/12/24 15:00,,,  ,,\n"                                // 18
                             "\n"                                                             // 19
                             "繰り返し,,平日,09:00,始業,,予告=5\n")                           // 20
                             .arg(tooLong);
    const ImportPlan plan = PlanImport(file.toUtf8(), conf->schedule(), conf->entries(), now0());
    EXPECT_EQ(fates(plan), (QStringList{
                               "2:取込",
                               "3:" + kReasonNotLater,
                               "4:" + kReasonExists,
                               "5:" + kReasonExists,
                               "6:" + ReasonTooLong(true),
                               "7:" + ReasonTooLong(false),
                               "8:" + kReasonComma,
                               "9:取込",
                               "11:" + kReasonRule,
                               "12:" + kReasonRule,
                               "13:" + kReasonOption,
                               "14:" + kReasonKind,
                               "15:" + kReasonMinute,
                               "16:" + kReasonExists,
                               "17:取込",
                               "18:" + kReasonNoFixed,
                               "20:取込",
                           }));
    EXPECT_EQ(plan.accepted, 4);
    EXPECT_EQ(plan.refused, 13);
    EXPECT_EQ(conf->schedule().entries().size(), 1) << "a plan changes nothing";
    EXPECT_EQ(conf->entries().size(), 1);
    EXPECT_EQ(conf.bytes(), before);

    // Applied: the accepted rows, in one save; the line break kept.
    int saves = 0;
    testsupport::FakeSaveStep countSaves([&](const std::string&) { return ++saves > 0; });
    const ImportResult done = ApplyImport(plan, *conf, now0());
    EXPECT_EQ(done.taken, 4);
    EXPECT_EQ(done.refused, 13);
    EXPECT_TRUE(done.saved);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(conf->schedule().storedEntries(),
              (QStringList{"2026/12/07-09:00,始業,,繰り返し;予告=5,", "2026/12/24-09:30,朝礼,,",
                           "2026/12/24-10:00,会議,,", "2026/12/24-13:00,二行\r\nです,,予告=5,"}));
    EXPECT_EQ(conf->entries().texts(), (QStringList{"新しい定型", "朝礼"}));
    const QString written = uFCom_Bas::fromAnsi(QByteArray::fromStdString(conf.bytes()));
    EXPECT_TRUE(written.contains("EntryItem_000=新しい定型")) << written.toStdString();
    EXPECT_TRUE(written.contains("RepeatItem_000=平日,09:00,始業,,予告=5,")) << written.toStdString();
}

TEST(Import, FullListsAndAMinuteTakenMeanwhileAreRefused)
{
    struct Case {
        const char* what;
        int guideListed;  // entries listed before
        int fixedListed;  // fixed-form messages listed before
        const char* rows;
        QStringList planned;
        const char* applyAt;  // the clock when 取込 is pressed
        int taken;
    } cases[] = {
        {"the guide list fills", 99, 0, "ｶﾞｲﾄﾞ,2027/01/01 10:00,,,a,,\nｶﾞｲﾄﾞ,2027/01/01 10:01,,,b,,\n",
         {"1:取込", "2:" + ReasonFull(true)}, "2026/12/07-08:00", 1},
        {"the fixed-form list fills", 0, 99, "定型,,,,a,,\n定型,,,,b,,\n", {"1:取込", "2:" + ReasonFull(false)},
         "2026/12/07-08:00", 1},
        {"a row's minute passes before 取込", 0, 0, "ｶﾞｲﾄﾞ,2026/12/07 08:01,,,a,,\nｶﾞｲﾄﾞ,2026/12/07 09:00,,,b,,\n",
         {"1:取込", "2:取込"}, "2026/12/07-08:01", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Conf conf;
        {
            uFMsg::Schedule::Batch batch(conf->schedule());
            for (int i = 0; i < c.guideListed; ++i)
                conf->schedule().add(uFMsg::GuideEntry::compose(now0().addMinutes(60 + i), "x", ""), std::nullopt, now0());
        }
        for (int i = 0; i < c.fixedListed; ++i) conf->entries().insertSorted(QStringLiteral("f%1").arg(i, 3, 10, QChar('0')));
        const ImportPlan plan = PlanImport(c.rows, conf->schedule(), conf->entries(), now0());
        EXPECT_EQ(fates(plan), c.planned);
        const ImportResult done = ApplyImport(plan, *conf, at(c.applyAt));
        EXPECT_EQ(done.taken, c.taken);
        EXPECT_EQ(done.refused, static_cast<int>(plan.rows.size()) - c.taken);
        EXPECT_EQ(conf->schedule().entries().size() + conf->entries().size(), c.guideListed + c.fixedListed + c.taken);
    }
}

// The files other programs give: a UTF-8 file with a byte order mark and a
// CP932 file as a spreadsheet saves it (every field quoted, CRLF).
TEST(Import, FilesFromOtherProgramsRegisterTheSameSchedule)
{
    const char* utf8 = "\xEF\xBB\xBF"
                       "種別,日時,繰り返し,時刻,固定ﾒｯｾｰｼﾞ,可変ﾒｯｾｰｼﾞ,オプション\n"
                       "ｶﾞｲﾄﾞ,2026/12/24 09:30,,,朝礼を開始します。,会議室A,\n"
                       "ｶﾞｲﾄﾞ,2026/12/25 10:00,,,\"点検は\n午後です。\",,予告=10\n"
                       "繰り返し,,毎月25日,12:00,給料日,,休日=前営業日\n"
                       "定型,,,,昼休みです。,,\n";
    const QByteArray spreadsheet =
        cp932("\"種別\",\"日時\",\"繰り返し\",\"時刻\",\"固定ﾒｯｾｰｼﾞ\",\"可変ﾒｯｾｰｼﾞ\",\"オプション\"\r\n"
              "\"ｶﾞｲﾄﾞ\",\"2026/12/24 09:30\",\"\",\"\",\"朝礼を開始します。\",\"会議室A\",\"\"\r\n"
              "\"ｶﾞｲﾄﾞ\",\"2026/12/25 10:00\",\"\",\"\",\"点検は\r\n午後です。\",\"\",\"予告=10\"\r\n"
              "\"繰り返し\",\"\",\"毎月25日\",\"12:00\",\"給料日\",\"\",\"休日=前営業日\"\r\n"
              "\"定型\",\"\",\"\",\"\",\"昼休みです。\",\"\",\"\"\r\n");
    std::string first;
    for (const QByteArray& bytes : {QByteArray(utf8), spreadsheet}) {
        Conf conf;
        const ImportPlan plan = PlanImport(bytes, conf->schedule(), conf->entries(), now0());
        EXPECT_EQ(fates(plan), (QStringList{"2:取込", "3:取込", "5:取込", "6:取込"}));
        ASSERT_TRUE(ApplyImport(plan, *conf, now0()).saved);
        EXPECT_EQ(conf->schedule().storedEntries(),
                  (QStringList{"2026/12/24-09:30,朝礼を開始します。,会議室A,", "2026/12/25-10:00,点検は\r\n午後です。,,予告=10,",
                               "2026/12/25-12:00,給料日,,繰り返し,"}));
        EXPECT_EQ(conf->entries().texts(), QStringList{"昼休みです。"});
        if (first.empty()) {
            first = conf.bytes();
        } else {
            EXPECT_EQ(conf.bytes(), first) << "both files give the same configuration";
        }
    }
}

// A full schedule through a file and back: 100 listed entries (80 by hand,
// 20 a rule's), 20 rules with their options and 50 fixed-form messages.
TEST(Import, AScheduleExportedAndImportedGivesTheSameFile)
{
    Conf original;
    const char* words[] = {"毎日",   "平日",         "毎週月",     "毎週水",     "隔週火",
                           "毎月25日", "毎月末日",     "毎月第2火",  "毎月最終金",   "毎月5日"};
    const char* options[] = {"", "予告=5", "休日=除く", "休日=前営業日", "終了=2027/12/31;予告=15"};
    {
        uFMsg::Schedule::Batch batch(original->schedule());
        for (int i = 0; i < 20; ++i) {
            const QString fixed = QStringLiteral("規則%1").arg(i);
            const int minuteOfDay = 7 * 60 + i * 7;
            std::optional<uFMsg::RuleOptions> o = uFMsg::RuleOptions::parse(options[i % 5]);
            ASSERT_TRUE(o);
            // Every other week, from the week of the Tuesday after now.
            if (QString(words[i % 10]).startsWith("隔週")) o->start = QDate(2026, 12, 8);
            const std::optional<uFMsg::RepeatRule> rule =
                uFMsg::RepeatRule::make(words[i % 10], minuteOfDay, fixed, i % 3 ? QString() : "会議室", *o);
            ASSERT_TRUE(rule) << words[i % 10];
            const uFMsg::DueMinute next = rule->nextAfter(now0(), original->schedule().calendar());
            ASSERT_EQ(original->schedule()
                          .add(uFMsg::GuideEntry::compose(next, rule->fixed(), rule->variable()), rule, now0())
                          .result,
                      uFMsg::AddResult::Added);
        }
        for (int i = 0; i < 80; ++i) {
            const QString fixed = i % 7 == 0 ? QStringLiteral("二行の\r\nお知らせ%1").arg(i) : QStringLiteral("案内%1").arg(i);
            uFMsg::EntryOptions o;
            o.notice = i % 4 == 0 ? 10 : 0;
            ASSERT_EQ(original->schedule()
                          .add(uFMsg::GuideEntry::compose(at("2027/01/04-10:01").addMinutes(i * 1441),
                                                          fixed, i % 2 ? "会議室A" : "", o),
                               std::nullopt, now0())
                          .result,
                      uFMsg::AddResult::Added);
        }
    }
    for (int i = 0; i < 50; ++i) original->entries().insertSorted(QStringLiteral("定型ﾒｯｾｰｼﾞ%1").arg(i));
    ASSERT_EQ(original->MyConfWriteEntry(), 0);
    ASSERT_EQ(original->schedule().entries().size(), 100);
    ASSERT_EQ(original->schedule().rules().size(), 20);

    const QList<QStringList> rows = ExportRows(original->schedule(), original->entries());
    EXPECT_EQ(rows.size(), 1 + 80 + 20 + 50) << "a rule's occurrence comes back with its rule";
    EXPECT_EQ(rows.first(), kCsvHeader);

    Conf copy;
    const ImportPlan plan = PlanImport(CsvWrite(rows), copy->schedule(), copy->entries(), now0());
    EXPECT_EQ(plan.refused, 0) << fates(plan).filter(QRegularExpression(":(?!取込)")).join("\n").toStdString();
    const ImportResult done = ApplyImport(plan, *copy, now0());
    EXPECT_EQ(done.taken, 150);
    EXPECT_TRUE(done.saved);
    // Compared as text, so that a difference reads.
    EXPECT_EQ(uFCom_Bas::fromAnsi(QByteArray::fromStdString(copy.bytes())),
              uFCom_Bas::fromAnsi(QByteArray::fromStdString(original.bytes())));
}
