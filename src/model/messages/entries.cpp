#include "model/messages/entries.h"

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
// The options of a guide entry.
const QString kItemSeparator = QStringLiteral(";");
const QString kPlacedItem = QStringLiteral("繰り返し");
const QString kNoticeItem = QStringLiteral("予告=");
constexpr int kNoticeMinutesMax = 60;

}  // namespace

QString PartTooLongText(bool fixed)
{
    return fixed ? kFixedTooLong + QString::number(MsgLenMax) + kTooLongTail
                 : kVariableTooLong + QString::number(MsgLenMax) + kTooLongTail + kNotTaken;
}

MsgInput MsgInputGet(const QString& text1, const QString& text2, const QString& head,
                     const std::function<void(const QString&)>& report)
{
    MsgInput in;
    const QString fixed = uFCom_Bas::trimSpaces(text1);
    if (!fixed.isEmpty()) {
        if (fixed.size() <= MsgLenMax) {
            in.fixed = fixed;
        } else if (report) {
            report(head + PartTooLongText(true));
        }
    }
    const QString variable = uFCom_Bas::trimSpaces(text2);
    if (variable.isEmpty()) return in;
    if (variable.size() <= MsgLenMax) {
        in.variable = variable;
    } else if (report) {
        report(head + PartTooLongText(false));
    }
    return in;
}

int SmallNumber(const QString& text, int max)
{
    if (text.isEmpty() || text.size() > 2 || text.at(0) == QLatin1Char('0')) return -1;
    int n = 0;
    for (QChar c : text) {
        if (c.unicode() < '0' || c.unicode() > '9') return -1;
        n = n * 10 + (c.unicode() - '0');
    }
    return n <= max ? n : -1;
}

bool FieldPresent(const QString& field)
{
    return !field.isEmpty() && field != uFCom_Bas::kFieldMissing;
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

QString EntryOptions::text() const
{
    QStringList items;
    if (placed) items << kPlacedItem;
    if (notice > 0) items << kNoticeItem + QString::number(notice);
    return items.join(kItemSeparator);
}

std::optional<EntryOptions> EntryOptions::parse(const QString& field)
{
    const QString f = uFCom_Bas::trimSpaces(field);
    if (f.isEmpty()) return std::nullopt;
    EntryOptions o;
    for (const QString& item : f.split(kItemSeparator)) {
        const QString i = uFCom_Bas::trimSpaces(item);
        if (i == kPlacedItem) {
            o.placed = true;
        } else if (i.startsWith(kNoticeItem) && SmallNumber(i.mid(kNoticeItem.size()), kNoticeMinutesMax) > 0) {
            o.notice = SmallNumber(i.mid(kNoticeItem.size()), kNoticeMinutesMax);
        } else {
            return std::nullopt;
        }
    }
    return o;
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
    // A fourth field of options is kept beside the entry; the list shows
    // the three fields as a stored entry without options reads.
    const QString fourth = uFCom_Bas::CsvFieldGet(3, trimmed, kComma);
    if (fourth == uFCom_Bas::kFieldMissing) return;
    if (const std::optional<EntryOptions> o = EntryOptions::parse(fourth)) {
        options_ = *o;
        text_ = raw_[0] + kComma + raw_[1] + kComma + raw_[2] + kComma;
    }
}

GuideEntry GuideEntry::compose(const DueMinute& due, const QString& fixed, const QString& variable,
                               const EntryOptions& options)
{
    GuideEntry e(due.text() + kComma + fixed + kComma + variable);
    e.options_ = options;
    return e;
}

GuideEntry GuideEntry::withOptions(const EntryOptions& options) const
{
    GuideEntry e = *this;
    e.options_ = options;
    return e;
}

QString GuideEntry::trimmed() const
{
    return uFCom_Bas::trimSpaces(text_);
}

QString GuideEntry::storedForm() const
{
    if (trimmed().isEmpty() || due_.isNull() || due_.text() == uFCom_Bas::kFieldMissing) return QString();
    const QString stored = raw_[0] + kComma + raw_[1] + kComma + raw_[2] + kComma;
    return options_.isEmpty() ? stored : stored + options_.text() + kComma;
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

QString GuideEntry::noticeBlock() const
{
    return due_.text() + kCRLF + NoticeHead(options_.notice) + fixed_ + kCRLF + variable_ + kCRLF + kCRLF;
}

QString NoticeHead(int minutes)
{
    return QStringLiteral("【予告 ") + QString::number(minutes) + QStringLiteral("分前】");
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

int GuideSchedule::findAnnouncement(const GuideEntry& entry) const
{
    for (int row = 0; row < size(); ++row)
        if (items_.at(row).sameAnnouncement(entry)) return row;
    return -1;
}

QStringList GuideSchedule::storedForms() const
{
    QStringList out;
    for (const GuideEntry& e : items_)
        if (const QString v = e.storedForm(); !v.isEmpty()) out << v;
    return out;
}

QList<DueEntry> GuideSchedule::takeDue(const DueMinute& now)
{
    QList<DueEntry> taken;
    // Every entry once, in list order, although due ones leave on the way.
    const int steps = size();
    int i = 0;
    for (int step = 0; step < steps && i < size(); ++step) {
        const GuideEntry entry = GuideEntry(items_.at(i).trimmed()).withOptions(items_.at(i).options());
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
