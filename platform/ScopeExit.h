// A clean-up that runs when its scope ends, unless released first.
#pragma once

#include <type_traits>
#include <utility>

namespace mq::platform {

// Replaces one-off guard structs with a `done` flag: the clean-up is written
// where the resource is taken, and `release()` keeps it from running once the
// work has succeeded. The clean-up must not throw; it runs from a destructor.
template <typename Callable>
class [[nodiscard]] ScopeExit {
public:
    explicit ScopeExit(Callable cleanUp) noexcept(std::is_nothrow_move_constructible_v<Callable>)
        : cleanUp(std::move(cleanUp)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() {
        if (engaged) cleanUp();
    }

    void release() noexcept { engaged = false; }

private:
    Callable cleanUp;
    bool engaged = true;
};

template <typename Callable>
ScopeExit(Callable) -> ScopeExit<Callable>;

}  // namespace mq::platform
