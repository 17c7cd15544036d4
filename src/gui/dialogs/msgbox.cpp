#include "gui/dialogs/msgbox.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "gui/platform/appicon.h"
#include "gui/platform/fonts.h"
#include "gui/platform/formkit.h"
#include "model/config/env.h"
#include "gui/platform/ufcom.h"
#include "core/seam.h"

namespace {
const QString kOk = QStringLiteral("OK");
const QString kCancel = QStringLiteral("ｷｬﾝｾﾙ");
const QString kDefaultCaptionTail = QStringLiteral(" 【ﾒｯｾｰｼﾞ】");
}  // namespace

MsgBox_Dialog::MsgBox_Dialog(QWidget* arg_Form, int arg_Pbl, const QString& arg_Title, const QString& arg_Msg)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint |
                           Qt::CustomizeWindowHint),
      owner_(arg_Form),
      buttons_(arg_Pbl),
      title_(arg_Title),
      message_(arg_Msg)
{
    setObjectName(QStringLiteral("MsgBox_Dialog"));
    setModal(true);
    const uFCom_Bas::FormKit kit = uFCom_Bas::FormKit::placed(owner_);
    setFixedSize(kit.px(6030), kit.pxY(2145));

    // Created in tab order: ｷｬﾝｾﾙ first, so it holds the focus when shown.
    CancelButton = new QPushButton(kCancel, this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    kit.place(CancelButton, 4680, 1680, 1215, 375);
    OKButton = new QPushButton(kOk, this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    kit.place(OKButton, 120, 1680, 1215, 375);
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    kit.place(Text1, 120, 120, 5775, 1455);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setFont(uFCom_Bas::gothicFont(9.75));
    Text1->setTabChangesFocus(true);
    setTabOrder(CancelButton, OKButton);
    setTabOrder(OKButton, Text1);
    // Enter presses whichever button has the focus; no default button.
    CancelButton->setDefault(false);
    OKButton->setDefault(false);

    connect(OKButton, &QPushButton::clicked, this, [this]() {
        result_ = 1;
        done(QDialog::Accepted);
    });
    connect(CancelButton, &QPushButton::clicked, this, [this]() {
        result_ = -1;
        done(QDialog::Rejected);
    });
    Form_Load();
}

void MsgBox_Dialog::Form_Load()
{
    Text1->clear();
    setWindowIcon(uFCom_Bas::programIcon());

    const uFCom_Bas::PlaceRecord place = uFCom_Bas::PlaceGet(owner_);
    const int ux = place.twipsPerPixelX();
    const int uy = place.twipsPerPixelY();

    // A box asked from a minimised window goes to the work area instead.
    bool fallback = owner_ && owner_->window()->isMinimized();
    int top = 0, left = 0;
    if (owner_) {
        const QRect g = owner_->frameGeometry();
        top = static_cast<int>(g.y() * uy + 0.4 * g.height() * uy);
        left = static_cast<int>(g.x() * ux + 0.3 * g.width() * ux);
    }
    if (!owner_ || top <= 0 || left <= 0 || left > place.areaWidth - 1000 || top > place.areaHeight - 1000)
        fallback = true;
    if (fallback) {
        const QRect area = uFCom_Bas::WorkAreaOrDefault();
        const int right = area.x() + area.width();
        const int bottom = area.y() + area.height();
        top = static_cast<int>(0.4 * bottom * uy);
        left = static_cast<int>(0.3 * right * ux);
    }
    top_ = top;
    left_ = left;
    move(uFCom_Bas::twipsToPixels(left, ux), uFCom_Bas::twipsToPixels(top, uy));

    switch (buttons_) {
    case 1:
        OKButton->setVisible(true);
        CancelButton->setVisible(false);
        break;
    case 2:
        OKButton->setVisible(false);
        CancelButton->setVisible(true);
        break;
    case -1:
        OKButton->setVisible(false);
        CancelButton->setVisible(false);
        break;
    default:
        OKButton->setVisible(true);
        CancelButton->setVisible(true);
        break;
    }
    setWindowTitle(title_.isEmpty() ? uFCom_Bas::ExeBaseName() + kDefaultCaptionTail : title_);
    Text1->setPlainText(message_);
    if (CancelButton->isVisibleTo(this)) {
        CancelButton->setFocus();
    } else if (OKButton->isVisibleTo(this)) {
        OKButton->setFocus();
    }
}

void MsgBox_Dialog::closeEvent(QCloseEvent* e)
{
    // The close box answers like ｷｬﾝｾﾙ; the result stays as it is.
    e->accept();
    QDialog::closeEvent(e);
}

void MsgBox_Dialog::keyPressEvent(QKeyEvent* e)
{
    // Escape is bound to no button; only the buttons and the close box end
    // the dialog.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

MsgBoxAnswerer& MsgBoxAnswerer::system()
{
    struct Operator final : MsgBoxAnswerer {
        int answer(MsgBox_Dialog& box) override
        {
            box.exec();
            return box.result();
        }
    };
    static Operator answerer;
    return answerer;
}

int uMsgBox_Show(QWidget* arg_Form, int arg_Pbl, const QString& arg_Title, const QString& arg_Msg)
{
    MsgBox_Dialog dialog(arg_Form, arg_Pbl, arg_Title, arg_Msg);
    return seam::current<MsgBoxAnswerer>().answer(dialog) == 1 ? 1 : -1;
}
