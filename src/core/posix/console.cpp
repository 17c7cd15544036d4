#include "core/console.h"

namespace platform {

std::string consoleText(const std::string& utf8)
{
    return utf8;
}

}  // namespace platform
