#pragma once
// Storage for a process-wide object that is never destroyed: detached workers may still use
// it while the process runs its exit handlers.

#include <utility>

namespace runtime {

template <class T> union Immortal {
    template <class... Args>
    explicit Immortal(Args&&... args) : value(std::forward<Args>(args)...) {}
    ~Immortal() {}
    Immortal(const Immortal&) = delete;
    Immortal& operator=(const Immortal&) = delete;

    T value;
};

} // namespace runtime
