#include "gui/recorder/keycatalog.h"

#include "gui/platform/fonts.h"

#include "model/messages/statustexts.h"
#include "gui/platform/formkit.h"
#include "gui/recorder/forced.h"
#include "gui/headline/colors.h"
#include "gui/headline/headline.h"
#include "gui/platform/ufcom.h"
#include "model/recorder/recorder.h"

#include <QCloseEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {

// ---- texts shown to the operator ----

const QString kCaption = QStringLiteral("ｳﾞｪﾙﾓﾗﾒｯｾｰｼﾞ");
const QString kFrameCaption = QStringLiteral("ｳﾞｪﾙﾓﾗのﾒｯｾｰｼﾞ");
const QString kCountCaption = QStringLiteral("登録数");
const QString kNotifyCaption = QStringLiteral("選択ﾒｯｾｰｼﾞをｺｰｳﾞｪｲﾝへ通知");
const QString kBackCaption = QStringLiteral("戻る");
// Line breaks as the label lays them out.
const QString kHelpText = QStringLiteral(
                              "選択ﾒｯｾｰｼﾞをｺｰｳﾞｪｲﾝへ強制的に通知します。\n"
                              "あまり出ないﾒｯｾｰｼﾞの通知に役立ちます。\n"
                              "\n"
                              "*注)\n") +
                          uFCom_Bas::kWithoutRecorderNote;

const QString kNoMessages = QStringLiteral("ﾒｯｾｰｼﾞはありません。");
const QString kSelectMessage = QStringLiteral("ﾒｯｾｰｼﾞを選択して下さい。");

const QString kComma = QStringLiteral(",");

// An entry is: prefix + text padded to 128 + "," + number + ",".  The number
// is read from the end, so a comma in the title (inside the prefix) cannot
// hide it.  head is prefix + text, trimmed.
bool splitEntry(const QString& entry, QString& head, int& no)
{
    if (!entry.endsWith(kComma)) return false;
    const QString body = entry.left(entry.size() - 1);
    const qsizetype at = body.lastIndexOf(kComma);
    if (at < 0) return false;
    bool ok = false;
    const int n = uFCom_Bas::trimSpaces(body.mid(at + 1)).toInt(&ok, 10);
    if (!ok) return false;
    head = uFCom_Bas::trimSpaces(body.left(at));
    no = n;
    return true;
}

QFont gothic(int points)
{
    return uFCom_Bas::gothicFont(points);
}

QFont pGothic(int points, bool bold = false)
{
    return uFCom_Bas::pGothicFont(points, bold);
}

}  // namespace

CVMsgKey_Dialog::CVMsgKey_Dialog(QWidget* mainWindow, const QString& head, uFCom_Bas::RecorderLink* recorder)
    : QDialog(mainWindow, uFCom_Bas::kFixedDialogFlags), mainWindow_(mainWindow), head_(head), recorder_(recorder)
{
    setObjectName(QStringLiteral("CVMsgKey_Dialog"));
    setupControls();
    Form_Load();
}

