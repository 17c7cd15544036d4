// The recorder link: RecorderSend with its cached handle, its one recovery
// and its refusals (the records themselves: tests/model/test_records.cpp).
#include "model/config/env.h"
#include "core/datetime.h"
#include "core/mailslot.h"
#include "model/platform/text.h"
#include "model/recorder/recorder.h"
#include "expected_record.h"
#include "recorder_test_util.h"
#include "fakes.h"
#include "test_support.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace ms = platform::mailslot;
using namespace uFCom_Bas;
using rectest::readOne;
using testsupport::expectedRecord;

namespace {

const QString kCaption = QStringLiteral("ｺｰｳﾞｪｲﾝ [uPCorvane]");

QString repeat(const QString& s, int n)
{
    QString out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace

// RecorderSend against a slot named "uPCorvane" with the window search
// replaced; the program table comes from a real EnvInit.
class RecorderSendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        oldDir_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        testsupport::writeFile(dir_.file("uPVelmora.conf"), "[Section_Watch]\r\n");
        const EnvRecord env = EnvInit(QStringLiteral("ｳﾞｪﾙﾓﾗ"));
        ASSERT_EQ(ProgIndexGet(env, QStringLiteral("uPCorvane")), 0);
        link_ = std::make_unique<RecorderLink>(env);
    }

    void TearDown() override
    {
        link_.reset();
        if (slot_ >= 0) ms::HandleClose(slot_);
        std::filesystem::current_path(oldDir_);
    }

    // The program's link, as the tests call it.
    int RecorderAlive() const { return link_->alive(); }
    int RecorderSend(const QString& text1, const QString& text2) { return link_->send(text1, text2); }
    int RecorderClose() { return link_->close(); }

    // The recorder's slot; skips the test when another program keeps the name.
    bool startRecorderSlot()
    {
        slot_ = rectest::createRecorderSlot();
        return slot_ >= 0;
    }

    void stopRecorderSlot()
    {
        ms::HandleClose(slot_);
        slot_ = -1;
    }

    testsupport::TempDir dir_;
    std::filesystem::path oldDir_;
    int slot_ = -1;
    bool windowPresent_ = true;
    QStringList probed_;
    testsupport::FakeExeName exeName_{"uPVelmora"};
    std::unique_ptr<RecorderLink> link_;
    testsupport::StillClock clock_{platform::LocalTime{2026, 1, 2, 3, 4, 5, 6}};
    testsupport::FakeWindowSearch window_{[this](const std::string& caption) {
        probed_.append(QString::fromStdString(caption));
        return windowPresent_;
    }};
};

#define NEED_RECORDER_SLOT()                                                                        \
    if (!startRecorderSlot())                                                                       \
    GTEST_SKIP() << "the mailslot name uPCorvane is held by another program (tests not isolated)"

TEST_F(RecorderSendTest, DeliversOneRecordAndKeepsTheHandle)
{
    NEED_RECORDER_SLOT();
    EXPECT_EQ(RecorderSend(QStringLiteral("[ｳﾞｪﾙﾓﾗ] 定型部を登録しました。"), QStringLiteral("補足")), 800);
    ASSERT_EQ(probed_.value(0), kCaption);

    const QByteArray got = readOne(slot_);
    const QByteArray expected =
        expectedRecord(static_cast<int>(QCoreApplication::applicationPid()), "uPVelmora", "20260102030405006",
                       toAnsi(QStringLiteral("[ｳﾞｪﾙﾓﾗ] 定型部を登録しました。")), toAnsi(QStringLiteral("補足")));
    EXPECT_EQ(got, expected);

    const int handle = link_->handle();
    EXPECT_GT(handle, 0);
    EXPECT_EQ(RecorderSend(QStringLiteral("second"), QString()), 800);
    EXPECT_EQ(link_->handle(), handle) << "the handle is kept between sends";
    EXPECT_EQ(decodeNotifyRecord(readOne(slot_)).text1, QByteArray("second"));

    EXPECT_EQ(RecorderClose(), 1);
    EXPECT_EQ(link_->handle(), 0);
    EXPECT_EQ(RecorderClose(), -1);
}

TEST_F(RecorderSendTest, TextLimitsCountAnsiBytes)
{
    NEED_RECORDER_SLOT();
    struct Case {
        const char* what;
        QString t1, t2;
        int expected;
    };
    const Case cases[] = {
        {"text 1 of 255 bytes", QString(255, QLatin1Char('a')), QString(), 800},
        {"text 2 of 255 bytes", QString(), QString(255, QLatin1Char('b')), 800},
        {"127 double-byte characters and one byte", repeat(QStringLiteral("あ"), 127) + "x", QString(), 800},
        {"255 half-width katakana", repeat(QStringLiteral("ｱ"), 255), QString(), 800},
        {"empty texts", QString(), QString(), 800},
        {"text 1 of 256 bytes", QString(256, QLatin1Char('a')), QString(), -1},
        {"text 2 of 256 bytes", QString(), QString(256, QLatin1Char('b')), -1},
        {"128 double-byte characters", repeat(QStringLiteral("あ"), 128), QString(), -1},
        {"128 double-byte characters in text 2", QString(), repeat(QStringLiteral("漢"), 128), -1},
    };
    for (const Case& c : cases) {
        const int handleBefore = link_->handle();
        EXPECT_EQ(RecorderSend(c.t1, c.t2), c.expected) << c.what;
        const QByteArray got = readOne(slot_);
        if (c.expected == 800) {
            const NotifyRecordView v = decodeNotifyRecord(got);
            EXPECT_EQ(v.text1, toAnsi(c.t1)) << c.what;
            EXPECT_EQ(v.text2, toAnsi(c.t2)) << c.what;
            EXPECT_EQ(v.len1, AnsiByteLen(c.t1)) << c.what;
            EXPECT_EQ(v.len2, AnsiByteLen(c.t2)) << c.what;
            EXPECT_EQ(got.mid(152 + v.len1, 256 - v.len1), QByteArray(256 - v.len1, '\0')) << c.what;
            EXPECT_EQ(got.mid(408 + v.len2, 256 - v.len2), QByteArray(256 - v.len2, '\0')) << c.what;
        } else {
            EXPECT_TRUE(got.isEmpty()) << c.what << ": nothing is sent";
            EXPECT_EQ(link_->handle(), handleBefore) << c.what << ": the cached handle is untouched";
        }
    }
}

