// The comma-field helpers and the guide entry form on arbitrary text: tokens
// put back together give the text, trimming takes spaces only, and a guide
// entry composed from its parts reads back as those parts.
#include "model/config/myconf.h"
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
    return 0;
}
