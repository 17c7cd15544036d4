#pragma once
// What the contract tests need of the system around the core, one file per
// backend: peer processes, a window of another process, the system's own
// profile calls where it has them.
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace contract {

// This test program started again as a peer ("--peer" and args).
class Peer {
public:
    explicit Peer(const std::vector<std::string>& args);
    ~Peer();
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;
    bool started() const;
    // The exit status, or -1 while it still runs after timeoutMs.
    int wait(int timeoutMs);
    // Ends it at once, as a crash or a kill from outside would.
    void kill();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

int processId();
// True under Wine; the tests accept Wine's own answers only then.
bool underWine();
// False, with the reason, when no window can be shown (no X display).
bool windowSystemReady(std::string& why);
// Shows a top-level window with this caption, then says so in readyFile;
// returns only when it cannot (the peer is killed while it shows it).
int showWindowUntilKilled(const std::string& captionUtf8, const std::string& readyFile);
// The system's GetPrivateProfileStringA / WritePrivateProfileStringA; false
// where the system has none.
bool systemProfileGet(const std::string& path, const std::string& section, const std::string& key,
                      std::string& value);
bool systemProfilePut(const std::string& path, const std::string& section, const std::string& key,
                      const std::optional<std::string>& value);
// One read of the next message with a buffer of size bytes, by the system's
// own call: bytes read, or -1 when the call failed.
int systemSlotReadShort(int handle, int size);

}  // namespace contract
