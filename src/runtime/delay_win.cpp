#include "runtime/delay_pump.h"

#include <windows.h>

namespace runtime {

namespace {

// QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER | QS_PAINT |
// QS_SENDMESSAGE | QS_HOTKEY: raw input does not wake the wait.
constexpr DWORD kWakeMask = 0xFF;

void dispatchWaitingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the quit request for the thread's own message loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

bool responsiveDelay(std::int64_t amount, int unit) {
    LARGE_INTEGER due;
    // Negative: relative to now, in 100-nanosecond units.
    due.QuadPart = -delayMilliseconds(amount, unit) * 10000;
    HANDLE timer = CreateWaitableTimerA(nullptr, FALSE, nullptr);
    if (timer == nullptr) {
        return false;
    }
    if (!SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        CloseHandle(timer);
        return false;
    }
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &timer, FALSE, INFINITE, kWakeMask);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) {
            break;
        }
        processPendingEvents();
    }
    CloseHandle(timer);
    return true;
}

void processPendingEvents() {
    // A GUI toolkit on this thread dispatches the native messages along with its own events.
    if (EventPump* pump = pumpForThisThread()) {
        pump->processPendingEvents();
        return;
    }
    dispatchWaitingMessages();
}

} // namespace runtime
