// Requests from other programs: any datagram decodes without reading past
// its end into a part that keeps to its bounds, any payload unpacks only
// into fields that pack back to it, a message built from fields comes back
// whole through its parts, and the running program's operations take any
// fields without harm, saving only a file that reads back.
#include <QtGlobal>

#include "fuzz_check.h"
#include "fuzz_tempdir.h"
#include "gui/recorder/requests.h"
#include "model/config/myconf.h"
#include "model/recorder/requests.h"

namespace {

using namespace uFCom_Bas;

QByteArray bytes(const std::string& s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

void checkArbitrary(const QByteArray& record)
{
    const std::optional<MessagePart> p = DecodePart(record);
    if (p) {
        FUZZ_CHECK(p->parts >= 1 && p->parts <= kMessagePartsMax && p->part >= 0 && p->part < p->parts,
                   "part counts out of range");
        FUZZ_CHECK(p->payload.size() <= kPartPayloadMax && p->payload.size() <= record.size() - RequestLayout::kOffPayload,
                   "payload past its bounds");
        FUZZ_CHECK(p->replySlot.size() <= RequestLayout::kReplySlotField && !p->replySlot.contains('\0'),
                   "reply slot past its field");
    }
    if (const std::optional<QList<QByteArray>> fields = UnpackFields(record))
        FUZZ_CHECK(PackFields(*fields) == record, "fields do not pack back to their payload");
}

// A program's configuration in a file of its own.
uFConf::MyConf& conf()
{
    static const std::string path = fuzzTempDir() + "/uPVelmora.conf";
    static uFConf::MyConf* c = [] {
        uFConf::MyConf::Binding b;
        b.confPath = []() { return QString::fromStdString(path); };
        return new uFConf::MyConf(std::move(b));
    }();
    return *c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qInstallMessageHandler(failOnQtWarning);
    checkArbitrary(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

    FuzzedDataProvider in(data, size);
    QList<QByteArray> fields;
    const int n = in.ConsumeIntegralInRange<int>(0, 8);
    const bool known = in.ConsumeBool();
    for (int i = 0; i < n; ++i) fields << bytes(in.ConsumeRandomLengthString(i == 0 ? 8 : 200));
    if (known && !fields.isEmpty()) {
        static const char* const ops[] = {"add", "remove", "list", "import", "export"};
        fields[0] = ops[in.ConsumeIntegralInRange<int>(0, 4)];
    }
    const int message = in.ConsumeIntegral<int>();
    const QByteArray reply = bytes(in.ConsumeRandomLengthString(40)).replace('\0', 'x');
    const QList<QByteArray> records = BuildMessage(kRequestCode, 1, "fuzz", message, reply, PackFields(fields));
    FUZZ_CHECK(records.isEmpty() == (reply.size() >= RequestLayout::kReplySlotField), "a message was not built");
    MessageAssembler assembler;
    std::optional<QByteArray> whole;
    for (const QByteArray& r : records) {
        const std::optional<MessagePart> p = DecodePart(r);
        FUZZ_CHECK(p && p->message == message && p->replySlot == reply, "a built part does not decode");
        whole = assembler.add(*p);
    }
    if (!records.isEmpty()) FUZZ_CHECK(whole && UnpackFields(*whole) == fields, "the message does not come back whole");

    // The program's operations on these fields, on a file that starts empty
    // each time: they answer, and what they save reads back.
    const std::string path = fuzzTempDir() + "/uPVelmora.conf";
    if (FILE* f = std::fopen(path.c_str(), "wb")) std::fclose(f);
    conf().MyConfRead();
    RequestServer server(nullptr, &conf(), QStringLiteral("uPVelmora"), {});
    if (!fields.isEmpty()) {
        (void)server.perform(fields);
        const QStringList saved = conf().schedule().storedEntries();
        conf().MyConfRead();
        FUZZ_CHECK(conf().schedule().storedEntries() == saved, "what was saved does not read back");
    }
    return 0;
}
