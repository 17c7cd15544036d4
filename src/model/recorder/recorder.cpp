#include "model/recorder/recorder.h"

#include "model/config/env.h"
#include "core/datetime.h"
#include "core/mailslot.h"
#include "core/seam.h"
#include "core/windowsearch.h"
#include "model/platform/text.h"

#include <QCoreApplication>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace uFCom_Bas {

namespace {

namespace L = RecordLayout;
namespace ms = platform::mailslot;

void putInt(QByteArray& record, int offset, qint32 value)
{
    qToLittleEndian<qint32>(value, record.data() + offset);
}

int getInt(const QByteArray& message, int offset)
{
    char bytes[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        if (offset + i < message.size()) bytes[i] = message.at(offset + i);
    }
    return qFromLittleEndian<qint32>(bytes);
}

void putBytes(QByteArray& record, int offset, const QByteArray& bytes, int maxLen)
{
    const int n = std::min<int>(static_cast<int>(bytes.size()), maxLen);
    if (n > 0) std::memcpy(record.data() + offset, bytes.constData(), static_cast<size_t>(n));
}

// Bytes of a field up to its first NUL (or the field's end, or the message's).
QByteArray fieldUntilNul(const QByteArray& message, int offset, int width)
{
    if (offset >= message.size()) return {};
    QByteArray field = message.mid(offset, width);
    const qsizetype nul = field.indexOf('\0');
    if (nul >= 0) field.truncate(nul);
    return field;
}

bool recorderWindowFound(const QString& caption)
{
    return seam::current<platform::WindowSearch>().exists(caption.toStdString());
}

std::optional<ProgEntry> recorderOf(const EnvRecord& env)
{
    for (int i = 0; i < env.ProgCount && i < static_cast<int>(env.Progs.size()); ++i) {
        if (env.Progs[static_cast<size_t>(i)].ExeName == kRecorderExeName) return env.Progs[static_cast<size_t>(i)];
    }
    return std::nullopt;
}

}  // namespace

QByteArray buildNotifyRecord(int pid, const QByteArray& exeNameAnsi, const QByteArray& stamp17,
                             const QByteArray& text1Ansi, const QByteArray& text2Ansi)
{
    QByteArray record(kNotifyRecordSize, '\0');
    putInt(record, L::kOffCode, kNotifyCode);
    putInt(record, L::kOffSize, kNotifyRecordSize);
    putInt(record, L::kOffWord8, 0);
    putInt(record, L::kOffPid, pid);
    // At most 31 bytes, so that the field always ends in NUL.
    putBytes(record, L::kOffExeName, exeNameAnsi, L::kExeNameField - 1);
    // Second name field: one NUL, then 31 spaces.
    std::memset(record.data() + L::kOffName2 + 1, ' ', L::kName2Field - 1);
    putBytes(record, L::kOffStamp, stamp17, L::kStampField - 1);
    putInt(record, L::kOffKind, 0);
    const int len1 = std::min<int>(static_cast<int>(text1Ansi.size()), kNotifyTextMax);
    const int len2 = std::min<int>(static_cast<int>(text2Ansi.size()), kNotifyTextMax);
    putInt(record, L::kOffLen1, len1);
    putInt(record, L::kOffLen2, len2);
    putBytes(record, L::kOffText1, text1Ansi, len1);
    putBytes(record, L::kOffText2, text2Ansi, len2);
    return record;
}

QByteArray buildRawRecord(int code, int size)
{
    QByteArray record(std::max(size, 1), '\0');
    char bytes[4];
    qToLittleEndian<qint32>(code, bytes);
    std::memcpy(record.data(), bytes, static_cast<size_t>(std::min<qsizetype>(record.size(), 4)));
    if (record.size() >= 8) putInt(record, L::kOffSize, size);
    return record;
}

QByteArray closeCommand()
{
    QByteArray record(kSlotHeaderSize, '\0');
    putInt(record, L::kOffCode, kCloseCode);
    return record;
}

