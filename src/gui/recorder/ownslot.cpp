#include "gui/recorder/ownslot.h"

#include <QSocketNotifier>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/mailslot.h"
#include "gui/platform/outbox.h"
#include "gui/platform/timer.h"
#include "model/recorder/recorder.h"
#include "model/recorder/requests.h"

namespace uFCom_Bas {

namespace {
// Between reads while records keep coming, and the poll where the slot
// cannot be waited on.
constexpr int kPollMs = 20;
}  // namespace

OwnSlot::OwnSlot(QObject* parent, Timer* timer) : QObject(parent), timer_(timer)
{
    if (timer_) connect(timer_, &Timer::Tick, this, &OwnSlot::MailRecvTimer_Timer);
}

OwnSlot::~OwnSlot()
{
    close();
}

bool OwnSlot::create(const QString& name)
{
    handle_ = platform::mailslot::SlotCreate(name.toStdString(), 0);
    if (handle_ < 0) {
        const std::string why = platform::mailslot::SlotCreateProblem();
        std::fprintf(stderr, "uPVelmora: the program's own mailslot cannot be made: %s\n",
                     why.empty() ? "no reason given" : why.c_str());
        std::fflush(stderr);
        return false;
    }
    // Records the recorder cannot take at once are sent from the event loop
    // when it has room.
    OutboxInstall();
    if (platform::mailslot::SlotWaitable()) {
        notifier_ = new QSocketNotifier(handle_, QSocketNotifier::Read, this);
        notifier_->setEnabled(false);
        connect(notifier_, &QSocketNotifier::activated, this, &OwnSlot::ready);
    }
    if (timer_) {
        timer_->setInterval(1);
        timer_->setEnabled(true);
    }
    return true;
}

void OwnSlot::close()
{
    if (timer_) {
        timer_->setEnabled(false);
        timer_->setInterval(0);
    }
    delete notifier_;
    notifier_ = nullptr;
    if (handle_ >= 0) platform::mailslot::HandleClose(handle_);
    handle_ = -1;
}

void OwnSlot::MailRecvTimer_Timer()
{
    if (!timer_) return;
    timer_->setEnabled(false);
    timer_->setInterval(0);
    if (handle_ < 0) return;
    char buffer[platform::mailslot::kMaxMessage];
    std::memset(buffer, 0, sizeof buffer);
    const int n = platform::mailslot::SlotTakeRecord(handle_, platform::mailslot::kMaxMessage, buffer);
    if (n >= 4) {
        const QByteArray bytes(buffer, n);
        if (isCloseCommand(bytes)) {
            emit closeCommand();
            return;
        }
        // Requests are taken one at a time, each in its own turn of the
        // event loop, so that the monitor's timers come between them.
        timer_->setInterval(slotHeaderCode(bytes) == kRequestCode ? 1 : kPollMs);
        timer_->setEnabled(true);
        emit record(bytes);
        return;
    }
    if (n == platform::mailslot::kTakeDropped) {
        // Still flooded: go on with the rest after the event loop had its turn.
        timer_->setInterval(1);
        timer_->setEnabled(true);
        return;
    }
    if (notifier_) {
        // Nothing waiting: sleep until a datagram arrives instead of polling.
        notifier_->setEnabled(true);
        return;
    }
    timer_->setInterval(kPollMs);
    timer_->setEnabled(true);
}

void OwnSlot::ready()
{
    if (notifier_) notifier_->setEnabled(false);
    if (!timer_) return;
    timer_->setInterval(1);
    timer_->setEnabled(true);
}

}  // namespace uFCom_Bas
