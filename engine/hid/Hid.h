// The HID layer: present HID devices, feature reports and device changes.
//
// Every call goes to one backend: the Linux hidraw backend for real chips,
// or the chip emulator. Handles are small numbers of this layer, never file
// descriptors, so closing "none" (0) or INVALID_HANDLE_VALUE can never touch
// a descriptor of the process.
#pragma once

#include "WinTypes.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace hid {

// One present HID interface: the path to open and the location text of the
// USB device behind it ("0000.0000.0000.001.003.000.000.000.000": three
// leading fields, then bus and port chain as three hex digits each).
struct DeviceEntry {
    std::string path;
    std::string location;
};

struct Attributes {
    WORD vendorId = 0;
    WORD productId = 0;
    WORD versionNumber = 0;
};

enum class Access {
    None,       // attributes only, no reports
    ReadWrite,  // feature reports
};

enum class Change { Arrival, Removal };

// An open device of a backend.
class Device {
public:
    virtual ~Device() = default;
    // report[0] is the report id, in and out; len counts it. True only when
    // all len bytes went out, or came back.
    virtual bool SetFeature(const BYTE* report, std::size_t len) = 0;
    virtual bool GetFeature(BYTE* report, std::size_t len) = 0;
    virtual bool GetAttributes(Attributes* out) = 0;
    // The same transfers with their byte counts, report id included: the
    // bytes that went out or came back, or -1 with errno saying why (0 when
    // there is no system error to tell). A fetch overwrites the buffer from
    // byte 0 for as many bytes as came; the bytes behind keep what the
    // caller had there. Backends whose devices may move fewer bytes than
    // asked override these.
    virtual long SendFeature(const BYTE* report, std::size_t len) {
        return SetFeature(report, len) ? static_cast<long>(len) : -1;
    }
    virtual long FetchFeature(BYTE* report, std::size_t len) {
        return GetFeature(report, len) ? static_cast<long>(len) : -1;
    }
};

class Backend {
public:
    virtual ~Backend() = default;
    // Present HID interfaces that sit on a USB device, in a stable order.
    virtual std::vector<DeviceEntry> Enumerate() = 0;
    // nullptr when the path can't be opened.
    virtual std::unique_ptr<Device> Open(const std::string& path, Access access) = 0;
    // A descriptor that becomes readable when device changes are pending
    // (-1: this backend reports none).
    virtual int ChangeFd() = 0;
    // Drains the pending device changes, oldest first.
    virtual std::vector<Change> TakeChanges() = 0;
};

// --- the layer's functions ---------------------------------------------

std::vector<DeviceEntry> EnumeratePresent();
// INVALID_HANDLE_VALUE when the device can't be opened; never 0.
HANDLE Open(const std::string& path, Access access);
// Closes a handle of this layer; 0 and INVALID_HANDLE_VALUE are ignored.
bool Close(HANDLE h);
// Fails unless all len bytes went out.
bool SetFeature(HANDLE h, const BYTE* report, std::size_t len);
// Fails unless the whole report of len bytes came back.
bool GetFeature(HANDLE h, BYTE* report, std::size_t len);
// Fails unless the reply reaches the first `need` bytes of the buffer (the
// report id and the bytes the caller reads): the bytes behind a short reply
// are the request's own, never data.
bool GetFeature(HANDLE h, BYTE* report, std::size_t len, std::size_t need);
bool GetAttributes(HANDLE h, Attributes* out);
// Why the last failed call on h failed: the system's error text ("Permission
// denied", "Broken pipe"), or "short reply: N of M bytes" (M the bytes
// needed), or "short send: N of M bytes"; empty while none has failed.
std::string LastError(HANDLE h);
// Why the last Open of the calling thread failed; empty after one that
// succeeded.
std::string LastOpenError();
int ChangeFd();
std::vector<Change> TakeChanges();
// Number of handles open now (tests check that nothing leaks).
std::size_t OpenHandleCount();

// Replaces the backend (handles of the old one become invalid). Without a
// call the Linux hidraw backend is used.
void SetBackend(std::shared_ptr<Backend> backend);
std::shared_ptr<Backend> CurrentBackend();

// The Linux hidraw + libudev backend.
std::shared_ptr<Backend> MakeLinuxBackend();

}  // namespace hid
