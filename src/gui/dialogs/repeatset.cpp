#include "gui/dialogs/repeatset.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include "gui/dialogs/dtselect.h"
#include "gui/dialogs/msgbox.h"
#include "gui/headline/colors.h"
#include "gui/headline/headline.h"
#include "gui/platform/fonts.h"
#include "gui/platform/formkit.h"
#include "gui/platform/ufcom.h"
#include "model/messages/statustexts.h"

namespace {

using uFCom_Bas::kCRLF;
using uFMsg::RuleView;
const QString kCaption = QStringLiteral("繰り返し設定");
const QString kColumns[] = {QStringLiteral("繰り返し"), QStringLiteral("時刻"), QStringLiteral("固定"),
                            QStringLiteral("可変"),     QStringLiteral("休日"), QStringLiteral("次回")};
const QString kButtons[] = {QStringLiteral("変更"), QStringLiteral("次回のみ休止"), QStringLiteral("停止"),
                            QStringLiteral("削除")};
const QString kResume = QStringLiteral("再開");
const QString kClose = QStringLiteral("閉じる");
const QString kPreview = QStringLiteral("予定（14回）");
const QString kPaused = QStringLiteral("停止中");
const QString kEnded = QStringLiteral("終了");
const QString kPassedForHoliday = QStringLiteral("休日のため見送り");
const QString kSkipsHolidays = QStringLiteral("除く");
const QString kMoveBefore = QStringLiteral("前営業日");
const QString kMoveAfter = QStringLiteral("翌営業日");
const QString kChanged = QStringLiteral("繰り返しを変更しました。");
const QString kStopped = QStringLiteral("繰り返しを停止しました。");
const QString kResumed = QStringLiteral("繰り返しを再開しました。");
const QString kSkipped = QStringLiteral("次回の繰り返しを休止しました。");
const QString kDeleteOne = QStringLiteral("指定されたｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞを削除します。");
const QString kAsk = QStringLiteral("よろしいですか？");
const QString kCycleHead = QStringLiteral("[ｶﾞｲﾄﾞﾒｯｾｰｼﾞ]");
const QString kDeleteRepeat = QStringLiteral("この繰り返しも削除します。");
const QString kDeleteTitle = QStringLiteral("削除確認");
constexpr int kPreviewCount = 14;
constexpr int kStatusColour = uFCom_Bas::kColourLightYellow;
// Passed-over days and notices in the preview.
const QColor kPassedColour(128, 128, 128);
const QColor kNoticeColour(0, 0, 192);

// "25日(土)": a day of the month with its weekday, as a move names it.
QString dayOfMonth(const QDate& day)
{
    return QString::number(day.day()) + QStringLiteral("日(") + uFMsg::WeekdayName(day) + QStringLiteral(")");
}

// What the rule does on a 休日: keeps off it, or moves to a working day.
QString holidayText(const uFMsg::RepeatRule& rule)
{
    if (rule.skipsHolidays()) return kSkipsHolidays;
    switch (rule.options().move) {
    case uFMsg::RuleOptions::Move::Before:
        return kMoveBefore;
    case uFMsg::RuleOptions::Move::After:
        return kMoveAfter;
    case uFMsg::RuleOptions::Move::None:
        break;
    }
    return QString();
}

QString nextText(const RuleView& v)
{
    switch (v.state) {
    case RuleView::State::Paused:
        return kPaused;
    case RuleView::State::None:
        return QString();
    case RuleView::State::Ended:
        return kEnded;
    case RuleView::State::Listed:
    case RuleView::State::Waiting:
        break;
    }
    if (!v.passed.isNull()) return kPassedForHoliday + QStringLiteral(" ") + uFMsg::DayWithWeekday(v.passed.day());
    return uFMsg::MinuteWithWeekday(v.next);
}

}  // namespace

RepeatSet_Dialog::RepeatSet_Dialog(QWidget* mainWindow, uFMsg::Schedule* schedule, QString head)
    : QDialog(mainWindow, uFCom_Bas::kFixedDialogFlags),
      mainWindow_(mainWindow),
      schedule_(schedule),
      head_(std::move(head))
{
    uFCom_Bas::DialogFrame(this, mainWindow_, QStringLiteral("RepeatSet_Dialog"), kCaption);
    setupControls();
    uFCom_Bas::PlaceDialog(this, mainWindow_, nullptr, nullptr);
    if (schedule_) observer_ = schedule_->observe([this]() { refresh(); });
    refresh();
    Dummy_Text->setFocus();
}

