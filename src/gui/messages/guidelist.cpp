#include "gui/messages/guidelist.h"

#include <QApplication>
#include <QListWidget>
#include <QStyle>
#include <QPlainTextEdit>

#include "gui/dialogs/dtselect.h"
#include "gui/dialogs/msgbox.h"
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
const QString kRepeatMark = QStringLiteral("繰り返し");

}  // namespace

GuideList::GuideList(Controls c, const FixedFormEntries* entries, Schedule* schedule, Services s)
    : c_(c), entries_(entries), schedule_(schedule), s_(std::move(s))
{
    if (schedule_) observer_ = schedule_->observe([this]() { markOccurrences(); });
}

GuideList::~GuideList()
{
    if (schedule_) schedule_->unobserve(observer_);
}

void GuideList::markOccurrences()
{
    QListWidget* list = c_.List2;
    if (!list || !schedule_) return;
    const GuideSchedule& listed = schedule_->entries();
    const QIcon repeat = QApplication::style()->standardIcon(QStyle::SP_BrowserReload);
    for (int row = 0; row < list->count() && row < listed.size(); ++row) {
        QListWidgetItem* item = list->item(row);
        const bool occurrence = !schedule_->rulesOf(listed.at(row)).isEmpty();
        item->setIcon(occurrence ? repeat : QIcon());
        item->setToolTip(occurrence ? kRepeatMark : QString());
    }
}

void GuideList::status(int key)
{
    StatusShow(c_.form, s_.keyMsg ? s_.keyMsg(key) : QString());
}

void GuideList::deselect()
{
    if (c_.List2 && c_.List2->count() > 0 && ListSelectedRow(c_.List2) >= 0) ListClearSelection(c_.List2);
}

void GuideList::tidyInputs()
{
    // Only when they may have come from the fixed-form list; typed into an
    // empty list, they stay for the next registration.
    if (!entries_ || entries_->isEmpty()) return;
    if (c_.List1 && ListSelectedRow(c_.List1) >= 0) ListClearSelection(c_.List1);
    if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
    if (c_.Text1) c_.Text1->clear();
    if (c_.Text2) c_.Text2->clear();
}

void GuideList::Register()
{
    const MsgInput in = MsgInputRead(c_.form, c_.Text1, c_.Text2, head());
    if (in.fixed.isEmpty()) return;
    const std::optional<DueChoice> choice =
        DTSelect_Dialog::ask(c_.form, {in.fixed, in.variable, head(), schedule_ ? &schedule_->calendar() : nullptr});
    if (!choice) return;
    tidyInputs();
    if (!schedule_) return;
    EntryOptions entryOptions;
    entryOptions.notice = choice->notice;
    const GuideEntry entry = GuideEntry::compose(choice->minute, in.fixed, in.variable, entryOptions);
    std::optional<RepeatRule> rule;
    if (!choice->rule.isEmpty()) {
        RuleOptions o;
        o.skipHolidays = choice->skipHolidays;
        o.end = choice->end;
        o.notice = choice->notice;
        // Every other week counts from the day chosen (the schedule keeps it).
        o.start = choice->minute.day();
        rule = RepeatRule::make(choice->rule, choice->minute.minuteOfDay(), in.fixed, in.variable, o);
        if (rule) {
            o.start = rule->kind() == RepeatRule::Kind::Biweekly ? o.start : QDate();
            rule->setOptions(o);
        }
    }
    // A due check may have changed the list while the dialog was open: the
    // schedule looks the entry up afresh.
    const AddOutcome added = schedule_->add(entry, rule, DueMinute::current());
    switch (added.result) {
    case AddResult::Added:
        if (added.saved) status(kCycleAdded);
        break;
    case AddResult::Updated:
        if (added.saved) status(kCycleUpdated);
        break;
    case AddResult::Full:
        status(kCycleFull);
        break;
    case AddResult::NotLater:
        // The minute passed between 設定 and now.
        StatusShow(c_.form, head() + uFMsg::kDueTimeRefused);
        break;
    case AddResult::Same:
    case AddResult::Invalid:
        break;
    }
}

void GuideList::Delete()
{
    QListWidget* list = c_.List2;
    if (!list || !schedule_ || schedule_->entries().isEmpty()) return;
    const GuideSchedule& listed = schedule_->entries();
    const int row = ListSelectedRow(list);
    const QString taken = row >= 0 && row < listed.size() ? listed.at(row).trimmed() : QString();
    deselect();
    if (c_.Text3) c_.Text3->clear();
    if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
    if (taken.isEmpty()) return;

    // The rules are those of the entry as it was asked about: if it falls
    // due while the question is open, its rules' next occurrences go with
    // them.
    const QList<RepeatRule> rules = schedule_->rulesOf(listed.at(row));
    QString question = kDeleteOne + kCRLF + kCRLF + kAsk + kCRLF + kCRLF + GuideEntry(taken).confirmForm();
    if (!rules.isEmpty()) question += kCRLF + kCRLF + kDeleteRepeat;
    if (uMsgBox_Show(c_.form, 0, kDeleteConfirmTitle, question) < 0) return;
    const RemoveOutcome removed = schedule_->remove(taken, rules);
    if (removed.removed && removed.saved) status(kCycleDeleted);
}

void GuideList::DeleteAll()
{
    if (!schedule_ || schedule_->entries().isEmpty()) return;
    QString question = kDeleteAll + kCRLF + kCRLF + kAsk + kCRLF + kCRLF;
    if (!schedule_->rules().isEmpty()) question += kCRLF + kDeleteAllRepeats;
    if (uMsgBox_Show(c_.form, 0, kDeleteConfirmTitle, question) < 0) {
        deselect();
        if (c_.Text3) c_.Text3->clear();
        if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
        return;
    }
    // A due check may have emptied the list while the question was open.
    const RemoveOutcome cleared = schedule_->clear();
    if (!cleared.removed) return;
    if (cleared.saved) status(kCycleCleared);
    if (c_.Text3) c_.Text3->clear();
}

void GuideList::Details()
{
    QListWidget* list = c_.List2;
    if (!list || !schedule_) return;
    const GuideSchedule& listed = schedule_->entries();
    if (listed.isEmpty()) {
        if (c_.Text3) c_.Text3->clear();
        if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
        return;
    }
    const int row = ListSelectedRow(list);
    if (row < 0 || row >= listed.size()) return;
    QString details = listed.at(row).detailForm();
    for (const RepeatRule& rule : schedule_->rulesOf(listed.at(row))) details += kRepeatLine + rule.rule() + kCRLF;
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
