// Files of the INI engine on POSIX: reads that never block, atomic
// replacement (temporary file, fsync, rename) and the in-place fallback.
#include "core/backend.h"
#include "core/ini.h"
#include "core/seam.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform::ini {

std::string parentDir(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseName(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isDirectory(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool pathExists(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

int fileMode(const std::string& path)
{
    struct stat st {};
    if (stat(normalizePath(path).c_str(), &st) != 0) return -1;
    return static_cast<int>(st.st_mode & 07777);
}

std::string normalizePath(const std::string& path)
{
    // Paths are file-system (UTF-8) names, where 0x5C is never part of a
    // multi-byte character.
    std::string out = path;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

namespace {

bool writeAll(int fd, const std::string& data)
{
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// Creates a fresh temporary file next to the target; -1 when none can be made.
// It is made 0600, so that nobody else can open it while it fills; the
// caller gives it its final owner and mode before the first byte.
int createTemp(const std::string& dir, const std::string& base, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        tempPath = dir + "/." + base + ".tmp." + std::to_string(getpid()) + "." + std::to_string(counter.fetch_add(1)) +
                   "." + std::to_string(ts.tv_nsec);
        int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) return fd;
        if (errno != EEXIST) return -1;
    }
    return -1;
}

// The mode a new file gets without one asked for: 0644 less the umask.  The
// umask is read from /proc where it can be: setting it to read it back would
// race with other threads creating files.
mode_t defaultNewMode()
{
    mode_t mask = 0;
    bool known = false;
    if (FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (!known && std::fgets(line, sizeof line, f)) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                known = true;
            }
        }
        std::fclose(f);
    }
    if (!known) {
        mask = umask(022);
        umask(mask);
    }
    return 0644 & ~mask;
}

// A temporary file that already has the final file's owner and mode: the
// owner first (a group change could otherwise open it to that group), then
// the mode, both before any byte is written, so that the content is never
// readable by anyone the final file keeps out.
int prepareTemp(int fd, bool exists, const struct stat& st, int newMode)
{
    if (exists && (st.st_uid != geteuid() || st.st_gid != getegid())) {
        // Keeps the owner when we may (as root); elsewhere it is ours anyway.
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not allowed: the file becomes ours, its mode bits stay.
        }
    }
    const mode_t mode = exists ? (st.st_mode & 07777) : newMode >= 0 ? static_cast<mode_t>(newMode) : defaultNewMode();
    return fchmod(fd, mode);
}

// Gives the open temporary file its owner and mode, its content, and makes
// it durable; closed either way, and removed when any step fails.  0, or
// -1 with errno set.
int fillTemp(int fd, const std::string& tempPath, bool exists, const struct stat& st, int newMode,
             const std::string& bytes)
{
    bool ok = prepareTemp(fd, exists, st, newMode) == 0 && writeAll(fd, bytes) && fsync(fd) == 0;
    int err = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok) return 0;
    unlink(tempPath.c_str());
    errno = err;
    return -1;
}

// Removes temporary files of earlier saves of this file whose process is
// gone (a save cut short by a kill leaves one behind).
void removeStaleTemps(const std::string& dir, const std::string& base)
{
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    const std::string prefix = "." + base + ".tmp.";
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = name.substr(prefix.size());
        const size_t dot = rest.find('.');
        if (dot == std::string::npos || dot == 0) continue;
        char* end = nullptr;
        const long pid = std::strtol(rest.c_str(), &end, 10);
        if (end != rest.c_str() + dot || pid <= 0) continue;
        if (pid == getpid()) continue;
        if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        unlinkat(dirfd(d), name.c_str(), 0);
    }
    closedir(d);
}

