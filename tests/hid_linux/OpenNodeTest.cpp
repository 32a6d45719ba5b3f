// Opening a node: the EACCES retry while udev grants access to a new node.
#include "HidLinux.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <vector>

namespace {

using hid::hidraw::kOpenPause;
using hid::hidraw::kOpenTries;
using hid::hidraw::NodeOps;
using hid::hidraw::OpenNode;

struct Script {
    std::vector<int> errnos;  // one per open; 0: the open succeeds with fd 7
    bool fresh = true;
    int opens = 0, pauses = 0, freshAsked = 0;

    NodeOps Ops() {
        return {[this](const char*, int) {
                    const int err = opens < static_cast<int>(errnos.size()) ? errnos[opens] : errnos.back();
                    ++opens;
                    if (err == 0) return 7;
                    errno = err;
                    return -1;
                },
                [this](std::chrono::milliseconds pause) {
                    EXPECT_EQ(pause, kOpenPause);
                    ++pauses;
                },
                [this](const char*) {
                    ++freshAsked;
                    errno = ENOENT;  // stat may disturb errno
                    return fresh;
                }};
    }
};

struct OpenCase {
    const char* name;
    std::vector<int> errnos;
    bool fresh;
    int fd, err, opens, pauses;
};

TEST(OpenNode, RetriesRefusalOfAFreshNodeOnly) {
    const OpenCase cases[] = {
        {"opens at once", {0}, true, 7, 0, 1, 0},
        {"fresh node granted after two pauses", {EACCES, EACCES, 0}, true, 7, 0, 3, 2},
        {"fresh node never granted", {EACCES}, true, -1, EACCES, kOpenTries, kOpenTries - 1},
        {"old node refused at once", {EACCES}, false, -1, EACCES, 1, 0},
        {"missing node fails at once", {ENOENT}, true, -1, ENOENT, 1, 0},
        {"interrupted open is repeated", {EINTR, 0}, false, 7, 0, 2, 0},
    };
    for (const auto& c : cases) {
        Script s{c.errnos, c.fresh};
        errno = 0;
        const int fd = OpenNode("/dev/hidraw0", 0, s.Ops());
        const int err = errno;
        EXPECT_EQ(fd, c.fd) << c.name;
        if (fd < 0) {
            EXPECT_EQ(err, c.err) << c.name;
        }
        EXPECT_EQ(s.opens, c.opens) << c.name;
        EXPECT_EQ(s.pauses, c.pauses) << c.name;
        EXPECT_LE(s.freshAsked, 1) << c.name;
    }
}

// A node whose status changed exactly kFreshNode ago still counts as fresh
// (its refusal may be udev still at work); one second more, and it doesn't.
TEST(OpenNode, FreshnessEndsAtItsBound) {
    constexpr std::time_t kNow = 1'800'000'000;
    const std::time_t bound = hid::hidraw::kFreshNode.count();
    const struct {
        std::time_t age;
        bool fresh;
    } cases[] = {{0, true}, {bound, true}, {bound + 1, false}, {-1, true}};
    for (const auto& c : cases) EXPECT_EQ(hid::hidraw::IsFreshNode(kNow - c.age, kNow), c.fresh) << c.age;
}

}  // namespace
