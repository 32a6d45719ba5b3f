// Finding, opening and closing the chip a command works on.
#pragma once

#include "Hid.h"
#include "VQPatch.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

// What became of an attempt to reach a device, or of a job on it.
struct Outcome {
    int status = 0;    // the process's exit status
    std::string text;  // the closing line; empty when there is none
    bool shown = false;  // text has already been shown as a status line
};

inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_JOB_FAILED = 1;
inline constexpr int EXIT_USAGE = 2;
inline constexpr int EXIT_NO_DEVICE = 3;
// An interrupted command: its status (Interrupt.h) and "interrupted".
Outcome InterruptedOutcome();

// Scans for chips of row's type and leaves devicePath open (empty: the last
// chip found, as the window does). Status 0, or 3 with the reason: devices
// whose nodes can't be opened are named with the HID layer's reason.
Outcome Connect(CVQPatch& patch, int row, const std::string& devicePath);
// Closes the chip programmer's device, whatever its scan left open.
void CloseDevice(CVQPatch& patch);
// The first present device of one of these vendors that can't be opened
// for reports, with the reason ("permission denied on /dev/hidraw3: see the
// udev rule in README"); empty when there is none. onlyPath: only that one.
std::string AccessProblem(const std::vector<DWORD>& vendorIds, const std::string& onlyPath = {});

// The USB ids of a present device, read without opening it for reports;
// nothing when they can't be read.
std::optional<hid::Attributes> UsbIdsOf(const std::string& path);
// Why the device at path can't be opened for reports ("Permission
// denied"); empty when it can.
std::string OpenProblem(const std::string& path);

// "01020304": the four version bytes as the window shows them.
std::string VersionText(const BYTE version[4]);

}  // namespace cli
