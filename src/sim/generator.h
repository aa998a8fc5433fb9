#pragma once
// Generated and demo state.

#include "sim/state.h"

namespace sim {

// pools x portsPerPool for key: pool names mixing ASCII and Chinese, ports pool + "." + number,
// ICCIDs with some slots empty, pending tasks on about a third of the ports. The same seed
// gives the same state.
void generateState(ServiceState& state, const Text& key, int pools, int portsPerPool,
                   unsigned seed);

// "demo-key" with a few pools (ASCII and Chinese names), pending ports and empty slots, and
// the refused "banned-key".
void demoState(ServiceState& state);

// The pending-task statuses the service reports.
const std::vector<Text>& taskStatuses();

} // namespace sim
