#pragma once
// Command-line output of a windowed program.

#include <QString>

#include <cstdio>

namespace app {

// On Windows a windowed program has no standard output of its own: when it was started from a
// console and its output is not redirected, this makes stdout and stderr write to that console.
// Elsewhere nothing to do.
void reachStartingConsole();

// Writes text to stream (stdout or stderr). A Windows console gets it as UTF-16 through
// WriteConsoleW, so it shows right whatever the console's code page is (the OEM one, not the
// ANSI one of the program); redirected output and other platforms get the local 8-bit form.
void writeOutput(std::FILE* stream, const QString& text);

} // namespace app
