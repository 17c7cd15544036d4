// The records of requests and replies: a message built into parts and put
// together again, what a part that is no such record becomes, and the
// fields of a payload.
#include <gtest/gtest.h>

#include <QtEndian>
#include <algorithm>

#include "core/mailslot.h"
#include "model/recorder/recorder.h"
#include "model/recorder/requests.h"

using namespace uFCom_Bas;
using namespace uFCom_Bas::RequestLayout;

namespace {

QByteArray bytes(int n, char seed)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i) b[i] = static_cast<char>(seed + i % 251);
    return b;
}

void put(QByteArray& r, int at, int v)
{
    qToLittleEndian<qint32>(v, r.data() + at);
}

// The payload put together from the parts as they come.
std::optional<QByteArray> assemble(const QList<QByteArray>& records)
{
    MessageAssembler a;
    std::optional<QByteArray> out;
    for (const QByteArray& r : records) {
        const std::optional<MessagePart> p = DecodePart(r);
        if (!p) return std::nullopt;
        out = a.add(*p);
    }
    return out;
}

}  // namespace

TEST(Requests, AMessageGoesInPartsThatFitASlotAndComeBackWhole)
{
    struct Case {
        int payload;
        int parts;
    } cases[] = {{0, 1}, {1, 1}, {kPartPayloadMax, 1}, {kPartPayloadMax + 1, 2}, {kPartPayloadMax * kMessagePartsMax, kMessagePartsMax}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.payload);
        const QByteArray payload = bytes(c.payload, 'a');
        const QList<QByteArray> records =
            BuildMessage(kRequestCode, 4242, "uPVelmora-ctl", 77, "uPVelmora-ctl.4242", payload);
        ASSERT_EQ(records.size(), c.parts);
        for (int i = 0; i < records.size(); ++i) {
            const QByteArray& r = records[i];
            EXPECT_LE(r.size(), platform::mailslot::kMaxMessage);
            EXPECT_EQ(slotHeaderCode(r), kRequestCode);
            EXPECT_EQ(slotHeaderSize(r), r.size());
            const std::optional<MessagePart> p = DecodePart(r);
            ASSERT_TRUE(p);
            EXPECT_EQ(p->message, 77);
            EXPECT_EQ(p->part, i);
            EXPECT_EQ(p->parts, c.parts);
            EXPECT_EQ(p->replySlot, "uPVelmora-ctl.4242");
        }
        EXPECT_EQ(assemble(records), payload);
    }
    EXPECT_TRUE(BuildMessage(kRequestCode, 1, "x", 1, "r", bytes(kPartPayloadMax * kMessagePartsMax + 1, 'a')).isEmpty())
        << "too long for the parts a message may have";
    EXPECT_TRUE(BuildMessage(kRequestCode, 1, "x", 1, QByteArray(kReplySlotField, 'r'), "p").isEmpty())
        << "the reply slot's name leaves no room for its end";
}

TEST(Requests, ARecordThatIsNoPartIsRefused)
{
    const QByteArray good = BuildMessage(kRequestCode, 1, "x", 5, "reply", "payload").first();
    struct Case {
        const char* what;
        std::function<void(QByteArray&)> spoil;
    } cases[] = {
        {"the close command's code", [](QByteArray& r) { put(r, 0, 88101); }},
        {"shorter than its header", [](QByteArray& r) { r.truncate(kOffPayload - 1); }},
        {"no parts", [](QByteArray& r) { put(r, kOffParts, 0); }},
        {"more parts than a message may have", [](QByteArray& r) { put(r, kOffParts, kMessagePartsMax + 1); }},
        {"a part index past the count", [](QByteArray& r) { put(r, kOffPart, 1); }},
        {"a negative part index", [](QByteArray& r) { put(r, kOffPart, -1); }},
        {"a length past the record's end", [](QByteArray& r) { put(r, kOffLength, 8); }},
        {"a negative length", [](QByteArray& r) { put(r, kOffLength, -1); }},
        {"a length past a part's room", [](QByteArray& r) {
             r.resize(kOffPayload + kPartPayloadMax + 1);
             put(r, kOffLength, kPartPayloadMax + 1);
         }},
    };
    ASSERT_TRUE(DecodePart(good));
    EXPECT_EQ(DecodePart(good)->payload, "payload");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray r = good;
        c.spoil(r);
        EXPECT_FALSE(DecodePart(r));
    }
    // A reply slot's name that fills its field has no end to look for.
    QByteArray full = good;
    std::fill(full.begin() + kOffReplySlot, full.begin() + kOffReplySlot + kReplySlotField, 'n');
    ASSERT_TRUE(DecodePart(full));
    EXPECT_EQ(DecodePart(full)->replySlot, QByteArray(kReplySlotField, 'n'));
}

