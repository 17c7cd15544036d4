#include "core/runtimedir.h"

namespace platform {

std::string privateRuntimeDir(std::string* problem)
{
    // Mailslots and named mutexes live in the session's own namespace.
    if (problem) problem->clear();
    return {};
}

}  // namespace platform
