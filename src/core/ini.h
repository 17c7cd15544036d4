#pragma once
// INI engine with the semantics of the Windows profile-string functions, on
// CP932 bytes: section and key names compare case-insensitively (ASCII letters
// only, never a trail byte), the first match wins, names and values are
// trimmed, surrounding quotes of a value are stripped on read, new keys go to
// the end of their section and new sections to the end of the file.  Files are
// written with CRLF line ends; LF-only files are read too, and a CR that does
// not end a line is part of it.  Every save replaces the file atomically and
// keeps its permissions (in place when the folder takes no new file).
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::ini {

class Document {
public:
    // Reads the file; false (and an empty document) when it cannot be read.
    bool load(const std::string& path);
    // The value of the first matching key (trimmed, quotes stripped), or none.
    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    // Sets the first matching key, or appends it at the end of its section.
    // Names and values are cut at a NUL or LF (the CR of a CR LF goes with
    // it) and trimmed; any other CR stays.  False (nothing changed) for a
    // name a line cannot hold: a section name with ']', a key name with '=',
    // starting with ';' or '[', or a name ending in a lead byte without its
    // trail byte.
    bool put(const std::string& section, const std::string& key, const std::string& value);
    // Removes the first matching key; nothing happens when there is none.
    void remove(const std::string& section, const std::string& key);
    // The value as profileGet returns it: up to a NUL, at most 1023 bytes
    // (never half a double-byte character); empty when missing.
    std::string profileValue(const std::string& section, const std::string& key) const;
    // Rewrites a numbered list in one pass: every key of the section named
    // stem + three digits goes, countKey (kept in place, else added) is set
    // to the number of values, and values[i] is written under stem + i
    // ("000" to "999") behind the section's last line that is not blank.  A
    // missing section is added at the end.  The result is the file that
    // deleting and putting the keys one at a time would leave.
    // False (nothing changed) for names put() would refuse.
    bool replaceNumberedKeys(const std::string& section, const std::string& countKey, const std::string& stem,
                             const std::vector<std::string>& values);
    // Writes the whole document: temporary file in the same folder, fsync,
    // rename.  0 on success, -1 on failure (the old file then stays whole).
    int save(const std::string& path) const;
    // The file image in CRLF form.
    std::string serialize() const;
    void parse(const std::string& bytes);

    Document();
    ~Document();
    Document(const Document& other);
    Document& operator=(const Document& other);
    Document(Document&& other) noexcept;
    Document& operator=(Document&& other) noexcept;

private:
    // Where each section and key stands, built on the first lookup after a
    // change, so that reading many keys parses the file once.
    struct Index;
    const Index& index() const;
    void changed();

    std::vector<std::string> lines_;
    mutable std::unique_ptr<Index> index_;
};

// Reads a whole regular file without ever blocking on it: a FIFO, a device
// or a folder of that name is refused (false, errno set).
bool readRegularFile(const std::string& path, std::string& bytes);
// What replaceFile does with a symbolic link at the path.
enum class Links {
    WriteThrough,  // the link's target is replaced (the configuration file)
    Replace,       // the link itself is replaced by a new file, never followed
};
// Replaces the file with bytes: a temporary file in the same folder, fsync,
// rename; mode and owner are those of the old file; a new file gets mode, or
// 0644 less the umask when mode is negative.
// When the folder takes no new file but the file itself may be written, it
// is rewritten in place (space reserved first, then written and fsynced);
// never for Links::Replace, whose files are always new.
// 0 on success, -1 on failure (errno set; the old file then stays whole).
int replaceFile(const std::string& path, const std::string& bytes, int mode = -1, Links links = Links::WriteThrough);

// Writes bytes to a new temporary file in path's folder, named after path
// and never taken for it: made with mode (0644 less the umask when negative)
// before the first byte, fsynced.  0 and its name in tempPath; -1 (errno
// set) with nothing left behind.  The caller moves it into place with
// renameOver, or removes it with removeName.
int writeNewBeside(const std::string& path, const std::string& bytes, int mode, std::string& tempPath);
// Removes the file or link of this name (a link's target stays).
void removeName(const std::string& path);

// Gives the file or link at from the name to, replacing what has that name
// (a link there is replaced, not followed).  0 on success, -1 (errno set).
int renameOver(const std::string& from, const std::string& to);

// True when the name is a regular file itself, not a link to one.
bool isPlainFile(const std::string& path);
// True when something has this name, a link (even one to nothing) included.
bool nameExists(const std::string& path);

// What tells one version of a file from another without reading it: the
// file's identity, size and last change.  exists false when there is none.
struct FileStamp {
    bool exists = false;
    unsigned long long device = 0, inode = 0, size = 0;
    long long changedNs = 0;
    bool operator==(const FileStamp& o) const
    {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               changedNs == o.changedNs;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};
// Of the file a path names (a link is followed).
FileStamp fileStamp(const std::string& path);

// Bytes that may still be written in the folder, -1 when the system cannot
// tell.
long long freeBytes(const std::string& folder);

// The permission bits of a file, -1 when it is missing or the file system
// keeps none (Windows keeps access lists instead).
int fileMode(const std::string& path);

// One key per call, like GetPrivateProfileStringA: empty when missing.
// Paths may use '\' as separator.
std::string profileGet(const std::string& path, const std::string& section, const std::string& key);
// Like WritePrivateProfileStringA: a value of nullopt deletes the key.
// 0 on success, -1 on failure.
int profilePut(const std::string& path, const std::string& section, const std::string& key,
               const std::optional<std::string>& value);

// Names compare like the profile functions do.
bool namesEqual(const std::string& a, const std::string& b);
// The path in the platform's own form: on POSIX '\' is read as '/'; on
// Windows the path is kept as written (both separators work there, and 0x5C
// may be the trail byte of a CP932 character).
std::string normalizePath(const std::string& path);

// The moment between writing the temporary file and putting it in place of
// the file (a seam: see core/seam.h).  The system's always goes on; false
// stops the save there, as a crash would: the temporary file is removed and
// the save fails.
class SaveStep {
public:
    virtual ~SaveStep() = default;
    virtual bool proceed(const std::string& tempPath) = 0;
    static SaveStep& system();
};

}  // namespace platform::ini