int slotHeaderCode(const QByteArray& message)
{
    return getInt(message, L::kOffCode);
}

bool isCloseCommand(const QByteArray& message)
{
    return message.size() >= 4 && slotHeaderCode(message) == kCloseCode;
}

int slotHeaderSize(const QByteArray& message)
{
    return getInt(message, L::kOffSize);
}

NotifyRecordView decodeNotifyRecord(const QByteArray& message)
{
    NotifyRecordView v;
    v.code = getInt(message, L::kOffCode);
    v.size = getInt(message, L::kOffSize);
    v.word8 = getInt(message, L::kOffWord8);
    v.pid = getInt(message, L::kOffPid);
    v.exeName = fieldUntilNul(message, L::kOffExeName, L::kExeNameField);
    v.name2 = message.mid(L::kOffName2, L::kName2Field);
    v.stamp = fieldUntilNul(message, L::kOffStamp, L::kStampField);
    v.kind = getInt(message, L::kOffKind);
    v.len1 = getInt(message, L::kOffLen1);
    v.len2 = getInt(message, L::kOffLen2);
    v.text1 = message.mid(L::kOffText1, std::clamp(v.len1, 0, L::kTextField));
    v.text2 = message.mid(L::kOffText2, std::clamp(v.len2, 0, L::kTextField));
    v.complete = message.size() >= kNotifyRecordSize;
    return v;
}

std::string mailslotName(const QString& exeName)
{
    return exeName.toStdString();
}

RecorderLink::RecorderLink(const EnvRecord& env) : RecorderLink(recorderOf(env), ExeBaseName())
{}

RecorderLink::RecorderLink(std::optional<ProgEntry> recorder, QString ownExeName)
    : recorder_(std::move(recorder)), ownExeName_(std::move(ownExeName))
{}

RecorderLink::~RecorderLink()
{
    close();
}

int RecorderLink::alive() const
{
    if (!recorder_) return -1;
    return recorderWindowFound(recorder_->WinCaption) ? 1 : -1;
}

int RecorderLink::send(const QString& text1, const QString& text2)
{
    // Texts too long: dropped, the cached handle untouched.
    if (AnsiByteLen(text1) > kNotifyTextMax || AnsiByteLen(text2) > kNotifyTextMax) return -1;

    // The recorder must have a slot and a window.
    if (!recorder_ || !recorderWindowFound(recorder_->WinCaption)) {
        close();
        return -1;
    }

    // The record.
    std::string display;
    const std::string stamp = platform::DateTimeText(display);
    const QByteArray record =
        buildNotifyRecord(static_cast<int>(QCoreApplication::applicationPid()), toAnsi(ownExeName_),
                          QByteArray(stamp.data(), static_cast<qsizetype>(stamp.size())), toAnsi(text1), toAnsi(text2));
    const std::string name = mailslotName(recorder_->ExeName);

    // Open on first use; a failed open is never kept.
    if (handle_ == 0) {
        const int handle = ms::SlotOpen(name);
        if (handle < 0) {
            close();
            return -1;
        }
        handle_ = handle;
    }

    // Write.
    int written = ms::SlotWrite(handle_, kNotifyRecordSize, record.constData());
    if (written >= 0) return written;
    // The slot is there but its outgoing queue is at its bound: another
    // open would find the same queue.
    if (written == ms::kWriteQueueFull) return written;

    // Recover once: the recorder may have restarted under the same name.
    close();
    const int handle = ms::SlotOpen(name);
    if (handle < 0) {
        close();
        return -1;
    }
    handle_ = handle;
    written = ms::SlotWrite(handle_, kNotifyRecordSize, record.constData());
    if (written < 0) {
        close();
        return written;
    }
    return written;
}

int RecorderLink::close()
{
    if (handle_ == 0) return -1;
    ms::HandleClose(handle_);
    handle_ = 0;
    return 1;
}

}  // namespace uFCom_Bas
