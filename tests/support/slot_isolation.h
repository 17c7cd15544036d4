#pragma once
// Test programs own fixed mailslot names ("uPCorvane", "uPVelmora"): each test
// process gets a runtime folder of its own (XDG_RUNTIME_DIR, set by the test
// entry point), so its slots and those of the programs it starts with that
// folder never meet a real recorder or another test program.

#include <QByteArray>
#include <string>

namespace testsupport {

// True when this test process has a runtime folder of its own.
bool slotsIsolated();

// The socket of a slot in a runtime folder (default: this process's), built
// here independently of the mailslot code: <folder>/uPVelmora/NAME.mailslot.
std::string slotSocketPath(const std::string& name, const std::string& runtimeDir = {});

// Sends a raw datagram of any size to a slot.
bool rawSlotSend(const std::string& name, const QByteArray& bytes, const std::string& runtimeDir = {});

// A datagram socket connected to a slot, -1 when it cannot be reached.
int rawSlotConnect(const std::string& name, const std::string& runtimeDir = {});

// Sends the same raw datagram over the connected socket, as fast as the slot
// takes it, until the process is killed.  For a child process.
[[noreturn]] void rawSlotFlood(int connected, const QByteArray& bytes);

}  // namespace testsupport
