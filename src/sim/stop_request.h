#pragma once
// How the simulator's process is asked to stop: SIGINT or SIGTERM on POSIX, Ctrl+C, Ctrl+Break
// or the console closing on Windows.

namespace sim {

// Call before any server thread starts: from then on the stop requests wait for
// waitForStopRequest() instead of ending the process at once.
void catchStopRequests();

// Returns once a stop was requested.
void waitForStopRequest();

} // namespace sim
