// Requests of other programs on the real main window's own slot, as
// uPVelmora-ctl sends them: each operation's answer, the head line and the
// lists after it, and what is dropped without an answer.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QListWidget>

#include "app/form1.h"
#include "core/mailslot.h"
#include "form_fixture.h"
#include "gui/platform/ufcom.h"
#include "model/recorder/recorder.h"
#include "model/recorder/requests.h"
#include "test_support.h"

namespace {

namespace ms = platform::mailslot;
using uFCom_Bas::fromAnsi;
using uFCom_Bas::toAnsi;

const QString kHead = QStringLiteral("[ｳﾞｪﾙﾓﾗ]");

QByteArray a(const char* utf8)
{
    return toAnsi(QString::fromUtf8(utf8));
}

class RequestTest : public testsupport::MainWindowTest {
protected:
    // 2026/12/24 is a Thursday.
    RequestTest() : MainWindowTest("vlreq"), clock_(QDateTime(QDate(2026, 12, 24), QTime(10, 0, 0))) {}
    void SetUp() override
    {
        MainWindowTest::SetUp();
        reply_ = ms::SlotCreate(replyName_.toStdString(), 0);
        ASSERT_GE(reply_, 0);
        const QString text = "[Section_Entry]\r\nEntryItems=1\r\nEntryItem_000=昼休みです。,\r\n"
                             "[Section_Cycle]\r\nCycleItems=1\r\nCycleItem_000=2026/12/24-12:00,昼休みです。,,\r\n";
        ASSERT_TRUE(loadWindow(toAnsi(text).toStdString()));
        lines();
    }
    void TearDown() override
    {
        ms::HandleClose(reply_);
        MainWindowTest::TearDown();
    }
    // Sends the records to the window's slot.
    void send(const QList<QByteArray>& records)
    {
        const int slot = ms::SlotOpen(exe_.toStdString());
        ASSERT_GE(slot, 0);
        for (const QByteArray& r : records)
            ASSERT_EQ(ms::SlotWriteWaiting(slot, static_cast<int>(r.size()), r.constData(), 2000), r.size());
        ms::HandleClose(slot);
    }
    QList<QByteArray> request(const QList<QByteArray>& fields, const QByteArray& replySlot = QByteArray())
    {
        return uFCom_Bas::BuildMessage(uFCom_Bas::kRequestCode, 1, "test", ++message_,
                                       replySlot.isNull() ? replyName_ : replySlot, uFCom_Bas::PackFields(fields));
    }
    // The answer to the last request sent: result, status line, body.
    QList<QByteArray> answer()
    {
        uFCom_Bas::MessageAssembler assembler;
        std::optional<QByteArray> whole;
        char buffer[ms::kMaxMessage];
        testsupport::waitUntil(
            [&]() {
                const int n = ms::SlotRead(reply_, ms::kMaxMessage, buffer);
                if (n <= 0) return false;
                const std::optional<uFCom_Bas::MessagePart> p = uFCom_Bas::DecodePart(QByteArray(buffer, n));
                if (!p || p->code != uFCom_Bas::kReplyCode) return false;
                EXPECT_EQ(p->message, message_) << "an answer to an earlier request";
                whole = assembler.add(*p);
                return whole.has_value();
            },
            5000);
        if (!whole) return {};
        return uFCom_Bas::UnpackFields(*whole).value_or(QList<QByteArray>{});
    }
    QList<QByteArray> ask(const QList<QByteArray>& fields)
    {
        send(request(fields));
        return answer();
    }

    testsupport::FakeClock clock_;
    QByteArray replyName_ = QByteArrayLiteral("vlreq-reply");
    int reply_ = -1;
    int message_ = 0;
};

}  // namespace

