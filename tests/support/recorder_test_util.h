#pragma once
// Helpers of the recorder-link tests.
#include <QByteArray>
#include <string>

namespace rectest {

// True when this test process has its own abstract-socket namespace (a fresh
// network namespace), so the fixed slot name "uPCorvane" cannot collide with
// a recorder started by another program or test.
bool slotsIsolated();

// A slot name no other test process uses.
std::string uniqueSlotName(const char* stem);

// A raw datagram to a slot's abstract address, built here independently of
// the mailslot code: "\0mailslot/<uid>/NAME", no trailing NUL.
bool rawSend(const std::string& name, const QByteArray& bytes);

// Reads everything waiting on a slot (capacity 4032).
QByteArray readOne(int handle, int* result = nullptr);

// Takes the slot name "uPCorvane" for the test (waits up to 10 s when another
// test holds it); negative when it stays taken.
int createRecorderSlot();

}  // namespace rectest
