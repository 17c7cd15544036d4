#pragma once
// Mailslots: on Windows the system's own; on POSIX AF_UNIX datagram sockets
// bound to NAME.mailslot in the user's private runtime folder (see
// runtimedir.h), which no other user can enter.  A socket file left behind
// by a process that ended is taken over; a slot of a running process is
// "already exists".  Receivers drop datagrams of other users, and what is
// not a record.  Results are handles
// or byte counts when not negative and the codes of the Windows wrappers
// otherwise.
#include <cstdint>
#include <string>

namespace platform::mailslot {

constexpr int kMaxMessage = 4032;
constexpr int kInvalidHandle = -1;

constexpr int kCreateExists = -202;
constexpr int kCreateFailed = -1;
constexpr int kOpenNotFound = -302;
constexpr int kOpenFailed = -1;
constexpr int kReadBadHandle = -401;
constexpr int kReadBadSize = -403;
constexpr int kReadNothing = -405;
constexpr int kReadFailed = -406;
constexpr int kWriteBadHandle = -501;
constexpr int kWriteBadSize = -503;
constexpr int kWriteFailed = -505;
// The sender's outgoing queue for the slot is at its bound (POSIX only).
constexpr int kWriteQueueFull = -507;

// maxMessage: the longest message the slot takes (at most kMaxMessage).
// Windows refuses a longer write; a POSIX sender cannot know the limit, so
// there the reader throws such a message away.
int SlotCreate(const std::string& name, int readTimeoutMs, int maxMessage = kMaxMessage);
// Why the last SlotCreate of this thread failed, in a line naming the slot;
// empty after one that succeeded.
std::string SlotCreateProblem();
int SlotOpen(const std::string& name);
// A Windows mailslot keeps what is written until it is read.  A POSIX
// datagram queue holds only a few messages, so there a message that cannot go
// out at once waits in the sender's outgoing queue for that slot (in order,
// behind what already waits) and the write succeeds; SlotFlush and SlotDrain
// send it later.  The write fails with kWriteQueueFull when the queue holds
// kQueueMaxMessages or kQueueMaxBytes, and what waits is dropped when the
// slot no longer exists; both are said in one line on standard error.
int SlotWrite(int handle, int count, const void* buffer);
int SlotRead(int handle, int capacity, void* buffer);

// One send, bypassing the outgoing queue: while the slot's queue is full it
// waits for room (up to waitMs) and tries again; a full queue after that is
// kWriteFailed.  For short-lived senders that must know the message is in.
int SlotWriteWaiting(int handle, int count, const void* buffer, int waitMs);

constexpr int kQueueMaxMessages = 5000;
constexpr int kQueueMaxBytes = 4 * 1024 * 1024;
// Sends what waits in the outgoing queues as far as the receivers have room,
// without waiting.  Returns the number of messages still waiting.
int SlotFlush();
// Sends what waits, waiting up to waitMs for room; what is left then is
// dropped (and said).  Returns the number of messages dropped.
int SlotDrain(int waitMs);
// Messages waiting in the outgoing queues.
int SlotPending();
// Told when an outgoing queue starts to hold messages (waiting true) and
// when it is empty again, with a descriptor that becomes writable when its
// receiver has room: an event loop watches it and calls SlotFlush.  Called
// on the writing thread, inside the mailslot calls; it must not call them.
// Never called where the system queues for the sender (Windows).
using QueueWatcher = void (*)(int descriptor, bool waiting);
void SetQueueWatcher(QueueWatcher watcher);

// Datagrams SlotTakeRecord looks at in one call at most.
constexpr int kTakeBatch = 256;
// SlotTakeRecord threw away kTakeBatch datagrams and more may be waiting.
constexpr int kTakeDropped = -407;

// Takes datagrams off the queue until the first record: sent by the same user
// or root, at least the 4-byte code word long, at most capacity bytes.  Every
// other datagram on the way is thrown away, so that junk never holds up the
// records behind it in the short queue.  Never waits.  Returns the record's
// length (copied to buffer), kReadNothing when the queue is empty,
// kTakeDropped when maxDatagrams were thrown away, kReadFailed on a socket
// failure, kReadBadHandle / kReadBadSize as SlotRead.
int SlotTakeRecord(int handle, int capacity, void* buffer, int maxDatagrams = kTakeBatch);

// What waits in an own slot (GetMailslotInfo): the size of the next message
// (kNoMessage when none) and the number of messages, or kCountUnknown where
// the system cannot count them (POSIX).  0, or kReadBadHandle / kReadFailed.
constexpr int kNoMessage = -1;
constexpr int kCountUnknown = -1;
int SlotInfo(int handle, int& nextSize, int& waiting);

int HandleClose(int handle);

// True where an own slot's handle can be waited on by an event loop (a POSIX
// socket: readable when a message waits); false where it cannot (a Windows
// mailslot handle is no socket) and the owner polls instead.
bool SlotWaitable();

}  // namespace platform::mailslot
