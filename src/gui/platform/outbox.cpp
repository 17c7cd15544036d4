#include "gui/platform/outbox.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QSocketNotifier>

#include "core/mailslot.h"

namespace uFCom_Bas {

namespace {

namespace ms = platform::mailslot;

// One notifier per waiting queue, keyed by its descriptor.
QHash<int, QPointer<QSocketNotifier>>& notifiers()
{
    static QHash<int, QPointer<QSocketNotifier>> map;
    return map;
}

void watch(int descriptor, bool waiting)
{
    QPointer<QSocketNotifier> old = notifiers().take(descriptor);
    if (old) {
        // Possibly the notifier whose signal is running now.
        old->setEnabled(false);
        old->deleteLater();
    }
    if (!waiting) return;
    auto* n =
        new QSocketNotifier(static_cast<qintptr>(descriptor), QSocketNotifier::Write, QCoreApplication::instance());
    QObject::connect(n, &QSocketNotifier::activated, n, []() { ms::SlotFlush(); });
    notifiers().insert(descriptor, n);
}

}  // namespace

void OutboxInstall()
{
    static const bool installed = []() {
        ms::SetQueueWatcher(watch);
        return true;
    }();
    (void)installed;
}

}  // namespace uFCom_Bas
