// A umockdev test bed with USB HID devices: sysfs entries for the USB device,
// its interface, the HID device and the hidraw node, a /dev node, and a small
// fake chip that answers the node's hidraw ioctls.
#pragma once

#include "WinTypes.h"

#include <umockdev.h>

#include <cstddef>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace mockbed {

// Answers the hidraw ioctls of one node, on umockdev's worker thread.
// Command 0xB5 (XDATA read) prepares a 9-byte reply with the byte at [4]
// (report id 0) or [3] (report id 1); 0xB6 writes XDATA. A 4096-byte fetch
// with report id 3 returns a counting pattern.
class FakeChip {
public:
    WORD rawVendor = 0, rawProduct = 0;  // what HIDIOCGRAWINFO reports

    void SetXdata(WORD addr, BYTE value);
    BYTE Xdata(WORD addr);
    // The next send / fetch fails with this errno.
    void FailNextSet(int err);
    void FailNextGet(int err);
    // The next fetch / send reports this many bytes (0 or a short count).
    void ShortNextGet(int count);
    void ShortNextSet(int count);

    struct Call {
        unsigned nr;               // ioctl number: 3 raw info, 6 send, 7 fetch
        std::vector<BYTE> bytes;   // the report as it arrived
    };
    std::vector<Call> Calls();

    // The ioctl handler (umockdev "handle-ioctl" signal).
    static gboolean Handle(UMockdevIoctlBase* base, UMockdevIoctlClient* client, gpointer self);

private:
    std::mutex mutex_;
    BYTE xdata_[0x10000] = {};
    std::vector<BYTE> reply_ = std::vector<BYTE>(9);
    int failSet_ = 0, failGet_ = 0, shortGet_ = -1, shortSet_ = -1;
    std::vector<Call> calls_;
};

struct UsbHid {
    int bus = 1;
    std::string devpath = "3";  // port chain
    WORD vendor = 0x5156, product = 0x7170, bcdDevice = 0x0102;
    int hidraw = 0;             // node /dev/hidraw<n>
};

class Bed {
public:
    Bed();
    ~Bed();
    Bed(const Bed&) = delete;
    Bed& operator=(const Bed&) = delete;

    // A hidraw node on a USB device (with the hubs of its port chain and the
    // bus's root hub); returns the node's sysfs path.
    std::string AddUsbHid(const UsbHid& d);
    // A hidraw node of a virtual HID device with no USB device above it.
    std::string AddVirtualHid(int hidraw);
    // Lets chip answer the ioctls on /dev/hidraw<n>.
    void Attach(int hidraw, FakeChip* chip);
    void Uevent(const std::string& syspath, const char* action);
    void Remove(const std::string& syspath);

    static std::string Node(int hidraw) { return "/dev/hidraw" + std::to_string(hidraw); }

private:
    void AddRecord(const std::string& record);
    UMockdevTestbed* bed_;
    std::set<std::string> present_;
    std::map<int, UMockdevIoctlBase*> handlers_;
};

// True when the umockdev preload library is active in this process.
bool Preloaded();

}  // namespace mockbed
