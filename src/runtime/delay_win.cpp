#include "runtime/delay_pump.h"

#include <windows.h>

#include <algorithm>

namespace runtime {

namespace {

// QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER | QS_PAINT |
// QS_SENDMESSAGE | QS_HOTKEY: raw input does not wake the wait.
constexpr DWORD kWakeMask = 0xFF;

} // namespace

void waitWithoutPump(std::chrono::milliseconds timeout) {
    const auto capped = std::min<std::chrono::milliseconds::rep>(timeout.count(), INFINITE - 1);
    const DWORD woke =
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(capped), kWakeMask);
    if (woke == WAIT_OBJECT_0) {
        dispatchNativeEvents();
    }
}

bool dispatchNativeEvents() {
    MSG message;
    bool dispatched = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the quit request for the thread's own message loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            return dispatched;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        dispatched = true;
    }
    return dispatched;
}

} // namespace runtime
