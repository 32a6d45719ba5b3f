// A 16 MB download and read-back through the real main dialog (offscreen)
// on an emulated report-id-1 VQ7340, against the same Download/ReadBack
// called directly with a host that does nothing.
//
//   jobs_bench [rounds [latency-us ...]]      default: 5 rounds at 0 and 125 us
//   jobs_bench --memory                       the memory figures alone
//
// Each round gives one paired ratio per job: the engine alone and the job
// through the window run in turn, at zero latency five times each, and the
// round compares the best run of each side. This machine's processors are
// shared: the same run takes up to twice as long from one moment to the
// next, which would bury what the window adds; the best of five runs close
// together shows the cost of each side without that. The ratios of the
// single pairs are shown too. Figures are min / median / max over the
// rounds. Pauses are virtual in both; status, progress and the blocking
// calls onto the user-interface thread are the application's own. With a
// latency, the real time per report (engine alone, all its work included)
// is shown beside the one asked for.
//
// Also shown: the longest stall of the user-interface thread during a job (a
// timer ticking every 2 ms records the largest gap), the progress updates
// that reached the bar, and the resident memory of a session whose chip is
// attached the way the application attaches it (QUILLMAR_EMULATE), measured
// in a fresh process (the program runs itself again with --memory): before
// any job, after a download, after one, two and ten 16 MB reads. A job through the window copies none of
// the 16 MB: the download reads the view's bytes where they are, and the
// bytes read change hands with the view's.
#include "BenchHost.h"
#include "BenchStats.h"
#include "DeviceJobs.h"
#include "Emulator.h"
#include "ForwardingHost.h"
#include "Globals.h"
#include "QtEngineHost.h"
#include "ResourceIds.h"
#include "TessadaneApp.h"
#include "TessadaneDlg.h"
#include "UiThread.h"
#include "hid/Hid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int ROW_VQ7340 = 5;
constexpr DWORD LEN = IMAGE_BUFFER_SIZE;
constexpr int RUNS_AT_ZERO_LATENCY = 5;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The application's host, but with pauses on a virtual clock.
class VirtualPauseHost final : public ForwardingHost {
public:
    VirtualPauseHost() : ForwardingHost(m_ui) {}
    void Sleep(DWORD) override {}

private:
    CQtEngineHost m_ui;
};

