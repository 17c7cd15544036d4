#include "gui/dialogs/dtselect.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTextCharFormat>
#include <algorithm>
#include <iterator>

#include "gui/headline/colors.h"
#include "gui/headline/headline.h"
#include "model/messages/entries.h"
#include "model/messages/repeat.h"
#include "gui/platform/appicon.h"
#include "core/datetime.h"
#include "gui/platform/fonts.h"
#include "gui/platform/formkit.h"
#include "gui/platform/ufcom.h"

namespace {

const QString kCaption = QStringLiteral("日付時刻選択");
using uFCom_Bas::kCRLF;
const QString kPrompt1 = QStringLiteral("ガイダンスする日付、時刻を指定して下さい。");
const QString kPrompt2 = QStringLiteral("(現在日時より大きくして下さい。)");
const QString kHeading = QStringLiteral("ｶﾞｲﾄﾞ部登録ﾒｯｾｰｼﾞ (固定+可変)");
const QString kHour = QStringLiteral("時");
const QString kMinute = QStringLiteral("分");
const QString kSet = QStringLiteral("設定");
const QString kBack = QStringLiteral("戻る");
const QString kRepeat = QStringLiteral("繰り返し");
const QString kSkipHolidays = QStringLiteral("休日は鳴らさない");
const QString kEnd = QStringLiteral("終了日");
const QString kNotice = QStringLiteral("予告");
// The repetitions offered.  Those after 平日 take their rule word from the
// chosen day, and name it (毎週(水), 毎月(25日), 毎月(第2火)...).
enum RepeatItem { None, Daily, Weekdays, Weekly, MonthDay, MonthEnd, MonthNth, MonthLast, Biweekly, ItemCount };
const QString kRepeatItems[] = {QStringLiteral("なし"), QStringLiteral("毎日"), QStringLiteral("平日(月～金)"),
                                QStringLiteral("毎週"), QStringLiteral("毎月"), QStringLiteral("毎月(末日)"),
                                QStringLiteral("毎月"), QStringLiteral("毎月"), QStringLiteral("隔週")};
// The advance notices offered, in minutes (0: なし).
constexpr int kNotices[] = {0, 1, 3, 5, 10, 15, 30, 60};
const QString kNoNotice = QStringLiteral("なし");
const QString kMinutesBefore = QStringLiteral(" 分前");

// The rule word of a repetition item on a day.
QString ruleWord(int item, const QDate& day)
{
    switch (item) {
    case Daily:
        return QStringLiteral("毎日");
    case Weekdays:
        return QStringLiteral("平日");
    case Weekly:
        return uFMsg::WeeklyRule(day);
    case MonthDay:
        return uFMsg::MonthDayRule(day);
    case MonthEnd:
        return uFMsg::kMonthEndRule;
    case MonthNth:
        return uFMsg::MonthNthRule(day);
    case MonthLast:
        return uFMsg::MonthLastRule(day);
    case Biweekly:
        return uFMsg::BiweeklyRule(day);
    default:
        return QString();
    }
}
constexpr int kRefusedColour = uFCom_Bas::kColourLightYellow;

QDate today()
{
    const platform::LocalTime t = platform::localNow();
    return QDate(t.year, t.month, t.day);
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

}  // namespace

DTSelect_Dialog::DTSelect_Dialog(QWidget* mainWindow, Message message)
    : QDialog(mainWindow, uFCom_Bas::kFixedDialogFlags), mainWindow_(mainWindow), m_(std::move(message))
{
    setObjectName(QStringLiteral("DTSelect_Dialog"));
    setWindowTitle(kCaption);
    // Modal for the main window only: a guide pop-up that opens meanwhile
    // can still be confirmed.
    setWindowModality(Qt::WindowModal);
    setupControls();
    Form_Load();
}

void DTSelect_Dialog::setupControls()
{
    const uFCom_Bas::FormKit kit = uFCom_Bas::FormKit::placed(mainWindow_);
    setFixedSize(kit.px(7575), kit.pxY(4740));

    Dummy_Text = kit.focusBox(this, QStringLiteral("Dummy_Text"), kCaption, 240, 120);
    Frame1 = kit.frame(this, QStringLiteral("Frame1"), QString(), 120, 120, 7335, 4515);
    Label1 = kit.label(Frame1, QStringLiteral("Label1"), QString(), 120, 240, 7095, 495);
    Label1->setFont(uFCom_Bas::gothicFont(9, true));
    uFCom_Bas::setTextColour(Label1, QColor(0, 0, 255));

    MonthView1 = new QCalendarWidget(Frame1);
    MonthView1->setObjectName(QStringLiteral("MonthView1"));
    kit.place(MonthView1, 120, 840, 2385, 2220);
    // Japanese month and weekday names whatever the desktop's language.
    MonthView1->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    MonthView1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    MonthView1->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    MonthView1->setFirstDayOfWeek(Qt::Sunday);
    MonthView1->setFont(uFCom_Bas::pGothicFont(8));
    MonthView1->setAccessibleName(kCaption);

    Label3 = kit.label(Frame1, QStringLiteral("Label3"), kHeading, 2640, 840, 3255, 255);
    Label3->setFont(uFCom_Bas::gothicFont(9));
    Text1 = kit.textBox(Frame1, QStringLiteral("Text1"), kHeading, 2640, 1080, 4575, 1695);
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    Label2[0] = kit.label(Frame1, QStringLiteral("Label2_0"), kHour, 120, 3120, 375, 300);
    Combo1[0] = kit.dropDown(Frame1, QStringLiteral("Combo1_0"), kHour, 480, 3120, 855, 300);
    Label2[1] = kit.label(Frame1, QStringLiteral("Label2_1"), kMinute, 1320, 3120, 375, 300);
    Combo1[1] = kit.dropDown(Frame1, QStringLiteral("Combo1_1"), kMinute, 1680, 3120, 855, 300);
    for (int i = 0; i < 2; ++i) {
        Label2[i]->setBuddy(Combo1[i]);
        Label2[i]->setAlignment(Qt::AlignCenter);
    }
    Label4 = kit.label(Frame1, QStringLiteral("Label4"), kRepeat, 120, 3540, 855, 300);
    Combo2 = kit.dropDown(Frame1, QStringLiteral("Combo2"), kRepeat, 1000, 3540, 1535, 300);
    for (const QString& item : kRepeatItems) Combo2->addItem(item);
    Label4->setBuddy(Combo2);
    Label4->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    Check1 = new QCheckBox(kSkipHolidays, Frame1);
    Check1->setObjectName(QStringLiteral("Check1"));
    kit.place(Check1, 1000, 3900, 1600, 300);
    // 終了日 and 予告, beside the repetition.
    Check2 = new QCheckBox(kEnd, Frame1);
    Check2->setObjectName(QStringLiteral("Check2"));
    kit.place(Check2, 2640, 3540, 1095, 300);
    Date1 = new QDateEdit(Frame1);
    Date1->setObjectName(QStringLiteral("Date1"));
    Date1->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    Date1->setCalendarPopup(true);
    Date1->setAccessibleName(kEnd);
    kit.place(Date1, 3780, 3540, 1695, 300);
    // Its text in line with 終了日's, behind that check box.
    Label5 = kit.label(Frame1, QStringLiteral("Label5"), kNotice, 2895, 3900, 840, 300);
    Combo3 = kit.dropDown(Frame1, QStringLiteral("Combo3"), kNotice, 3780, 3900, 1695, 300);
    for (int n : kNotices) Combo3->addItem(n == 0 ? kNoNotice : QString::number(n) + kMinutesBefore);
    Label5->setBuddy(Combo3);
    Command1[0] = kit.button(Frame1, QStringLiteral("Command1_0"), kSet, 2640, 3000, 1455, 495, QColor(128, 255, 255));
    Command1[1] = kit.button(Frame1, QStringLiteral("Command1_1"), kBack, 5760, 3000, 1455, 495, QColor(255, 192, 128));
    // Enter presses the focused button (設定 when none has the focus).
    for (QPushButton* b : Command1) b->setAutoDefault(true);

    setTabOrder(Dummy_Text, MonthView1);
    setTabOrder(MonthView1, Combo1[0]);
    setTabOrder(Combo1[0], Combo1[1]);
    setTabOrder(Combo1[1], Combo2);
    setTabOrder(Combo2, Check1);
    setTabOrder(Check1, Check2);
    setTabOrder(Check2, Date1);
    setTabOrder(Date1, Combo3);
    setTabOrder(Combo3, Text1);
    setTabOrder(Text1, Command1[0]);
    setTabOrder(Command1[0], Command1[1]);

    for (int i = 0; i < 2; ++i) {
        connect(Command1[i], &QPushButton::clicked, this, [this, i]() { Command1_Click(i); });
        connect(Combo1[i], QOverload<int>::of(&QComboBox::activated), this, [this, i](int) { Combo1_Click(i); });
    }
    connect(MonthView1, &QCalendarWidget::clicked, this, [this](QDate) { MonthView1_DateClick(); });
    connect(Combo2, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int) { Combo2_Change(); });
    connect(MonthView1, &QCalendarWidget::selectionChanged, this, [this]() { dateChanged(); });
    connect(MonthView1, &QCalendarWidget::currentPageChanged, this, [this](int y, int m) { markHolidays(y, m); });
    uFCom_Bas::onClick(Check1, [this]() { skipHolidays_ = Check1->isChecked(); });
    uFCom_Bas::onClick(Check2, [this]() { Combo2_Change(); });
    Combo2_Change();
}

