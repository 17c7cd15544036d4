#include "messages/msgrules.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <string>

#include "app/keyhead.h"
#include "headline/colors.h"
#include "headline/headline.h"
#include "platform/core/datetime.h"
#include "recorder/keycatalog.h"
#include "platform/ufcom.h"

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

MsgInput MsgInputRead(QWidget* form, const QPlainTextEdit* text1, const QPlainTextEdit* text2, const QString& head)
{
    const QString t1 = uFCom_Bas::TextBoxText(text1);
    const QString t2 = uFCom_Bas::TextBoxText(text2);
    return MsgInputGet(t1, t2, head, [form](const QString& line) { StatusShow(form, line); });
}

void StatusShow(QWidget* form, const QString& line)
{
    if (line.isEmpty()) return;
    uFHLabel_Bas::HeadMsgShow(form, uFHLabel_Bas::kModeShow, uFCom_Bas::ColorGet(kStatusColour), line, QString());
}

bool FieldPresent(const QString& field)
{
    return !field.isEmpty() && field != uFCom_Bas::kFieldMissing;
}

QString EntryItemKey(const QString& entry)
{
    return uFCom_Bas::CsvFieldGet(0, entry, kComma);
}

int EntryItemFind(const QListWidget* list, const QString& key)
{
    if (key.isEmpty()) return -9;
    if (!list) return -1;
    for (int row = 0; row < list->count(); ++row) {
        if (EntryItemKey(list->item(row)->text()) == key) return row;
    }
    return -1;
}

int CycleItemFind(const QListWidget* list, const QString& text)
{
    if (text.isEmpty()) return -9;
    if (!list) return -1;
    for (int row = 0; row < list->count(); ++row) {
        if (uFCom_Bas::trimSpaces(list->item(row)->text()) == text) return row;
    }
    return -1;
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

int ListInsertSorted(QListWidget* list, const QString& text)
{
    // Upper bound: a new text goes behind its equals.
    int lo = 0, hi = list->count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (QString::compare(list->item(mid)->text(), text, Qt::CaseSensitive) <= 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    list->insertItem(lo, text);
    return lo;
}

int ListSelectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

void ListClearSelection(QListWidget* list)
{
    list->clearSelection();
    list->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
}

QString KeyStatusText(const CVMsgKey_Dialog* catalog, int key)
{
    if (catalog) return catalog->KeyMsgGet(key);
    const QString text = CVMsgKey_Dialog::KeyMsgText(key);
    return text.isEmpty() ? QString() : app::FormKeyMsgHead() + text;
}

}  // namespace uFMsg
