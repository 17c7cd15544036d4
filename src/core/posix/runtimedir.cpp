#include "core/runtimedir.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

const char* const kFolderName = "uPVelmora";

// A folder of this user's that no one else may change: a real folder (not a
// link), owned by the user, writable by nobody else.  Readable or
// searchable by others it is closed to them.
bool usable(const std::string& dir, bool create, std::string& problem)
{
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0) {
        if (errno != ENOENT || !create) {
            problem = dir + ": " + std::strerror(errno);
            return false;
        }
        if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
            problem = "cannot create " + dir + ": " + std::strerror(errno);
            return false;
        }
        if (lstat(dir.c_str(), &st) != 0) {
            problem = dir + ": " + std::strerror(errno);
            return false;
        }
    }
    if (!S_ISDIR(st.st_mode)) {
        problem = dir + " is not a folder";
        return false;
    }
    if (st.st_uid != geteuid()) {
        problem = dir + " belongs to another user (uid " + std::to_string(st.st_uid) + ")";
        return false;
    }
    if (st.st_mode & (S_IWGRP | S_IWOTH)) {
        problem = dir + " may be written by other users";
        return false;
    }
    if ((st.st_mode & 077) != 0 && chmod(dir.c_str(), 0700) != 0) {
        problem = "cannot close " + dir + " to other users: " + std::strerror(errno);
        return false;
    }
    return true;
}

// XDG_RUNTIME_DIR as the desktop promises it: absolute, the user's own,
// entered by nobody else.
bool xdgRuntimeUsable(const char* runtime)
{
    if (!runtime || runtime[0] != '/') return false;
    struct stat st {};
    return stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

// Room a socket's name takes in the folder: "/", the slot name, ".mailslot".
constexpr size_t kNameRoom = 1 + kSlotNameMax + 9;

bool roomForSockets(const std::string& dir)
{
    return dir.size() + kNameRoom <= kSocketPathMax;
}

}  // namespace

std::string privateRuntimeDir(std::string* problem)
{
    std::string why;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string dir;
    const char* tmp = std::getenv("TMPDIR");
    const std::string fallback =
        std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/" + kFolderName + "-" + std::to_string(geteuid());
    if (xdgRuntimeUsable(runtime)) {
        dir = std::string(runtime) + "/" + kFolderName;
        // A folder so deep that a socket's path would not fit in a socket
        // address: the temporary folder's instead.  The choice depends on
        // the folders alone, so every program of the family makes the same.
        if (!roomForSockets(dir) && roomForSockets(fallback)) {
            static std::once_flag said;
            std::call_once(said, [&]() {
                std::fprintf(stderr,
                             "uPVelmora: %s is too deep for the mailslots (a socket path holds at most %zu bytes); "
                             "using %s\n",
                             dir.c_str(), kSocketPathMax, fallback.c_str());
            });
            dir = fallback;
        }
    } else {
        dir = fallback;
    }
    if (!roomForSockets(dir)) {
        why = dir + " is too deep for the mailslots: a socket path holds at most " + std::to_string(kSocketPathMax) +
              " bytes, and " + dir + "/<name>.mailslot would be longer";
        if (problem) *problem = why;
        return {};
    }
    if (usable(dir, true, why)) return dir;
    if (problem) *problem = why;
    return {};
}

}  // namespace platform
