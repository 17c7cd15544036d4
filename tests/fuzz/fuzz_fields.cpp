// The comma-field helpers, the guide entry form and the repeat rules on
// arbitrary text: tokens put back together give the text, trimming takes
// spaces only, a guide entry composed from its parts reads back as those
// parts, and a rule as the same rule with its next occurrence its own.
#include <algorithm>

#include "model/config/myconf.h"
#include "model/messages/repeat.h"
#include "fuzz_check.h"
#include "gui/messages/msgrules.h"
#include "gui/platform/ufcom.h"

namespace {

using uFCom_Bas::CsvFieldGet;
using uFCom_Bas::kFieldMissing;
using uFCom_Bas::TokenNext;
using uFCom_Bas::trimSpaces;

std::string show(const QString& s)
{
    return quoted(s.toStdString());
}

QString text(FuzzedDataProvider& in, size_t max)
{
    return QString::fromUtf8(in.ConsumeRandomLengthString(max));
}

void checkTrim(const QString& s)
{
    const QString t = trimSpaces(s);
    const qsizetype at = s.indexOf(t);
    FUZZ_CHECK(at >= 0 && !t.startsWith(' ') && !t.endsWith(' '), "trimSpaces(" + show(s) + ") = " + show(t));
    const QString outside = s.left(at) + s.mid(at + t.size());
    FUZZ_CHECK(t.isEmpty() ? s.count(' ') == s.size() : outside.count(' ') == outside.size(),
               "trimSpaces(" + show(s) + ") took more than spaces");
}

// Each step of TokenNext takes the text up to the delimiter and the
// delimiter itself; the fields CsvFieldGet finds are those tokens.
void checkTokens(const QString& s, const QString& delimiter)
{
    QString rest = s;
    QStringList tokens;
    while (!rest.isEmpty() && tokens.size() < 200) {
        const QString before = rest;
        const QString token = TokenNext(rest, delimiter);
        const bool split = rest.size() < before.size() - token.size();
        FUZZ_CHECK(split ? !delimiter.isEmpty() && before == token + delimiter + rest && !token.contains(delimiter)
                         : token == before && rest.isEmpty(),
                   "TokenNext(" + show(before) + ", " + show(delimiter) + ") = " + show(token) + ", rest " +
                       show(rest));
        tokens.append(token);
    }
    if (delimiter.isEmpty() || s.isEmpty()) return;

    const QString trimmed = trimSpaces(s);
    const QStringList parts = trimmed.split(delimiter);
    for (int i = 0; i < parts.size() && i < 20; ++i) {
        const QString field = CsvFieldGet(i, s, delimiter);
        // No text after the last delimiter is no field at all.
        const bool beyond = i == parts.size() - 1 && parts[i].isEmpty();
        if (!beyond && !parts.mid(i).join(QString()).isEmpty())
            FUZZ_CHECK(field == parts[i], "CsvFieldGet(" + std::to_string(i) + ", " + show(s) + ") = " + show(field));
    }
    FUZZ_CHECK(CsvFieldGet(static_cast<int>(parts.size()), s, delimiter) == kFieldMissing,
               "a field beyond the last of " + show(s));
}

// A part as the dialog hands it over: trimmed, without commas.
QString part(const QString& s)
{
    QString p = s;
    p.remove(',');
    return trimSpaces(p);
}

// A text's line breaks as a list holds them after a load: CR LF, LF or a
// lone CR, and the stored form U+001F, each one CR LF.
QString breaksAsLoaded(QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    s.replace(QChar(0x1F), QLatin1Char('\n'));
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return s;
}

void checkCycle(const QString& dueIn, const QString& fixedIn, const QString& variableIn, const QString& raw)
{
    const QString due = part(dueIn), fixed = part(fixedIn), variable = part(variableIn);
    const uFMsg::GuideEntry f = uFMsg::GuideEntry::compose(uFMsg::DueMinute::fromText(due), fixed, variable);
    const QString entry = f.text();
    auto expect = [](const QString& p) { return uFMsg::FieldPresent(p) ? p : QString(); };
    FUZZ_CHECK(f.due().text() == expect(due) && f.fixed() == expect(fixed) && f.variable() == expect(variable),
               "GuideEntry(" + show(entry) + ") = " + show(f.due().text()) + ", " + show(f.fixed()) + ", " +
                   show(f.variable()));

    // The value stored for any entry loads back as the entry's fields, each
    // line break in them as CR LF.
    for (const QString& e : {entry, raw}) {
        const QString v = uFConf::CycleValue(e);
        if (v.isEmpty()) continue;
        const uFMsg::GuideEntry a(e), b(uFConf::LoadedValue(v));
        FUZZ_CHECK(breaksAsLoaded(a.due().text()) == b.due().text() && breaksAsLoaded(a.fixed()) == b.fixed() &&
                       breaksAsLoaded(a.variable()) == b.variable() && v.endsWith(','),
                   "CycleValue(" + show(e) + ") = " + show(v) + " reads back as other fields");
        FUZZ_CHECK(uFConf::CycleValue(v) == v, "CycleValue is not stable on " + show(v));
    }
    const QString ev = uFConf::EntryValue(raw);
    if (!ev.isEmpty()) {
        FUZZ_CHECK(uFConf::EntryValue(ev) == ev && uFMsg::FixedEntry(ev).key() == ev.chopped(1),
                   "EntryValue(" + show(raw) + ") = " + show(ev) + " is not its own value");
    }
}

// A repeat rule's stored value reads back as the same rule, and its next
// occurrence after any minute is later, on one of its days at its minute,
// within a week of its start (or of the minute), and marked as a rule's.
void checkRepeat(const QString& raw, const QDate& day, int hour, int minute)
{
    const QString v = uFConf::RepeatValue(raw);
    if (v.isEmpty()) return;
    const std::optional<uFMsg::RepeatRule> r = uFMsg::RepeatRule::parse(uFConf::LoadedValue(v));
    FUZZ_CHECK(r && uFConf::RepeatValue(uFConf::LoadedValue(v)) == v,
               "RepeatValue(" + show(raw) + ") = " + show(v) + " does not read back");
    const uFMsg::DueMinute from = uFMsg::DueMinute::of(day, hour, minute);
    const uFMsg::DueMinute next = r->nextAfter(from);
    const QDate start = r->options().start;
    const qint64 wait = start.isValid() ? std::max<qint64>(0, day.daysTo(start)) : 0;
    if (next.isNull()) {
        FUZZ_CHECK(wait > 300, "rule " + show(v) + " after " + show(from.text()) + ": none");
        return;
    }
    const bool atFrom = r->onDay(day) && from.minuteOfDay() == r->minuteOfDay();
    FUZZ_CHECK(next.laterThan(from) && r->onDay(next.day()) && next.minuteOfDay() == r->minuteOfDay() &&
                   day.daysTo(next.day()) <= 7 + wait && r->occurrence(next).options().placed &&
                   r->firstFrom(from) == (atFrom ? from : next),
               "rule " + show(v) + " after " + show(from.text()) + ": " + show(next.text()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString delimiter = text(in, 3);
    const QString raw = text(in, 512);
    checkTrim(raw);
    checkTokens(raw, delimiter);
    checkTokens(raw, QStringLiteral(","));
    const QString due = text(in, 40), fixed = text(in, 80), variable = text(in, 80);
    checkCycle(due, fixed, variable, raw);
    const QDate day = QDate(2000, 1, 1).addDays(in.ConsumeIntegralInRange(0, 40000));
    const int hour = in.ConsumeIntegralInRange(0, 23), minute = in.ConsumeIntegralInRange(0, 59);
    checkRepeat(raw, day, hour, minute);
    checkRepeat(text(in, 20) + "," + text(in, 6) + "," + text(in, 40) + "," + text(in, 40) + ",", day, hour, minute);
    return 0;
}