void DTSelect_Dialog::presetChoice(const DueChoice& preset)
{
    if (preset.minute.isValid() && preset.minute.day() >= MonthView1->minimumDate())
        MonthView1->setSelectedDate(preset.minute.day());
    if (preset.minute.isValid()) {
        TimeListSelect(QStringLiteral("H"), QString::number(preset.minute.hour()));
        TimeListSelect(QStringLiteral("M"), QString::number(preset.minute.minute()));
    }
    // A rule keeps repeating: なし cannot be chosen.
    if (auto* items = qobject_cast<QStandardItemModel*>(Combo2->model()))
        if (QStandardItem* none = items->item(None)) none->setEnabled(false);
    int item = Daily;
    for (int i = Daily; i < ItemCount; ++i)
        if (ruleWord(i, MonthView1->selectedDate()) == preset.rule) item = i;
    skipHolidays_ = preset.skipHolidays;
    Combo2->setCurrentIndex(item);
    uFCom_Bas::setCheckedQuietly(Check2, preset.end.isValid());
    if (preset.end.isValid()) Date1->setDate(preset.end);
    for (int i = 0; i < static_cast<int>(std::size(kNotices)); ++i)
        if (kNotices[i] == preset.notice) Combo3->setCurrentIndex(i);
    Combo2_Change();
}