// Watches the user-interface thread while a job runs.
class StallMeter {
public:
    StallMeter() {
        m_timer.setInterval(2);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    }
    void Start() {
        m_longestNs = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    double StopMs() {
        Tick();
        m_timer.stop();
        return static_cast<double>(m_longestNs) / 1e6;
    }

private:
    void Tick() {
        const qint64 now = m_clock.nsecsElapsed();
        m_longestNs = std::max(m_longestNs, now - m_last);
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longestNs = 0;
};

struct JobFigures {
    double ms;
    double stallMs;
    int progressUpdates;
};

// Presses a button and spins the event loop until the job has ended. The
// press comes to a window that has painted what came before, as a user's
// press would.
JobFigures RunJob(CTessadaneDlg& dlg, int button, StallMeter& meter, int& progressUpdates) {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    progressUpdates = 0;
    meter.Start();
    const auto start = Clock::now();
    dlg.SendNotify(button, BN_CLICKED);
    while (g_bBusy) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = MsSince(start);
    return {ms, meter.StopMs(), progressUpdates};
}

bool DownloadSucceeded() { return g_statusBar.m_pPaneTexts[0] == QStringLiteral("Upgrade Successful"); }

// Bytes 12-15 may differ: the version edit writes them into the image.
bool ReadSucceeded(const CTessadaneDlg& dlg, const std::vector<BYTE>& image) {
    return g_statusBar.m_pPaneTexts[0] == QStringLiteral("Reading completed!") && dlg.m_hexEdit.GetDataSize() == LEN &&
           std::memcmp(dlg.m_hexEdit.GetData() + 16, image.data() + 16, LEN - 16) == 0;
}

// Average time of a blocking call onto the user-interface thread that does
// nothing, from a worker, while the user-interface thread waits for events.
double RoundTripMicros() {
    constexpr int CALLS = 2000;
    std::atomic<bool> done{false};
    double us = 0;
    std::thread worker([&] {
        const auto start = Clock::now();
        for (int i = 0; i < CALLS; ++i) RunOnUiThread([] {});
        us = MsSince(start) * 1e3 / CALLS;
        RunOnUiThread([&done] { done = true; });  // wakes the loop below
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    worker.join();
    return us;
}

std::size_t Reports(const emu::Chip& chip) { return chip.SetFeatureCount() + chip.GetFeatureCount(); }

struct Samples {
    std::vector<double> engineDownload, windowDownload, downloadRatio, downloadPairRatio;
    std::vector<double> engineRead, windowRead, readRatio, readPairRatio;
    std::vector<double> usPerReportDownload, usPerReportRead;
    double stallMs = 0;
    int downloadUpdates = 0, readUpdates = 0;
};

// The engine alone, with the application's host gone; its time in ms.
double EngineJob(bool download, emu::Chip& chip, const std::vector<BYTE>& image, std::vector<double>& usPerReport,
                 std::string& last) {
    BenchHost host;
    const std::size_t before = Reports(chip);
    const auto start = Clock::now();
    // The read reads the given length.
    const JobResult result = download ? Download(g_patchVQ7340, image, MEMTYPE_FLASH)
                                      : ReadBack(g_patchVQ7340, MEMTYPE_FLASH, LEN, true);
    const double ms = MsSince(start);
    usPerReport.push_back(ms * 1e3 / static_cast<double>(Reports(chip) - before));
    last = host.last;
    if (!download && (!result.image || result.image->Bytes().size() != image.size() ||
                      !std::equal(image.begin(), image.end(), result.image->Bytes().begin())))
        last = "(other bytes)";
    return ms;
}

// One round: for a download and then a read, the engine alone and the job
// through the window in turn, `runs` times each.
bool Round(CTessadaneDlg& dlg, emu::Chip& chip, const std::vector<BYTE>& image, int runs, int& updates,
           StallMeter& meter, Samples& s) {
    for (const bool download : {true, false}) {
        const char* job = download ? "download" : "read-back";
        double bestEngine = 1e300, bestWindow = 1e300;
        for (int run = 0; run < runs; ++run) {
            std::string last;
            const double engineMs =
                EngineJob(download, chip, image, download ? s.usPerReportDownload : s.usPerReportRead, last);
            if (last != (download ? "Upgrade Successful" : "Reading completed!")) {
                std::printf("FAILED: engine-only %s (%s)\n", job, last.c_str());
                return false;
            }
            VirtualPauseHost host;
            SetEngineHost(&host);
            const JobFigures w = RunJob(dlg, download ? IDC_DOWNLOAD : IDC_READ, meter, updates);
            SetEngineHost(nullptr);
            if (download ? !DownloadSucceeded() : !ReadSucceeded(dlg, image)) {
                std::printf("FAILED: the %s through the window\n", job);
                return false;
            }
            bestEngine = std::min(bestEngine, engineMs);
            bestWindow = std::min(bestWindow, w.ms);
            (download ? s.downloadPairRatio : s.readPairRatio).push_back(w.ms / engineMs);
            s.stallMs = std::max(s.stallMs, w.stallMs);
            int& most = download ? s.downloadUpdates : s.readUpdates;
            most = std::max(most, w.progressUpdates);
        }
        (download ? s.engineDownload : s.engineRead).push_back(bestEngine);
        (download ? s.windowDownload : s.windowRead).push_back(bestWindow);
        (download ? s.downloadRatio : s.readRatio).push_back(bestWindow / bestEngine);
    }
    return true;
}

bool Scenario(unsigned latencyMicros, int rounds, CTessadaneDlg& dlg, emu::Chip& chip,
              const std::vector<BYTE>& image, int& updates) {
    chip.SetLatency(std::chrono::microseconds(latencyMicros));
    const int runs = latencyMicros == 0 ? RUNS_AT_ZERO_LATENCY : 1;
    StallMeter meter;
    Samples s;
    for (int round = 0; round < rounds; ++round)
        if (!Round(dlg, chip, image, runs, updates, meter, s)) return false;

    std::printf("16 MB on an emulated VQ7340 (report id 1), %u us per report asked, %d rounds of %s; "
                "min / median / max\n", latencyMicros, rounds, runs > 1 ? "the best of five runs" : "one run");
    const char* row = "  %-9s engine only %s ms\n            window      %s ms\n            ratio       %s\n";
    std::printf(row, "download", Str(SpreadOf(s.engineDownload), "%.1f").c_str(),
                Str(SpreadOf(s.windowDownload), "%.1f").c_str(), Str(SpreadOf(s.downloadRatio)).c_str());
    std::printf(row, "read-back", Str(SpreadOf(s.engineRead), "%.1f").c_str(),
                Str(SpreadOf(s.windowRead), "%.1f").c_str(), Str(SpreadOf(s.readRatio)).c_str());
    if (runs > 1)
        std::printf("  ratio of the single pairs: download %s, read-back %s\n",
                    Str(SpreadOf(s.downloadPairRatio)).c_str(), Str(SpreadOf(s.readPairRatio)).c_str());
    std::printf("  real time per report, engine alone: download %s us, read-back %s us\n",
                Str(SpreadOf(s.usPerReportDownload), "%.2f").c_str(), Str(SpreadOf(s.usPerReportRead), "%.2f").c_str());
    std::printf("  longest stall of the user-interface thread during a job: %.1f ms\n", s.stallMs);
    std::printf("  progress updates reaching the bar: download %d, read-back %d\n", s.downloadUpdates,
                s.readUpdates);
    return true;
}

double ResidentMb() {
    std::ifstream statm("/proc/self/statm");
    double total = 0, resident = 0;
    statm >> total >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A chip attached as the application attaches it: resident memory before
// any job, after a download, after one, two and ten 16 MB reads through the
// window, and after three downloads more. Run in a process of its own
// (--memory), so that nothing before it hides what its first jobs add.
bool Memory(CTessadaneDlg& dlg, int& updates) {
    qputenv("QUILLMAR_EMULATE", "vq7340:id1");
    const bool installed = InstallEmulatorFromEnvironment();
    qunsetenv("QUILLMAR_EMULATE");
    VirtualPauseHost host;
    SetEngineHost(&host);
    dlg.SendNotify(IDC_CONNECT, BN_CLICKED);  // onto the new bus
    StallMeter meter;
    const auto read = [&] {
        RunJob(dlg, IDC_READ, meter, updates);
        return g_statusBar.m_pPaneTexts[0] == "Reading completed!";
    };
    bool ok = installed && g_patchVQ7340.m_bConnected;
    const double before = ResidentMb();
    ok = ok && (RunJob(dlg, IDC_DOWNLOAD, meter, updates), DownloadSucceeded());
    const double afterDownload = ResidentMb();
    ok = ok && read();
    const double afterOne = ResidentMb();
    ok = ok && read();
    const double afterTwo = ResidentMb();
    for (int i = 2; i < 10 && ok; ++i) ok = read();
    const double afterTen = ResidentMb();
    for (int i = 0; i < 3 && ok; ++i) ok = (RunJob(dlg, IDC_DOWNLOAD, meter, updates), DownloadSucceeded());
    const double afterDownloads = ResidentMb();
    SetEngineHost(nullptr);
    if (!ok) {
        std::printf("FAILED: the jobs on the chip attached as the application does\n");
        return false;
    }
    std::printf("resident memory in a fresh process, chip attached as the application does (MB):\n"
                "  before any job %.1f; after a 16 MB download %.1f (%+.1f)\n"
                "  after one 16 MB read %.1f (%+.1f), after two %.1f (%+.1f), after ten %.1f (%+.2f per read "
                "from the second on)\n"
                "  after three downloads more %.1f (%+.2f per download)\n",
                before, afterDownload, afterDownload - before, afterOne, afterOne - afterDownload, afterTwo,
                afterTwo - afterOne, afterTen, (afterTen - afterTwo) / 8, afterDownloads,
                (afterDownloads - afterTen) / 3);
    return true;
}

// The peak resident memory, in MB, of one whole `quillmar-cli download` of
// file in a process of its own, on the emulated chips of emulate; -1 when the
// download failed. /usr/bin/time starts it: a child forked from this large
// process would count this process's pages as its own until it executes.
double CliDownloadPeakMb(const std::string& file, const char* chip, const char* emulate, const std::string& report) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        setenv("QUILLMAR_EMULATE", emulate, 1);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execl("/usr/bin/time", "time", "-f", "%M", "-o", report.c_str(), QUILLMAR_CLI, "-q", "download", file.c_str(),
              "--chip", chip, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    double kib = -1;
    std::ifstream(report) >> kib;
    return kib < 0 ? -1 : kib / 1024.0;
}

// A 52-byte image and a 16 MB one, each downloaded by a fresh quillmar-cli:
// the whole process's peak, the emulated chip's memories included.
bool CliDownloadMemory() {
    QTemporaryDir dir;
    const std::string small = dir.filePath(QStringLiteral("small.bin")).toStdString();
    const std::string large = dir.filePath(QStringLiteral("large.bin")).toStdString();
    std::vector<BYTE> image(IMAGE_HEADER_SIZE + 4, 0xFF);  // a VQ7170 image without code
    image[0] = 0xA5, image[1] = 0x5A, image[2] = image[3] = 0;
    StoreChecksums(image.data(), ChecksumLayout::VQ7170);
    std::ofstream(small, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 52);
    image.assign(IMAGE_BUFFER_SIZE, 0x5A);  // a VQ7340 firmware of 16 MB, flash code of 256 bytes
    image[0] = 0x3C, image[1] = 0xC3, image[2] = 0x01, image[3] = 0x00, image[8] = 0x80;
    std::ofstream(large, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), LEN);
    const std::string report = dir.filePath(QStringLiteral("peak")).toStdString();
    const double smallMb = CliDownloadPeakMb(small, "vq7170", "vq7170", report);
    const double largeMb = CliDownloadPeakMb(large, "vq7340", "vq7340:id1", report);
    std::printf("peak resident memory of a whole quillmar-cli download in a fresh process (MB):\n"
                "  52-byte image to a VQ7170 %.1f (target under 8); 16 MB image to a VQ7340 %.1f "
                "(its emulated flash holds 16 MB of its own)\n",
                smallMb, largeMb);
    return smallMb > 0 && smallMb < 8 && largeMb > 0;
}

// The memory figures of a fresh process: this program again, with --memory.
bool MemoryInFreshProcess() {
    std::fflush(stdout);
    const std::string command = "'/proc/" + std::to_string(getpid()) + "/exe' --memory";
    return std::system(command.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool memoryOnly = argc > 1 && std::strcmp(argv[1], "--memory") == 0;
    const int rounds = argc > 1 && !memoryOnly ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<unsigned> latencies;
    for (int i = 2; i < argc; ++i) latencies.push_back(static_cast<unsigned>(std::atoi(argv[i])));
    if (latencies.empty()) latencies = {0, 125};

    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    theApp.SetRegistryKey(QString::fromUtf8(kRegistryKey));
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QString::fromUtf8(kRegistryKey), theApp.m_pszAppName)
        .setValue(QStringLiteral("Settings/ChipType"), ROW_VQ7340);

    auto bus = emu::MakeBackend();
    hid::SetBackend(bus);
    auto chip = bus->Plug({.type = emu::ChipType::VQ7340, .reportId = 1});
    chip->SetLogging(false);
    bus->TakeChanges();

    std::vector<BYTE> image(LEN);
    std::mt19937 gen(1103);
    for (BYTE& b : image) b = static_cast<BYTE>(gen());
    image[0] = 0x3C;  // the flash image's magic
    image[1] = 0xC3;

    bool ok = true;
    {
        VirtualPauseHost host;  // the start-up scan's arrival pause
        SetEngineHost(&host);
        CTessadaneDlg dlg;
        theApp.m_pMainWnd = &dlg;
        dlg.CreateFromTemplate();
        dlg.show();
        QCoreApplication::processEvents();
        int updates = 0;
        QObject::connect(g_progress.GetWnd(), &QProgressBar::valueChanged, [&updates](int) { ++updates; });

        std::memcpy(g_image, image.data(), LEN);
        g_imageLen = LEN;
        dlg.UpdateImageInfo();
        dlg.CheckDlgButton(IDC_MODIFY_LENGTH, BST_CHECKED);
        dlg.SendNotify(IDC_MODIFY_LENGTH, BN_CLICKED);
        dlg.SetDlgItemText(IDC_READ_LENGTH, QString::asprintf("%X", LEN));
        SetEngineHost(nullptr);
        if (dlg.m_nMemoryType != MEMTYPE_FLASH || g_readLen != LEN || !g_patchVQ7340.m_bConnected) {
            std::printf("FAILED: set-up\n");
            return 1;
        }
        if (memoryOnly) {
            ok = Memory(dlg, updates);
        } else {
            std::printf("%ld processors\n", sysconf(_SC_NPROCESSORS_ONLN));
            for (unsigned latency : latencies) ok = Scenario(latency, rounds, dlg, *chip, image, updates) && ok;
        }
        theApp.m_pMainWnd = nullptr;
    }
    if (memoryOnly) return ok ? 0 : 1;
    ok = MemoryInFreshProcess() && ok;
    ok = CliDownloadMemory() && ok;
    std::printf("one blocking call onto the user-interface thread: %.1f us\n", RoundTripMicros());
    return ok ? 0 : 1;
}
