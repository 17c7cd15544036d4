#pragma once
// Mailslots on AF_UNIX datagram sockets bound to the abstract address
// "mailslot/<uid>/NAME".  Results are handles or byte counts when not
// negative and the codes of the Windows wrappers otherwise.
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

int SlotCreate(const std::string& name, int readTimeoutMs);
int SlotOpen(const std::string& name);
int SlotWrite(int handle, int count, const void* buffer);
int SlotRead(int handle, int capacity, void* buffer);
int HandleClose(int handle);

}  // namespace platform::mailslot
