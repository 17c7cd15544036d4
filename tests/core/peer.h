#pragma once
// The peer roles of the contract tests and the helpers both sides use.
#include <functional>
#include <string>

namespace contract {

// Runs the peer role of argv ("--peer" ROLE ...); its exit status.
int peerMain(int argc, char** argv);

// A fresh, empty folder for one test; its path ends without a separator.
std::string scratchDir();
// A name no other run of the tests uses at the same time.
std::string uniqueName(const std::string& stem);
// Waits until the peer has written its ready file.
bool waitForFile(const std::string& path, int timeoutMs);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
void sleepMs(int ms);
// Checks done every everyMs until it holds (true) or timeoutMs have passed
// (false): every wait on another process goes through it.
bool pollUntil(const std::function<bool()>& done, int timeoutMs, int everyMs);

}  // namespace contract
