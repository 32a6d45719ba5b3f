// A feature-report ioctl or an open that a signal interrupts is made again
// instead of counting as a failed transfer.
#include "HidLinux.h"
#include "RetryInterrupted.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace {

// Replays one result per call: >= 0 succeeds, < 0 fails with that errno negated.
struct Calls {
    std::vector<int> results;
    int made = 0;
    int operator()() {
        const int r = results[static_cast<std::size_t>(made++)];
        if (r >= 0) return r;
        errno = -r;
        return -1;
    }
};

TEST(InterruptedCallTest, RetriedUntilTheCallIsNotInterrupted) {
    const struct {
        std::vector<int> results;
        int expected;
        int calls;
        int lastErrno;
    } rows[] = {
        {{9}, 9, 1, 0},                             // a reply of 9 bytes at once
        {{-EINTR, 9}, 9, 2, 0},                     // interrupted once
        {{-EINTR, -EINTR, -EINTR, 0}, 0, 4, 0},     // a send returns 0
        {{-EINTR, -EPIPE}, -1, 2, EPIPE},           // the device refused: no retry
        {{-EIO, 9}, -1, 1, EIO},                    // a real failure stays one
        {{-EAGAIN, 9}, -1, 1, EAGAIN},
    };
    for (const auto& row : rows) {
        Calls calls{row.results};
        errno = 0;
        EXPECT_EQ(RetryInterrupted([&] { return calls(); }), row.expected);
        EXPECT_EQ(calls.made, row.calls);
        if (row.expected < 0) {
            EXPECT_EQ(errno, row.lastErrno);
        }
    }
}

// The open of a node goes through the same retry.
TEST(InterruptedCallTest, OpenNodeRetriesAnInterruptedOpen) {
    int opens = 0;
    const hid::hidraw::NodeOps ops{[&](const char*, int) {
                                       if (++opens < 3) {
                                           errno = EINTR;
                                           return -1;
                                       }
                                       return 5;
                                   },
                                   [](std::chrono::milliseconds) { ADD_FAILURE() << "no pause for EINTR"; },
                                   [](const char*) { return true; }};
    EXPECT_EQ(hid::hidraw::OpenNode("/dev/hidraw0", 0, ops), 5);
    EXPECT_EQ(opens, 3);
}

}  // namespace