RepeatSet_Dialog::~RepeatSet_Dialog()
{
    if (schedule_) schedule_->unobserve(observer_);
}

void RepeatSet_Dialog::setupControls()
{
    const uFCom_Bas::FormKit kit = uFCom_Bas::FormKit::placed(mainWindow_);
    setFixedSize(kit.px(10200), kit.pxY(6360));
    Dummy_Text = kit.focusBox(this, QStringLiteral("Dummy_Text"), kCaption, 240, 120);

    Table1 = new QTableWidget(0, ColCount, this);
    Table1->setObjectName(QStringLiteral("Table1"));
    kit.place(Table1, 120, 120, 9960, 2640);
    Table1->setFont(uFCom_Bas::gothicFont(9));
    Table1->setAccessibleName(kCaption);
    for (int c = 0; c < ColCount; ++c) Table1->setHorizontalHeaderItem(c, new QTableWidgetItem(kColumns[c]));
    Table1->verticalHeader()->setVisible(false);
    Table1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table1->setSelectionMode(QAbstractItemView::SingleSelection);
    Table1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table1->setWordWrap(false);
    const int widths[] = {1050, 750, 2700, 1800, 720, 2640};
    for (int c = 0; c < ColCount; ++c) Table1->setColumnWidth(c, kit.px(widths[c]));
    Table1->horizontalHeader()->setStretchLastSection(true);

    for (int i = 0; i < 4; ++i) {
        Command1[i] =
            kit.button(this, QStringLiteral("Command1_%1").arg(i), kButtons[i], 120 + 1560 * i, 2880, 1455, 375);
        Command1[i]->setAutoDefault(false);
    }
    Command2 = kit.button(this, QStringLiteral("Command2"), kClose, 8625, 2880, 1455, 375);
    Command2->setAutoDefault(false);
    Label1 = kit.label(this, QStringLiteral("Label1"), kPreview, 120, 3360, 5000, 255);
    Label1->setFont(uFCom_Bas::gothicFont(9, true));
    List1 = kit.list(this, QStringLiteral("List1"), kPreview, 120, 3660, 9960, 2580);
    List1->setFont(uFCom_Bas::gothicFont(9));
    Label1->setBuddy(List1);

    setTabOrder(Dummy_Text, Table1);
    for (int i = 0; i < 4; ++i) setTabOrder(i == 0 ? static_cast<QWidget*>(Table1) : Command1[i - 1], Command1[i]);
    setTabOrder(Command1[3], Command2);
    setTabOrder(Command2, List1);

    for (int i = 0; i < 4; ++i) connect(Command1[i], &QPushButton::clicked, this, [this, i]() { Command1_Click(i); });
    connect(Command2, &QPushButton::clicked, this, &QDialog::accept);
    connect(Table1, &QTableWidget::itemSelectionChanged, this, [this]() { showPreview(); });
}

int RepeatSet_Dialog::selectedRow() const
{
    const QList<QTableWidgetItem*> items = Table1->selectedItems();
    return items.isEmpty() ? -1 : items.first()->row();
}

void RepeatSet_Dialog::refresh()
{
    if (!schedule_) return;
    // The selection follows its rule wherever the rule now stands.
    const int was = selectedRow();
    std::optional<uFMsg::RepeatRule> selected;
    if (was >= 0 && was < schedule_->rules().size()) selected = schedule_->rules().at(was);
    const uFMsg::DueMinute now = uFMsg::DueMinute::current();
    const uFMsg::RepeatRules& rules = schedule_->rules();
    QSignalBlocker quiet(Table1);
    Table1->setRowCount(rules.size());
    int select = -1;
    for (int row = 0; row < rules.size(); ++row) {
        const RuleView v = schedule_->ruleView(row, now);
        const QString cells[] = {v.rule.rule(),       uFMsg::MinuteOfDayText(v.rule.minuteOfDay()),
                                 v.rule.fixed(),      v.rule.variable(),
                                 holidayText(v.rule), nextText(v)};
        for (int c = 0; c < ColCount; ++c) {
            auto* item = new QTableWidgetItem(QString(cells[c]).replace(kCRLF, QStringLiteral(" ")));
            item->setToolTip(cells[c]);
            Table1->setItem(row, c, item);
        }
        if (selected && selected->sameRule(v.rule)) select = row;
    }
    if (select < 0 && rules.size() > 0) select = std::min(std::max(was, 0), rules.size() - 1);
    if (select >= 0) Table1->selectRow(select);
    quiet.unblock();
    showPreview();
}

