// Many devices at once: N emulated chips, each with its own job on its own
// thread, with real per-report latency and real pauses.
//
//   batch_bench [rounds] [--cli PATH] [--cli-only]      rounds default 3
//
// 1. VQ7340/41 (report id 1), 125 us per report, a 1 MB image each, N = 1,
//    4, 16, 32: wall time of N against the wall time of one (the aim: at
//    most 1.10 at 16, at most 1.25 at 32), and the process's processor time
//    per device against its wall time (the aim: at most 5%).
// 2. The same for VQ7160/70/70E with an 8 KB image into the 24c32/64
//    EEPROM at 1 ms per report (one round: a job takes about 13 s).
// 0. First, how precise the emulated latency is with N chips at work at
//    once: N threads each sending 2000 bare reports at 125 us.
// 3. The whole quillmar-cli process (this build's, or PATH's: an older build
//    to compare with): `download --all` of a 1 MB image to 32 emulated
//    VQ7340/41 (QUILLMAR_EMULATE='vq7340:id1:latency=125*32'), its
//    processor time (user + system, from wait4) per device against its wall
//    time (the aim: at most 3%).
// 4. What its pauses cost: the same 32 jobs in this process, each device's
//    pauses made as quillmar-cli makes them (asleep until a signal wakes
//    them, RestUntilWoken) and, for comparison, as it made them before (10 ms
//    slices, each ending awake: PauseUntil); the processor time spent inside
//    the pauses (each pausing thread's own clock), as a share of the
//    process's, and per device against the wall time.
// --cli-only runs 3 and 4 only.
// Figures are min / median / max over the rounds.
#include "BatchDownload.h"
#include "BenchStats.h"
#include "Pause.h"
#include "Emulator.h"
#include "TestData.h"
#include "VQPatch.h"
#include "hid/Hid.h"

#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
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

constexpr int CLI_CHIPS = 32;
constexpr std::size_t CLI_IMAGE = 1u << 20;

// A 1 MB VQ7340 image file (flash magic) for quillmar-cli.
std::string WriteCliImage() {
    char dir[] = "/tmp/batchbench.XXXXXX";
    if (!mkdtemp(dir)) return {};
    std::vector<BYTE> image = RandomBytes(CLI_IMAGE, 29);
    image[0] = 0x3C;  // flash
    image[1] = 0xC3;
    image[2] = 0x40;  // a code length the loader takes: the code in flash
    image[3] = 0x00;
    image[8] |= 0x80;
    const std::string path = std::string(dir) + "/image.bin";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                 static_cast<std::streamsize>(image.size()));
    return path;
}

