// Engine time of a 64 KB EEPROM download (with verify) and read-back against
// emulated chips at zero latency, with pauses that cost nothing.
//
// The figure that matters is the engine's own time per HID report: the whole
// job's time minus what the same number of bare reports through the HID
// layer into the emulator costs, divided by the number of reports.
#include "BenchHost.h"
#include "ChipPatches.h"
#include "Emulator.h"
#include "DeviceJobs.h"
#include "hid/Hid.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Bare cost of one report through the layer into the chip: the job's mix of
// sends and fetches (EEPROM reads and writes), without the engine. The writes
// store the image's own bytes again, so the chip keeps it.
double BareSeconds(emu::Chip& chip, BYTE sel, const std::vector<BYTE>& image, std::size_t sets, std::size_t gets) {
    const HANDLE h = hid::Open(chip.path(), hid::Access::ReadWrite);
    BYTE r[9] = {};
    const auto start = Clock::now();
    for (std::size_t i = 0; i < sets; ++i) {
        r[0] = 0;
        r[1] = i < gets ? HID_CMD_EEPROM_READ : HID_CMD_EEPROM_WRITE;
        r[2] = static_cast<BYTE>(i >> 8);
        r[3] = static_cast<BYTE>(i);
        r[4] = image[i % image.size()];
        r[8] = sel;
        hid::SetFeature(h, r, sizeof r);
        if (i < gets) hid::GetFeature(h, r, sizeof r);
    }
    const double s = Seconds(start);
    hid::Close(h);
    return s;
}

struct Job {
    const char* name;
    emu::ChipType type;
    CVQPatch* patch;
    BYTE memType;
};

void Run(const Job& job, const std::vector<BYTE>& image, emu::EmulatorBackend& bus) {
    auto chip = bus.Plug({.type = job.type, .eepromSize = {65536, 65536}});
    chip->SetLogging(false);
    if (job.patch->ScanDevices() == 0) {
        std::printf("%-9s no device\n", job.name);
        return;
    }
    const DWORD len = static_cast<DWORD>(image.size());
    constexpr int rounds = 5;
    double best[2] = {1e9, 1e9};
    double bare[2] = {1e9, 1e9};
    std::size_t sets[2] = {0, 0}, gets[2] = {0, 0};
    bool same = true;
    for (int round = 0; round < rounds; ++round) {
        for (int phase = 0; phase < 2; ++phase) {
            const std::size_t setsBefore = chip->SetFeatureCount(), getsBefore = chip->GetFeatureCount();
            const auto start = Clock::now();
            // The read-backs read the given length.
            const JobResult result =
                phase == 0 ? Download(*job.patch, image, job.memType) : ReadBack(*job.patch, job.memType, len, true);
            best[phase] = std::min(best[phase], Seconds(start));
            if (phase == 1) {
                const auto read = result.image ? result.image->Bytes() : std::span<const BYTE>();
                same = same && std::equal(image.begin(), image.end(), read.begin(), read.end());
            }
            sets[phase] = chip->SetFeatureCount() - setsBefore;
            gets[phase] = chip->GetFeatureCount() - getsBefore;
            bare[phase] = std::min(bare[phase], BareSeconds(*chip, MemorySelector(job.memType), image, sets[phase], gets[phase]));
        }
    }
    for (int phase = 0; phase < 2; ++phase) {
        const double reports = static_cast<double>(sets[phase] + gets[phase]);
        std::printf("%-9s %-9s %7.0f reports  %6.2f ms  %5.1f ns/report, of which layer+emulator %5.1f, "
                    "engine's own %5.1f ns/report%s\n",
                    job.name, phase == 0 ? "download" : "read-back", reports, best[phase] * 1e3,
                    best[phase] * 1e9 / reports, bare[phase] * 1e9 / reports,
                    (best[phase] - bare[phase]) * 1e9 / reports, phase == 1 && !same ? "  (MISMATCH)" : "");
    }
    bus.Unplug(chip);
}

}  // namespace

int main() {
    BenchHost host;
    auto bus = emu::MakeBackend();
    hid::SetBackend(bus);

    // Fills the whole space; the read-backs read the given length (ticked).
    std::vector<BYTE> image(65536);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<BYTE>(i * 7 + (i >> 8));

    CVQ7140SPatch vq7140s;
    CVQ7140XXPatch vq7140xx;
    CVQ7170Patch vq7170;
    CVQ7170SPatch vq7170s;
    const Job jobs[] = {
        {"VQ7140S", emu::ChipType::VQ7140S, &vq7140s, MEMTYPE_24C01_16},
        {"VQ7140XX", emu::ChipType::VQ7140XX, &vq7140xx, MEMTYPE_24C32_64},
        {"VQ7170", emu::ChipType::VQ7170, &vq7170, MEMTYPE_24C32_64},
        {"VQ7170S", emu::ChipType::VQ7170S, &vq7170s, MEMTYPE_24C01_16},
    };
    for (const Job& job : jobs) Run(job, image, *bus);

    hid::SetBackend(emu::MakeBackend());
    return 0;
}