void DTSelect_Dialog::dateChanged()
{
    // The items that take their word from the day name it.
    const QDate day = MonthView1->selectedDate();
    auto named = [&](int item, const QString& what) {
        Combo2->setItemText(item, kRepeatItems[item] + QStringLiteral("(") + what + QStringLiteral(")"));
    };
    const QString weekday = uFMsg::WeekdayName(day);
    named(Weekly, weekday);
    named(MonthDay, QString::number(day.day()) + QStringLiteral("日"));
    const QString nth = uFMsg::MonthNthRule(day);
    named(MonthNth, nth.isEmpty() ? QStringLiteral("第5") + weekday : nth.mid(2));
    named(MonthLast, uFMsg::MonthLastRule(day).mid(2));
    named(Biweekly, weekday);
    // A fifth weekday has no 第N: 最終 names it.
    if (auto* items = qobject_cast<QStandardItemModel*>(Combo2->model()))
        if (QStandardItem* i = items->item(MonthNth)) i->setEnabled(!nth.isEmpty());
    if (nth.isEmpty() && Combo2->currentIndex() == MonthNth) Combo2->setCurrentIndex(MonthLast);
    if (Date1->date() < day) Date1->setDate(day);
    Date1->setMinimumDate(day);
}

void DTSelect_Dialog::markHolidays(int year, int month)
{
    if (!m_.calendar) return;
    // The days the page shows: from the week before the month to the weeks
    // after it; days before today keep their look of days not to be chosen.
    QTextCharFormat holiday;
    holiday.setForeground(QColor(255, 0, 0));
    const QDate first(year, month, 1);
    for (QDate d = std::max(first.addDays(-7), MonthView1->minimumDate()); d < first.addMonths(1).addDays(14);
         d = d.addDays(1)) {
        if (!m_.calendar->isHoliday(d)) continue;
        QTextCharFormat f = holiday;
        const QString reason = m_.calendar->holidayReason(d);
        f.setToolTip(reason.isEmpty() ? QStringLiteral("休日") : reason);
        MonthView1->setDateTextFormat(d, f);
    }
}

void DTSelect_Dialog::Combo2_Change()
{
    // 平日 never announces on a 休日, なし repeats nothing; for the other
    // repetitions the box shows what the operator chose for them.  An end
    // is a repetition's.
    const int i = Combo2->currentIndex();
    const bool own = i > None && i != Weekdays;
    Check1->setEnabled(own);
    uFCom_Bas::setCheckedQuietly(Check1, own ? skipHolidays_ : i == Weekdays);
    Check2->setEnabled(i > None);
    if (i <= None) uFCom_Bas::setCheckedQuietly(Check2, false);
    Date1->setEnabled(i > None && Check2->isChecked());
}

