// uPVelmora-ctl: asks the running ｳﾞｪﾙﾓﾗ to add, list or remove guide
// entries, or to import or export its schedule as CSV, over the program's
// own mailslot; prints the program's status line and exits 0 when the
// operation was done, 1 when it was refused, 2 when no program runs, none
// answers within five seconds, or the command line or a file is wrong.
//
//   uPVelmora-ctl add yyyy/mm/dd-hh:mm FIXED [VARIABLE] [--repeat WORD] [--option OPTION]...
//   uPVelmora-ctl list [--csv]
//   uPVelmora-ctl remove yyyy/mm/dd-hh:mm FIXED [VARIABLE]
//   uPVelmora-ctl import FILE [--dry-run]
//   uPVelmora-ctl export FILE
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "core/console.h"
#include "core/mailslot.h"
#include "model/platform/text.h"
#include "model/recorder/recorder.h"
#include "model/recorder/requests.h"

namespace {

namespace ms = platform::mailslot;
using uFCom_Bas::fromAnsi;
using uFCom_Bas::toAnsi;

const char* const kUsage =
    "usage: uPVelmora-ctl add yyyy/mm/dd-hh:mm FIXED [VARIABLE] [--repeat WORD] [--option OPTION]...\n"
    "       uPVelmora-ctl list [--csv]\n"
    "       uPVelmora-ctl remove yyyy/mm/dd-hh:mm FIXED [VARIABLE]\n"
    "       uPVelmora-ctl import FILE [--dry-run]\n"
    "       uPVelmora-ctl export FILE\n";
const QString kProgram = QStringLiteral("uPVelmora");
const QString kNotRunning = QStringLiteral("ｳﾞｪﾙﾓﾗ は起動されていません。");
const QString kNoAnswer = QStringLiteral("ｳﾞｪﾙﾓﾗ から応答がありません。");
constexpr int kDone = 0, kRefused = 1, kFailed = 2;
constexpr int kAnswerWaitMs = 5000;
constexpr int kSendWaitMs = 2000;

void print(FILE* to, const QString& text)
{
    if (text.isEmpty()) return;
    QString t = text;
    t.replace(uFCom_Bas::kCRLF, QStringLiteral("\n"));
    if (!t.endsWith(QLatin1Char('\n'))) t += QLatin1Char('\n');
    const std::string out = platform::consoleText(t.toUtf8().toStdString());
    std::fwrite(out.data(), 1, out.size(), to);
    std::fflush(to);
}

int failed(const QString& why)
{
    print(stderr, QStringLiteral("uPVelmora-ctl: ") + why);
    return kFailed;
}

// The request's fields from the command line; none after a usage error.
std::optional<QList<QByteArray>> request(const QStringList& args, QString* file, bool* writes)
{
    if (args.isEmpty()) return std::nullopt;
    const QString op = args.first();
    QStringList words;
    QString repeat;
    QStringList options;
    bool csv = false, dryRun = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if ((a == QLatin1String("--repeat") || a == QLatin1String("--option")) && i + 1 < args.size()) {
            (a == QLatin1String("--repeat") ? repeat : options.emplace_back()) = args.at(++i);
        } else if (a == QLatin1String("--csv")) {
            csv = true;
        } else if (a == QLatin1String("--dry-run")) {
            dryRun = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            return std::nullopt;
        } else {
            words << a;
        }
    }
    // A flag belongs to one command; a text longer than the program takes
    // is refused here rather than dropped there unanswered.
    const bool isAdd = op == QLatin1String("add"), isList = op == QLatin1String("list"),
               isImport = op == QLatin1String("import");
    if ((!isAdd && (!repeat.isNull() || !options.isEmpty())) || (!isList && csv) || (!isImport && dryRun))
        return std::nullopt;
    const QStringList texts = QStringList(words) << repeat << options.join(QLatin1Char(';'));
    for (const QString& t : texts)
        if (!isImport && toAnsi(t).size() > uFCom_Bas::kRequestTextMax) return std::nullopt;
    const QByteArray yes = QByteArrayLiteral("1"), no = QByteArrayLiteral("0");
    if (isAdd && (words.size() == 2 || words.size() == 3))
        return QList<QByteArray>{QByteArrayLiteral("add"), toAnsi(words[0]), toAnsi(words[1]),
                                 toAnsi(words.value(2)),   toAnsi(repeat),   toAnsi(options.join(QLatin1Char(';')))};
    if (op == QLatin1String("remove") && (words.size() == 2 || words.size() == 3) && repeat.isEmpty() &&
        options.isEmpty())
        return QList<QByteArray>{QByteArrayLiteral("remove"), toAnsi(words[0]), toAnsi(words[1]),
                                 toAnsi(words.value(2))};
    if (op == QLatin1String("list") && words.isEmpty())
        return QList<QByteArray>{QByteArrayLiteral("list"), csv ? yes : no};
    if (op == QLatin1String("import") && words.size() == 1) {
        QFile in(words[0]);
        *file = words[0];
        if (!in.open(QIODevice::ReadOnly)) return QList<QByteArray>{};
        return QList<QByteArray>{QByteArrayLiteral("import"), dryRun ? yes : no, in.readAll()};
    }
    if (op == QLatin1String("export") && words.size() == 1) {
        *file = words[0];
        *writes = true;
        return QList<QByteArray>{QByteArrayLiteral("export")};
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString file;
    bool writes = false;
    const std::optional<QList<QByteArray>> fields = request(app.arguments().mid(1), &file, &writes);
    if (!fields) {
        std::fputs(kUsage, stderr);
        return kFailed;
    }
    if (fields->isEmpty()) return failed(QStringLiteral("cannot read ") + file);

    // The slot the answer comes to: this process's own.
    const int pid = static_cast<int>(QCoreApplication::applicationPid());
    const QByteArray replyName = QByteArrayLiteral("uPVelmora-ctl.") + QByteArray::number(pid);
    const int reply = ms::SlotCreate(replyName.toStdString(), 0);
    if (reply < 0) return failed(QString::fromStdString(ms::SlotCreateProblem()));
    const int program = ms::SlotOpen(uFCom_Bas::mailslotName(kProgram));
    if (program < 0) {
        ms::HandleClose(reply);
        print(stderr, kNotRunning);
        return kFailed;
    }
    const QList<QByteArray> records =
        uFCom_Bas::BuildMessage(uFCom_Bas::kRequestCode, pid, QByteArrayLiteral("uPVelmora-ctl"), pid, replyName,
                                uFCom_Bas::PackFields(*fields));
    bool sent = !records.isEmpty();
    for (const QByteArray& r : records)
        if (sent)
            sent = ms::SlotWriteWaiting(program, static_cast<int>(r.size()), r.constData(), kSendWaitMs) == r.size();
    ms::HandleClose(program);
    if (!sent) {
        ms::HandleClose(reply);
        print(stderr, records.isEmpty() ? QStringLiteral("uPVelmora-ctl: the request is too long") : kNoAnswer);
        return kFailed;
    }

    // The answer, within five seconds.
    uFCom_Bas::MessageAssembler assembler;
    std::optional<QList<QByteArray>> answer;
    QElapsedTimer clock;
    clock.start();
    char buffer[ms::kMaxMessage];
    while (!answer && clock.elapsed() < kAnswerWaitMs) {
        const int n = ms::SlotRead(reply, ms::kMaxMessage, buffer);
        if (n <= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        const std::optional<uFCom_Bas::MessagePart> part = uFCom_Bas::DecodePart(QByteArray(buffer, n));
        if (!part || part->code != uFCom_Bas::kReplyCode || part->message != pid) continue;
        if (const std::optional<QByteArray> whole = assembler.add(*part)) answer = uFCom_Bas::UnpackFields(*whole);
    }
    ms::HandleClose(reply);
    if (!answer || answer->size() != 3) {
        print(stderr, kNoAnswer);
        return kFailed;
    }
    const bool done = answer->at(0) == QByteArrayLiteral("0");
    print(stdout, fromAnsi(answer->at(1)));
    if (writes) {
        QSaveFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(answer->at(2)) != answer->at(2).size() || !out.commit())
            return failed(QStringLiteral("cannot write ") + file);
    } else {
        print(stdout, fromAnsi(answer->at(2)));
    }
    return done ? kDone : kRefused;
}
