// Windows loads its fonts with the session: nothing to warm up.
#include "core/fontwarm.h"

namespace platform {

void startFontPrewarm()
{}

void finishFontPrewarm()
{}

}  // namespace platform
