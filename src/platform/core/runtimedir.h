#pragma once
// The folder that holds the program family's mailslots and instance locks
// where the system has no private namespace for them (POSIX): one only its
// user can enter, so that no other local user can take a slot's name, read
// what is sent to it, or plant a lock.
#include <string>

namespace platform {

// $XDG_RUNTIME_DIR/uPVelmora when XDG_RUNTIME_DIR is a folder of the user's
// own that nobody else may enter; otherwise uPVelmora-<uid> in the
// temporary folder ($TMPDIR, else /tmp).  Created with mode 0700 when
// missing; an existing one is taken only when it is a folder (not a link)
// owned by the user and writable by nobody else.  Empty when there is no
// such folder; problem then says why, naming the folder.  On Windows the
// system keeps slots and mutexes per session: always empty, no problem.
std::string privateRuntimeDir(std::string* problem = nullptr);

}  // namespace platform
