// Sends one record to a mailslot of the family, as another program would.
//   slotsend NAME                         the 128-byte close command (-88888)
//   slotsend NAME --code N [--size BYTES] a record of code N (code and size
//                                         words, zeros after); code 88011
//                                         without --size is a full 800-byte
//                                         notification record
//   --text1 T / --text2 T                 texts of that notification record
// A full queue is retried for up to two seconds.  Exit status 0 on delivery,
// 2 otherwise (with a message on stderr).
#include "core/datetime.h"
#include "core/mailslot.h"
#include "model/platform/text.h"
#include "model/recorder/recorder.h"

#include <QCoreApplication>
#include <QString>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

namespace ms = platform::mailslot;

constexpr int kFullQueueWaitMs = 2000;

int fail(const std::string& message)
{
    std::fprintf(stderr, "slotsend: %s\n", message.c_str());
    return 2;
}

bool parseInt(const char* text, int& value)
{
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno || !end || *end || end == text || v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* usage = "usage: slotsend NAME [--code N [--size BYTES] [--text1 T] [--text2 T]]";
    if (argc < 2 || argv[1][0] == '-') return fail(usage);
    const std::string name = argv[1];
    bool haveCode = false, haveSize = false;
    int code = uFCom_Bas::kCloseCode, size = 0;
    QString text1, text2;
    for (int i = 2; i < argc; ++i) {
        const std::string opt = argv[i];
        if (i + 1 >= argc) return fail("missing value after " + opt);
        const char* value = argv[++i];
        if (opt == "--code") {
            if (!parseInt(value, code)) return fail("bad code " + std::string(value));
            haveCode = true;
        } else if (opt == "--size") {
            if (!parseInt(value, size)) return fail("bad size " + std::string(value));
            haveSize = true;
        } else if (opt == "--text1") {
            text1 = QString::fromUtf8(value);
        } else if (opt == "--text2") {
            text2 = QString::fromUtf8(value);
        } else {
            return fail(usage);
        }
    }

    QByteArray record;
    if (!haveCode && !haveSize) {
        record = uFCom_Bas::closeCommand();
    } else if (code == uFCom_Bas::kNotifyCode && (!haveSize || size == uFCom_Bas::kNotifyRecordSize)) {
        std::string display;
        const std::string stamp = platform::DateTimeText(display);
        record = uFCom_Bas::buildNotifyRecord(static_cast<int>(QCoreApplication::applicationPid()), "slotsend",
                                              QByteArray::fromStdString(stamp), uFCom_Bas::toAnsi(text1),
                                              uFCom_Bas::toAnsi(text2));
    } else {
        if (!haveSize) size = uFCom_Bas::kSlotHeaderSize;
        if (size <= 0 || size > ms::kMaxMessage) return fail("size must be 1 to " + std::to_string(ms::kMaxMessage));
        record = uFCom_Bas::buildRawRecord(code, size);
    }

    const int handle = ms::SlotOpen(name);
    if (handle == ms::kOpenNotFound) return fail("no mailslot " + name);
    if (handle < 0) return fail("cannot open the mailslot " + name);
    // A slot's queue holds only a few datagrams; a full one is tried again
    // as room comes free, for up to two seconds.
    const int written =
        ms::SlotWriteWaiting(handle, static_cast<int>(record.size()), record.constData(), kFullQueueWaitMs);
    ms::HandleClose(handle);
    if (written != record.size()) return fail("write to " + name + " failed (" + std::to_string(written) + ")");
    return 0;
}
