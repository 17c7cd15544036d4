#include "slot_isolation.h"

#include <sched.h>

namespace testsupport {

namespace {
// Before main, while the process has one thread.  Needs root
// (CAP_SYS_ADMIN); without it the tests share the user's namespace.
const bool g_isolated = ::unshare(CLONE_NEWNET) == 0;
}  // namespace

bool slotsIsolated()
{
    return g_isolated;
}

}  // namespace testsupport
