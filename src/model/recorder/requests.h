#pragma once
// Requests to the running program and its replies, over mailslots: what
// uPVelmora-ctl (or any program that speaks the records) sends to the
// program's own slot, and what the program answers on the slot the request
// names.  A message too long for one record goes in parts.
//
// Every record is the family's 128-byte header (code, size, 0, reserved,
// the sender's process id and executable name, the second name field, the
// time stamp), then, little-endian:
//
//   offset 128  int32  message id (the sender's; a reply carries its request's)
//   offset 132  int32  part index, 0 for the first
//   offset 136  int32  parts in the message, 1 to kMessagePartsMax
//   offset 140  int32  payload bytes in this part, 0 to kPartPayloadMax
//   offset 144  32     the slot to reply on (requests), NUL-padded; zeros in replies
//                      (letters, digits, '.', '_', '-'; not beginning with '.')
//   offset 176         the part's payload bytes
//
// The whole payload, the parts' in order, is a list of fields, each an
// int32 byte count and the bytes.  A request's first field is its operation
// (ASCII: add, list, remove, import, export), the others its arguments; a
// reply's fields are the result ("0" done, "1" refused), the status line and
// the body.  Texts are in the ANSI code page (CP932); an import's file is
// sent as its bytes.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <optional>
#include <utility>

namespace uFCom_Bas {

constexpr int kRequestCode = 88201;
constexpr int kReplyCode = 88202;

namespace RequestLayout {
constexpr int kOffMessage = 128;
constexpr int kOffPart = 132;
constexpr int kOffParts = 136;
constexpr int kOffLength = 140;
constexpr int kOffReplySlot = 144;
constexpr int kReplySlotField = 32;
constexpr int kOffPayload = 176;
}  // namespace RequestLayout

// The most bytes of one text argument of a request (a message part, a rule
// word, the options); an import's file may be longer.
constexpr int kRequestTextMax = 1024;

// The most payload one record holds, and the most parts of a message.
constexpr int kPartPayloadMax = 4032 - RequestLayout::kOffPayload;
constexpr int kMessagePartsMax = 64;

struct MessagePart {
    int code = 0;
    int message = 0;
    int part = 0;
    int parts = 0;
    QByteArray replySlot;  // up to its first NUL
    QByteArray payload;
};

// The records of a message; none when the payload needs more than
// kMessagePartsMax parts or the reply slot's name more than 31 bytes.
QList<QByteArray> BuildMessage(int code, int pid, const QByteArray& exeName, int message, const QByteArray& replySlot,
                               const QByteArray& payload);
// A record taken apart; none when it is no part of a message (another code,
// shorter than its header, counts out of range, a length past its end).
std::optional<MessagePart> DecodePart(const QByteArray& record);

// Puts parts together, per sender (reply slot) and message id.  At most
// kPendingMax messages wait for their parts; a new one then drops the
// oldest.  Parts that do not fit their message's count drop it.
class MessageAssembler {
public:
    static constexpr int kPendingMax = 16;
    // The whole payload once the message's last part is in; none before.
    // dropped (when given) tells whether the part ended its message
    // unfinished or came without one, or put out the oldest waiting one.
    std::optional<QByteArray> add(const MessagePart& part, bool* dropped = nullptr);

private:
    struct Pending {
        int parts = 0;
        QList<QByteArray> payloads;
        long long order = 0;
    };
    QMap<std::pair<QByteArray, int>, Pending> pending_;
    long long next_ = 0;
};

// The payload's field list.  Unpack gives none when the bytes are no such
// list (a count past the end, a negative count).
QByteArray PackFields(const QList<QByteArray>& fields);
std::optional<QList<QByteArray>> UnpackFields(const QByteArray& payload);

}  // namespace uFCom_Bas