// One run of the program; false when it did not end with status 0.
bool RunCliOnce(const std::string& cli, const std::string& image, std::vector<double>& cpuShare,
                std::vector<double>& wall) {
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QUILLMAR_EMULATE", ("vq7340:id1:latency=125*" + std::to_string(CLI_CHIPS)).c_str(), 1);
        execl(cli.c_str(), cli.c_str(), "-q", "download", image.c_str(), "--chip", "vq7340", "--all",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return false;
    const double seconds = Seconds(start);
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    wall.push_back(seconds);
    cpuShare.push_back(cpu / CLI_CHIPS / seconds * 100);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool CliProcess(const std::string& cli, const std::string& image, int rounds) {
    std::printf("quillmar-cli download --all, %d VQ7340/41 at 125 us per report, 1 MB each, %d rounds: %s\n",
                CLI_CHIPS, rounds, cli.c_str());
    std::vector<double> cpuShare, wall;
    bool ok = true;
    for (int round = 0; round < rounds; ++round) ok = RunCliOnce(cli, image, cpuShare, wall) && ok;
    std::printf("  wall s %s; cpu per device %% of wall %s (aim: at most 3)%s\n", Str(SpreadOf(wall)).c_str(),
                Str(SpreadOf(cpuShare), "%.2f").c_str(), ok ? "" : "; FAILED");
    return ok;
}

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// A device's host that pauses as asked and adds the processor time its
// thread spends in them to a total shared by all devices.
class PauseMeter final : public batch::QuietHost {
public:
    using Pause = void (*)(DWORD ms, int wakeFd);
    PauseMeter(Pause pause, int wakeFd, std::atomic<long long>& nanos) : pause_(pause), wakeFd_(wakeFd), nanos_(nanos) {}
    void Sleep(DWORD ms) override {
        const double before = ThreadCpuSeconds();
        pause_(ms, wakeFd_);
        nanos_ += static_cast<long long>((ThreadCpuSeconds() - before) * 1e9);
    }

private:
    Pause pause_;
    int wakeFd_;
    std::atomic<long long>& nanos_;
};

// quillmar-cli's pause now, and as it was: 10 ms slices, each ending awake.
void WokenPause(DWORD ms, int wakeFd) { RestUntilWoken(Clock::now() + std::chrono::milliseconds(ms), wakeFd); }
void SlicedPause(DWORD ms, int) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (auto now = Clock::now(); now < deadline; now = Clock::now())
        PauseUntil(std::min(deadline, now + std::chrono::milliseconds(10)));
}

bool PauseShare(int rounds) {
    std::printf("the same %d jobs in this process: cpu in pauses %% of the process's cpu, and per device %% of wall\n",
                CLI_CHIPS);
    const int wakeFd = eventfd(0, EFD_CLOEXEC);
    const std::vector<BYTE> image = RandomBytes(CLI_IMAGE, 29);
    bool ok = true;
    for (const auto& [title, pause] : {std::pair{"asleep until woken (now)", &WokenPause},
                                       std::pair{"10 ms slices (before)", &SlicedPause}}) {
        std::vector<double> ofCpu, perDevice;
        for (int round = 0; round < rounds; ++round) {
            auto bus = emu::MakeBackend();
            hid::SetBackend(bus);
            for (int i = 0; i < CLI_CHIPS; ++i)
                bus->Plug({.type = emu::ChipType::VQ7340, .reportId = 1, .latencyMicros = 125})->SetLogging(false);
            std::atomic<long long> nanos{0};
            batch::Hooks hooks;
            hooks.makeHost = [&](const batch::Device&) { return std::make_unique<PauseMeter>(pause, wakeFd, nanos); };
            const double cpu0 = ProcessCpuSeconds();
            const auto start = Clock::now();
            const auto results = batch::RunDownloads({5, MEMTYPE_FLASH, image}, batch::FindDevices(5), hooks);
            const double wall = Seconds(start);
            const double cpu = ProcessCpuSeconds() - cpu0;
            hid::SetBackend(emu::MakeBackend());
            for (const auto& r : results) ok = ok && r.ok;
            ok = ok && static_cast<int>(results.size()) == CLI_CHIPS;
            const double paused = static_cast<double>(nanos.load()) / 1e9;
            ofCpu.push_back(paused / cpu * 100);
            perDevice.push_back(paused / CLI_CHIPS / wall * 100);
        }
        std::printf("  %-26s %s %% of cpu; %s %% of wall per device\n", title, Str(SpreadOf(ofCpu), "%.1f").c_str(),
                    Str(SpreadOf(perDevice), "%.3f").c_str());
    }
    close(wakeFd);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 3;
    std::string cli = QUILLMAR_CLI;
    bool cliOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--cli") == 0 && i + 1 < argc) cli = argv[++i];
        else if (std::strcmp(argv[i], "--cli-only") == 0) cliOnly = true;
        else rounds = std::max(1, std::atoi(argv[i]));
    }
    std::printf("%ld processors\n", sysconf(_SC_NPROCESSORS_ONLN));
    const std::string image = WriteCliImage();
    bool cliOk = CliProcess(cli, image, rounds);
    cliOk = PauseShare(rounds) && cliOk;
    std::remove(image.c_str());
    rmdir(image.substr(0, image.rfind('/')).c_str());
    if (cliOnly) return cliOk ? 0 : 1;
    Precision(rounds);
    const Kind flash{"VQ7340/41 (report id 1), 125 us per report, 1 MB each",
                     {.type = emu::ChipType::VQ7340, .reportId = 1, .latencyMicros = 125},
                     5, MEMTYPE_FLASH, 1u << 20};
    const Kind eeprom{"VQ7160/70/70E, 1 ms per report, 8 KB each into the 24c32/64",
                      {.type = emu::ChipType::VQ7170, .latencyMicros = 1000},
                      2, MEMTYPE_24C32_64, 8192};
    bool ok = Scenario(flash, rounds);
    ok = Scenario(eeprom, 1) && ok;
    return ok && cliOk ? 0 : 1;
}
