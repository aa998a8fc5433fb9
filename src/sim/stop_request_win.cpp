#include "sim/stop_request.h"

#include <windows.h>

namespace sim {
namespace {

HANDLE stopEvent() {
    static const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

BOOL WINAPI onConsoleEvent(DWORD) {
    SetEvent(stopEvent());
    // The process ends once the main thread has stopped the servers; for a closing console
    // Windows waits for that a few seconds.
    return TRUE;
}

} // namespace

void catchStopRequests() {
    stopEvent();
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void waitForStopRequest() {
    WaitForSingleObject(stopEvent(), INFINITE);
}

} // namespace sim
