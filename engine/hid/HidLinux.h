// Pieces of the Linux hidraw backend that work without a device, kept apart
// so they can be tested on their own.
#pragma once


#include <chrono>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace hid::hidraw {

// The location text of a USB device from its sysfs "busnum" (decimal) and
// "devpath" (port chain, "3" or "2.4"): "0000.0000.0000.", then the bus and
// each port as three hex digits, padded with "000" fields to nine fields
// ("0000.0000.0000.001.002.004.000.000.000"). A chain longer than five ports
// keeps all of them, so the text then has more than nine fields. Empty when
// either value is not a plain number (list) or a number needs more than
// three hex digits.
std::string LocationText(std::string_view busnum, std::string_view devpath);

// Opening a node for feature reports. Right after a device arrives, udev may
// not have granted access to the new node yet, so an open refused with EACCES
// is tried again for a short while - but only when the node changed just now:
// a node that has long been out of reach (another user's keyboard) fails at
// once, or every scan would wait on it.
inline constexpr int kOpenTries = 10;
inline constexpr std::chrono::milliseconds kOpenPause{50};
inline constexpr std::chrono::seconds kFreshNode{2};
static_assert((kOpenTries - 1) * kOpenPause < std::chrono::seconds(1), "an arrival must not stall the scan");

// Whether a node whose status changed at `changed` (seconds of the real-time
// clock) is still fresh at `now`: kFreshNode old at most.
bool IsFreshNode(std::time_t changed, std::time_t now);

struct NodeOps {
    // open(2): a descriptor, or -1 with errno set.
    std::function<int(const char* path, int flags)> open;
    std::function<void(std::chrono::milliseconds)> pause;
    // Whether the node's status changed within kFreshNode.
    std::function<bool(const char* path)> fresh;
};

// The real system calls.
const NodeOps& SystemNodeOps();

// open(path, flags) with the EACCES retry above; -1 with errno when it fails.
int OpenNode(const std::string& path, int flags, const NodeOps& ops = SystemNodeOps());

}  // namespace hid::hidraw
