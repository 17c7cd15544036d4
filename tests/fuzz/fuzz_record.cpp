// Notification records: any datagram decodes without reading past its end,
// and a built record decodes to what went in.
#include "fuzz_check.h"
#include "model/recorder/recorder.h"

#include <algorithm>

namespace {

using namespace uFCom_Bas;

QByteArray bytes(const std::string& s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// The field as a record carries it: at most max bytes, up to a NUL.
QByteArray field(const QByteArray& b, int max)
{
    QByteArray f = b.left(max);
    const qsizetype nul = f.indexOf('\0');
    return nul < 0 ? f : f.left(nul);
}

void checkArbitrary(const QByteArray& message)
{
    const NotifyRecordView v = decodeNotifyRecord(message);
    FUZZ_CHECK(v.exeName.size() <= 32 && v.stamp.size() <= 18 && v.name2.size() <= 32, "name field too long");
    FUZZ_CHECK(v.text1.size() <= std::clamp(v.len1, 0, 256) && v.text2.size() <= std::clamp(v.len2, 0, 256),
               "text longer than its length field");
    FUZZ_CHECK(v.complete == (message.size() >= kNotifyRecordSize), "complete flag wrong");
    FUZZ_CHECK(slotHeaderCode(message) == v.code && slotHeaderSize(message) == v.size, "header words differ");
    if (v.complete) {
        FUZZ_CHECK(v.text1.size() == std::clamp(v.len1, 0, 256) && v.text2.size() == std::clamp(v.len2, 0, 256),
                   "text of a whole record shorter than its length field");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The fuzzer's own buffer, not a copy: a read past its end is caught.
    checkArbitrary(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

    FuzzedDataProvider in(data, size);
    const int pid = in.ConsumeIntegral<int>();
    const QByteArray exe = bytes(in.ConsumeRandomLengthString(40));
    const QByteArray stamp = bytes(in.ConsumeRandomLengthString(24));
    const QByteArray text1 = bytes(in.ConsumeRandomLengthString(300));
    const QByteArray text2 = bytes(in.ConsumeRandomLengthString(300));
    const QByteArray record = buildNotifyRecord(pid, exe, stamp, text1, text2);
    FUZZ_CHECK(record.size() == kNotifyRecordSize, "record is not 800 bytes");

    const NotifyRecordView v = decodeNotifyRecord(record);
    FUZZ_CHECK(v.code == kNotifyCode && v.size == kNotifyRecordSize && v.complete && v.pid == pid && v.kind == 0,
               "record header does not decode");
    FUZZ_CHECK(v.exeName == field(exe, 31), "executable name " + quoted(exe.toStdString()) + " decodes as " +
                                                quoted(v.exeName.toStdString()));
    FUZZ_CHECK(v.stamp == field(stamp, 17), "stamp does not decode");
    FUZZ_CHECK(v.name2 == QByteArray(1, '\0') + QByteArray(31, ' '), "second name field is not NUL and spaces");
    FUZZ_CHECK(v.len1 == std::min<int>(text1.size(), kNotifyTextMax) && v.text1 == text1.left(kNotifyTextMax) &&
                   v.len2 == std::min<int>(text2.size(), kNotifyTextMax) && v.text2 == text2.left(kNotifyTextMax),
               "texts do not decode");
    return 0;
}
