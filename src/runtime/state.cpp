#include "runtime/state.h"

#include "runtime/immortal.h"

#include <cstdlib>
#include <mutex>

namespace runtime {

std::atomic<std::int32_t> ledMode{0};

void setLedDuration(LedDuration duration) {
    ledMode = static_cast<std::int32_t>(duration);
}

LedDuration ledDuration() {
    return ledMode.load() == static_cast<std::int32_t>(LedDuration::TwentyMinutes)
               ? LedDuration::TwentyMinutes
               : LedDuration::TenMinutes;
}
std::atomic<LockHandle> ledLock{0};
std::atomic<std::int32_t> codePage{0};
std::atomic<std::int32_t> uploadChunkSize{0};

namespace {

struct SharedTexts {
    std::mutex mutex;
    std::vector<std::uintptr_t> masks;
};

SharedTexts& shared() {
    static Immortal<SharedTexts> instance;
    return instance.value;
}

void freeStateAtExit() {
    SharedTexts& state = shared();
    const std::scoped_lock lock(state.mutex);
    std::vector<std::uintptr_t>().swap(state.masks);
}

} // namespace

void appendMask(std::uintptr_t overlay) {
    SharedTexts& state = shared();
    const std::scoped_lock lock(state.mutex);
    state.masks.push_back(overlay);
}

std::vector<std::uintptr_t> maskListSnapshot() {
    SharedTexts& state = shared();
    const std::scoped_lock lock(state.mutex);
    return state.masks;
}

void initProcessState() {
    {
        SharedTexts& state = shared();
        const std::scoped_lock lock(state.mutex);
        state.masks.clear();
    }
    codePage = 936;
    uploadChunkSize = 0x100000;
}

void registerStateAtExit() {
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(freeStateAtExit); });
}

} // namespace runtime