// Every operation as an operator's click would end it: the answer, the head
// line, the lists and the file.
TEST_F(RequestTest, EachOperationAnswersAndEndsInTheStatusLine)
{
    struct Step {
        const char* what;
        QList<QByteArray> fields;
        const char* result;
        QString status;   // the answer's status line
        QStringList head; // the head line's new lines
        std::function<void()> check;
    };
    const QString added = kHead + "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞに登録されました。";
    const QString removed = kHead + "ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞから削除されました。";
    const QString notListed = kHead + "該当するｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞがありません。";
    const Step steps[] = {
        {"add", {"add", "2026/12/24-15:00", a("点検"), a("会議室A"), "", ""}, "0", added, {added},
         [&] {
             EXPECT_EQ(items(form_->List2).filter("2026/12/24-15:00").size(), 1);
             EXPECT_EQ(get("Section_Cycle", "CycleItem_001"), "2026/12/24-15:00,点検,会議室A,");
         }},
        {"the same again: refused, as the dialog says nothing", {"add", "2026/12/24-15:00", a("点検"), a("会議室A"), "", ""},
         "1", kHead + "既に登録されています。", {}, [] {}},
        {"a rule with its notice", {"add", "2026/12/25-08:30", a("始業"), "", a("平日"), a("予告=5")}, "0", added, {added},
         [&] { EXPECT_EQ(get("Section_Repeat", "RepeatItem_000"), "平日,08:30,始業,,予告=5,"); }},
        {"a minute gone", {"add", "2026/12/24-09:59", a("過去"), "", "", ""}, "1", kHead + "設定日時が現在日時より小さいです。",
         {kHead + "設定日時が現在日時より小さいです。"}, [] {}},
        {"remove", {"remove", "2026/12/24-15:00", a("点検"), a("会議室A")}, "0", removed, {removed},
         [&] {
             EXPECT_TRUE(items(form_->List2).filter("点検").isEmpty());
             EXPECT_EQ(get("Section_Cycle", "CycleItems"), "2");
         }},
        {"remove what is not listed", {"remove", "2026/12/24-15:00", a("点検"), a("会議室A")}, "1", notListed, {notListed},
         [] {}},
        {"an import tried", {"import", "1", a("ｶﾞｲﾄﾞ,2026/12/24 16:00,,,a,,\nｶﾞｲﾄﾞ,2026/12/24 09:00,,,b,,\n")}, "1",
         QString(), {}, [&] { EXPECT_TRUE(items(form_->List2).filter("16:00").isEmpty()) << "a dry run changes nothing"; }},
        {"an import", {"import", "0", a("ｶﾞｲﾄﾞ,2026/12/24 16:00,,,a,,\nｶﾞｲﾄﾞ,2026/12/24 09:00,,,b,,\n")}, "1",
         kHead + "ｲﾝﾎﾟｰﾄしました。取込 1 件、除外 1 件。", {kHead + "ｲﾝﾎﾟｰﾄしました。取込 1 件、除外 1 件。"},
         [&] { EXPECT_EQ(items(form_->List2).filter("16:00").size(), 1); }},
        {"an export", {"export"}, "0", kHead + "ｴｸｽﾎﾟｰﾄしました。4 件。", {kHead + "ｴｸｽﾎﾟｰﾄしました。4 件。"}, [] {}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        const QList<QByteArray> r = ask(s.fields);
        ASSERT_EQ(r.size(), 3);
        EXPECT_EQ(r[0], s.result);
        EXPECT_EQ(fromAnsi(r[1]), s.status);
        EXPECT_EQ(lines(), s.head);
        s.check();
    }

    const QList<QByteArray> dry = ask({"import", "1", a("ｶﾞｲﾄﾞ,2026/12/24 17:00,,,c,,\n\nｶﾞｲﾄﾞ,2026/12/24 09:00,,,b,,\n")});
    EXPECT_EQ(fromAnsi(dry.value(2)), "1 行: 取込\r\n3 行: 設定日時が現在日時より小さいです。\r\n");
    const QList<QByteArray> list = ask({"list", "0"});
    EXPECT_EQ(fromAnsi(list.value(2)), "2026/12/24-12:00  昼休みです。\r\n"
                                       "2026/12/24-16:00  a\r\n"
                                       "2026/12/25-08:30  始業  [平日]  【予告 5分前】\r\n");
    const QList<QByteArray> csv = ask({"list", "1"});
    EXPECT_TRUE(fromAnsi(csv.value(2)).startsWith("種別,日時,繰り返し,時刻,固定ﾒｯｾｰｼﾞ,可変ﾒｯｾｰｼﾞ,オプション\r\n"));
    EXPECT_EQ(lines(), QStringList{}) << "a list says nothing on the head line";
}

// What is no request the program can answer is dropped: the requests after
// it are answered in order and nothing changes.
TEST_F(RequestTest, WhatCannotBeAnsweredIsDroppedAndTheNextRequestIsTaken)
{
    const std::string before = testsupport::readFile(conf());
    QByteArray cut = request({"add", "2026/12/24-15:00", "x", "", "", ""}).first();
    cut.chop(3);
    QByteArray badFields = request({"list", "0"}).first();
    badFields[uFCom_Bas::RequestLayout::kOffPayload] = '\x7f';
    struct Case {
        const char* what;
        QList<QByteArray> records;
    } cases[] = {
        {"a record cut short", {cut}},
        {"fields that are no list", {badFields}},
        {"an operation nobody knows", request({"shutdown"})},
        {"the wrong count of arguments", request({"add", "2026/12/24-15:00", "x"})},
        {"an argument too long", request({"add", "2026/12/24-15:00", QByteArray(5000, 'x'), "", "", ""})},
        {"a reply slot that does not exist", request({"add", "2026/12/24-15:00", "x", "", "", ""}, "nobody-reads-this")},
        {"a reply slot that is a path", request({"add", "2026/12/24-15:00", "x", "", "", ""}, "../vlreq-reply")},
        {"a reply slot with a control character", request({"add", "2026/12/24-15:00", "x", "", "", ""}, "vlreq\x1b-reply")},
        {"the second part of a message never begun",
         request({"import", "0", QByteArray(uFCom_Bas::kPartPayloadMax * 2, 'x')}).mid(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        send(c.records);
        // Taken in order: the answer that comes is the next request's.
        const QList<QByteArray> r = ask({"list", "0"});
        ASSERT_EQ(r.size(), 3);
        EXPECT_EQ(fromAnsi(r[2]), "2026/12/24-12:00  昼休みです。\r\n");
        EXPECT_EQ(lines(), QStringList{});
    }
    EXPECT_EQ(testsupport::readFile(conf()), before);
}
