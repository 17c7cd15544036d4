#include "core/backend.h"
#include "core/instancelock.h"

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

ExecutableName& ExecutableName::system()
{
    struct Running final : ExecutableName {
        std::string baseName() override { return runningExecutableBaseName(); }
    };
    static Running name;
    return name;
}

}  // namespace platform