TEST_F(RecorderSendTest, TooLongTextIsRefusedBeforeTheWindowSearch)
{
    EXPECT_EQ(RecorderSend(QString(256, QLatin1Char('a')), QString()), -1);
    EXPECT_TRUE(probed_.isEmpty());
}

TEST_F(RecorderSendTest, WindowWithoutSlotKeepsNoHandle)
{
    const int result = RecorderSend(QStringLiteral("x"), QStringLiteral("y"));
    if (result == 800 && !rectest::slotsIsolated())
        GTEST_SKIP() << "a recorder slot of another program answered (tests not isolated)";
    EXPECT_EQ(result, -1);
    EXPECT_EQ(link_->handle(), 0);
    EXPECT_EQ(RecorderClose(), -1);
}

TEST_F(RecorderSendTest, NoWindowNoSendAndTheHandleIsClosed)
{
    NEED_RECORDER_SLOT();
    ASSERT_EQ(RecorderSend(QStringLiteral("first"), QString()), 800);
    ASSERT_GT(link_->handle(), 0);
    readOne(slot_);

    windowPresent_ = false;
    EXPECT_EQ(RecorderSend(QStringLiteral("second"), QString()), -1);
    EXPECT_EQ(link_->handle(), 0);
    EXPECT_TRUE(readOne(slot_).isEmpty()) << "nothing reaches a recorder whose window is gone";
    EXPECT_EQ(RecorderAlive(), -1);

    windowPresent_ = true;
    EXPECT_EQ(RecorderAlive(), 1);
    EXPECT_EQ(RecorderSend(QStringLiteral("third"), QString()), 800);
    EXPECT_EQ(decodeNotifyRecord(readOne(slot_)).text1, QByteArray("third"));
}

TEST_F(RecorderSendTest, RecorderRestartIsReachedByTheOneRecovery)
{
    NEED_RECORDER_SLOT();
    ASSERT_EQ(RecorderSend(QStringLiteral("before"), QString()), 800);
    readOne(slot_);

    stopRecorderSlot();
    ASSERT_TRUE(startRecorderSlot());
    EXPECT_EQ(RecorderSend(QStringLiteral("after"), QString()), 800);
    EXPECT_EQ(decodeNotifyRecord(readOne(slot_)).text1, QByteArray("after"));
    EXPECT_GT(link_->handle(), 0);
}

TEST_F(RecorderSendTest, RecorderGoneAfterOpenGivesMinusOne)
{
    NEED_RECORDER_SLOT();
    ASSERT_EQ(RecorderSend(QStringLiteral("before"), QString()), 800);
    stopRecorderSlot();
    EXPECT_EQ(RecorderSend(QStringLiteral("lost"), QString()), -1) << "the reopen finds no slot";
    EXPECT_EQ(link_->handle(), 0);
}

TEST_F(RecorderSendTest, ASlowRecorderLosesNothingUntilTheQueueIsAtItsBound)
{
    NEED_RECORDER_SLOT();
    // Far more than the recorder's own queue holds: every send is taken.
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(RecorderSend(QString::number(i), QString()), 800) << i;
    }
    EXPECT_GT(ms::SlotPending(), 0);
    for (int i = 0; i < 30; ++i) {
        ms::SlotFlush();
        EXPECT_EQ(decodeNotifyRecord(readOne(slot_)).text1, QByteArray::number(i));
    }

    // At the bound a send is refused at once, without a second open, and
    // sends go through again once the recorder reads.
    const int filler = ms::SlotOpen("uPCorvane");
    ASSERT_GE(filler, 0);
    const QByteArray junk(800, 'j');
    testing::internal::CaptureStderr();
    while (ms::SlotWrite(filler, 800, junk.constData()) > 0) {
    }
    ms::HandleClose(filler);
    EXPECT_EQ(RecorderSend(QStringLiteral("no room"), QString()), ms::kWriteQueueFull);
    EXPECT_NE(link_->handle(), 0);
    do {
        ms::SlotFlush();
    } while (!readOne(slot_).isEmpty() || ms::SlotPending() > 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(RecorderSend(QStringLiteral("room"), QString()), 800);
}

TEST_F(RecorderSendTest, WithoutProgramTableNothingIsSent)
{
    link_ = std::make_unique<RecorderLink>(EnvRecord{});
    EXPECT_EQ(RecorderAlive(), -1);
    EXPECT_EQ(RecorderSend(QStringLiteral("x"), QString()), -1);
    EXPECT_TRUE(probed_.isEmpty());
    EXPECT_EQ(link_->handle(), 0);
}

TEST_F(RecorderSendTest, AliveLooksForTheRecorderCaption)
{
    EXPECT_EQ(RecorderAlive(), 1);
    EXPECT_EQ(probed_, QStringList{kCaption});
    windowPresent_ = false;
    EXPECT_EQ(RecorderAlive(), -1);
}
