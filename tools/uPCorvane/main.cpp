// ｺｰｳﾞｪｲﾝ (uPCorvane) stand-in: a recorder that is not part of the system.
// It owns the mailslot "uPCorvane", shows every record it receives in a table
// and, when a file is named on the command line, appends one UTF-8 line per
// record to it:  stamp TAB code TAB size TAB sender TAB text1 TAB text2
// (a tab, CR, LF or backslash inside a text is written \t, \r, \n, \\)
// The close command (-88888) on its slot ends it.
#include "model/config/env.h"
#include "core/datetime.h"
#include "core/mailslot.h"
#include "gui/platform/ufcom.h"
#include "model/recorder/recorder.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QMainWindow>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

namespace ms = platform::mailslot;
using namespace uFCom_Bas;

constexpr int kPollMs = 10;
constexpr int kReadsPerTick = 64;  // drain bursts quickly; the kernel queue is short
constexpr int kRowsKept = 2000;

bool isStamp(const QByteArray& s)
{
    if (s.size() != 17) return false;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// Tabs and line breaks would break the log's one-line-per-record format:
// they are written as \t, \r and \n, and a backslash as \\.
QString oneLine(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString displayStamp(const QByteArray& s)
{
    if (!isStamp(s)) return QString::fromLatin1(s);
    const QString t = QString::fromLatin1(s);
    return t.mid(0, 4) + QLatin1Char('/') + t.mid(4, 2) + QLatin1Char('/') + t.mid(6, 2) + QLatin1Char(' ') +
           t.mid(8, 2) + QLatin1Char(':') + t.mid(10, 2) + QLatin1Char(':') + t.mid(12, 2) + QLatin1Char(':') +
           t.mid(14, 3);
}

class Corvane {
public:
    Corvane(int slot, QFile* log) : slot_(slot), log_(log)
    {
        window_.setWindowTitle(kRecorderTitle + QStringLiteral(" [") + kRecorderExeName + QStringLiteral("]"));
        table_ = new QTableWidget(0, 4, &window_);
        table_->setObjectName(QStringLiteral("RecordTable"));
        table_->setHorizontalHeaderLabels(
            {QStringLiteral("時刻"), QStringLiteral("送信元"), QStringLiteral("ﾃｷｽﾄ1"), QStringLiteral("ﾃｷｽﾄ2")});
        table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table_->horizontalHeader()->setStretchLastSection(true);
        table_->verticalHeader()->setVisible(false);
        window_.setCentralWidget(table_);
        window_.resize(720, 360);

        timer_.setInterval(kPollMs);
        QObject::connect(&timer_, &QTimer::timeout, [this]() { poll(); });
        timer_.start();
    }

    void show() { window_.show(); }

private:
    void poll()
    {
        for (int i = 0; i < kReadsPerTick; ++i) {
            QByteArray buffer(ms::kMaxMessage, '\0');
            const int n = ms::SlotRead(slot_, ms::kMaxMessage, buffer.data());
            if (n <= 0) return;
            buffer.truncate(n);
            if (slotHeaderCode(buffer) == kCloseCode) {
                timer_.stop();
                QApplication::quit();
                return;
            }
            record(buffer);
        }
    }

    void record(const QByteArray& message)
    {
        const NotifyRecordView v = decodeNotifyRecord(message);
        QByteArray stamp = v.stamp;
        if (!isStamp(stamp)) {
            // A record without a stamp of its own is logged at its arrival.
            std::string display;
            const std::string now = platform::DateTimeText(display);
            stamp = QByteArray(now.data(), static_cast<qsizetype>(now.size()));
        }
        const QString sender = fromAnsi(v.exeName);
        const QString text1 = fromAnsi(v.text1);
        const QString text2 = fromAnsi(v.text2);

        if (table_->rowCount() >= kRowsKept) table_->removeRow(0);
        const int row = table_->rowCount();
        table_->insertRow(row);
        const QString senderShown =
            v.pid ? sender + QStringLiteral(" (") + QString::number(v.pid) + QLatin1Char(')') : sender;
        const QString cells[4] = {displayStamp(stamp), senderShown, text1, text2};
        for (int c = 0; c < 4; ++c) table_->setItem(row, c, new QTableWidgetItem(cells[c]));
        table_->scrollToBottom();

        if (log_) {
            const QString line = QString::fromLatin1(stamp) + QLatin1Char('\t') + QString::number(v.code) +
                                 QLatin1Char('\t') + QString::number(message.size()) + QLatin1Char('\t') +
                                 oneLine(sender) + QLatin1Char('\t') + oneLine(text1) + QLatin1Char('\t') +
                                 oneLine(text2) + QLatin1Char('\n');
            log_->write(line.toUtf8());
            log_->flush();
        }
    }

    int slot_;
    QFile* log_;
    QMainWindow window_;
    QTableWidget* table_ = nullptr;
    QTimer timer_;
};

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "uPCorvane: no display (set DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM)\n");
        return 1;
    }
    QApplication app(argc, argv);

    QFile logFile;
    QFile* log = nullptr;
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        logFile.setFileName(args.at(1));
        if (!logFile.open(QIODevice::WriteOnly | QIODevice::Append)) {
            std::fprintf(stderr, "uPCorvane: cannot open the log file %s\n", qPrintable(args.at(1)));
            return 1;
        }
        log = &logFile;
    }

    const int slot = ms::SlotCreate(mailslotName(kRecorderExeName), 0);
    if (slot < 0) {
        std::fprintf(stderr, "uPCorvane: cannot create the mailslot %s (%d)%s\n", qPrintable(kRecorderExeName), slot,
                     slot == ms::kCreateExists ? ": another copy is running" : "");
        return 1;
    }

    int result = 0;
    {
        Corvane corvane(slot, log);
        corvane.show();
        result = app.exec();
    }
    ms::HandleClose(slot);
    return result;
}
