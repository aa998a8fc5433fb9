#pragma once
// Command-line output of a windowed program.

namespace app {

// On Windows a windowed program has no standard output of its own: when it was started from a
// console and its output is not redirected, this makes stdout and stderr write to that console.
// Elsewhere nothing to do.
void reachStartingConsole();

} // namespace app
