// A 1 MB flash download with full verify on an emulated VQ5520 (zero
// latency, no log, pauses on a virtual clock): time per report and reports
// per byte. The same reports sent straight through the HID layer give the
// transport's share; the rest is the engine's.
#include "BenchHost.h"
#include "ChipPatches.h"
#include "Emulator.h"
#include "DeviceJobs.h"
#include "hid/Hid.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The download's flash reports without the engine: 4-byte writes, then
// 8-byte read exchanges.
double RawTransport(HANDLE h, BYTE id, DWORD len, const BYTE* data) {
    const auto start = Clock::now();
    for (DWORD off = 0; off < len; off += 4) {
        BYTE r[9] = {id, HID_CMD_FLASH_WRITE4, BYTE(off >> 16), BYTE(off >> 8), BYTE(off)};
        std::memcpy(r + 5, data + off, 4);
        hid::SetFeature(h, r, sizeof r);
    }
    for (DWORD off = 0; off < len; off += 8) {
        BYTE r[9] = {id, HID_CMD_FLASH_READ8, BYTE(off >> 16), BYTE(off >> 8), BYTE(off)};
        hid::SetFeature(h, r, sizeof r);
        hid::GetFeature(h, r, sizeof r);
    }
    return Seconds(start);
}

void Run(int reportId) {
    constexpr DWORD kLen = 1u << 20;
    static BYTE image[kLen];
    std::mt19937 gen(42);
    for (BYTE& b : image) b = static_cast<BYTE>(gen());

    BenchHost host;
    emu::ScopedBackend bus;
    auto chip = bus->Plug({.type = emu::ChipType::VQ5520, .reportId = reportId});
    chip->SetLogging(false);
    CVQ5520Patch patch;
    if (patch.ScanDevices() != 1) {
        std::printf("no chip\n");
        return;
    }

    double best = 1e9, bestRaw = 1e9;
    std::size_t reports = 0;
    for (int round = 0; round < 5; ++round) {
        const std::size_t before = chip->SetFeatureCount() + chip->GetFeatureCount();
        const auto start = Clock::now();
        const JobResult result = Download(patch, image, MEMTYPE_FLASH);
        best = std::min(best, Seconds(start));
        reports = chip->SetFeatureCount() + chip->GetFeatureCount() - before;
        if (!result.ok) std::printf("download ended with %s\n", result.reason.c_str());

        const HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
        bestRaw = std::min(bestRaw, RawTransport(h, static_cast<BYTE>(reportId), kLen, image));
        hid::Close(h);
    }
    const double perReport = best / reports * 1e9;
    const double rawPerReport = bestRaw / reports * 1e9;
    std::printf("report id %d: 1 MB flash download + verify: %.1f ms wall, %zu reports (%.3f per byte), "
                "%.0f ns/report in all, %.0f ns/report transport, %.0f ns/report engine; "
                "virtual pauses %llu ms a run\n",
                reportId, best * 1e3, reports, double(reports) / kLen, perReport, rawPerReport,
                perReport - rawPerReport, host.virtualMs / 5);
}

}  // namespace

int main() {
    Run(0);
    Run(1);
    return 0;
}
