#include "BatchDownload.h"

#include "ChipTypes.h"
#include "DeviceJobs.h"
#include "Pause.h"
#include "hid/Hid.h"

#include <chrono>
#include <ctime>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace batch {
namespace {

using Clock = std::chrono::steady_clock;

// Lets go of the device handle, whatever state the scan left it in.
void CloseDevice(CVQPatch& patch) {
    if (patch.m_hDevice != INVALID_HANDLE_VALUE && patch.m_hDevice != HANDLE_NONE) hid::Close(patch.m_hDevice);
    patch.m_hDevice = INVALID_HANDLE_VALUE;
}

// Identifies and opens the one device, prepares its image and downloads it;
// the failure text, or empty when the image was written and verified.
std::string Program(const DownloadJob& job, const Device& device, const Hooks& hooks, DeviceResult& result) {
    if (job.image.size() > IMAGE_BUFFER_SIZE) return "Image larger than 16 MB";
    std::unique_ptr<CVQPatch> patch = MakeChipPatch(job.row);
    if (!patch) return "Unknown chip type";
    patch->m_strScanOnly = device.path;
    const BYTE found = patch->ScanDevices();
    if (!patch->m_strLocation[0].empty()) result.location = patch->m_strLocation[0];
    std::string failure;
    if (found == 0) {
        const std::string why = hid::LastOpenError();
        failure = why.empty() ? "Disconnected!" : "Disconnected! (" + why + ")";
    } else {
        std::vector<BYTE> image = job.image;
        DeviceImage prepared{device, image, {}};
        if (hooks.prepare) failure = hooks.prepare(prepared);
        result.key = prepared.key;
        if (failure.empty()) {
            const JobResult done = RunImageJob(job.job, *patch, image, job.memoryType, job.hidden);
            if (!done.statuses.empty()) {
                result.lastStatus = done.statuses.back().text;
                result.lastColour = done.statuses.back().colour;
            }
            if (!done.ok) failure = done.reason;
        }
    }
    CloseDevice(*patch);
    return failure;
}

void RunOne(const DownloadJob& job, const Device& device, const Hooks& hooks, DeviceResult& result) {
    const auto start = Clock::now();
    result.path = device.path;
    result.location = device.location;
    try {
        std::unique_ptr<IEngineHost> own = hooks.makeHost ? hooks.makeHost(device) : nullptr;
        if (!own) own = std::make_unique<QuietHost>();
        const ScopedThreadHost scope(*own);
        result.failure = Program(job, device, hooks, result);
    } catch (const std::exception& e) {
        result.failure = std::string("Internal error: ") + e.what();
    }
    result.ok = result.failure.empty();
    if (hooks.conclude) {
        try {
            hooks.conclude(result);
        } catch (const std::exception& e) {
            result.failure = std::string("Internal error: ") + e.what();
        }
        result.ok = result.failure.empty();
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

void QuietHost::Sleep(DWORD ms) { PauseFor(std::chrono::milliseconds(ms)); }

std::tm QuietHost::LocalTime() { return LocalTimeNow(); }

std::vector<Device> FindDevices(int row) {
    std::unique_ptr<CVQPatch> patch = MakeChipPatch(row);
    if (!patch) return {};
    const BYTE count = patch->ScanDevices();
    std::vector<Device> out;
    for (BYTE i = 0; i < count; ++i) out.push_back({patch->m_strDevicePath[i], patch->m_strLocation[i]});
    CloseDevice(*patch);
    return out;
}

std::vector<DeviceResult> RunDownloads(const DownloadJob& job, const std::vector<Device>& devices,
                                       const Hooks& hooks) {
    std::vector<DeviceResult> results(devices.size());
    std::mutex finishedMutex;
    const auto report = [&](std::size_t i) {
        if (!hooks.finished) return;
        const std::lock_guard lock(finishedMutex);
        try {
            hooks.finished(results[i]);
        } catch (...) {
            // What the caller does with one end is its own affair; the other
            // devices' ends still reach it.
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(devices.size());
    for (std::size_t i = 0; i < devices.size(); ++i) {
        try {
            threads.emplace_back([&, i] {
                RunOne(job, devices[i], hooks, results[i]);
                report(i);
            });
        } catch (const std::system_error&) {
            DeviceResult& r = results[i];
            r.path = devices[i].path;
            r.location = devices[i].location;
            r.failure = "No thread for the job";
            report(i);
        }
    }
    for (std::thread& t : threads) t.join();
    return results;
}

}  // namespace batch
