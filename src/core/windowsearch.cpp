#include "core/windowsearch.h"

namespace platform {

WindowSearch& WindowSearch::system()
{
    struct OnTheDisplay final : WindowSearch {
        bool exists(const std::string& captionUtf8) override { return windowExists(captionUtf8); }
    };
    static OnTheDisplay search;
    return search;
}

}  // namespace platform