// Parts of several senders' messages interleaved: each message comes whole
// from its own parts; one whose parts do not fit is dropped, and the oldest
// waiting message goes when too many wait.
TEST(Requests, PartsArePutTogetherPerSenderAndMessage)
{
    const QByteArray p1 = bytes(kPartPayloadMax * 2 + 10, 'a');
    const QByteArray p2 = bytes(kPartPayloadMax + 3, 'k');
    const QList<QByteArray> a = BuildMessage(kRequestCode, 1, "x", 1, "one", p1);
    const QList<QByteArray> b = BuildMessage(kRequestCode, 2, "x", 1, "two", p2);
    MessageAssembler m;
    auto add = [&](const QByteArray& r) { return m.add(*DecodePart(r)); };
    EXPECT_FALSE(add(a[0]));
    EXPECT_FALSE(add(b[0]));
    EXPECT_FALSE(add(a[1]));
    EXPECT_EQ(add(b[1]), p2);
    EXPECT_EQ(add(a[2]), p1);

    // Out of order: the message is dropped, and a later whole one is taken.
    bool dropped = true;
    EXPECT_FALSE(m.add(*DecodePart(a[0]), &dropped));
    EXPECT_FALSE(dropped);
    EXPECT_FALSE(m.add(*DecodePart(a[2]), &dropped));
    EXPECT_TRUE(dropped);
    EXPECT_FALSE(add(a[1])) << "dropped with its wrong part";
    EXPECT_FALSE(m.add(*DecodePart(a[1]), &dropped)) << "a message begins with its first part";
    EXPECT_TRUE(dropped);
    EXPECT_FALSE(add(a[0]));
    EXPECT_FALSE(add(a[1]));
    EXPECT_EQ(add(a[2]), p1);

    // Too many begun: the first goes.
    for (int i = 0; i <= MessageAssembler::kPendingMax; ++i)
        EXPECT_FALSE(add(BuildMessage(kRequestCode, 1, "x", 100 + i, "many", p2).first()));
    EXPECT_FALSE(m.add(*DecodePart(BuildMessage(kRequestCode, 1, "x", 100, "many", p2)[1]), &dropped))
        << "the oldest was dropped";
    EXPECT_TRUE(dropped);
    EXPECT_EQ(add(BuildMessage(kRequestCode, 1, "x", 101, "many", p2)[1]), p2);
}

TEST(Requests, FieldsPackAndOnlyWellFormedListsUnpack)
{
    const QList<QByteArray> fields = {"add", "", QByteArray("\0\x01", 2), bytes(5000, 'x')};
    EXPECT_EQ(UnpackFields(PackFields(fields)), fields);
    EXPECT_EQ(UnpackFields(QByteArray()), QList<QByteArray>{});
    QByteArray negative(4, '\0');
    put(negative, 0, -1);
    QByteArray past(4, '\0');
    put(past, 0, 3);
    struct Case {
        const char* what;
        QByteArray payload;
    } cases[] = {
        {"a count cut short", QByteArray("\x03\x00", 2)},
        {"a negative count", negative},
        {"a count past the end", past + "ab"},
        {"a good field, then a cut count", PackFields({"list"}) + QByteArray("\x01", 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(UnpackFields(c.payload));
    }
}