// The in-place rewrite of a file whose folder takes no new file, as the
// platform's profile functions write: the space is reserved first, so that a
// full disk stops the save before the old content is touched.
int rewriteInPlace(const std::string& path, const std::string& bytes)
{
    int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    auto fail = [fd]() {
        const int err = errno;
        close(fd);
        errno = err;
        return -1;
    };
    struct stat st {};
    if (fstat(fd, &st) != 0) return fail();
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return fail();
    }
    if (!bytes.empty()) {
        if (const int err = posix_fallocate(fd, 0, static_cast<off_t>(bytes.size())); err != 0) {
            errno = err;
            return fail();
        }
    }
    if (!writeAll(fd, bytes)) return fail();
    if (ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) return fail();
    if (fsync(fd) != 0) return fail();
    if (close(fd) != 0) return -1;
    return 0;
}

}  // namespace

bool readRegularFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    int fd = open(normalizePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        close(fd);
        errno = err;
        return false;
    }
    if (st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            close(fd);
            bytes.clear();
            errno = err;
            return false;
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

int replaceFile(const std::string& pathIn, const std::string& bytes, int newMode, Links links)
{
    std::string path = normalizePath(pathIn);
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }

    struct stat lst {};
    const bool isLink = lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode);
    if (isLink && links == Links::WriteThrough) {
        // Replace the target of a symbolic link, not the link.
        if (char* real = realpath(path.c_str(), nullptr)) {
            path = real;
            free(real);
        }
    }

    struct stat st {};
    // A link that is to be replaced counts as no file: the new one is made
    // afresh, with the mode asked for.
    const bool exists = !(isLink && links == Links::Replace) && stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        // A FIFO or a device is never opened: that could block for ever.
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return -1;
    }

    const std::string dir = parentDir(path);
    std::string tempPath;
    int fd = createTemp(dir, baseName(path), tempPath);
    if (fd < 0) {
        const int err = errno;
        if (exists && links == Links::WriteThrough && (err == EACCES || err == EPERM))
            return rewriteInPlace(path, bytes);
        errno = err;
        return -1;
    }

    auto fail = [&]() {
        const int err = errno;
        unlink(tempPath.c_str());
        errno = err;
        return -1;
    };

    if (fillTemp(fd, tempPath, exists, st, newMode, bytes) != 0) return -1;

    if (!seam::current<SaveStep>().proceed(tempPath)) {
        errno = EINTR;
        return fail();
    }

    // The new content is on disk before its name replaces the old file, so
    // the file is always whole: old or new.
    if (rename(tempPath.c_str(), path.c_str()) != 0) return fail();
    removeStaleTemps(dir, baseName(path));
    return 0;
}

int writeNewBeside(const std::string& pathIn, const std::string& bytes, int mode, std::string& tempPath)
{
    const std::string path = normalizePath(pathIn);
    tempPath.clear();
    std::string made;
    // What a save of this name cut short by a kill left behind goes first.
    removeStaleTemps(parentDir(path), baseName(path));
    const int fd = createTemp(parentDir(path), baseName(path), made);
    if (fd < 0) return -1;
    const struct stat none {};
    if (fillTemp(fd, made, false, none, mode, bytes) != 0) return -1;
    tempPath = made;
    return 0;
}

void removeName(const std::string& path)
{
    unlink(normalizePath(path).c_str());
}

int renameOver(const std::string& from, const std::string& to)
{
    return rename(normalizePath(from).c_str(), normalizePath(to).c_str()) == 0 ? 0 : -1;
}

bool isPlainFile(const std::string& path)
{
    struct stat st {};
    return lstat(normalizePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool nameExists(const std::string& path)
{
    struct stat st {};
    return lstat(normalizePath(path).c_str(), &st) == 0;
}

FileStamp fileStamp(const std::string& path)
{
    FileStamp f;
    struct stat st {};
    if (stat(normalizePath(path).c_str(), &st) != 0) return f;
    f.exists = true;
    f.device = static_cast<unsigned long long>(st.st_dev);
    f.inode = static_cast<unsigned long long>(st.st_ino);
    f.size = static_cast<unsigned long long>(st.st_size);
    f.changedNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return f;
}

long long freeBytes(const std::string& folder)
{
    struct statvfs vfs {};
    if (statvfs(normalizePath(folder).c_str(), &vfs) != 0) return -1;
    return static_cast<long long>(vfs.f_bavail) * static_cast<long long>(vfs.f_frsize);
}

}  // namespace platform::ini
