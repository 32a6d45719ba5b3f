#include "Pause.h"

#include <poll.h>
#include <sys/prctl.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::nanoseconds;

// How late the calling thread wakes from its timed sleeps: a running mean
// and mean deviation (nanoseconds), from which the margin it stays awake
// before a pause's end follows.
struct WakeUps {
    bool slackSet = false;
    double lateNs = 20'000;  // a first guess until the thread has slept
    double spreadNs = 10'000;
    // A low quantile (about the tenth percentile) of the lateness: most
    // wake-ups come later than this, so a pause that wakes this early waits
    // out little awake.
    double lowNs = 10'000;

    nanoseconds Margin() const {
        constexpr double MIN_NS = 5'000, MAX_NS = 250'000;
        return nanoseconds(static_cast<long long>(std::clamp(lateNs + 3 * spreadNs + 2'000, MIN_NS, MAX_NS)));
    }
    // The margin of RestUntil: the low quantile, no allowance for spread.
    nanoseconds RestMargin() const {
        constexpr double MIN_NS = 1'000, MAX_NS = 50'000;
        return nanoseconds(static_cast<long long>(std::clamp(lowNs, MIN_NS, MAX_NS)));
    }
    void Note(nanoseconds late) {
        const double ns = static_cast<double>(std::max(late, nanoseconds::zero()).count());
        constexpr double WEIGHT = 1.0 / 16;
        spreadNs += WEIGHT * (std::abs(ns - lateNs) - spreadNs);
        lateNs += WEIGHT * (ns - lateNs);
        // Steps down nine times as far as up: settles where one wake-up in
        // ten comes earlier.
        constexpr double STEP_NS = 500;
        lowNs = ns < lowNs ? std::max(0.0, lowNs - 0.9 * STEP_NS) : lowNs + 0.1 * STEP_NS;
    }
};

thread_local WakeUps t_wakeUps;

// The calling thread's timers fire within 1 ns of their time from now on;
// the setting stays with the thread.
void TightenTimerSlack() {
    if (t_wakeUps.slackSet) return;
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    t_wakeUps.slackSet = true;
}

timespec TimespecOf(nanoseconds d) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(d.count() / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(d.count() % 1'000'000'000);
    return ts;
}

// Sleeps until wake (CLOCK_MONOTONIC, which is the steady clock's), through
// interruptions.
void SleepUntil(Clock::time_point wake) {
    const timespec ts = TimespecOf(std::chrono::duration_cast<nanoseconds>(wake.time_since_epoch()));
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

// Sleeps until wake unless fd becomes readable first (false then). A
// descriptor that can't be polled wakes nobody: the sleep lasts.
bool SleepUntilOrReadable(Clock::time_point wake, int fd) {
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const auto now = Clock::now();
        if (now >= wake) return true;
        const timespec left = TimespecOf(std::chrono::duration_cast<nanoseconds>(wake - now));
        const int n = ppoll(&p, 1, &left, nullptr);
        if (n > 0 && (p.revents & POLLNVAL) == 0) return false;
        if ((n > 0) || (n < 0 && errno != EINTR)) {
            SleepUntil(wake);
            return true;
        }
    }
}

void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Sleeps until margin before deadline, then waits out the rest awake. With
// a wakeFd (not -1) the sleep ends early when it becomes readable: false.
bool PauseWithMargin(Clock::time_point deadline, nanoseconds margin, int wakeFd = -1) {
    auto now = Clock::now();
    if (now >= deadline) return true;
    TightenTimerSlack();
    const Clock::time_point wake = deadline - margin;
    if (now < wake) {
        if (wakeFd < 0) SleepUntil(wake);
        else if (!SleepUntilOrReadable(wake, wakeFd)) return false;
        now = Clock::now();
        t_wakeUps.Note(now - wake);
    }
    while (now < deadline) {
        CpuRelax();
        now = Clock::now();
    }
    return true;
}

}  // namespace

bool RestUntilWoken(Clock::time_point deadline, int wakeFd) {
    return PauseWithMargin(deadline, t_wakeUps.RestMargin(), wakeFd);
}

void PauseUntil(Clock::time_point deadline) { PauseWithMargin(deadline, t_wakeUps.Margin()); }

void RestUntil(Clock::time_point deadline) { PauseWithMargin(deadline, t_wakeUps.RestMargin()); }

void PauseFor(nanoseconds d) {
    if (d <= nanoseconds::zero()) return;
    PauseUntil(Clock::now() + d);
}
