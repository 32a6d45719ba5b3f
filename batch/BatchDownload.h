// One download (or verify) job per device, all at once: each device gets a thread, a
// chip programmer, a device handle, a copy of the image and an engine host
// of its own, so one device's failure neither stops nor changes the others.
#pragma once

#include "DeviceJobs.h"
#include "EngineHost.h"
#include "WinTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace batch {

// A device to program: the path to open and its location text.
struct Device {
    std::string path;
    std::string location;
};

// The devices of chip-type row 0..6 present now (a scan on the calling
// thread), in the order the scan finds them. Nothing for any other row.
std::vector<Device> FindDevices(int row);

// What the prepare step of one device may change before its download.
struct DeviceImage {
    const Device& device;
    std::vector<BYTE>& image;  // this device's own copy
    std::string key;           // the key file given to it, shown in its result
};

// The host of a job that was given none: shows nothing, real pauses and
// clock.
class QuietHost : public IEngineHost {
public:
    void SetStatusText(const std::string&, COLORREF) override {}
    void SetProgress(int) override {}
    void Sleep(DWORD ms) override;
    std::tm LocalTime() override;
};

// The end of one device's job.
struct DeviceResult {
    std::string path;
    std::string location;      // as the scan of its job found it
    bool ok = false;           // written and verified (or found equal): the job's ok
    std::string failure;       // empty when ok, else why not: the job's reason
    std::string key;           // as its prepare step named it
    std::string lastStatus;    // the last status text of its job, and its colour
    COLORREF lastColour = 0;
    double seconds = 0;        // from the start of its thread to its end
};

struct Hooks {
    // The host of one device's job; it may tag what it shows with the
    // device. Runs on that device's thread. Empty: a host that shows
    // nothing and pauses for real.
    std::function<std::unique_ptr<IEngineHost>(const Device&)> makeHost;
    // Runs on the device's thread before its download; returns empty to go
    // on, or the failure text that ends the device's job there.
    std::function<std::string(DeviceImage&)> prepare;
    // Runs on the device's thread when its job has ended, well or not,
    // before finished; it may still turn a success into a failure (a key
    // that could not be recorded as used, say).
    std::function<void(DeviceResult&)> conclude;
    // Runs once per device as its job ends, never two at once, before
    // RunDownloads returns.
    std::function<void(const DeviceResult&)> finished;
};

struct DownloadJob {
    int row = 0;                // chip-type row 0..6
    BYTE memoryType = 0;        // MEMTYPE_...
    std::vector<BYTE> image;    // the bytes to download, whole
    // Download writes and verifies; Verify only compares each chip with the
    // image (its failure names where they differ, but hidden bytes' values).
    ImageJob job = ImageJob::Download;
    HiddenBytes hidden{};
};

// Runs the job on every device at once and waits for all of them. Results
// in the order of devices.
std::vector<DeviceResult> RunDownloads(const DownloadJob& job, const std::vector<Device>& devices,
                                       const Hooks& hooks = {});

}  // namespace batch
