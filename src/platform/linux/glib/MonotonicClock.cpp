#include "platform/linux/glib/MonotonicClock.h"

#include <glib.h>

namespace nimbo::x11 {

double MonotonicClock::now() const {
    return static_cast<double>(g_get_monotonic_time()) / 1e6;
}

double MonotonicClock::wallNow() const {
    return static_cast<double>(g_get_real_time()) / 1e6;
}

}  // namespace nimbo::x11
