// Real pauses: how much longer than asked the application's pauses last,
// and what that costs a job made mostly of pauses.
//
//   pauses_bench [rounds]      default 5
//
// 1. The application host's Sleep(1) on a worker thread, against a plain
//    std::this_thread::sleep_for on a thread with the system's default
//    timer slack, interleaved: how late each wakes (us).
// 2. 64 KB EEPROM download (with verify) and read-back of an emulated
//    VQ7170 (24C64 class, 64 KB) on a worker thread, with the application
//    host's real pauses: the job's time against the sum of the pauses the
//    engine asked for (13,108 pauses of 1 ms per job).
// 3. Bare reports to an emulated chip at 125 us latency: the real time per
//    report.
// Figures are min / median / max over the rounds.
#include "BenchHost.h"
#include "BenchStats.h"
#include "ChipPatches.h"
#include "Emulator.h"
#include "JobChecks.h"
#include "DeviceJobs.h"
#include "QtEngineHost.h"
#include "hid/Hid.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

template <class F>
void OnWorker(F&& f) {
    std::thread(std::forward<F>(f)).join();
}

// Pauses for real with the application's host and counts the pauses; the
// pauses asked for add up on the virtual clock.
class RealPauseHost final : public BenchHost {
public:
    void Sleep(DWORD ms) override {
        BenchHost::Sleep(ms);
        ++pauses;
        m_app.Sleep(ms);
    }

    unsigned long long pauses = 0;

private:
    CQtEngineHost m_app;
};

// How late each of n pauses of 1 ms wakes, in microseconds: the
// application's host and a plain sleep on a thread with the default slack.
void SleepPrecision(int rounds) {
    constexpr int N = 500;
    std::vector<double> hostLate, plainLate;
    std::vector<double> hostMean, plainMean;
    for (int round = 0; round < rounds; ++round) {
        for (int which = 0; which < 2; ++which) {
            OnWorker([&] {
                CQtEngineHost host;
                double sum = 0;
                for (int i = 0; i < N; ++i) {
                    const auto start = Clock::now();
                    if (which == 0) host.Sleep(1);
                    else std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    const double late = (Seconds(start) - 1e-3) * 1e6;
                    (which == 0 ? hostLate : plainLate).push_back(late);
                    sum += late;
                }
                (which == 0 ? hostMean : plainMean).push_back(sum / N);
            });
        }
    }
    std::printf("Sleep(1), %d x %d pauses: how late it wakes, us (min / median / max of all; mean per round)\n",
                rounds, N);
    std::printf("  application host        %s   mean %s\n", Str(SpreadOf(hostLate), "%.1f").c_str(),
                Str(SpreadOf(hostMean), "%.1f").c_str());
    std::printf("  sleep_for, default slack %s   mean %s\n", Str(SpreadOf(plainLate), "%.1f").c_str(),
                Str(SpreadOf(plainMean), "%.1f").c_str());
}

void EepromJobs(int rounds, emu::EmulatorBackend& bus) {
    auto chip = bus.Plug({.type = emu::ChipType::VQ7170, .eepromSize = {2048, 65536}});
    chip->SetLogging(false);
    CVQ7170Patch patch;
    if (patch.ScanDevices() == 0) {
        std::printf("FAILED: no VQ7170\n");
        return;
    }
    constexpr DWORD LEN = 65536;
    std::vector<BYTE> image(LEN);
    for (DWORD i = 0; i < LEN; ++i) image[i] = static_cast<BYTE>(i * 7 + (i >> 8));
    std::vector<double> ratio[2], seconds[2];
    unsigned long long pauses[2] = {0, 0};
    double askedS[2] = {0, 0};
    bool ok = true;
    for (int round = 0; round < rounds; ++round) {
        for (int phase = 0; phase < 2; ++phase) {
            OnWorker([&] {
                RealPauseHost host;
                const auto start = Clock::now();
                // The read-back reads the given length.
                const JobResult result = phase == 0 ? Download(patch, image, MEMTYPE_24C32_64)
                                                    : ReadBack(patch, MEMTYPE_24C32_64, LEN, true);
                const double s = Seconds(start);
                ok = ok && result.ok && host.last == (phase == 0 ? "Successful!" : "Reading completed!");
                if (phase == 1) ok = ok && chiptest::ReadBytes(result) == image;
                seconds[phase].push_back(s);
                ratio[phase].push_back(s / (static_cast<double>(host.virtualMs) / 1e3));
                pauses[phase] = host.pauses;
                askedS[phase] = static_cast<double>(host.virtualMs) / 1e3;
            });
        }
    }
    std::printf("64 KB EEPROM jobs (VQ7170, 24C64 class) with real pauses, %d rounds%s\n", rounds,
                ok ? "" : "  FAILED: the jobs did not succeed");
    const char* names[2] = {"download", "read-back"};
    for (int phase = 0; phase < 2; ++phase) {
        std::printf("  %-9s %llu pauses asked, %.3f s; job %s s; job / pauses %s\n", names[phase], pauses[phase],
                    askedS[phase], Str(SpreadOf(seconds[phase]), "%.3f").c_str(), Str(SpreadOf(ratio[phase])).c_str());
    }
    bus.Unplug(chip);
}

void ReportLatency(int rounds, emu::EmulatorBackend& bus) {
    constexpr unsigned LATENCY_US = 125;
    constexpr int N = 4000;
    auto chip = bus.Plug({.type = emu::ChipType::VQ7340, .reportId = 1, .latencyMicros = LATENCY_US});
    chip->SetLogging(false);
    std::vector<double> us;
    for (int round = 0; round < rounds; ++round) {
        OnWorker([&] {
            const HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
            BYTE r[9] = {1, 0xB5, 0xF0, 0x00};
            const auto start = Clock::now();
            for (int i = 0; i < N; ++i) {
                if (i % 2) hid::GetFeature(h, r, sizeof r);
                else hid::SetFeature(h, r, sizeof r);
            }
            us.push_back(Seconds(start) * 1e6 / N);
            hid::Close(h);
        });
    }
    std::printf("emulated reports at %u us asked, %d per round: real %s us per report\n", LATENCY_US, N,
                Str(SpreadOf(us), "%.2f").c_str());
    bus.Unplug(chip);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("%ld processors\n", sysconf(_SC_NPROCESSORS_ONLN));
    auto bus = emu::MakeBackend();
    hid::SetBackend(bus);
    SleepPrecision(rounds);
    ReportLatency(rounds, *bus);
    EepromJobs(rounds, *bus);
    hid::SetBackend(emu::MakeBackend());
    return 0;
}
