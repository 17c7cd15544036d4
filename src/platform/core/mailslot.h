#pragma once
// Mailslots: on Windows the system's own; on POSIX AF_UNIX datagram sockets
// bound to the abstract address "mailslot/<uid>/NAME".  Results are handles
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

// maxMessage: the longest message the slot takes (at most kMaxMessage).
// Windows refuses a longer write; a POSIX sender cannot know the limit, so
// there the reader throws such a message away.
int SlotCreate(const std::string& name, int readTimeoutMs, int maxMessage = kMaxMessage);
int SlotOpen(const std::string& name);
int SlotWrite(int handle, int count, const void* buffer);
int SlotRead(int handle, int capacity, void* buffer);

// SlotWrite that, while the slot's queue is full, waits for room (up to
// waitMs) and tries again.  The same results as SlotWrite.
int SlotWriteWaiting(int handle, int count, const void* buffer, int waitMs);

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

}  // namespace platform::mailslot
