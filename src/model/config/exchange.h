#pragma once
// The schedule and the fixed-form list as a CSV file, for other programs
// and spreadsheets: one header row, then a row for each guide entry
// registered by hand (ｶﾞｲﾄﾞ), each rule (繰り返し; its occurrences are the
// rule's to put in) and each fixed-form message (定型).  An import is
// planned first, every row checked as it would be registered, and applied
// as planned in one save: it calls the schedule's operations, as the
// dialogs do.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "model/config/csv.h"
#include "model/config/myconf.h"
#include "model/messages/schedule.h"

namespace uFConf {

// The columns, and the kinds of row.
inline const QStringList kCsvHeader = {
    QStringLiteral("種別"),       QStringLiteral("日時"),       QStringLiteral("繰り返し"),  QStringLiteral("時刻"),
    QStringLiteral("固定ﾒｯｾｰｼﾞ"), QStringLiteral("可変ﾒｯｾｰｼﾞ"), QStringLiteral("オプション")};
inline const QString kKindGuide = QStringLiteral("ｶﾞｲﾄﾞ");
inline const QString kKindRepeat = QStringLiteral("繰り返し");
inline const QString kKindFixed = QStringLiteral("定型");

// The header and a row for each entry registered by hand, each rule and
// each fixed-form message, in list order.
QList<QStringList> ExportRows(const uFMsg::Schedule& schedule, const uFMsg::FixedFormEntries& fixed);

// The file an export writes (CP932, CRLF) and how many rows it holds
// after the header.
struct ExportFile {
    QByteArray bytes;
    int rows = 0;
};
ExportFile ExportCsv(const uFMsg::Schedule& schedule, const uFMsg::FixedFormEntries& fixed);

// One row of a file to import: what it registers, or why it is refused.
struct ImportRow {
    int line = 0;
    QString kind;
    QStringList fields;
    bool accepted = false;
    QString reason;
    // What an accepted row registers: an entry (with its rule, for a 繰り返し
    // row), or a fixed-form message.
    uFMsg::GuideEntry entry;
    std::optional<uFMsg::RepeatRule> rule;
    QString fixed;
    // What the schedule said to an ｶﾞｲﾄﾞ or 繰り返し row.
    uFMsg::AddResult result = uFMsg::AddResult::Invalid;
    // Whether the schedule's save brought it to disk.
    bool saved = true;
};

struct ImportPlan {
    QList<ImportRow> rows;
    int accepted = 0;
    int refused = 0;
    // The bytes were not a CSV file of rows (empty, or only the header).
    bool empty() const { return rows.isEmpty(); }
};

// Every row of the file in its order, checked against the schedule and the
// list as they are at now with the rows before it registered: a date not
// later than now, a part longer than MsgLenMax or holding a comma, a rule
// or an option not understood, a full list, one already there.  Nothing is
// changed.
ImportPlan PlanImport(const QByteArray& csv, const uFMsg::Schedule& schedule, const uFMsg::FixedFormEntries& fixed,
                      const uFMsg::DueMinute& now);

struct ImportResult {
    int taken = 0;
    int refused = 0;
    bool saved = true;
};

// Registers the rows the plan accepted, through the schedule's operations,
// in one save of the file; a row that meanwhile cannot be registered (a due
// check took its minute) counts as refused.
ImportResult ApplyImport(const ImportPlan& plan, MyConf& conf, const uFMsg::DueMinute& now);

// A minute as the file writes it, "yyyy/mm/dd hh:mm", or as the
// configuration stores it, "yyyy/mm/dd-hh:mm"; null for an empty text.
uFMsg::DueMinute CsvMinute(const QString& text);

// One ｶﾞｲﾄﾞ or 繰り返し row registered as an import registers it, through the
// schedule's operation, which saves it.
ImportRow RegisterRow(const QStringList& fields, MyConf& conf, const uFMsg::DueMinute& now);

// The status lines (after the prefix) of an import and an export, and of
// a file that cannot be read.
QString ImportedText(int taken, int refused);
QString ExportedText(int rows);
extern const QString kFileUnreadable;

// The reasons a row is refused (also the command tool's).
extern const QString kReasonNotLater;
extern const QString kReasonExists;
extern const QString kReasonComma;
extern const QString kReasonNoFixed;
extern const QString kReasonMinute;
extern const QString kReasonRule;
extern const QString kReasonOption;
extern const QString kReasonKind;
QString ReasonTooLong(bool fixedPart);
QString ReasonFull(bool guide);

}  // namespace uFConf