void CVMsgKey_Dialog::setupControls()
{
    setWindowTitle(kCaption);
    setFont(pGothic(9));

    const uFCom_Bas::FormKit kit = uFCom_Bas::FormKit::placed(mainWindow_);
    // First in the focus chain; it only holds the focus and draws nothing.
    Dummy_Text = kit.focusBox(this, QStringLiteral("Dummy_Text"), kCaption, 240, 240);

    Frame1 = kit.frame(this, QStringLiteral("Frame1"), kFrameCaption, 120, 120, 8895, 5175);

    for (int i = 0; i < 2; ++i) {
        auto* l = new QLabel(Frame1);
        l->setObjectName(QStringLiteral("Label1_%1").arg(i));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setAlignment(Qt::AlignCenter);
        l->setTextFormat(Qt::PlainText);
        Label1[size_t(i)] = l;
    }
    Label1[0]->setText(kCountCaption);
    kit.place(Label1[0], 120, 360, 855, 255);
    kit.place(Label1[1], 960, 360, 855, 255);

    List1 = new QListWidget(Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setFont(gothic(9));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setSortingEnabled(false);  // kept in ordinal order by KeyMsgAdd
    List1->setUniformItemSizes(true);
    kit.place(List1, 120, 600, 8655, 2940);
    List1->viewport()->installEventFilter(this);

    Label2 = new QLabel(Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(pGothic(9, true));
    Label2->setTextFormat(Qt::PlainText);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    {
        QPalette p = Label2->palette();
        p.setColor(QPalette::WindowText, uFCom_Bas::colorFromValue(uFCom_Bas::rgbValue(0, 0, 255)));
        Label2->setPalette(p);
    }
    kit.place(Label2, 120, 3720, 6615, 1335);

    Command1 = new QPushButton(kNotifyCaption, Frame1);
    Command1->setObjectName(QStringLiteral("Command1"));
    kit.place(Command1, 6840, 3720, 1935, 495);
    uFCom_Bas::fitCaption(Command1);
    Command2 = new QPushButton(kBackCaption, Frame1);
    Command2->setObjectName(QStringLiteral("Command2"));
    kit.place(Command2, 6840, 4560, 1935, 495);
    // Enter in the focus box must not press a button.
    for (QPushButton* b : {Command1, Command2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(Command1, &QPushButton::clicked, this, &CVMsgKey_Dialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &CVMsgKey_Dialog::Command2_Click);

    setTabOrder(Dummy_Text, List1);
    setTabOrder(List1, Command1);
    setTabOrder(Command1, Command2);
}

void CVMsgKey_Dialog::Form_Load()
{
    hide();
    if (mainWindow_) setWindowIcon(mainWindow_->windowIcon());

    // Placed from the main window's placement record (twips), taken once.
    const uFCom_Bas::PlaceRecord place = uFCom_Bas::PlaceGet(mainWindow_);
    const double top = place.top + 0.2 * place.height;
    const double left = place.left + 0.1 * place.width;
    move(uFCom_Bas::twipsToPixels(int(std::lround(left)), place.twipsPerPixelX()),
         uFCom_Bas::twipsToPixels(int(std::lround(top)), place.twipsPerPixelY()));

    // Outer size 9225 x 5895 twips: the frame is the window system's, so the
    // designed client area is what is set here.
    const uFCom_Bas::FormKit kit = uFCom_Bas::FormKit::placed(mainWindow_);
    setFixedSize(kit.px(9135), kit.pxY(5415));

    KeyMsgListSet();
}

QString CVMsgKey_Dialog::KeyMsgGet(int arg_MsgNo) const
{
    const int row = KeyMsgIndex(arg_MsgNo);
    if (row < 0) return QString();
    QString head;
    int no = 0;
    splitEntry(List1->item(row)->text(), head, no);
    return head;
}

int CVMsgKey_Dialog::KeyMsgIndex(int no) const
{
    for (int row = 0; row < List1->count(); ++row) {
        QString head;
        int n = 0;
        if (splitEntry(List1->item(row)->text(), head, n) && n == no) return row;
    }
    return -1;
}

void CVMsgKey_Dialog::KeyMsgAdd(int no, const QString& text)
{
    if (uFCom_Bas::trimSpaces(text).isEmpty()) return;
    if (List1->count() >= kListMax) return;
    if (KeyMsgIndex(no) >= 0) return;

    const QString entry =
        head_ + uFCom_Bas::StrPad(QStringLiteral("L128"), text) + kComma + QString::number(no) + kComma;
    // Ordinal (UTF-16 code unit) order, the same in every locale.
    int row = 0, hi = List1->count();
    while (row < hi) {
        const int mid = row + (hi - row) / 2;
        if (List1->item(mid)->text() < entry || List1->item(mid)->text() == entry) {
            row = mid + 1;
        } else {
            hi = mid;
        }
    }
    List1->insertItem(row, entry);
}

void CVMsgKey_Dialog::KeyMsgListSet()
{
    Dummy_Text->clear();
    Label1[1]->clear();
    Label2->clear();
    Label2->setText(kHelpText);
    List1->clear();
    for (const auto& [first, last] : uFMsg::kStatusRanges) {
        for (int no = first; no <= last; ++no) KeyMsgAdd(no, uFMsg::StatusText(no));
    }
    if (List1->count() > 0) Label1[1]->setText(QString::number(List1->count()));
    focusDummy();
}

int CVMsgKey_Dialog::selectedRow() const
{
    const QList<QListWidgetItem*> items = List1->selectedItems();
    return items.isEmpty() ? -1 : List1->row(items.first());
}

void CVMsgKey_Dialog::clearSelection()
{
    List1->clearSelection();
    List1->setCurrentRow(-1);
}

void CVMsgKey_Dialog::focusDummy()
{
    Dummy_Text->setFocus(Qt::OtherFocusReason);
}

void CVMsgKey_Dialog::Command1_Click()
{
    const QString prefix = head_;
    QWidget* head = mainWindow_.data();

    if (!recorder_ || recorder_->alive() != 1) {
        uFHLabel_Bas::HeadMsgShow(head, uFHLabel_Bas::HeadMode::Show, uFCom_Bas::ColorGet(uFCom_Bas::kColourLightRed),
                                  prefix + uFCom_Bas::kNoRecorder, QString());
        focusDummy();
        return;
    }
    if (List1->count() == 0) {
        uFHLabel_Bas::HeadMsgShow(head, uFHLabel_Bas::HeadMode::Show,
                                  uFCom_Bas::ColorGet(uFCom_Bas::kColourLightYellow), prefix + kNoMessages, QString());
        focusDummy();
        return;
    }
    const int row = selectedRow();
    if (row < 0) {
        uFHLabel_Bas::HeadMsgShow(head, uFHLabel_Bas::HeadMode::Show,
                                  uFCom_Bas::ColorGet(uFCom_Bas::kColourLightYellow), prefix + kSelectMessage,
                                  QString());
        focusDummy();
        return;
    }

    const QString entry = List1->item(row)->text();
    if (!entry.isEmpty()) {
        QString message;
        int no = 0;
        if (!splitEntry(entry, message, no)) {
            QString rest = entry;
            message = uFCom_Bas::trimSpaces(uFCom_Bas::TokenNext(rest, kComma));
        }
        uFCom_Bas::ForcedNotifySend(*recorder_, prefix, message, QString());
    }
    clearSelection();
    focusDummy();
}

void CVMsgKey_Dialog::Command2_Click()
{
    clearSelection();
    focusDummy();
    hide();
}

void CVMsgKey_Dialog::reject()
{
    // Escape hides the dialog the same way as the button.
    Command2_Click();
}

void CVMsgKey_Dialog::closeEvent(QCloseEvent* event)
{
    if (unloading_) {
        event->accept();
        return;
    }
    Command2_Click();
    event->ignore();
}

bool CVMsgKey_Dialog::eventFilter(QObject* watched, QEvent* event)
{
    if (List1 && watched == List1->viewport()) {
        const QEvent::Type t = event->type();
        if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonDblClick || t == QEvent::MouseButtonRelease) {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::RightButton) {
                // The right button clears the selection instead of selecting.
                if (t == QEvent::MouseButtonRelease) {
                    if (List1->count() > 0 && selectedRow() >= 0) clearSelection();
                    focusDummy();
                }
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
