#pragma once
// What the portable parts of the core ask of the operating system.  Each
// backend (posix/, win32/) defines these; nothing outside the core uses them.
#include <cstdint>
#include <string>

#include "core/datetime.h"
#include "core/ini.h"

namespace platform {

// The system's local wall clock, milliseconds included.
LocalTime systemLocalTime();

// A stable 64-bit hash (FNV-1a) of a name, for lock names.
std::uint64_t nameHash(const std::string& s);

namespace ini {

// The folder of a path ("." when it names none) and its last component.
std::string parentDir(const std::string& path);
std::string baseName(const std::string& path);
bool isDirectory(const std::string& path);
// True when something of that name exists (file, folder or device).
bool pathExists(const std::string& path);

}  // namespace ini
}  // namespace platform
