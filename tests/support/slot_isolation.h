#pragma once
// Test programs that own fixed mailslot names ("uPCorvane", "uPVelmora") run
// in a network namespace of their own, so their slots and those of the
// programs they start never meet a real recorder or another test program.

namespace testsupport {

// True when this test process got its own abstract-socket namespace.
bool slotsIsolated();

}  // namespace testsupport
