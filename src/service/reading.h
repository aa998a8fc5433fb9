#pragma once
// The reading halves of the card-pool operations: a session and plain inputs in, values or the
// failed reply out. No window: the showing halves (operations.h) put what they return on view.

#include "runtime/state.h"
#include "service/session.h"
#include "service/values.h"

#include <optional>
#include <string_view>
#include <vector>

namespace service {

// The pool names of the pool list, in the reply's order (a reply whose
// "ret" is not 0 lists none). Fails on a failed request and on a reply that is not JSON.
Read<std::vector<Text>> readPoolNames(const Session& session);

// The pending ports of the key that belong to pool (every one without a pool), in the reply's
// order: the lines with a "|" and something after it.
Read<PortRows> readPendingPorts(const Session& session,
                                std::optional<std::string_view> pool = std::nullopt);

// The slots of pool in which no card was detected, in the reply's order.
Read<std::vector<SlotRow>> readUnseatedSlots(const Session& session, std::string_view pool);

// Pool's statistics record. Fails on a failed request, the not-found page and a reply that is not
// a record of 12 fields.
Read<PoolStatistics> readPoolStatistics(const Session& session, std::string_view pool);

// Lights port's LED for duration: up to three tries half a second apart (the responsive delay),
// until a reply says "OK". Ends early, not lit, when the calling worker is asked to stop.
LedOutcome lightLed(const Session& session, std::string_view port, runtime::LedDuration duration);

// The pending-port request for a key, on a route.
Reply queryPorts(std::string_view routeHost, std::string_view key);

} // namespace service