void RepeatSet_Dialog::showPreview()
{
    List1->clear();
    const int row = selectedRow();
    const bool any = schedule_ && row >= 0 && row < schedule_->rules().size();
    for (QPushButton* b : Command1) b->setEnabled(any);
    if (!any) return;
    const uFMsg::RuleView v = schedule_->ruleView(row, uFMsg::DueMinute::current());
    Command1[2]->setText(v.state == RuleView::State::Paused ? kResume : kButtons[2]);
    Command1[1]->setEnabled(v.state != RuleView::State::Paused && !v.next.isNull());
    const int notice = v.rule.options().notice;
    for (const uFMsg::RuleOccurrence& o : schedule_->preview(row, uFMsg::DueMinute::current(), kPreviewCount)) {
        // Its notice first, then the occurrence (a moved one says from where).
        if (!o.passed && notice > 0) {
            auto* n = new QListWidgetItem(uFMsg::MinuteWithWeekday(o.at.addMinutes(-notice)) + QStringLiteral("　") +
                                          uFMsg::NoticeHead(notice));
            n->setForeground(kNoticeColour);
            List1->addItem(n);
        }
        QString text = uFMsg::MinuteWithWeekday(o.at);
        if (o.passed) text += QStringLiteral("　") + o.reason;
        if (o.movedFrom.isValid())
            text += QStringLiteral("　") + dayOfMonth(o.movedFrom) + QStringLiteral("→") + dayOfMonth(o.at.day());
        auto* item = new QListWidgetItem(text);
        if (o.passed) item->setForeground(kPassedColour);
        List1->addItem(item);
    }
}

void RepeatSet_Dialog::status(const QString& text)
{
    uFHLabel_Bas::HeadMsgShow(mainWindow_, uFHLabel_Bas::HeadMode::Show, uFCom_Bas::ColorGet(kStatusColour),
                              head_ + text, QString());
}

void RepeatSet_Dialog::Command1_Click(int index)
{
    const int row = selectedRow();
    if (!schedule_ || row < 0 || row >= schedule_->rules().size()) return;
    const uFMsg::RepeatRule rule = schedule_->rules().at(row);
    const uFMsg::DueMinute now = uFMsg::DueMinute::current();
    const RuleView v = schedule_->ruleView(row, now);
    switch (index) {
    case 0: {
        // The date/time dialog, on the rule's next day and time.
        uFMsg::DueMinute from = v.next.isValid() ? v.next : now.addMinutes(24 * 60);
        from = uFMsg::DueMinute::of(from.day(), rule.minuteOfDay());
        const uFMsg::RuleOptions& o = rule.options();
        DTSelect_Dialog::Message m{rule.fixed(), rule.variable(), head_, &schedule_->calendar(),
                                   DueChoice{from, rule.rule(), o.skipHolidays, o.end, o.notice}};
        const std::optional<DueChoice> choice = DTSelect_Dialog::ask(this, m);
        if (!choice || choice->rule.isEmpty()) break;
        const uFMsg::RuleChoice change{choice->rule, choice->minute, choice->skipHolidays, choice->end, choice->notice};
        const uFMsg::ChangeOutcome c = schedule_->changeRule(rule, change, uFMsg::DueMinute::current());
        if (c.changed && c.saved) status(kChanged);
        break;
    }
    case 1: {
        const uFMsg::ChangeOutcome c = schedule_->skipNext(rule, now);
        if (c.changed && c.saved) status(kSkipped);
        break;
    }
    case 2: {
        const bool pause = v.state != RuleView::State::Paused;
        const uFMsg::ChangeOutcome c = schedule_->setPaused(rule, pause, now);
        if (c.changed && c.saved) status(pause ? kStopped : kResumed);
        break;
    }
    case 3: {
        const QString next = v.next.isValid()
                                 ? v.next.text()
                                 : rule.rule() + QStringLiteral(" ") + uFMsg::MinuteOfDayText(rule.minuteOfDay());
        const QString question = kDeleteOne + kCRLF + kCRLF + kAsk + kCRLF + kCRLF + kCycleHead + kCRLF + next + kCRLF +
                                 rule.fixed() + kCRLF + rule.variable() + kCRLF + kCRLF + kDeleteRepeat;
        if (uMsgBox_Show(this, 0, kDeleteTitle, question) < 0) break;
        const uFMsg::RemoveOutcome r = schedule_->removeRule(rule);
        if (r.removed && r.saved) status(uFMsg::StatusText(uFMsg::kCycleDeleted));
        break;
    }
    default:
        break;
    }
    refresh();
    Dummy_Text->setFocus();
}
