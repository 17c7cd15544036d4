#include "gui/recorder/requests.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

#include "core/mailslot.h"
#include "gui/messages/msgrules.h"
#include "model/config/exchange.h"
#include "model/messages/statustexts.h"
#include "model/platform/text.h"
#include "model/recorder/recorder.h"

namespace uFCom_Bas {

namespace {

namespace ms = platform::mailslot;

const QByteArray kOpAdd = QByteArrayLiteral("add");
const QByteArray kOpList = QByteArrayLiteral("list");
const QByteArray kOpRemove = QByteArrayLiteral("remove");
const QByteArray kOpImport = QByteArrayLiteral("import");
const QByteArray kOpExport = QByteArrayLiteral("export");
const QByteArray kYes = QByteArrayLiteral("1");
const QString kNotListed = QStringLiteral("該当するｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞがありません。");
const QString kAccepted = QStringLiteral("取込");
const QString kLine = QStringLiteral("%1 行: %2");
const QString kSaveFailed = uFMsg::kFileAccessNG + uFMsg::kFileAccessNGTail;

// Letters, digits, '.', '_' and '-', not beginning with '.'.
RequestServer::Reply dropped(const char* why)
{
    RequestServer::Reply r;
    r.dropped = why;
    return r;
}

bool plainSlotName(const QByteArray& name)
{
    if (name.isEmpty() || name.startsWith('.')) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
               c == '-';
    });
}

}  // namespace

RequestServer::RequestServer(QWidget* form, uFConf::MyConf* conf, QString exeName, Services s)
    : form_(form), conf_(conf), exeName_(std::move(exeName)), s_(std::move(s))
{}

void RequestServer::say(const char* why, const MessagePart& part) const
{
    // The sender's bytes reach the terminal as printable ASCII only.
    QByteArray from = part.replySlot.isEmpty() ? QByteArrayLiteral("no reply slot") : part.replySlot;
    for (char& c : from)
        if (c < 0x20 || c > 0x7E) c = '?';
    std::fprintf(stderr, "uPVelmora: a request (message %d from %s) was dropped: %s\n", part.message, from.constData(),
                 why);
    std::fflush(stderr);
}

void RequestServer::show(const QString& line) const
{
    uFMsg::StatusShow(form_, line);
}

void RequestServer::handle(const QByteArray& record)
{
    const std::optional<MessagePart> part = DecodePart(record);
    if (!part || part->code != kRequestCode) {
        if (slotHeaderCode(record) == kRequestCode) say("not a well-formed part of a message", MessagePart{});
        return;
    }
    bool dropped = false;
    const std::optional<QByteArray> payload = assembler_.add(*part, &dropped);
    if (dropped) say("its parts did not come in order, or too many requests were unfinished", *part);
    if (!payload) return;
    const std::optional<QList<QByteArray>> fields = UnpackFields(*payload);
    if (!fields || fields->isEmpty()) {
        say("its fields are not well formed", *part);
        return;
    }
    // A request whose answer cannot go anywhere is not carried out; nor is
    // one that names anything but a plain slot (no path, on any system).
    if (!plainSlotName(part->replySlot)) {
        say("its reply slot is no plain slot name", *part);
        return;
    }
    const int slot = ms::SlotOpen(part->replySlot.toStdString());
    if (slot < 0) {
        say("its reply slot does not exist", *part);
        return;
    }
    const Reply r = perform(*fields);
    if (r.dropped) {
        ms::HandleClose(slot);
        say(r.dropped, *part);
        return;
    }
    const QByteArray payloadOut =
        PackFields({r.done ? QByteArrayLiteral("0") : QByteArrayLiteral("1"), toAnsi(r.status), r.body});
    const QList<QByteArray> records = BuildMessage(kReplyCode, static_cast<int>(QCoreApplication::applicationPid()),
                                                   toAnsi(exeName_), part->message, QByteArray(), payloadOut);
    if (records.isEmpty()) say("its answer is too long to send", *part);
    for (const QByteArray& rec : records) ms::SlotWrite(slot, static_cast<int>(rec.size()), rec.constData());
    ms::HandleClose(slot);
}

RequestServer::Reply RequestServer::perform(const QList<QByteArray>& fields)
{
    const QByteArray& op = fields.first();
    const QList<QByteArray> args = fields.mid(1);
    for (const QByteArray& a : args)
        if (op != kOpImport && a.size() > kRequestTextMax) return dropped("an argument is too long");
    if (op == kOpAdd && args.size() == 5) return add(args);
    if (op == kOpRemove && args.size() == 3) return remove(args);
    if (op == kOpList && args.size() == 1) return list(args[0] == kYes);
    if (op == kOpImport && args.size() == 2) return import(args[1], args[0] == kYes);
    if (op == kOpExport && args.isEmpty()) return exportCsv();
    return dropped("it is no request this program knows");
}

