#pragma once
// Replies shaped by a fault: huge, cut off, or trickling, and the waits a stopping simulator
// cuts short.

#include "sim/service_answers.h"
#include "sim/sim_server.h"
#include "sim/simulator.h"

#include <atomic>

namespace sim {

// A huge reply repeats the reply (or filler) to the size asked; a cut reply announces the full
// length and stops half-way, which closes the connection.
void sendShaped(httplib::Response& res, Reply reply, const Fault& fault);

// Waits while running holds; false when the simulator stopped first, so that a long latency
// never holds stop().
bool sleepWhileRunning(int milliseconds, const std::atomic<bool>& running);

// The headers at once, then one byte per interval; a closed connection or a stopping simulator
// ends it. running must outlive the reply.
void sendTrickling(httplib::Response& res, Reply reply, int intervalMs,
                   const std::atomic<bool>& running);

} // namespace sim
