#include "gui/messages/guidelist.h"

#include <QListWidget>
#include <QPlainTextEdit>

#include "gui/messages/msgrules.h"
#include "gui/platform/ufcom.h"

namespace uFMsg {

namespace {

using uFCom_Bas::kCRLF;
const QString kDeleteOne = QStringLiteral("指定されたｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを削除します。");
const QString kDeleteAll = QStringLiteral("ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを全て削除します。");
const QString kDeleteRepeat = QStringLiteral("この繰り返しも削除します。");
const QString kDeleteAllRepeats = QStringLiteral("繰り返しの設定も全て削除します。");
const QString kRepeatLine = QStringLiteral("繰り返し：");

}  // namespace

void GuideList::status(int key)
{
    StatusShow(c_.form, s_.keyMsg ? s_.keyMsg(key) : QString());
}

bool GuideList::confirmed(const QString& question)
{
    return s_.confirm && s_.confirm(kDeleteConfirmTitle, question) >= 0;
}

bool GuideList::save()
{
    return !s_.save || s_.save();
}

void GuideList::deselect()
{
    if (c_.List2 && c_.List2->count() > 0 && ListSelectedRow(c_.List2) >= 0) ListClearSelection(c_.List2);
}

void GuideList::clearHandOver()
{
    for (QString* s : {c_.meStrVLSelectKey, c_.meStrVLSelectVar, c_.meStrVLSelectYMD, c_.meStrVLSelectRepeat})
        if (s) s->clear();
}

void GuideList::Register()
{
    const MsgInput in = MsgInputRead(c_.form, c_.Text1, c_.Text2, s_.head ? s_.head() : QString());
    if (in.fixed.isEmpty()) return;
    clearHandOver();
    if (c_.meStrVLSelectKey) *c_.meStrVLSelectKey = in.fixed;
    if (c_.meStrVLSelectVar) *c_.meStrVLSelectVar = in.variable;
    if (s_.selectDueTime) s_.selectDueTime();

    const QString due = c_.meStrVLSelectYMD ? *c_.meStrVLSelectYMD : QString();
    if (due.isEmpty()) {
        clearHandOver();
        return;
    }
    const QString fixed = c_.meStrVLSelectKey ? *c_.meStrVLSelectKey : in.fixed;
    const QString variable = c_.meStrVLSelectVar ? *c_.meStrVLSelectVar : in.variable;
    const GuideEntry entry = GuideEntry::compose(DueMinute::fromText(due), fixed, variable);
    const QString repeat = c_.meStrVLSelectRepeat ? *c_.meStrVLSelectRepeat : QString();
    const std::optional<RepeatRule> rule =
        repeat.isEmpty() ? std::nullopt : RepeatRule::at(repeat, DueMinute::fromText(due), fixed, variable);
    clearHandOver();

    // The inputs are tidied only when they may have come from the fixed-form
    // list; typed into an empty list, they stay for the next registration.
    if (entries_ && !entries_->isEmpty()) {
        if (c_.List1 && ListSelectedRow(c_.List1) >= 0) ListClearSelection(c_.List1);
        if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
        if (c_.Text1) c_.Text1->clear();
        if (c_.Text2) c_.Text2->clear();
    }

    if (!schedule_) return;
    if (rule && repeats_) {
        registerRepeat(*rule, DueMinute::fromText(due));
        return;
    }
    // Looked up after the dialog: a due check may have changed the list.
    const int i = schedule_->find(entry.text());
    if (i == -1) {
        if (!schedule_->isFull()) {
            schedule_->insertSorted(entry);
            if (save()) status(kCycleAdded);
        } else {
            status(kCycleFull);
        }
    } else if (i >= 0 && schedule_->at(i).text() != entry.text()) {
        schedule_->replace(i, entry);
        if (save()) status(kCycleUpdated);
    }
}

void GuideList::registerRepeat(const RepeatRule& rule, const DueMinute& chosen)
{
    // The same rule again adds nothing and says nothing, as the same entry.
    if (repeats_->find(rule) >= 0) return;
    const DueMinute first = rule.firstFrom(chosen);
    const bool listed = RepeatRules::listed(rule, first, *schedule_);
    if (repeats_->isFull() || (!listed && schedule_->isFull())) {
        status(kCycleFull);
        return;
    }
    repeats_->add(rule);
    if (!listed) schedule_->insertSorted(rule.occurrence(first));
    // The rule and its first occurrence reach the file in one save.
    if (save()) status(kCycleAdded);
}

int GuideList::ruleOf(const QString& entry) const
{
    return repeats_ && !entry.isEmpty() ? repeats_->ruleOf(GuideEntry(entry)) : -1;
}

void GuideList::Delete()
{
    QListWidget* list = c_.List2;
    if (!list || !schedule_ || schedule_->isEmpty()) return;
    const int row = ListSelectedRow(list);
    const QString taken = row >= 0 && row < schedule_->size() ? schedule_->at(row).trimmed() : QString();
    deselect();
    if (c_.Text3) c_.Text3->clear();
    if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
    if (taken.isEmpty()) return;

    QString question = kDeleteOne + kCRLF + kCRLF + kAsk + kCRLF + kCRLF + GuideEntry(taken).confirmForm();
    const int r = ruleOf(taken);
    const std::optional<RepeatRule> rule = r >= 0 ? std::optional<RepeatRule>(repeats_->at(r)) : std::nullopt;
    if (rule) question += kCRLF + kCRLF + kDeleteRepeat;
    if (!confirmed(question)) return;
    // Looked up again: the entry may have fallen due while the question was
    // open, and its rule's next occurrence taken its place.
    bool removed = false;
    if (const int i = schedule_->find(taken); i >= 0) {
        schedule_->removeAt(i);
        removed = true;
    }
    if (rule && repeats_->find(*rule) >= 0) {
        for (int i = schedule_->size() - 1; i >= 0; --i) {
            if (rule->owns(schedule_->at(i))) schedule_->removeAt(i);
        }
        repeats_->removeAt(repeats_->find(*rule));
        removed = true;
    }
    if (removed && save()) status(kCycleDeleted);
}

void GuideList::DeleteAll()
{
    if (!schedule_ || schedule_->isEmpty()) return;
    QString question = kDeleteAll + kCRLF + kCRLF + kAsk + kCRLF + kCRLF;
    if (repeats_ && !repeats_->isEmpty()) question += kCRLF + kDeleteAllRepeats;
    if (!confirmed(question)) {
        deselect();
        if (c_.Text3) c_.Text3->clear();
        if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
        return;
    }
    // A due check may have emptied the list while the question was open.
    if (schedule_->isEmpty() && (!repeats_ || repeats_->isEmpty())) return;
    schedule_->clear();
    if (repeats_) repeats_->clear();
    if (save()) status(kCycleCleared);
    if (c_.Text3) c_.Text3->clear();
}

void GuideList::Details()
{
    QListWidget* list = c_.List2;
    if (!list || !schedule_) return;
    if (schedule_->isEmpty()) {
        if (c_.Text3) c_.Text3->clear();
        if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
        return;
    }
    const int row = ListSelectedRow(list);
    if (row < 0 || row >= schedule_->size()) return;
    QString details = schedule_->at(row).detailForm();
    if (const int r = ruleOf(schedule_->at(row).trimmed()); r >= 0)
        details += kRepeatLine + repeats_->at(r).rule() + kCRLF;
    if (c_.Text3) c_.Text3->setPlainText(details);
}

void GuideList::Reset(int button)
{
    if (button != 2) return;
    deselect();
    if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
    if (c_.Text3) c_.Text3->clear();
}

}  // namespace uFMsg
