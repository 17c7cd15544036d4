#pragma once
// The folder that holds the program family's mailslots and instance locks
// where the system has no private namespace for them (POSIX): one only its
// user can enter, so that no other local user can take a slot's name, read
// what is sent to it, or plant a lock.
#include <cstddef>
#include <string>

namespace platform {

// $XDG_RUNTIME_DIR/uPVelmora when XDG_RUNTIME_DIR is a folder of the user's
// own that nobody else may enter; otherwise uPVelmora-<uid> in the
// temporary folder ($TMPDIR, else /tmp).  Created with mode 0700 when
// missing; an existing one is taken only when it is a folder (not a link)
// owned by the user and writable by nobody else.  Empty when there is no
// such folder; problem then says why, naming the folder.  On Windows the
// system keeps slots and mutexes per session: always empty, no problem.
// A folder whose path leaves no room for a socket's name
// (NAME.mailslot with a name of kSlotNameMax bytes within kSocketPathMax)
// is passed over for the temporary folder's; when that one is too deep as
// well there is none.
std::string privateRuntimeDir(std::string* problem = nullptr);

// The longest path a socket address holds (sun_path less its NUL), and the
// longest slot name the folder is chosen to leave room for.
constexpr size_t kSocketPathMax = 107;
constexpr size_t kSlotNameMax = 32;

}  // namespace platform
