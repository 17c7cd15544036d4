// The sound theme's bell through libcanberra, played on a thread of its own,
// so that neither a slow sound server nor a missing one holds up the caller.
#include "core/bell.h"

#include <canberra.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace platform {

namespace {

class SoundThemeBell final : public Bell {
public:
    SoundThemeBell()
    {
        std::thread([this]() { run(); }).detach();
    }
    void ring(std::function<void()> unheard) override
    {
        {
            std::lock_guard lock(mutex_);
            pending_.push_back(std::move(unheard));
        }
        wake_.notify_one();
    }

private:
    void run()
    {
        ca_context* context = nullptr;
        if (ca_context_create(&context) != CA_SUCCESS) context = nullptr;
        for (;;) {
            std::function<void()> unheard;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this]() { return !pending_.empty(); });
                unheard = std::move(pending_.front());
                pending_.pop_front();
            }
            const bool played =
                context && ca_context_play(context, 0, CA_PROP_EVENT_ID, "bell", CA_PROP_EVENT_DESCRIPTION,
                                           "guide message", nullptr) == CA_SUCCESS;
            if (!played && unheard) unheard();
        }
    }
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> pending_;
};

}  // namespace

Bell& Bell::system()
{
    // Never destroyed: the thread may still wait when the program ends.
    static SoundThemeBell* bell = new SoundThemeBell;
    return *bell;
}

}  // namespace platform
