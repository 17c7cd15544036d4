#include "model/recorder/requests.h"

#include <QtEndian>
#include <cstring>

#include "core/datetime.h"
#include "model/recorder/recorder.h"

namespace uFCom_Bas {

namespace {

using namespace RequestLayout;

void putInt(QByteArray& b, int at, int v)
{
    qToLittleEndian<qint32>(v, b.data() + at);
}

int getInt(const QByteArray& b, int at)
{
    return qFromLittleEndian<qint32>(b.constData() + at);
}

}  // namespace

QList<QByteArray> BuildMessage(int code, int pid, const QByteArray& exeName, int message, const QByteArray& replySlot,
                               const QByteArray& payload)
{
    QList<QByteArray> records;
    const int parts = qMax(1, static_cast<int>((payload.size() + kPartPayloadMax - 1) / kPartPayloadMax));
    if (parts > kMessagePartsMax || replySlot.size() >= kReplySlotField) return records;
    std::string display;
    const QByteArray stamp = QByteArray::fromStdString(platform::DateTimeText(display));
    for (int i = 0; i < parts; ++i) {
        const QByteArray chunk = payload.mid(static_cast<qsizetype>(i) * kPartPayloadMax, kPartPayloadMax);
        // The family's header, with the notification record's sender fields.
        QByteArray r = buildNotifyRecord(pid, exeName, stamp, QByteArray(), QByteArray()).left(kSlotHeaderSize);
        r.resize(kOffPayload + chunk.size(), '\0');
        putInt(r, RecordLayout::kOffCode, code);
        putInt(r, RecordLayout::kOffSize, static_cast<int>(r.size()));
        putInt(r, kOffMessage, message);
        putInt(r, kOffPart, i);
        putInt(r, kOffParts, parts);
        putInt(r, kOffLength, static_cast<int>(chunk.size()));
        std::memcpy(r.data() + kOffReplySlot, replySlot.constData(), static_cast<size_t>(replySlot.size()));
        std::memcpy(r.data() + kOffPayload, chunk.constData(), static_cast<size_t>(chunk.size()));
        records << r;
    }
    return records;
}

std::optional<MessagePart> DecodePart(const QByteArray& record)
{
    if (record.size() < kOffPayload) return std::nullopt;
    MessagePart p;
    p.code = getInt(record, RecordLayout::kOffCode);
    if (p.code != kRequestCode && p.code != kReplyCode) return std::nullopt;
    p.message = getInt(record, kOffMessage);
    p.part = getInt(record, kOffPart);
    p.parts = getInt(record, kOffParts);
    const int length = getInt(record, kOffLength);
    if (p.parts < 1 || p.parts > kMessagePartsMax || p.part < 0 || p.part >= p.parts) return std::nullopt;
    if (length < 0 || length > kPartPayloadMax || kOffPayload + length > record.size()) return std::nullopt;
    const QByteArray slot = record.mid(kOffReplySlot, kReplySlotField);
    p.replySlot = slot.left(slot.indexOf('\0') < 0 ? kReplySlotField : slot.indexOf('\0'));
    p.payload = record.mid(kOffPayload, length);
    return p;
}

std::optional<QByteArray> MessageAssembler::add(const MessagePart& part, bool* dropped)
{
    bool ignored = false;
    bool& lost = dropped ? *dropped : ignored;
    lost = false;
    if (part.parts == 1) return part.payload;
    const auto key = std::make_pair(part.replySlot, part.message);
    auto it = pending_.find(key);
    if (it == pending_.end()) {
        // Parts come in order: a message begins with its first.
        if (part.part != 0) {
            lost = true;
            return std::nullopt;
        }
        if (pending_.size() >= kPendingMax) {
            lost = true;
            auto oldest = pending_.begin();
            for (auto i = pending_.begin(); i != pending_.end(); ++i)
                if (i->order < oldest->order) oldest = i;
            pending_.erase(oldest);
        }
        it = pending_.insert(key, Pending{part.parts, {}, next_++});
    }
    if (it->parts != part.parts || part.part != it->payloads.size()) {
        pending_.erase(it);
        lost = true;
        return std::nullopt;
    }
    it->payloads << part.payload;
    if (it->payloads.size() < it->parts) return std::nullopt;
    QByteArray whole;
    for (const QByteArray& p : it->payloads) whole += p;
    pending_.erase(it);
    return whole;
}

QByteArray PackFields(const QList<QByteArray>& fields)
{
    QByteArray out;
    for (const QByteArray& f : fields) {
        QByteArray count(4, '\0');
        putInt(count, 0, static_cast<int>(f.size()));
        out += count + f;
    }
    return out;
}

std::optional<QList<QByteArray>> UnpackFields(const QByteArray& payload)
{
    QList<QByteArray> fields;
    qsizetype at = 0;
    while (at < payload.size()) {
        if (payload.size() - at < 4) return std::nullopt;
        const int n = getInt(payload, static_cast<int>(at));
        at += 4;
        if (n < 0 || n > payload.size() - at) return std::nullopt;
        fields << payload.mid(at, n);
        at += n;
    }
    return fields;
}

}  // namespace uFCom_Bas
