#pragma once
// The previous-instance test: an flock on a lock file named after the
// canonical executable path and the user.  The kernel releases it when the
// process ends, so a killed copy never blocks the next start.
#include <string>

namespace platform {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    // True when this process now holds the lock for exePath.
    bool acquire(const std::string& exePath);
    void release();
    // Where the lock of exePath lives (for tests and messages).
    static std::string lockPathFor(const std::string& exePath);

private:
    int fd_ = -1;
};

// Canonical path of the running executable (/proc/self/exe).
std::string runningExecutablePath();
// Its base name without folder and extension.
std::string runningExecutableBaseName();

}  // namespace platform
