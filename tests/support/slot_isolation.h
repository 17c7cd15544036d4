#pragma once
// Test programs that own fixed mailslot names ("uPCorvane", "uPVelmora") run
// in a network namespace of their own, so their slots and those of the
// programs they start never meet a real recorder or another test program.

#include <QByteArray>
#include <string>

namespace testsupport {

// True when this test process got its own abstract-socket namespace.
bool slotsIsolated();

// Sends a raw datagram of any size to a slot's abstract address
// "\0mailslot/<uid>/NAME", built here independently of the mailslot code.
// ownerUid: the user who owns the slot (-1: this process's user).
bool rawSlotSend(const std::string& name, const QByteArray& bytes, long ownerUid = -1);

// Sends the same raw datagram over one socket, as fast as the slot takes it,
// until the process is killed.  For a child process.
[[noreturn]] void rawSlotFlood(const std::string& name, const QByteArray& bytes, long ownerUid);

}  // namespace testsupport
