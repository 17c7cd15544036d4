// The notification record and the slot header, byte for byte as the
// recorder reads them.
#include <gtest/gtest.h>

#include "model/recorder/recorder.h"
#include "model/platform/text.h"
#include "expected_record.h"

using namespace uFCom_Bas;
using testsupport::expectedRecord;

TEST(NotifyRecord, LayoutByteForByte)
{
    struct Case {
        const char* what;
        QByteArray exe, t1, t2;
    };
    const QByteArray stamp = "20260102030405006";
    const Case cases[] = {
        {"short texts", "uPVelmora", "abc", "xyz"},
        {"empty texts", "uPVelmora", "", ""},
        {"text 1 of 255 bytes", "uPVelmora", QByteArray(255, 'a'), "b"},
        {"text 2 of 255 bytes", "uPVelmora", "", QByteArray(255, 'z')},
        {"CP932 text", "uPVelmora", toAnsi(QStringLiteral("ｺｰｳﾞｪｲﾝ 起動")), toAnsi(QStringLiteral("～①髙"))},
        {"exe name of 31 bytes", QByteArray(31, 'e'), "t", "u"},
        {"exe name of 40 bytes cut to 31", QByteArray("abcdefghijklmnopqrstuvwxyz0123456789ABCD"), "t", "u"},
    };
    for (const Case& c : cases) {
        const QByteArray got = buildNotifyRecord(4242, c.exe, stamp, c.t1, c.t2);
        ASSERT_EQ(got.size(), 800) << c.what;
        EXPECT_EQ(got, expectedRecord(4242, c.exe, stamp, c.t1, c.t2)) << c.what;
    }

    const QByteArray cut = buildNotifyRecord(1, QByteArray(40, 'N'), stamp, "", "");
    EXPECT_EQ(cut.mid(36, 31), QByteArray(31, 'N'));
    EXPECT_EQ(cut[67], '\0') << "the sender field always ends in NUL";
    EXPECT_EQ(cut[68], '\0') << "the second name field starts with NUL";
    EXPECT_EQ(cut.mid(69, 31), QByteArray(31, ' '));
    EXPECT_EQ(cut.mid(100, 17), stamp);
    EXPECT_EQ(cut[117], '\0');
    EXPECT_EQ(cut.mid(118, 10), QByteArray(10, '\0'));
    EXPECT_EQ(cut.mid(128, 24), QByteArray(24, '\0')) << "kind 0, reserved, lengths 0";
    EXPECT_EQ(cut.mid(152, 648), QByteArray(648, '\0')) << "empty texts leave all-zero fields";
}

TEST(NotifyRecord, DecoderReadsWhatTheBuilderWrote)
{
    const QByteArray t1 = toAnsi(QStringLiteral("ｶﾞｲﾄﾞ 09:30"));
    const QByteArray rec = buildNotifyRecord(77, "uPVelmora", "20260102030405006", t1, "var");
    const NotifyRecordView v = decodeNotifyRecord(rec);
    EXPECT_EQ(v.code, kNotifyCode);
    EXPECT_EQ(v.size, 800);
    EXPECT_EQ(v.pid, 77);
    EXPECT_EQ(v.exeName, QByteArray("uPVelmora"));
    EXPECT_EQ(v.name2, QByteArray(1, '\0') + QByteArray(31, ' '));
    EXPECT_EQ(v.stamp, QByteArray("20260102030405006"));
    EXPECT_EQ(v.len1, t1.size());
    EXPECT_EQ(v.text1, t1);
    EXPECT_EQ(fromAnsi(v.text1), QStringLiteral("ｶﾞｲﾄﾞ 09:30"));
    EXPECT_EQ(v.text2, QByteArray("var"));
    EXPECT_TRUE(v.complete);
}

TEST(NotifyRecord, HeaderCodeOfShortAndCloseMessages)
{
    struct Case {
        const char* what;
        QByteArray message;
        int code;
    };
    const Case cases[] = {
        {"close command", closeCommand(), -88888},
        {"close command of 4 bytes", closeCommand().left(4), -88888},
        {"notification", buildNotifyRecord(1, "x", "20260102030405006", "", ""), 88011},
        {"raw record", buildRawRecord(12345, 128), 12345},
        {"empty", QByteArray(), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(slotHeaderCode(c.message), c.code) << c.what;
    }

    const QByteArray close = closeCommand();
    EXPECT_EQ(close.size(), 128);
    EXPECT_EQ(close.mid(4), QByteArray(124, '\0'));
    EXPECT_EQ(slotHeaderSize(buildRawRecord(5, 300)), 300);
    EXPECT_EQ(buildRawRecord(5, 300).size(), 300);
    EXPECT_EQ(buildRawRecord(-88888, 4), closeCommand().left(4));
}
