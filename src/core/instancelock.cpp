#include "core/backend.h"

namespace platform {

std::uint64_t nameHash(const std::string& s)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : s) {
        h ^= c;
        h *= 0x100000001b3ULL;
    }
    return h;
}

}  // namespace platform
