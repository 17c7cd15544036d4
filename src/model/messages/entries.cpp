#include "model/messages/entries.h"

#include <string>

#include "core/datetime.h"
#include "model/platform/text.h"

namespace uFMsg {

namespace {

const QString kComma = QStringLiteral(",");
using uFCom_Bas::kCRLF;
const QString kFixedTooLong = QStringLiteral("固定ﾒｯｾｰｼﾞが ");
const QString kVariableTooLong = QStringLiteral("可変ﾒｯｾｰｼﾞが ");
const QString kTooLongTail = QStringLiteral(" 文字を超えます。");
const QString kNotTaken = QStringLiteral("採用されません。");
const QString kEntryHead = QStringLiteral("[定型 Msg]");
const QString kCycleHead = QStringLiteral("[ｶﾞｲﾄﾞﾒｯｾｰｼﾞ]");

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

DueMinute DueMinute::fromText(const QString& text)
{
    DueMinute m;
    m.text_ = text;
    return m;
}

DueMinute DueMinute::of(const QDate& date, int hour, int minute)
{
    auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return fromText(date.toString(QStringLiteral("yyyy/MM/dd")) + QStringLiteral("-") + two(hour) +
                    QStringLiteral(":") + two(minute));
}

DueMinute DueMinute::fromDisplay(const QString& display)
{
    return fromText(display.left(10) + QStringLiteral("-") + display.mid(11, 5));
}

DueMinute DueMinute::current()
{
    std::string display;
    platform::DateTimeText(display);
    return fromDisplay(QString::fromStdString(display));
}

FixedEntry::FixedEntry(const QString& text) : text_(text)
{
    const QString key = uFCom_Bas::CsvFieldGet(0, text, kComma);
    if (key != uFCom_Bas::kFieldMissing) key_ = key;
}

QString FixedEntry::message() const
{
    return uFCom_Bas::trimSpaces(key_);
}

QString FixedEntry::storedForm() const
{
    const QString m = message();
    // The marker of a missing field would read back as no entry at all.
    if (m.isEmpty() || m == uFCom_Bas::kFieldMissing) return QString();
    return m + kComma;
}

GuideEntry::GuideEntry(const QString& text) : text_(text)
{
    const QString trimmed = uFCom_Bas::trimSpaces(text);
    for (int n = 0; n < 3; ++n) {
        const QString f = uFCom_Bas::CsvFieldGet(n, trimmed, kComma);
        if (f != uFCom_Bas::kFieldMissing) raw_[n] = f;
    }
    due_ = DueMinute::fromText(uFCom_Bas::trimSpaces(raw_[0]));
    fixed_ = uFCom_Bas::trimSpaces(raw_[1]);
    variable_ = uFCom_Bas::trimSpaces(raw_[2]);
}

GuideEntry GuideEntry::compose(const DueMinute& due, const QString& fixed, const QString& variable)
{
    return GuideEntry(due.text() + kComma + fixed + kComma + variable);
}

QString GuideEntry::trimmed() const
{
    return uFCom_Bas::trimSpaces(text_);
}

QString GuideEntry::storedForm() const
{
    if (trimmed().isEmpty() || due_.isNull() || due_.text() == uFCom_Bas::kFieldMissing) return QString();
    return raw_[0] + kComma + raw_[1] + kComma + raw_[2] + kComma;
}

QString GuideEntry::confirmForm() const
{
    return kCycleHead + kCRLF + raw_[0] + kCRLF + raw_[1] + kCRLF + raw_[2];
}

QString GuideEntry::detailForm() const
{
    QString out;
    for (const QString* part : {&due_.text(), &fixed_, &variable_}) {
        if (!part->isEmpty()) out += *part + kCRLF;
    }
    return out;
}

QString GuideEntry::popupBlock() const
{
    return due_.text() + kCRLF + fixed_ + kCRLF + variable_ + kCRLF + kCRLF;
}

QString EntryConfirmForm(const QString& fixed)
{
    return kEntryHead + kCRLF + fixed;
}

int FixedFormEntries::find(const QString& key) const
{
    if (key.isEmpty()) return -9;
    for (int row = 0; row < size(); ++row) {
        if (items_.at(row).key() == key) return row;
    }
    return -1;
}

int GuideSchedule::find(const QString& text) const
{
    if (text.isEmpty()) return -9;
    for (int row = 0; row < size(); ++row) {
        if (items_.at(row).trimmed() == text) return row;
    }
    return -1;
}

QList<DueEntry> GuideSchedule::takeDue(const DueMinute& now)
{
    QList<DueEntry> taken;
    // Every entry once, in list order, although due ones leave on the way.
    const int steps = size();
    int i = 0;
    for (int step = 0; step < steps && i < size(); ++step) {
        const GuideEntry entry(items_.at(i).trimmed());
        if (entry.text().isEmpty() || entry.due().isNull() || !entry.due().dueAt(now)) {
            ++i;
            continue;
        }
        taken.append(DueEntry{i, entry});
        removeAt(i);
    }
    return taken;
}

}  // namespace uFMsg
