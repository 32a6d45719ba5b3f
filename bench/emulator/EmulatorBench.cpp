// Cost of one report through the HID layer into an emulated chip at zero
// latency: the emulator's share of the engine's per-report time.
#include "Emulator.h"
#include "HidReport.h"
#include "hid/Hid.h"

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double NanosPerCall(int calls, F&& f) {
    const auto start = Clock::now();
    for (int i = 0; i < calls; ++i) f(i);
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
    return static_cast<double>(ns) / calls;
}

void Run(bool logging) {
    emu::ScopedBackend bus;
    auto chip = bus->Plug({.type = emu::ChipType::VQ7340, .reportId = 1});
    chip->SetLogging(logging);
    HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
    const int n = logging ? 200000 : 2000000;

    BYTE r[9] = {1, HID_CMD_XDATA_READ, 0xFF, 0x01};
    const double exchange = NanosPerCall(n, [&](int) {
        hid::SetFeature(h, r, sizeof r);
        r[0] = 1;
        hid::GetFeature(h, r, sizeof r);
        r[0] = 1;
        r[1] = HID_CMD_XDATA_READ;
    });
    BYTE w[9] = {1, HID_CMD_XDATA_WRITE, 0x10, 0x00, 0x00};
    const double write = NanosPerCall(n, [&](int i) {
        w[4] = static_cast<BYTE>(i);
        hid::SetFeature(h, w, sizeof w);
    });

    static BULK_REPORT bulk;
    bulk.bytes[0] = BULK_REPORT_ID;
    const int chunks = logging ? 512 : 4096;  // 2 MB or 16 MB in 4096-byte steps
    const double step = NanosPerCall(chunks, [&](int i) {
        const DWORD addr = static_cast<DWORD>(i) * 4096;
        BYTE setup[9] = {1, HID_CMD_FLASH_BULK, static_cast<BYTE>(addr >> 24), static_cast<BYTE>(addr >> 16),
                         static_cast<BYTE>(addr >> 8), static_cast<BYTE>(addr), 0x10, 0x00, 0};
        hid::SetFeature(h, setup, sizeof setup);
        hid::SetFeature(h, bulk.bytes, sizeof bulk.bytes);
        hid::SetFeature(h, bulk.bytes, sizeof bulk.bytes);
    });
    hid::Close(h);

    std::printf("logging %-3s  9-byte set+get: %7.1f ns/report   9-byte set: %7.1f ns   4 KB bulk write step: %8.1f ns (%6.0f MB/s)\n",
                logging ? "on" : "off", exchange / 2, write, step, 4096.0 / step * 1e3);
}

}  // namespace

int main() {
    Run(false);
    Run(true);
    return 0;
}