void DTSelect_Dialog::Form_Load()
{
    // Icon.
    setWindowIcon(mainWindow_ ? mainWindow_->windowIcon() : uFCom_Bas::programIcon());
    // Placement from the rectangle the main window was given at its load.
    uFCom_Bas::PlaceDialog(this, mainWindow_, &top_, &left_);
    // Today, and the lists on the current hour and minute.
    Dummy_Text->clear();
    const QDate d = today();
    MonthView1->setMinimumDate(d);
    MonthView1->setSelectedDate(d);
    // The days before today that the month still shows cannot be chosen:
    // drawn as disabled.
    QTextCharFormat past;
    past.setForeground(palette().color(QPalette::Disabled, QPalette::Text));
    for (QDate x = d.addDays(-d.day() - 7); x < d; x = x.addDays(1)) MonthView1->setDateTextFormat(x, past);
    TimeListSet();
    const uFMsg::DueMinute now = uFMsg::DueMinute::current();
    TimeListSelect(QStringLiteral("H"), QString::number(now.hour()));
    TimeListSelect(QStringLiteral("M"), QString::number(now.minute()));
    // The prompt and the message.
    Label1->setText(kPrompt1 + kCRLF + kPrompt2);
    Text1->clear();
    if (!m_.fixed.isEmpty()) Text1->setPlainText(m_.fixed + kCRLF + m_.variable);
    if (m_.preset) presetChoice(*m_.preset);
    dateChanged();
    markHolidays(MonthView1->yearShown(), MonthView1->monthShown());
    // The focus on the hidden box.
    Dummy_Text->setFocus();
}

void DTSelect_Dialog::TimeListSet()
{
    for (QComboBox* c : Combo1) c->clear();
    Combo1[0]->addItem(QString());
    for (int h = 0; h < 24; ++h) Combo1[0]->addItem(twoDigits(h) + QStringLiteral(" ") + kHour);
    Combo1[1]->addItem(QString());
    for (int m = 0; m < 60; ++m) Combo1[1]->addItem(twoDigits(m) + QStringLiteral(" ") + kMinute);
}

void DTSelect_Dialog::TimeListSelect(const QString& kind, const QString& value)
{
    const QString k = uFCom_Bas::trimSpaces(kind);
    if (k.isEmpty()) return;
    const QString v = uFCom_Bas::trimSpaces(value);
    const int position = uFCom_Bas::isNumeric(v) ? uFCom_Bas::roundHalfEven(v) + 1 : 0;
    QComboBox* list = nullptr;
    if (k == QStringLiteral("H") || k == QStringLiteral("h"))
        list = Combo1[0];
    else if (k == QStringLiteral("M") || k == QStringLiteral("m"))
        list = Combo1[1];
    if (!list) return;
    if (position >= 0 && position <= list->count() - 1) list->setCurrentIndex(position);
}

int DTSelect_Dialog::hourOrMinute(int index) const
{
    const int p = Combo1[index]->currentIndex();
    return p > 0 ? p - 1 : 0;
}

std::optional<DueChoice> DTSelect_Dialog::ask(QWidget* mainWindow, const Message& message)
{
    DTSelect_Dialog dialog(mainWindow, message);
    dialog.exec();
    return dialog.choice();
}

void DTSelect_Dialog::Command1_Click(int index)
{
    choice_.reset();
    if (index == 1) {
        Dummy_Text->setFocus();
        accept();
        return;
    }
    if (index != 0) return;
    const uFMsg::DueMinute candidate =
        uFMsg::DueMinute::of(MonthView1->selectedDate(), hourOrMinute(0), hourOrMinute(1));
    // The clock is read when 設定 is pressed: a choice made a minute ago
    // may be refused now.
    const uFMsg::DueMinute now = uFMsg::DueMinute::current();
    Dummy_Text->setFocus();
    if (candidate.laterThan(now)) {
        const int notice = kNotices[std::max(0, Combo3->currentIndex())];
        const QDate end = Check2->isEnabled() && Check2->isChecked() ? Date1->date() : QDate();
        choice_ = DueChoice{candidate, repeatRule(), Check1->isEnabled() && Check1->isChecked(), end, notice};
        accept();
        return;
    }
    uFHLabel_Bas::HeadMsgShow(mainWindow_, uFHLabel_Bas::HeadMode::Show, uFCom_Bas::ColorGet(kRefusedColour),
                              m_.head + uFMsg::kDueTimeRefused, QString());
}

QString DTSelect_Dialog::repeatRule() const
{
    const int i = Combo2->currentIndex();
    return ruleWord(i, MonthView1->selectedDate());
}

void DTSelect_Dialog::Combo1_Click(int)
{
    Dummy_Text->setFocus();
}

void DTSelect_Dialog::MonthView1_DateClick()
{
    Dummy_Text->setFocus();
}
