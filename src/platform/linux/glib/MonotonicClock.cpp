#include "platform/linux/glib/MonotonicClock.h"

#include <glib.h>

#include <chrono>
#include <thread>

namespace nimbo::x11 {

double MonotonicClock::now() const {
    return static_cast<double>(g_get_monotonic_time()) / 1e6;
}

double MonotonicClock::wallNow() const {
    return static_cast<double>(g_get_real_time()) / 1e6;
}

void MonotonicClock::sleep(double seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace nimbo::x11
