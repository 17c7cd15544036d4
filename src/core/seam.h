#pragma once
// A dependency on the world outside the program (the clock, the screen, the
// sound, other programs' windows, the operator's answers) is an interface
// with a static system() implementation.  The program asks current<I>() for
// it; a stand-in takes its place for the lifetime of a seam::Use<I>, and the
// one in place before comes back when that ends, so stand-ins nest.
#include <atomic>

namespace seam {

template <class Interface>
struct Slot {
    static inline std::atomic<Interface*> installed{nullptr};
};

// The stand-in in place, else the system's own implementation.
template <class Interface>
Interface& current()
{
    Interface* standIn = Slot<Interface>::installed.load(std::memory_order_acquire);
    return standIn ? *standIn : Interface::system();
}

// Puts a stand-in in place while it lives.  Declare it after the members the
// stand-in uses, so that it goes first.
template <class Interface>
class Use {
public:
    explicit Use(Interface& standIn) { previous_ = Slot<Interface>::installed.exchange(&standIn); }
    ~Use() { Slot<Interface>::installed.store(previous_); }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

private:
    Interface* previous_ = nullptr;
};

}  // namespace seam
