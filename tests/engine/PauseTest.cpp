// The pauses of the hosts and of the emulated chips: never shorter than
// asked, a signal does not cut them short, and the pausing thread's timers
// run without the system's default slack.
#include "EngineHost.h"
#include "Pause.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <unistd.h>

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

// A pause that a descriptor can wake: it lasts as asked while nothing is
// written to it (a descriptor that can't be polled wakes nobody), and ends
// at once, with false, when it is or becomes readable.
TEST(Pause, WokenByItsDescriptorOnly) {
    const int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    ASSERT_GE(wake, 0);
    const int closed = eventfd(0, EFD_CLOEXEC);
    close(closed);
    for (const int fd : {wake, -1, closed}) {
        const auto start = Clock::now();
        EXPECT_TRUE(RestUntilWoken(start + milliseconds(30), fd)) << fd;
        EXPECT_GE(Clock::now() - start, milliseconds(30)) << fd;
    }
    EXPECT_TRUE(RestUntilWoken(Clock::now() - milliseconds(1), wake));

    const auto start = Clock::now();
    std::thread writer([&] {
        std::this_thread::sleep_for(milliseconds(20));
        const std::uint64_t one = 1;
        EXPECT_EQ(write(wake, &one, sizeof one), static_cast<ssize_t>(sizeof one));
    });
    EXPECT_FALSE(RestUntilWoken(start + std::chrono::seconds(20), wake));
    writer.join();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    // Readable from now on: every later pause ends at once.
    const auto again = Clock::now();
    EXPECT_FALSE(RestUntilWoken(again + std::chrono::seconds(20), wake));
    EXPECT_LT(Clock::now() - again, std::chrono::seconds(10));
    close(wake);
}

}  // namespace
