#include "model/config/exchange.h"

#include "model/messages/statustexts.h"
#include "model/platform/text.h"

namespace uFConf {

const QString kReasonNotLater = uFMsg::kDueTimeRefused;
const QString kReasonExists = QStringLiteral("既に登録されています。");
const QString kReasonComma = QStringLiteral("ﾒｯｾｰｼﾞにｶﾝﾏ(,)は使えません。");
const QString kReasonNoFixed = QStringLiteral("固定ﾒｯｾｰｼﾞがありません。");
const QString kReasonMinute = QStringLiteral("日時を解釈できません。");
const QString kReasonRule = QStringLiteral("繰り返しを解釈できません。");
const QString kReasonOption = QStringLiteral("オプションを解釈できません。");
const QString kReasonKind = QStringLiteral("種別を解釈できません。");

const QString kFileUnreadable = QStringLiteral(" ﾌｧｲﾙを読込できません。");

QString ImportedText(int taken, int refused)
{
    return QStringLiteral("ｲﾝﾎﾟｰﾄしました。取込 %1 件、除外 %2 件。").arg(taken).arg(refused);
}

QString ExportedText(int rows)
{
    return QStringLiteral("ｴｸｽﾎﾟｰﾄしました。%1 件。").arg(rows);
}

QString ReasonTooLong(bool fixedPart)
{
    return uFMsg::PartTooLongText(fixedPart);
}

QString ReasonFull(bool guide)
{
    return uFMsg::StatusText(guide ? uFMsg::kCycleFull : uFMsg::kEntryFull);
}

namespace {

const QString kBiweeklyWord = QStringLiteral("隔週");

enum Column { ColKind, ColMinute, ColRule, ColTime, ColFixed, ColVariable, ColOptions };

QString column(const QStringList& fields, int c)
{
    return uFCom_Bas::trimSpaces(fields.value(c));
}

}  // namespace

uFMsg::DueMinute CsvMinute(const QString& text)
{
    if (text.isEmpty()) return uFMsg::DueMinute();
    QString t = text;
    if (t.size() == 16 && t.at(10) == QLatin1Char(' ')) t[10] = QLatin1Char('-');
    return uFMsg::DueMinute::fromText(t);
}

namespace {

QString minuteText(const uFMsg::DueMinute& m)
{
    QString t = m.text();
    if (t.size() == 16) t[10] = QLatin1Char(' ');
    return t;
}

// The parts' checks common to every kind; empty when they pass.
QString partsRefused(const QString& fixed, const QString& variable)
{
    if (fixed.isEmpty()) return kReasonNoFixed;
    if (fixed.contains(QLatin1Char(',')) || variable.contains(QLatin1Char(','))) return kReasonComma;
    if (fixed.size() > uFMsg::MsgLenMax) return ReasonTooLong(true);
    if (variable.size() > uFMsg::MsgLenMax) return ReasonTooLong(false);
    return QString();
}

QString addRefused(const uFMsg::AddOutcome& o)
{
    switch (o.result) {
    case uFMsg::AddResult::Added:
    case uFMsg::AddResult::Updated:
        return QString();
    case uFMsg::AddResult::Same:
        return kReasonExists;
    case uFMsg::AddResult::Full:
        return ReasonFull(true);
    case uFMsg::AddResult::NotLater:
        return kReasonNotLater;
    case uFMsg::AddResult::Invalid:
        break;
    }
    return kReasonMinute;
}

// What the schedule said to a row's registration.
void settle(ImportRow& row, const uFMsg::AddOutcome& added)
{
    row.result = added.result;
    row.saved = added.saved;
    row.reason = addRefused(added);
    row.accepted = row.reason.isEmpty();
}

// Checks a row and registers it on the schedule and list given (the plan's
// copies, or the real ones).
void take(ImportRow& row, uFMsg::Schedule& schedule, uFMsg::FixedFormEntries& fixed, const uFMsg::DueMinute& now)
{
    const QStringList& f = row.fields;
    row.kind = column(f, ColKind);
    const QString fixedPart = column(f, ColFixed), variable = column(f, ColVariable);
    row.accepted = false;
    if (row.kind == kKindFixed) {
        row.reason = partsRefused(fixedPart, QString());
        if (!row.reason.isEmpty()) return;
        if (fixed.find(fixedPart) >= 0) {
            row.reason = kReasonExists;
        } else if (fixed.isFull()) {
            row.reason = ReasonFull(false);
        } else {
            fixed.insertSorted(fixedPart);
            row.fixed = fixedPart;
            row.accepted = true;
        }
        return;
    }
    if (row.kind != kKindGuide && row.kind != kKindRepeat) {
        row.reason = kReasonKind;
        return;
    }
    row.reason = partsRefused(fixedPart, variable);
    if (!row.reason.isEmpty()) return;
    uFMsg::DueMinute at = CsvMinute(column(f, ColMinute));
    if (row.kind == kKindGuide) {
        const std::optional<uFMsg::EntryOptions> options =
            column(f, ColOptions).isEmpty() ? uFMsg::EntryOptions{} : uFMsg::EntryOptions::parse(column(f, ColOptions));
        if (!at.isValid()) {
            row.reason = kReasonMinute;
        } else if (!options || options->placed) {
            row.reason = kReasonOption;
        } else {
            row.entry = uFMsg::GuideEntry::compose(at, fixedPart, variable, *options);
            // Listed with the same notice (by hand, or as a rule's): the
            // same entry, however the file that was loaded spaced it.
            const int listed = schedule.entries().findAnnouncement(row.entry);
            if (listed >= 0 && schedule.entries().at(listed).options().notice == options->notice) {
                row.result = uFMsg::AddResult::Same;
                row.reason = kReasonExists;
                return;
            }
            settle(row, schedule.add(row.entry, std::nullopt, now));
        }
        return;
    }
    const int minuteOfDay = uFMsg::MinuteOfDayFromText(column(f, ColTime));
    std::optional<uFMsg::RuleOptions> options = uFMsg::RuleOptions::parse(column(f, ColOptions));
    if (!options) {
        row.reason = kReasonOption;
        return;
    }
    // Every other week counts from the day given, else from today's week,
    // unless the row says where it starts.
    if (column(f, ColRule).startsWith(kBiweeklyWord) && !options->start.isValid())
        options->start = at.isValid() ? at.day() : now.day();
    row.rule = uFMsg::RepeatRule::make(column(f, ColRule), minuteOfDay, fixedPart, variable, *options);
    if (!row.rule) {
        row.reason = kReasonRule;
        return;
    }
    // From the day given, at the rule's time; else from the rule's next
    // occurrence.
    at = at.isValid() ? uFMsg::DueMinute::of(at.day(), minuteOfDay) : row.rule->nextAfter(now, schedule.calendar());
    if (at.isNull()) {
        row.reason = kReasonRule;
        return;
    }
    row.entry = uFMsg::GuideEntry::compose(at, fixedPart, variable);
    settle(row, schedule.add(row.entry, row.rule, now));
}

}  // namespace

QList<QStringList> ExportRows(const uFMsg::Schedule& schedule, const uFMsg::FixedFormEntries& fixed)
{
    QList<QStringList> rows{kCsvHeader};
    const uFMsg::GuideSchedule& entries = schedule.entries();
    for (int i = 0; i < entries.size(); ++i) {
        const uFMsg::GuideEntry& e = entries.at(i);
        // A rule's occurrence comes back with its rule.
        if (e.options().placed || !e.due().isValid()) continue;
        rows << QStringList{kKindGuide, minuteText(e.due()), QString(),         QString(),
                            e.fixed(),  e.variable(),        e.options().text()};
    }
    const uFMsg::RepeatRules& rules = schedule.rules();
    for (int i = 0; i < rules.size(); ++i) {
        const uFMsg::RepeatRule& r = rules.at(i);
        rows << QStringList{kKindRepeat, QString(),    r.rule(),          uFMsg::MinuteOfDayText(r.minuteOfDay()),
                            r.fixed(),   r.variable(), r.options().text()};
    }
    for (int i = 0; i < fixed.size(); ++i)
        rows << QStringList{kKindFixed, QString(), QString(), QString(), fixed.at(i).message(), QString(), QString()};
    return rows;
}

ExportFile ExportCsv(const uFMsg::Schedule& schedule, const uFMsg::FixedFormEntries& fixed)
{
    const QList<QStringList> rows = ExportRows(schedule, fixed);
    return {CsvWrite(rows), static_cast<int>(rows.size()) - 1};
}

ImportPlan PlanImport(const QByteArray& csv, const uFMsg::Schedule& schedule, const uFMsg::FixedFormEntries& fixed,
                      const uFMsg::DueMinute& now)
{
    // On copies, so that each row meets the rows before it.
    uFMsg::Schedule scratch;
    scratch.load(uFMsg::StoredSchedule{schedule.storedEntries(), schedule.storedRules(), schedule.calendar(),
                                       schedule.calendarStored()},
                 now);
    uFMsg::FixedFormEntries scratchFixed = fixed;
    ImportPlan plan;
    QList<CsvRecord> records = CsvRead(csv);
    if (!records.isEmpty() && column(records.first().fields, ColKind) == kCsvHeader.first()) records.removeFirst();
    for (const CsvRecord& r : records) {
        ImportRow row;
        row.line = r.line;
        row.fields = r.fields;
        take(row, scratch, scratchFixed, now);
        plan.rows << row;
        ++(row.accepted ? plan.accepted : plan.refused);
    }
    return plan;
}

ImportRow RegisterRow(const QStringList& fields, MyConf& conf, const uFMsg::DueMinute& now)
{
    ImportRow row;
    row.fields = fields;
    if (column(fields, ColKind) == kKindFixed) {
        row.reason = kReasonKind;
        return row;
    }
    take(row, conf.schedule(), conf.entries(), now);
    return row;
}

ImportResult ApplyImport(const ImportPlan& plan, MyConf& conf, const uFMsg::DueMinute& now)
{
    ImportResult result;
    bool fixedChanged = false, scheduleChanged = false;
    {
        uFMsg::Schedule::Batch batch(conf.schedule());
        for (ImportRow row : plan.rows) {
            if (!row.accepted) {
                ++result.refused;
                continue;
            }
            take(row, conf.schedule(), conf.entries(), now);
            if (!row.accepted) {
                ++result.refused;
                continue;
            }
            ++result.taken;
            if (row.kind == kKindFixed) {
                fixedChanged = true;
                conf.fixedFormChanged();
            } else {
                scheduleChanged = true;
            }
        }
        // The fixed-form list goes with the schedule's save; without one,
        // on its own.
        result.saved = batch.close();
    }
    if (fixedChanged && !scheduleChanged) result.saved = conf.MyConfWriteEntry() == 0;
    return result;
}

}  // namespace uFConf
