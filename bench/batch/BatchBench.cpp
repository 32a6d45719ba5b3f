// Many devices at once: N emulated chips, each with its own job on its own
// thread, with real per-report latency and real pauses.
//
//   batch_bench [rounds]      default 3
//
// 1. VQ7340/41 (report id 1), 125 us per report, a 1 MB image each, N = 1,
//    4, 16, 32: wall time of N against the wall time of one (the aim: at
//    most 1.10 at 16, at most 1.25 at 32), and the process's processor time
//    per device against its wall time (the aim: at most 5%).
// 2. The same for VQ7160/70/70E with an 8 KB image into the 24c32/64
//    EEPROM at 1 ms per report (one round: a job takes about 13 s).
// 0. First, how precise the emulated latency is with N chips at work at
//    once: N threads each sending 2000 bare reports at 125 us.
// Figures are min / median / max over the rounds.
#include "BatchDownload.h"
#include "BenchStats.h"
#include "Emulator.h"
#include "TestData.h"
#include "VQPatch.h"
#include "hid/Hid.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct Kind {
    const char* title;
    emu::ChipConfig chip;
    int row;
    BYTE memoryType;
    std::size_t length;
};

struct Figures {
    std::vector<double> wall, cpuShare;
};

// One run of N chips; false when a device failed.
bool RunOnce(const Kind& kind, int n, Figures& out) {
    auto bus = emu::MakeBackend();
    hid::SetBackend(bus);
    for (int i = 0; i < n; ++i) bus->Plug(kind.chip)->SetLogging(false);
    const std::vector<batch::Device> devices = batch::FindDevices(kind.row);
    const std::vector<BYTE> image = RandomBytes(kind.length, 29);
    const double cpu0 = ProcessCpuSeconds();
    const auto start = Clock::now();
    const auto results = batch::RunDownloads({kind.row, kind.memoryType, image}, devices);
    const double wall = Seconds(start);
    const double cpu = ProcessCpuSeconds() - cpu0;
    hid::SetBackend(emu::MakeBackend());
    bool ok = static_cast<int>(results.size()) == n;
    for (const auto& r : results) {
        if (!r.ok) std::printf("  FAILED: %s: %s\n", r.location.c_str(), r.failure.c_str());
        ok = ok && r.ok;
    }
    out.wall.push_back(wall);
    out.cpuShare.push_back(cpu / n / wall * 100);
    return ok;
}

bool Scenario(const Kind& kind, int rounds) {
    std::printf("%s, %d round%s; min / median / max\n", kind.title, rounds, rounds == 1 ? "" : "s");
    std::printf("  %4s  %-26s %-26s %s\n", "N", "wall s", "wall N / wall 1 (median)", "cpu per device % of wall");
    bool ok = true;
    double one = 0;
    for (const int n : {1, 4, 16, 32}) {
        Figures f;
        for (int round = 0; round < rounds; ++round) ok = RunOnce(kind, n, f) && ok;
        const Spread wall = SpreadOf(f.wall);
        if (n == 1) one = wall.median;
        const Spread ratio{wall.min / one, wall.median / one, wall.max / one};
        std::printf("  %4d  %-26s %-26s %s\n", n, Str(wall, "%.3f").c_str(), Str(ratio).c_str(),
                    Str(SpreadOf(f.cpuShare), "%.2f").c_str());
    }
    return ok;
}

// N threads, each on a chip of its own, send bare reports at 125 us: how
// much longer than asked a report lasts (mean, median and 90th percentile
// over all reports of all rounds), and the processor time per chip.
void Precision(int rounds) {
    constexpr unsigned LATENCY_US = 125;
    constexpr int REPORTS = 2000;
    std::printf("bare reports at %u us on N chips at once, %d each, %d rounds: time per report above %u us "
                "(mean, median, 90th percentile); cpu per chip %% of wall (min / median / max)\n",
                LATENCY_US, REPORTS, rounds, LATENCY_US);
    for (const int n : {1, 4, 16, 32}) {
        std::vector<double> over, cpuShare;
        for (int round = 0; round < rounds; ++round) {
            auto bus = emu::MakeBackend();
            hid::SetBackend(bus);
            std::vector<std::string> paths;
            for (int i = 0; i < n; ++i) {
                auto chip = bus->Plug({.type = emu::ChipType::VQ7340, .reportId = 1, .latencyMicros = LATENCY_US});
                chip->SetLogging(false);
                paths.push_back(chip->path());
            }
            std::vector<std::vector<double>> us(static_cast<std::size_t>(n));
            const double cpu0 = ProcessCpuSeconds();
            const auto start = Clock::now();
            std::vector<std::thread> threads;
            for (int i = 0; i < n; ++i) {
                threads.emplace_back([&, i] {
                    auto& mine = us[static_cast<std::size_t>(i)];
                    mine.reserve(REPORTS);
                    const HANDLE h = hid::Open(paths[static_cast<std::size_t>(i)], hid::Access::ReadWrite);
                    BYTE r[9] = {1, 0xB5, 0xF0, 0x00};
                    for (int k = 0; k < REPORTS; ++k) {
                        const auto t0 = Clock::now();
                        if (k % 2) hid::GetFeature(h, r, sizeof r);
                        else hid::SetFeature(h, r, sizeof r);
                        mine.push_back(Seconds(t0) * 1e6 - LATENCY_US);
                    }
                    hid::Close(h);
                });
            }
            for (auto& t : threads) t.join();
            const double wall = Seconds(start);
            cpuShare.push_back((ProcessCpuSeconds() - cpu0) / n / wall * 100);
            for (const auto& mine : us) over.insert(over.end(), mine.begin(), mine.end());
            hid::SetBackend(emu::MakeBackend());
        }
        double mean = 0;
        for (double x : over) mean += x / static_cast<double>(over.size());
        std::sort(over.begin(), over.end());
        std::printf("  N = %2d: %.2f, %.2f, %.2f us above; cpu %s %%\n", n, mean, over[over.size() / 2],
                    over[over.size() * 9 / 10], Str(SpreadOf(cpuShare), "%.2f").c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::printf("%ld processors\n", sysconf(_SC_NPROCESSORS_ONLN));
    Precision(rounds);
    const Kind flash{"VQ7340/41 (report id 1), 125 us per report, 1 MB each",
                     {.type = emu::ChipType::VQ7340, .reportId = 1, .latencyMicros = 125},
                     5, MEMTYPE_FLASH, 1u << 20};
    const Kind eeprom{"VQ7160/70/70E, 1 ms per report, 8 KB each into the 24c32/64",
                      {.type = emu::ChipType::VQ7170, .latencyMicros = 1000},
                      2, MEMTYPE_24C32_64, 8192};
    bool ok = Scenario(flash, rounds);
    ok = Scenario(eeprom, 1) && ok;
    return ok ? 0 : 1;
}
