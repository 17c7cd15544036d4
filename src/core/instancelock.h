#pragma once
// The previous-instance test, named after the canonical executable path and
// the user: on POSIX an flock on a lock file in the user's private runtime
// folder (runtimedir.h), on Windows a named mutex in the session.  The
// system releases either when the process ends, so a killed copy never
// blocks the next start.
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
    // Where the lock of exePath lives: the lock file's path, or the mutex's
    // name (for tests and messages).
    static std::string lockPathFor(const std::string& exePath);

private:
    int held_ = -1;  // descriptor or handle; -1 when not held
};

// Canonical path of the running executable (/proc/self/exe, or the module
// file name on Windows), in UTF-8 like every path the core takes.
std::string runningExecutablePath();
// Its base name without folder and extension.
std::string runningExecutableBaseName();

// The name the program goes by (a seam: see core/seam.h): its slot, its
// lock and its configuration file are named after it.  The system's is
// runningExecutableBaseName.
class ExecutableName {
public:
    virtual ~ExecutableName() = default;
    virtual std::string baseName() = 0;
    static ExecutableName& system();
};

}  // namespace platform
