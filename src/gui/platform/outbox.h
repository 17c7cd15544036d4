#pragma once
// The event loop's part of the mailslots' outgoing queues: a message that
// found its receiver's queue full waits in the sender (see SlotWrite), and is
// sent from the event loop as soon as the receiver has room, without ever
// blocking the user-interface thread.
namespace uFCom_Bas {

// Watches the outgoing queues from now on.  Once per process, on the
// user-interface thread; later calls do nothing.
void OutboxInstall();

}  // namespace uFCom_Bas
