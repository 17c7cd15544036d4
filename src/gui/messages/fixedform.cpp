#include "gui/messages/fixedform.h"

#include <QListWidget>
#include <QPlainTextEdit>

#include "gui/dialogs/msgbox.h"
#include "gui/platform/ufcom.h"

namespace uFMsg {

namespace {

using uFCom_Bas::kCRLF;
const QString kDeleteOne = QStringLiteral("指定された定型部ﾒｯｾｰｼﾞを削除します。");
const QString kDeleteAll = QStringLiteral("定型部ﾒｯｾｰｼﾞを全て削除します。");

}  // namespace

QString FixedFormList::head() const
{
    return s_.head ? s_.head() : QString();
}

MsgInput FixedFormList::input() const
{
    return MsgInputRead(c_.form, c_.Text1, c_.Text2, head());
}

void FixedFormList::status(int key)
{
    StatusShow(c_.form, s_.keyMsg ? s_.keyMsg(key) : QString());
}

bool FixedFormList::saved()
{
    // A failed save leaves its failure line on the head line, not a success.
    return !s_.save || s_.save();
}

void FixedFormList::tidyUp()
{
    if (c_.List1 && c_.List1->count() > 0 && ListSelectedRow(c_.List1) >= 0) ListClearSelection(c_.List1);
    if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
    if (c_.Text1) c_.Text1->clear();
    if (c_.Text2) c_.Text2->clear();
}

void FixedFormList::Register()
{
    const MsgInput in = input();
    if (in.fixed.isEmpty()) return;
    if (entries_) {
        const int i = entries_->find(in.fixed);
        if (i == -1) {
            if (!entries_->isFull()) {
                entries_->insertSorted(in.fixed);
                if (saved()) status(kEntryAdded);
            } else {
                status(kEntryFull);
            }
        } else if (i >= 0 && entries_->at(i).text() != in.fixed) {
            // The new text takes the place the order gives it, so the list
            // stays sorted (a key match may sort elsewhere than the old text).
            entries_->removeAt(i);
            entries_->insertSorted(in.fixed);
            if (saved()) status(kEntryUpdated);
        }
    }
    tidyUp();
}

void FixedFormList::Delete()
{
    const MsgInput in = input();
    if (in.fixed.isEmpty()) return;
    const QString question = kDeleteOne + kCRLF + kCRLF + kAsk + kCRLF + kCRLF + EntryConfirmForm(in.fixed);
    if (uMsgBox_Show(c_.form, 0, kDeleteConfirmTitle, question) < 0) {
        tidyUp();
        return;
    }
    // Looked up again after the question: timers ran while it was open.
    if (entries_) {
        const int i = entries_->find(in.fixed);
        if (i >= 0) {
            entries_->removeAt(i);
            if (saved()) status(kEntryDeleted);
        }
    }
    tidyUp();
}

void FixedFormList::DeleteAll()
{
    if (!entries_ || entries_->isEmpty()) return;
    const QString question = kDeleteAll + kCRLF + kCRLF + kAsk + kCRLF + kCRLF;
    if (uMsgBox_Show(c_.form, 0, kDeleteConfirmTitle, question) < 0) {
        tidyUp();
        return;
    }
    if (!entries_->isEmpty()) {
        entries_->clear();
        if (saved()) status(kEntryCleared);
    }
    tidyUp();
}

void FixedFormList::Pick()
{
    QListWidget* list = c_.List1;
    if (!list || !entries_) return;
    if (entries_->isEmpty()) {
        if (c_.Text1) c_.Text1->clear();
        if (c_.Text2) c_.Text2->clear();
        if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
        return;
    }
    const int row = ListSelectedRow(list);
    if (row < 0 || row >= entries_->size()) return;
    if (c_.Text1) c_.Text1->setPlainText(entries_->at(row).message());
    if (c_.Text2) c_.Text2->clear();
}

void FixedFormList::Reset(int button)
{
    if (button != 2) return;
    tidyUp();
}

}  // namespace uFMsg
