#include "runtime/delay_pump.h"

#include <thread>

namespace runtime {

void waitWithoutPump(std::chrono::milliseconds timeout) {
    std::this_thread::sleep_for(timeout);
}

bool dispatchNativeEvents() {
    return false;
}

} // namespace runtime
