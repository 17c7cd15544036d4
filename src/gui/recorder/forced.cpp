#include "gui/recorder/forced.h"

#include <QPlainTextEdit>

#include "gui/headline/colors.h"
#include "gui/headline/headline.h"
#include "model/messages/entries.h"
#include "gui/platform/ufcom.h"
#include "model/recorder/recorder.h"

namespace uFCom_Bas {

const QString kForcedOpen = QString(37, QLatin1Char('-')) + QStringLiteral(">>強制通知");
const QString kForcedClose = QString(37, QLatin1Char('-')) + QStringLiteral("<<強制通知");
const QString kNoRecorder = QStringLiteral("ｺｰｳﾞｪｲﾝは起動されていません。");

namespace {
constexpr int kNoRecorderColour = uFCom_Bas::kColourLightRed;
}

void ForcedNotifySend(RecorderLink& recorder, const QString& head, const QString& text1, const QString& text2)
{
    recorder.send(head + kForcedOpen, QString());
    recorder.send(text1, text2);
    recorder.send(head + kForcedClose, QString());
}

ManualNotify::ManualNotify(Controls c, Services s) : c_(c), s_(std::move(s))
{}

void ManualNotify::Command1_Click()
{
    const QString head = s_.head ? s_.head() : QString();
    auto focusDummy = [this]() {
        if (c_.Dummy_Text) c_.Dummy_Text->setFocus();
    };
    if (!s_.recorder || s_.recorder->alive() < 0) {
        uFHLabel_Bas::HeadMsgShow(c_.form, uFHLabel_Bas::HeadMode::Show, ColorGet(kNoRecorderColour),
                                  head + kNoRecorder, QString());
        focusDummy();
        return;
    }
    QString fixed = trimSpaces(TextBoxText(c_.Text1));
    // Over-long: nothing at all happens, not even the focus moves.
    if (fixed.size() > uFMsg::MsgLenMax) return;
    QString variable = trimSpaces(TextBoxText(c_.Text2));
    if (variable.size() > uFMsg::MsgLenMax) variable.clear();
    if (fixed.isEmpty()) {
        focusDummy();
        return;
    }
    // Taken from the fixed-form list, it is sent as the entry's message.
    fixed = uFMsg::FixedEntry(fixed).message();
    ForcedNotifySend(*s_.recorder, head, fixed, variable);
    focusDummy();
}

}  // namespace uFCom_Bas
