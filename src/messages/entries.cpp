#include "messages/entries.h"

#include <string>

#include "platform/core/datetime.h"
#include "platform/text.h"

namespace uFMsg {

namespace {

const QString kComma = QStringLiteral(",");
const QString kCRLF = QStringLiteral("\r\n");
const QString kFixedTooLong = QStringLiteral("固定ﾒｯｾｰｼﾞが ");
const QString kVariableTooLong = QStringLiteral("可変ﾒｯｾｰｼﾞが ");
const QString kTooLongTail = QStringLiteral(" 文字を超えます。");
const QString kNotTaken = QStringLiteral("採用されません。");
const QString kEntryHead = QStringLiteral("[定型 Msg]");
const QString kCycleHead = QStringLiteral("[ｶﾞｲﾄﾞﾒｯｾｰｼﾞ]");

QString presentTrimmed(const QString& field)
{
    return FieldPresent(field) ? uFCom_Bas::trimSpaces(field) : QString();
}

}  // namespace

MsgInput MsgInputGet(const QString& text1, const QString& text2, const QString& head,
                     const std::function<void(const QString&)>& report)
{
    MsgInput in;
    const QString fixed = uFCom_Bas::trimSpaces(text1);
    if (!fixed.isEmpty()) {
        if (fixed.size() <= MsgLenMax) {
            in.fixed = fixed;
        } else if (report) {
            report(head + kFixedTooLong + QString::number(MsgLenMax) + kTooLongTail);
        }
    }
    const QString variable = uFCom_Bas::trimSpaces(text2);
    if (variable.isEmpty()) return in;
    if (variable.size() <= MsgLenMax) {
        in.variable = variable;
    } else if (report) {
        report(head + kVariableTooLong + QString::number(MsgLenMax) + kTooLongTail + kNotTaken);
    }
    return in;
}

bool FieldPresent(const QString& field)
{
    return !field.isEmpty() && field != uFCom_Bas::kFieldMissing;
}

QString EntryItemKey(const QString& entry)
{
    return uFCom_Bas::CsvFieldGet(0, entry, kComma);
}

QString CycleItemCompose(const QString& due, const QString& fixed, const QString& variable)
{
    return due + kComma + fixed + kComma + variable;
}

CycleFields CycleItemRead(const QString& entry)
{
    CycleFields f;
    f.due = presentTrimmed(uFCom_Bas::CsvFieldGet(0, entry, kComma));
    f.fixed = presentTrimmed(uFCom_Bas::CsvFieldGet(1, entry, kComma));
    f.variable = presentTrimmed(uFCom_Bas::CsvFieldGet(2, entry, kComma));
    return f;
}

QString MinuteOf(const QString& display)
{
    return display.left(10) + QStringLiteral("-") + display.mid(11, 5);
}

QString CurrentMinute()
{
    std::string display;
    platform::DateTimeText(display);
    return MinuteOf(QString::fromStdString(display));
}

bool IsDue(const QString& due, const QString& now)
{
    return due <= now;
}

QString EntryConfirmForm(const QString& fixed)
{
    return kEntryHead + kCRLF + fixed;
}

QString CycleConfirmForm(const QString& entry)
{
    QString rest = uFCom_Bas::trimSpaces(entry);
    const QString due = uFCom_Bas::TokenNext(rest, kComma);
    const QString fixed = uFCom_Bas::TokenNext(rest, kComma);
    const QString variable = uFCom_Bas::TokenNext(rest, kComma);
    return kCycleHead + kCRLF + due + kCRLF + fixed + kCRLF + variable;
}

QString CycleDetailForm(const QString& entry)
{
    const CycleFields f = CycleItemRead(entry);
    QString out;
    for (const QString* part : {&f.due, &f.fixed, &f.variable}) {
        if (!part->isEmpty()) out += *part + kCRLF;
    }
    return out;
}

QString CyclePopupBlock(const QString& entry)
{
    const CycleFields f = CycleItemRead(entry);
    return f.due + kCRLF + f.fixed + kCRLF + f.variable + kCRLF + kCRLF;
}

int EntryList::insertSorted(const QString& text)
{
    // Upper bound: a new text goes behind its equals.
    int lo = 0, hi = size();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (QString::compare(texts_.at(mid), text, Qt::CaseSensitive) <= 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    texts_.insert(lo, text);
    return lo;
}

void EntryList::replace(int row, const QString& text)
{
    if (row >= 0 && row < size()) texts_[row] = text;
}

void EntryList::removeAt(int row)
{
    if (row >= 0 && row < size()) texts_.removeAt(row);
}

void EntryList::assign(const QStringList& texts)
{
    texts_.clear();
    for (const QString& t : texts) insertSorted(t);
}

int FixedFormEntries::find(const QString& key) const
{
    if (key.isEmpty()) return -9;
    for (int row = 0; row < size(); ++row) {
        if (EntryItemKey(texts_.at(row)) == key) return row;
    }
    return -1;
}

int GuideSchedule::find(const QString& text) const
{
    if (text.isEmpty()) return -9;
    for (int row = 0; row < size(); ++row) {
        if (uFCom_Bas::trimSpaces(texts_.at(row)) == text) return row;
    }
    return -1;
}

QList<DueEntry> GuideSchedule::takeDue(const QString& now)
{
    QList<DueEntry> taken;
    // Every entry once, in list order, although due ones leave on the way.
    const int steps = size();
    int i = 0;
    for (int step = 0; step < steps && i < size(); ++step) {
        const QString entry = uFCom_Bas::trimSpaces(texts_.at(i));
        const CycleFields f = CycleItemRead(entry);
        if (entry.isEmpty() || f.due.isEmpty() || !IsDue(f.due, now)) {
            ++i;
            continue;
        }
        taken.append(DueEntry{i, entry, f});
        texts_.removeAt(i);
    }
    return taken;
}

}  // namespace uFMsg
