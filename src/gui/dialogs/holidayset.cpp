#include "gui/dialogs/holidayset.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "gui/headline/colors.h"
#include "gui/headline/headline.h"
#include "gui/platform/fonts.h"
#include "gui/platform/formkit.h"
#include "gui/platform/ufcom.h"
#include "model/calendar/holidays.h"

namespace {

const QString kCaption = QStringLiteral("休日設定");
const QString kNational = QStringLiteral("国民の祝日を休日にする");
const QString kNationalFrame = QStringLiteral("国民の祝日");
const QString kClosedFrame = QStringLiteral("休業期間");
const QString kOpenFrame = QStringLiteral("出勤日");
const QString kAdd = QStringLiteral("追加");
const QString kRemove = QStringLiteral("削除");
const QString kClose = QStringLiteral("閉じる");
const QString kTo = QStringLiteral("～");
const QString kName = QStringLiteral("名称");
const QString kChanged = QStringLiteral("休日設定を変更しました。");
constexpr int kStatusColour = uFCom_Bas::kColourLightYellow;
// A name is one field of the file: no comma, at most a line's worth.
constexpr int kNameMax = 32;

QDateEdit* dateEdit(QWidget* parent, const QString& name, const QString& accessible)
{
    auto* e = new QDateEdit(parent);
    e->setObjectName(name);
    e->setCalendarPopup(true);
    e->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    e->setAccessibleName(accessible);
    return e;
}

QLineEdit* nameEdit(QWidget* parent, const QString& name, const QString& accessible)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(kNameMax);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^,]*")), e));
    e->setPlaceholderText(kName);
    e->setAccessibleName(accessible);
    return e;
}

}  // namespace

Holiday_Dialog::Holiday_Dialog(QWidget* mainWindow, uFMsg::Schedule* schedule, QString head)
    : QDialog(mainWindow, uFCom_Bas::kFixedDialogFlags),
      mainWindow_(mainWindow),
      schedule_(schedule),
      head_(std::move(head))
{
    uFCom_Bas::DialogFrame(this, mainWindow_, QStringLiteral("Holiday_Dialog"), kCaption);
    setupControls();
    uFCom_Bas::PlaceDialog(this, mainWindow_, nullptr, nullptr);
    const QDate today = uFMsg::DueMinute::current().day();
    for (QDateEdit* e : {Date1[0], Date1[1], Date2}) e->setDate(today);
    refresh();
    Dummy_Text->setFocus();
}

void Holiday_Dialog::setupControls()
{
    const uFCom_Bas::FormKit kit = uFCom_Bas::FormKit::placed(mainWindow_);
    setFixedSize(kit.px(9600), kit.pxY(6120));
    setFont(uFCom_Bas::gothicFont(9));
    Dummy_Text = kit.focusBox(this, QStringLiteral("Dummy_Text"), kCaption, 240, 120);

    Check1 = new QCheckBox(kNational, this);
    Check1->setObjectName(QStringLiteral("Check1"));
    kit.place(Check1, 120, 120, 3600, 300);
    Frame1 = kit.frame(this, QStringLiteral("Frame1"), kNationalFrame, 120, 480, 3600, 5040);
    List1 = kit.list(Frame1, QStringLiteral("List1"), kNationalFrame, 120, 300, 3360, 4620);

    Frame2 = kit.frame(this, QStringLiteral("Frame2"), kClosedFrame, 3840, 120, 5640, 3000);
    List2 = kit.list(Frame2, QStringLiteral("List2"), kClosedFrame, 120, 300, 5400, 1680);
    Date1[0] = dateEdit(Frame2, QStringLiteral("Date1_0"), kClosedFrame);
    kit.place(Date1[0], 120, 2100, 1500, 330);
    auto* to = kit.label(Frame2, QStringLiteral("Label1"), kTo, 1650, 2100, 300, 330);
    to->setAlignment(Qt::AlignCenter);
    Date1[1] = dateEdit(Frame2, QStringLiteral("Date1_1"), kClosedFrame);
    kit.place(Date1[1], 1980, 2100, 1500, 330);
    Text1 = nameEdit(Frame2, QStringLiteral("Text1"), kClosedFrame);
    kit.place(Text1, 3600, 2100, 1920, 330);
    Command1[0] = kit.button(Frame2, QStringLiteral("Command1_0"), kAdd, 3000, 2520, 1200, 330);
    Command1[1] = kit.button(Frame2, QStringLiteral("Command1_1"), kRemove, 4320, 2520, 1200, 330);

    Frame3 = kit.frame(this, QStringLiteral("Frame3"), kOpenFrame, 3840, 3240, 5640, 2280);
    List3 = kit.list(Frame3, QStringLiteral("List3"), kOpenFrame, 120, 300, 5400, 1020);
    Date2 = dateEdit(Frame3, QStringLiteral("Date2"), kOpenFrame);
    kit.place(Date2, 120, 1440, 1500, 330);
    Text2 = nameEdit(Frame3, QStringLiteral("Text2"), kOpenFrame);
    kit.place(Text2, 1740, 1440, 3780, 330);
    Command2[0] = kit.button(Frame3, QStringLiteral("Command2_0"), kAdd, 3000, 1860, 1200, 330);
    Command2[1] = kit.button(Frame3, QStringLiteral("Command2_1"), kRemove, 4320, 1860, 1200, 330);

    Command3 = kit.button(this, QStringLiteral("Command3"), kClose, 8160, 5640, 1320, 360);
    for (QPushButton* b : {Command1[0], Command1[1], Command2[0], Command2[1], Command3}) b->setAutoDefault(false);

    setTabOrder(Dummy_Text, Check1);
    setTabOrder(Check1, List1);
    setTabOrder(List1, List2);
    setTabOrder(List2, Date1[0]);
    setTabOrder(Date1[0], Date1[1]);
    setTabOrder(Date1[1], Text1);
    setTabOrder(Text1, Command1[0]);
    setTabOrder(Command1[0], Command1[1]);
    setTabOrder(Command1[1], List3);
    setTabOrder(List3, Date2);
    setTabOrder(Date2, Text2);
    setTabOrder(Text2, Command2[0]);
    setTabOrder(Command2[0], Command2[1]);
    setTabOrder(Command2[1], Command3);

    uFCom_Bas::onClick(Check1, [this]() { Check1_Click(); });
    for (int i = 0; i < 2; ++i) {
        connect(Command1[i], &QPushButton::clicked, this, [this, i]() { Command1_Click(i); });
        connect(Command2[i], &QPushButton::clicked, this, [this, i]() { Command2_Click(i); });
    }
    connect(Command3, &QPushButton::clicked, this, &QDialog::accept);
    // A period ends no earlier than it starts.
    connect(Date1[0], &QDateEdit::dateChanged, this, [this](QDate d) { Date1[1]->setMinimumDate(d); });
}

