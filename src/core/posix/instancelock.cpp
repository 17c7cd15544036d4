#include "core/instancelock.h"

#include "core/backend.h"
#include "core/runtimedir.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The canonical form of exePath; a path that does not exist (yet) is taken
// as written, made absolute.
std::string canonicalPath(const std::string& exePath)
{
    if (char* real = realpath(exePath.c_str(), nullptr)) {
        std::string out = real;
        free(real);
        return out;
    }
    if (!exePath.empty() && exePath.front() == '/') return exePath;
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) return std::string(cwd) + "/" + exePath;
    return exePath;
}

}  // namespace

InstanceLock::~InstanceLock()
{
    release();
}

std::string InstanceLock::lockPathFor(const std::string& exePath)
{
    // In the user's private folder, where no other user can plant it.
    const std::string dir = privateRuntimeDir();
    if (dir.empty()) return {};
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(nameHash(canonicalPath(exePath))));
    return dir + "/" + hash + ".lock";
}

bool InstanceLock::acquire(const std::string& exePath)
{
    release();
    const std::string path = lockPathFor(exePath);
    // Without a lock file the test cannot tell (the program refuses to start
    // without its private folder before it asks); saying "already loaded"
    // would be false.
    if (path.empty()) return true;
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return true;
    int r;
    do {
        r = flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        close(fd);
        return false;
    }
    held_ = fd;
    return true;
}

void InstanceLock::release()
{
    // The file stays: removing it would let two starts lock different files.
    if (held_ >= 0) {
        flock(held_, LOCK_UN);
        close(held_);
        held_ = -1;
    }
}

std::string runningExecutablePath()
{
    std::string buf(256, '\0');
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < buf.size()) {
            buf.resize(static_cast<size_t>(n));
            break;
        }
        buf.resize(buf.size() * 2);
    }
    const std::string deleted = " (deleted)";
    if (buf.size() > deleted.size() && buf.compare(buf.size() - deleted.size(), deleted.size(), deleted) == 0)
        buf.resize(buf.size() - deleted.size());
    return buf;
}

std::string runningExecutableBaseName()
{
    std::string path = runningExecutablePath();
    size_t slash = path.find_last_of('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0) base.resize(dot);
    return base;
}

}  // namespace platform
