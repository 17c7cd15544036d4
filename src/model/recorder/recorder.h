#pragma once
// The link to the recorder ｺｰｳﾞｪｲﾝ (uPCorvane): the binary records exchanged
// over mailslots, the recorder's detection by its window caption, and the
// cached write handle to its mailslot.
#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

#include "model/config/env.h"

namespace uFCom_Bas {

// What the windows that offer the recorder's functions say of it.
inline const QString kWithoutRecorderNote = QStringLiteral("ｺｰｳﾞｪｲﾝがないとｺｰｳﾞｪｲﾝの機能は使用できません。");

// Record codes and sizes.
constexpr int kNotifyCode = 88011;  // notification to the recorder
constexpr int kCloseCode = -88888;  // close command on a program's own slot
constexpr int kNotifyRecordSize = 800;
constexpr int kSlotHeaderSize = 128;
constexpr int kNotifyTextMax = 255;  // ANSI bytes per text

// Offsets inside the records.
namespace RecordLayout {
constexpr int kOffCode = 0;
constexpr int kOffSize = 4;
constexpr int kOffWord8 = 8;
constexpr int kOffPid = 32;
constexpr int kOffExeName = 36;
constexpr int kExeNameField = 32;
constexpr int kOffName2 = 68;
constexpr int kName2Field = 32;
constexpr int kOffStamp = 100;
constexpr int kStampField = 18;
constexpr int kOffKind = 128;
constexpr int kOffLen1 = 144;
constexpr int kOffLen2 = 148;
constexpr int kOffText1 = 152;
constexpr int kOffText2 = 408;
constexpr int kTextField = 256;
}  // namespace RecordLayout

// The 800-byte NotifyRecord.  The executable name is cut to 31 bytes, the
// stamp to 17, each text to 255 (callers refuse longer texts beforehand).
QByteArray buildNotifyRecord(int pid, const QByteArray& exeNameAnsi, const QByteArray& stamp17,
                             const QByteArray& text1Ansi, const QByteArray& text2Ansi);

// A record of the given size (at least 1 byte) with the code in its first
// word, the size in the second when there is room, and zeros elsewhere.
// The close command is closeCommand() = 128 bytes with code -88888.
QByteArray buildRawRecord(int code, int size);
QByteArray closeCommand();

// The first 32-bit word of a received message (bytes beyond it count as 0).
int slotHeaderCode(const QByteArray& message);
// A record that closes the program that receives it: its code word is
// kCloseCode.
bool isCloseCommand(const QByteArray& message);
// The second 32-bit word (the record size field).
int slotHeaderSize(const QByteArray& message);

// A received record taken apart (texts still in the ANSI code page).
struct NotifyRecordView {
    int code = 0;
    int size = 0;
    int word8 = 0;
    int pid = 0;
    QByteArray exeName;  // up to the first NUL of its field
    QByteArray name2;    // the whole 32-byte second name field
    QByteArray stamp;    // up to the first NUL of its field (17 digits)
    int kind = 0;
    int len1 = 0;
    int len2 = 0;
    QByteArray text1;  // len1 bytes, clamped to the field
    QByteArray text2;
    bool complete = false;  // the message was 800 bytes or more
};
NotifyRecordView decodeNotifyRecord(const QByteArray& message);

// The mailslot name of a program, as every program of the family spells it:
// the executable name in UTF-8.
std::string mailslotName(const QString& exeName);

// The link to one recorder: found by the caption of its main window, written
// to through one handle to its mailslot, opened on first use and kept
// between sends.  The application owns it and hands it to what sends; a
// second recorder would be a second link.
class RecorderLink {
public:
    // The recorder of the program table, none when the table has no entry
    // for it; records carry this program's own executable name.
    explicit RecorderLink(const EnvRecord& env);
    RecorderLink(std::optional<ProgEntry> recorder, QString ownExeName);
    ~RecorderLink();
    RecorderLink(const RecorderLink&) = delete;
    RecorderLink& operator=(const RecorderLink&) = delete;

    // 1 when the recorder's main window exists, else -1.
    int alive() const;
    // 800 when the record went out or waits in the outgoing queue for the
    // recorder to read (see SlotWrite); -1 or a negative SlotWrite code when
    // it was refused.
    int send(const QString& text1, const QString& text2);
    // 1 when a cached handle was closed, -1 when none was open.
    int close();
    // The cached write handle to the recorder's mailslot (0: none).
    int handle() const { return handle_; }

private:
    std::optional<ProgEntry> recorder_;
    QString ownExeName_;
    int handle_ = 0;
};

}  // namespace uFCom_Bas