void Holiday_Dialog::refresh()
{
    if (!schedule_) return;
    const uFCal::Calendar& c = schedule_->calendar();
    uFCom_Bas::setCheckedQuietly(Check1, c.nationalHolidays);
    // This year's and next year's national holidays, corrections applied.
    List1->clear();
    const int year = uFMsg::DueMinute::current().day().year();
    for (QDate d(year, 1, 1); d.year() <= year + 1; d = d.addDays(1)) {
        const QString name = c.nationalName(d);
        if (!name.isEmpty()) List1->addItem(uFMsg::DayWithWeekday(d) + QStringLiteral(" ") + name);
    }
    List1->setEnabled(c.nationalHolidays);
    List2->clear();
    for (const uFCal::ClosedPeriod& p : c.closed)
        List2->addItem(uFMsg::DayWithWeekday(p.first) + kTo + uFMsg::DayWithWeekday(p.last) + QStringLiteral(" ") +
                       p.name);
    List3->clear();
    for (const uFCal::NamedDay& d : c.open) List3->addItem(uFMsg::DayWithWeekday(d.day) + QStringLiteral(" ") + d.name);
    Command1[0]->setEnabled(c.closed.size() < uFMsg::ListItemMax);
    Command2[0]->setEnabled(c.open.size() < uFMsg::ListItemMax);
}

void Holiday_Dialog::apply(const uFCal::Calendar& changed)
{
    if (!schedule_) return;
    const uFMsg::ChangeOutcome c = schedule_->setCalendar(changed, uFMsg::DueMinute::current());
    if (c.changed && c.saved)
        uFHLabel_Bas::HeadMsgShow(mainWindow_, uFHLabel_Bas::HeadMode::Show, uFCom_Bas::ColorGet(kStatusColour),
                                  head_ + kChanged, QString());
    refresh();
    Dummy_Text->setFocus();
}

void Holiday_Dialog::Check1_Click()
{
    if (!schedule_) return;
    uFCal::Calendar c = schedule_->calendar();
    c.nationalHolidays = Check1->isChecked();
    apply(c);
}

void Holiday_Dialog::Command1_Click(int index)
{
    if (!schedule_) return;
    uFCal::Calendar c = schedule_->calendar();
    if (index == 0) {
        const QDate first = Date1[0]->date(), last = std::max(Date1[0]->date(), Date1[1]->date());
        c.closed.append(uFCal::ClosedPeriod{first, last, uFCom_Bas::trimSpaces(Text1->text())});
        Text1->clear();
    } else {
        const int row = List2->currentRow();
        if (row < 0 || row >= c.closed.size()) return;
        c.closed.removeAt(row);
    }
    apply(c);
}

void Holiday_Dialog::Command2_Click(int index)
{
    if (!schedule_) return;
    uFCal::Calendar c = schedule_->calendar();
    if (index == 0) {
        c.open.append(uFCal::NamedDay{Date2->date(), uFCom_Bas::trimSpaces(Text2->text())});
        Text2->clear();
    } else {
        const int row = List3->currentRow();
        if (row < 0 || row >= c.open.size()) return;
        c.open.removeAt(row);
    }
    apply(c);
}
