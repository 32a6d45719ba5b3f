#include "Pause.h"

#include <sys/prctl.h>

#include <cerrno>
#include <ctime>

namespace {

// The calling thread's timers fire within 1 ns of their time from now on.
// Set once per thread; the setting stays with the thread.
void TightenTimerSlack() {
    thread_local bool done = false;
    if (done) return;
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    done = true;
}

}  // namespace

void PauseUntil(std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono;
    if (steady_clock::now() >= deadline) return;
    TightenTimerSlack();
    // steady_clock is CLOCK_MONOTONIC; an absolute deadline survives
    // interruptions without drifting.
    const auto ns = duration_cast<nanoseconds>(deadline.time_since_epoch()).count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

void PauseFor(std::chrono::nanoseconds d) {
    if (d <= std::chrono::nanoseconds::zero()) return;
    PauseUntil(std::chrono::steady_clock::now() + d);
}
