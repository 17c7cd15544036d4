#pragma once
// What every fuzz target shares: a check that stops the run with a message
// (libFuzzer then keeps the input), the fuzz input reader, and the Qt
// message handler that turns a warning into a failed check.
#include <fuzzer/FuzzedDataProvider.h>

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(cond, what)                                                    \
    do {                                                                          \
        if (!(cond)) {                                                            \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                         std::string(what).c_str());                              \
            std::abort();                                                         \
        }                                                                         \
    } while (0)

// Bytes shown as a C string literal, for failure messages.
inline std::string quoted(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out + "\"";
}

// A Qt warning on the way stops the run, as a failed check does.
inline void failOnQtWarning(QtMsgType type, const QMessageLogContext&, const QString& msg)
{
    if (type == QtDebugMsg || type == QtInfoMsg) return;
    FUZZ_CHECK(false, "Qt message: " + msg.toStdString());
}
