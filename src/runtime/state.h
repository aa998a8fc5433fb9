#pragma once
// Process-wide state shared by the service operations.
//
// Texts are replaced as a whole under a small lock and read as copies, so workers never race
// the window thread. Numbers are atomics.

#include "runtime/text.h"
#include "runtime/threads.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace runtime {

// 1 selects a 20-minute LED lighting, any other value 10 minutes.
extern std::atomic<std::int32_t> ledMode;
// The same as names: what the LED menu items choose and the LED request reads.
enum class LedDuration : std::int32_t { TwentyMinutes = 1, TenMinutes = 2 };
void setLedDuration(LedDuration duration);
LedDuration ledDuration();
// Guards the LED workers' list read and log line; created at window creation.
extern std::atomic<LockHandle> ledLock;
extern std::atomic<std::int32_t> codePage;
extern std::atomic<std::int32_t> uploadChunkSize;

// Handles of the overlays created so far (opaque window identifiers).
void appendMask(std::uintptr_t overlay);
std::vector<std::uintptr_t> maskListSnapshot();

// Creates maskList empty and sets codePage = 936 and uploadChunkSize = 1,048,576.
void initProcessState();
// Registers (once) the at-exit routine that frees maskList.
void registerStateAtExit();

} // namespace runtime
