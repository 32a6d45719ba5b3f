// The pauses of the hosts and of the emulated chips: never shorter than
// asked, a signal does not cut them short, and the pausing thread's timers
// run without the system's default slack.
#include "EngineHost.h"
#include "Pause.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;
using std::chrono::milliseconds;

TEST(Pause, LastsAtLeastWhatIsAsked) {
    for (const microseconds d : {microseconds(1), microseconds(125), microseconds(1000), microseconds(3500)}) {
        const auto start = Clock::now();
        PauseFor(d);
        EXPECT_GE(Clock::now() - start, d) << d.count() << " us";
    }
    for (const DWORD ms : {1u, 2u}) {
        const auto start = Clock::now();
        Sleep(ms);  // the plain host
        EXPECT_GE(Clock::now() - start, milliseconds(ms)) << ms << " ms";
    }
}

// Both kinds of pause: the one that wakes early by its worst lateness, and
// the one that sleeps through nearly all of it.
TEST(Pause, EndsAtItsDeadlineOrAtOnceWhenItIsPast) {
    for (auto* pause : {&PauseUntil, &RestUntil}) {
        for (const microseconds d : {microseconds(1), microseconds(125), microseconds(2000)}) {
            for (int i = 0; i < 20; ++i) {  // after a few, the margin follows the wake-ups
                const auto deadline = Clock::now() + d;
                pause(deadline);
                EXPECT_GE(Clock::now(), deadline) << d.count() << " us";
            }
        }
        pause(Clock::now() - milliseconds(5));  // returns at once
        pause(Clock::time_point{});
    }
    PauseFor(microseconds(-3));
}

// A thread that pauses gets a 1 ns timer slack, from whatever it had (new
// threads inherit their creator's; the system's default is 50 us).
TEST(Pause, TightensTheTimerSlackOfThePausingThread) {
    for (const unsigned long start : {50000ul, 1000ul}) {
        long slack = 0;
        std::thread([&] {
            prctl(PR_SET_TIMERSLACK, start, 0, 0, 0);
            PauseFor(microseconds(10));
            slack = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
        }).join();
        EXPECT_EQ(slack, 1) << start;
    }
}

std::atomic<int> g_signals{0};
void CountSignal(int) { g_signals.fetch_add(1); }

TEST(Pause, ASignalDoesNotCutItShort) {
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = CountSignal;  // no SA_RESTART: the sleep is interrupted
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
    std::atomic<bool> started{false};
    Clock::duration took{};
    std::thread pauser([&] {
        started = true;
        const auto start = Clock::now();
        PauseFor(milliseconds(30));
        took = Clock::now() - start;
    });
    while (!started) std::this_thread::yield();
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(milliseconds(3));
        pthread_kill(pauser.native_handle(), SIGUSR1);
    }
    pauser.join();
    sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_GE(g_signals.load(), 1);
    EXPECT_GE(took, milliseconds(30));
}

}  // namespace
