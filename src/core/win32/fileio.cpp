// Files of the INI engine on Windows.  Paths come in UTF-8 and go to the "A"
// calls in CP932.  A save writes a temporary file in the same folder, flushes
// it and moves it over the old file in one step; a folder that takes no new
// file falls back to rewriting the file in place.
#include "core/backend.h"
#include "core/ini.h"
#include "core/seam.h"

#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "core/cp932.h"

namespace platform::ini {

namespace {

std::string ansi(const std::string& path)
{
    return utf8ToCp932(path);
}

// The C library's name for what failed, for the messages that quote it.
void setErrnoFromLastError()
{
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        errno = ENOENT;
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        errno = EACCES;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        errno = ENOSPC;
        break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        errno = EEXIST;
        break;
    default:
        errno = EIO;
        break;
    }
}

size_t lastSeparator(const std::string& path)
{
    return path.find_last_of("\\/");
}

bool writeAll(HANDLE h, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 20));
        DWORD n = 0;
        if (!WriteFile(h, data.data() + done, chunk, &n, nullptr) || n == 0) return false;
        done += n;
    }
    return true;
}

std::string joinPath(const std::string& dir, const std::string& name)
{
    if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) return dir + name;
    return dir + "\\" + name;
}

// The access list of a file, so that its temporary file has it from the
// start: nobody the file keeps out may open the temporary file, and the
// file keeps its list when the temporary file is moved over it.
class AccessList {
public:
    explicit AccessList(const std::string& path)
    {
        if (GetNamedSecurityInfoA(ansi(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  nullptr, nullptr, &descriptor_) != ERROR_SUCCESS)
            descriptor_ = nullptr;
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = descriptor_;
        attributes_.bInheritHandle = FALSE;
    }
    ~AccessList()
    {
        if (descriptor_) LocalFree(descriptor_);
    }
    AccessList(const AccessList&) = delete;
    AccessList& operator=(const AccessList&) = delete;
    // Null when the file has no list to copy (the folder's default applies).
    SECURITY_ATTRIBUTES* attributes() { return descriptor_ ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

// Gives the open temporary file its content and makes it durable; closed
// either way, and removed when any step fails.  0, or -1 with errno set.
int fillTemp(HANDLE h, const std::string& tempPath, const std::string& bytes)
{
    bool ok = writeAll(h, bytes) && FlushFileBuffers(h);
    if (!ok) setErrnoFromLastError();
    int err = ok ? 0 : errno;
    if (!CloseHandle(h) && ok) {
        ok = false;
        setErrnoFromLastError();
        err = errno;
    }
    if (ok) return 0;
    DeleteFileA(ansi(tempPath).c_str());
    errno = err;
    return -1;
}

// A new temporary file beside the target, opened by nobody else while it
// fills (no sharing), with the target's access list when one is given.
HANDLE createTemp(const std::string& dir, const std::string& base, std::string& tempPath,
                  SECURITY_ATTRIBUTES* security = nullptr)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = joinPath(dir, "." + base + ".tmp." + std::to_string(GetCurrentProcessId()) + "." +
                                     std::to_string(counter.fetch_add(1)) + "." + std::to_string(GetTickCount64()));
        HANDLE h =
            CreateFileA(ansi(tempPath).c_str(), GENERIC_WRITE, 0, security, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) return h;
        if (GetLastError() != ERROR_FILE_EXISTS) return INVALID_HANDLE_VALUE;
    }
    return INVALID_HANDLE_VALUE;
}

// Removes temporary files of earlier saves whose process is gone.
void removeStaleTemps(const std::string& dir, const std::string& base)
{
    const std::string prefix = "." + base + ".tmp.";
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(ansi(joinPath(dir, prefix + "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = cp932ToUtf8(found.cFileName);
        const std::string rest = name.substr(prefix.size() < name.size() ? prefix.size() : name.size());
        char* end = nullptr;
        const unsigned long pid = std::strtoul(rest.c_str(), &end, 10);
        if (end == rest.c_str() || *end != '.' || pid == 0 || pid == GetCurrentProcessId()) continue;
        if (HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid)) {
            const bool ended = WaitForSingleObject(p, 0) == WAIT_OBJECT_0;
            CloseHandle(p);
            if (!ended) continue;
        } else if (GetLastError() != ERROR_INVALID_PARAMETER) {
            continue;  // it runs under another user
        }
        DeleteFileA(ansi(joinPath(dir, name)).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// The in-place rewrite: the file is first grown to the new size, so that a
// full disk stops the save before the old content is touched.
int rewriteInPlace(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(ansi(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        setErrnoFromLastError();
        return -1;
    }
    auto fail = [h]() {
        setErrnoFromLastError();
        CloseHandle(h);
        return -1;
    };
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        errno = EINVAL;
        return -1;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h, &size)) return fail();
    LARGE_INTEGER want{};
    want.QuadPart = static_cast<LONGLONG>(bytes.size());
    if (want.QuadPart > size.QuadPart) {
        if (!SetFilePointerEx(h, want, nullptr, FILE_BEGIN) || !SetEndOfFile(h)) return fail();
    }
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(h, zero, nullptr, FILE_BEGIN)) return fail();
    if (!writeAll(h, bytes)) return fail();
    if (!SetFilePointerEx(h, want, nullptr, FILE_BEGIN) || !SetEndOfFile(h)) return fail();
    if (!FlushFileBuffers(h)) return fail();
    CloseHandle(h);
    return 0;
}

}  // namespace

std::string parentDir(const std::string& path)
{
    const size_t sep = lastSeparator(path);
    if (sep == std::string::npos) return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
    // "C:\file" lives in "C:\", "\file" in "\".
    if (sep == 0 || (sep == 2 && path[1] == ':')) return path.substr(0, sep + 1);
    return path.substr(0, sep);
}

std::string baseName(const std::string& path)
{
    const size_t sep = lastSeparator(path);
    if (sep != std::string::npos) return path.substr(sep + 1);
    return path.size() >= 2 && path[1] == ':' ? path.substr(2) : path;
}

bool isDirectory(const std::string& path)
{
    const DWORD a = GetFileAttributesA(ansi(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool pathExists(const std::string& path)
{
    return GetFileAttributesA(ansi(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int fileMode(const std::string&)
{
    return -1;
}

std::string normalizePath(const std::string& path)
{
    return path;
}

bool readRegularFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    HANDLE h = CreateFileA(ansi(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const bool folder = isDirectory(path);
        setErrnoFromLastError();
        if (folder) errno = EISDIR;
        return false;
    }
    // A pipe or a device is never read: that could block for ever.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        errno = EINVAL;
        return false;
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h, &size) && size.QuadPart > 0) bytes.reserve(static_cast<size_t>(size.QuadPart));
    char buf[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
            setErrnoFromLastError();
            const int err = errno;
            CloseHandle(h);
            bytes.clear();
            errno = err;
            return false;
        }
        if (n == 0) break;
        bytes.append(buf, n);
    }
    CloseHandle(h);
    return true;
}

int replaceFile(const std::string& path, const std::string& bytes, int /*mode: access lists stay*/, Links links)
{
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    const DWORD attributes = GetFileAttributesA(ansi(path).c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EISDIR;
        return -1;
    }
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
        errno = EACCES;
        return -1;
    }

    const std::string dir = parentDir(path);
    std::string tempPath;
    // A link to be replaced is no file whose list the new one takes.
    const bool isLink = exists && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && links == Links::Replace;
    AccessList access(exists && !isLink ? path : std::string());
    HANDLE h = createTemp(dir, baseName(path), tempPath, exists && !isLink ? access.attributes() : nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        if (exists && links == Links::WriteThrough && err == ERROR_ACCESS_DENIED) return rewriteInPlace(path, bytes);
        SetLastError(err);
        setErrnoFromLastError();
        return -1;
    }
    if (fillTemp(h, tempPath, bytes) != 0) return -1;

    if (!seam::current<SaveStep>().proceed(tempPath)) {
        DeleteFileA(ansi(tempPath).c_str());
        errno = EINTR;
        return -1;
    }
    // The new content is on disk before its name replaces the old file.
    if (!MoveFileExA(ansi(tempPath).c_str(), ansi(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        setErrnoFromLastError();
        const int err = errno;
        DeleteFileA(ansi(tempPath).c_str());
        errno = err;
        return -1;
    }
    removeStaleTemps(dir, baseName(path));
    return 0;
}

int writeNewBeside(const std::string& path, const std::string& bytes, int /*mode: access lists*/, std::string& tempPath)
{
    tempPath.clear();
    std::string made;
    // What a save of this name cut short by a kill left behind goes first.
    removeStaleTemps(parentDir(path), baseName(path));
    HANDLE h = createTemp(parentDir(path), baseName(path), made);
    if (h == INVALID_HANDLE_VALUE) {
        setErrnoFromLastError();
        return -1;
    }
    if (fillTemp(h, made, bytes) != 0) return -1;
    tempPath = made;
    return 0;
}

void removeName(const std::string& path)
{
    DeleteFileA(ansi(path).c_str());
}

int renameOver(const std::string& from, const std::string& to)
{
    // A link at to is replaced by the move, not followed.
    if (MoveFileExA(ansi(from).c_str(), ansi(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    setErrnoFromLastError();
    return -1;
}

bool isPlainFile(const std::string& path)
{
    const DWORD a = GetFileAttributesA(ansi(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

bool nameExists(const std::string& path)
{
    return GetFileAttributesA(ansi(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

FileStamp fileStamp(const std::string& path)
{
    FileStamp f;
    HANDLE h = CreateFileA(ansi(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return f;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(h, &info)) {
        f.exists = true;
        f.device = info.dwVolumeSerialNumber;
        f.inode = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        f.size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        f.changedNs =
            static_cast<long long>(((static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                    info.ftLastWriteTime.dwLowDateTime) *
                                   100ULL);
    }
    CloseHandle(h);
    return f;
}

long long freeBytes(const std::string& folder)
{
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(ansi(folder.empty() ? std::string(".") : folder).c_str(), &available, nullptr, nullptr))
        return -1;
    return static_cast<long long>(available.QuadPart);
}

}  // namespace platform::ini