RequestServer::Reply RequestServer::add(const QList<QByteArray>& args)
{
    // due, fixed, variable, rule word (empty: none), options: a row as an
    // import reads it.
    const QString due = trimSpaces(fromAnsi(args[0]));
    const QString rule = trimSpaces(fromAnsi(args[3]));
    const QString time = due.mid(11, 5);
    const QStringList row = {rule.isEmpty() ? uFConf::kKindGuide : uFConf::kKindRepeat,
                             due,
                             rule,
                             rule.isEmpty() ? QString() : time,
                             fromAnsi(args[1]),
                             fromAnsi(args[2]),
                             fromAnsi(args[4])};
    const uFConf::ImportRow r = uFConf::RegisterRow(row, *conf_, uFMsg::DueMinute::current());
    const QString head = s_.head ? s_.head() : QString();
    if (!r.accepted) {
        // As the dialog: the same entry again says nothing on the head line.
        if (r.result != uFMsg::AddResult::Same) show(head + r.reason);
        return {false, head + r.reason, QByteArray()};
    }
    // A save that failed has said so on the head line.
    if (!r.saved) return {false, head + kSaveFailed, QByteArray()};
    const QString line =
        s_.keyMsg ? s_.keyMsg(r.result == uFMsg::AddResult::Updated ? uFMsg::kCycleUpdated : uFMsg::kCycleAdded)
                  : QString();
    show(line);
    return {true, line, QByteArray()};
}

RequestServer::Reply RequestServer::remove(const QList<QByteArray>& args)
{
    const uFMsg::DueMinute due = uFConf::CsvMinute(trimSpaces(fromAnsi(args[0])));
    const uFMsg::GuideEntry wanted =
        uFMsg::GuideEntry::compose(due, trimSpaces(fromAnsi(args[1])), trimSpaces(fromAnsi(args[2])));
    uFMsg::Schedule& schedule = conf_->schedule();
    const QString head = s_.head ? s_.head() : QString();
    const int row = schedule.entries().findAnnouncement(wanted);
    if (row < 0) {
        show(head + kNotListed);
        return {false, head + kNotListed, QByteArray()};
    }
    const uFMsg::GuideEntry listed = schedule.entries().at(row);
    // The entry and every rule whose occurrence it is, as ｶﾞｲﾄﾞ部削除 does.
    const uFMsg::RemoveOutcome removed = schedule.remove(listed.trimmed(), schedule.rulesOf(listed));
    if (!removed.saved) return {false, head + kSaveFailed, QByteArray()};
    const QString line = s_.keyMsg ? s_.keyMsg(uFMsg::kCycleDeleted) : QString();
    show(line);
    return {true, line, QByteArray()};
}

RequestServer::Reply RequestServer::list(bool csv) const
{
    if (csv) return {true, QString(), uFConf::ExportCsv(conf_->schedule(), conf_->entries()).bytes};
    // The guide list as it stands, a line each, with the rules that own an
    // entry.
    QString out;
    const uFMsg::GuideSchedule& entries = conf_->schedule().entries();
    for (int i = 0; i < entries.size(); ++i) {
        const uFMsg::GuideEntry& e = entries.at(i);
        QString line = e.due().text() + QStringLiteral("  ") + e.fixed();
        if (!e.variable().isEmpty()) line += QStringLiteral("  ") + e.variable();
        for (const uFMsg::RepeatRule& r : conf_->schedule().rulesOf(e))
            line += QStringLiteral("  [") + r.rule() + QStringLiteral("]");
        if (e.options().notice > 0) line += QStringLiteral("  ") + uFMsg::NoticeHead(e.options().notice);
        out += QString(line).replace(kCRLF, QStringLiteral(" ")) + kCRLF;
    }
    return {true, QString(), toAnsi(out)};
}

RequestServer::Reply RequestServer::import(const QByteArray& csv, bool dryRun)
{
    const uFMsg::DueMinute now = uFMsg::DueMinute::current();
    const uFConf::ImportPlan plan = uFConf::PlanImport(csv, conf_->schedule(), conf_->entries(), now);
    const QString head = s_.head ? s_.head() : QString();
    if (dryRun) {
        QString out;
        for (const uFConf::ImportRow& r : plan.rows)
            out += kLine.arg(r.line).arg(r.accepted ? kAccepted : r.reason) + kCRLF;
        return {plan.refused == 0, QString(), toAnsi(out)};
    }
    const uFConf::ImportResult done = uFConf::ApplyImport(plan, *conf_, now);
    if (!done.saved) return {false, head + kSaveFailed, QByteArray()};
    const QString line = head + uFConf::ImportedText(done.taken, done.refused);
    show(line);
    return {done.refused == 0, line, QByteArray()};
}

RequestServer::Reply RequestServer::exportCsv() const
{
    const uFConf::ExportFile csv = uFConf::ExportCsv(conf_->schedule(), conf_->entries());
    const QString head = s_.head ? s_.head() : QString();
    const QString line = head + uFConf::ExportedText(csv.rows);
    show(line);
    return {true, line, csv.bytes};
}

}  // namespace uFCom_Bas
