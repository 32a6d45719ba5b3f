// A 16 MB download and read-back through the real main dialog (offscreen)
// on an emulated report-id-1 VQ7340 at zero latency.
//
// Figures: the longest stall of the user-interface thread while a job runs
// (a timer ticking every 2 ms records the largest gap), the progress
// updates that reached the user-interface thread per job, and the job's
// time against the same Download/ReadBack called directly with a host that
// does nothing. Pauses are virtual in both runs; status, progress and the
// blocking calls onto the user-interface thread are the application's own.
#include "BenchHost.h"
#include "Emulator.h"
#include "Globals.h"
#include "QtEngineHost.h"
#include "ResourceIds.h"
#include "TessadaneDlg.h"
#include "UiThread.h"
#include "hid/Hid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <thread>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int ROW_VQ7340 = 5;
constexpr int ROUNDS = 3;
constexpr DWORD LEN = IMAGE_BUFFER_SIZE;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The application's host, but with pauses on a virtual clock.
class VirtualPauseHost final : public IEngineHost {
public:
    void SetStatusText(const std::string& text, COLORREF colour) override { m_ui.SetStatusText(text, colour); }
    void SetProgress(int pos) override { m_ui.SetProgress(pos); }
    bool IsModifyLengthChecked() override { return m_ui.IsModifyLengthChecked(); }
    void RefreshOptionPage() override { m_ui.RefreshOptionPage(); }
    std::string OpenFileDialog(const FileDialogSpec& spec) override { return m_ui.OpenFileDialog(spec); }
    std::string SaveFileDialog(const FileDialogSpec& spec) override { return m_ui.SaveFileDialog(spec); }
    void MessageBox(const std::string& text) override { m_ui.MessageBox(text); }
    void Sleep(DWORD) override {}
    std::tm LocalTime() override { return m_ui.LocalTime(); }

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

// Presses a button and spins the event loop until the job has ended.
JobFigures RunJob(CTessadaneDlg& dlg, int button, StallMeter& meter, int& progressUpdates) {
    progressUpdates = 0;
    meter.Start();
    const auto start = Clock::now();
    dlg.SendNotify(button, BN_CLICKED);
    while (g_bBusy) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = MsSince(start);
    return {ms, meter.StopMs(), progressUpdates};
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

struct Scenario {
    unsigned latencyMicros;
    int rounds;
};

// The engine alone, then the same jobs through the window; false when a job
// did not bring the image back.
bool Run(const Scenario& sc, CTessadaneDlg& dlg, emu::Chip& chip, const std::vector<BYTE>& image, int& updates) {
    chip.SetLatency(std::chrono::microseconds(sc.latencyMicros));
    double engineDownloadMs = 1e12, engineReadMs = 1e12;
    {
        BenchHost host;
        host.ticked = true;
        for (int round = 0; round < sc.rounds; ++round) {
            std::memcpy(g_workBuf, image.data(), LEN);
            auto start = Clock::now();
            g_patchVQ7340.Download(MEMTYPE_FLASH, LEN, g_workBuf);
            engineDownloadMs = std::min(engineDownloadMs, MsSince(start));
            start = Clock::now();
            g_patchVQ7340.ReadBack(MEMTYPE_FLASH, LEN, g_workBuf);
            engineReadMs = std::min(engineReadMs, MsSince(start));
        }
        if (host.last != "Reading completed!" || std::memcmp(g_workBuf, image.data(), LEN) != 0) {
            std::printf("FAILED: engine-only read-back (%s)\n", host.last.c_str());
            return false;
        }
    }

    VirtualPauseHost host;
    SetEngineHost(&host);
    bool ok = true;
    double jobDownloadMs = 1e12, jobReadMs = 1e12, stallMs = 0;
    int downloadUpdates = 0, readUpdates = 0;
    StallMeter meter;
    for (int round = 0; round < sc.rounds && ok; ++round) {
        const JobFigures d = RunJob(dlg, IDC_DOWNLOAD, meter, updates);
        ok = ok && g_statusBar.m_pPaneTexts[0] == QStringLiteral("Upgrade Successful");
        const JobFigures r = RunJob(dlg, IDC_READ, meter, updates);
        // Bytes 12-15 may differ: the version edit writes them into the image.
        ok = ok && g_statusBar.m_pPaneTexts[0] == QStringLiteral("Reading completed!") &&
             dlg.m_hexEdit.GetDataSize() == LEN &&
             std::memcmp(dlg.m_hexEdit.GetData() + 16, image.data() + 16, LEN - 16) == 0;
        jobDownloadMs = std::min(jobDownloadMs, d.ms);
        jobReadMs = std::min(jobReadMs, r.ms);
        stallMs = std::max({stallMs, d.stallMs, r.stallMs});
        downloadUpdates = std::max(downloadUpdates, d.progressUpdates);
        readUpdates = std::max(readUpdates, r.progressUpdates);
    }
    SetEngineHost(nullptr);
    if (!ok) {
        std::printf("FAILED: the jobs through the window did not complete\n");
        return false;
    }

    std::printf("16 MB on an emulated VQ7340 (report id 1, %u us per report), best of %d\n", sc.latencyMicros,
                sc.rounds);
    std::printf("  download   engine only %9.1f ms   through the window %9.1f ms   ratio %.3f\n", engineDownloadMs,
                jobDownloadMs, jobDownloadMs / engineDownloadMs);
    std::printf("  read-back  engine only %9.1f ms   through the window %9.1f ms   ratio %.3f\n", engineReadMs,
                jobReadMs, jobReadMs / engineReadMs);
    std::printf("  longest stall of the user-interface thread during a job: %.1f ms\n", stallMs);
    std::printf("  progress updates reaching the user-interface thread: download %d, read-back %d\n",
                downloadUpdates, readUpdates);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
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
        ok = Run({0, 3}, dlg, *chip, image, updates) && ok;
        ok = Run({100, 1}, dlg, *chip, image, updates) && ok;
        theApp.m_pMainWnd = nullptr;
    }
    std::printf("one blocking call onto the user-interface thread: %.1f us\n", RoundTripMicros());
    return ok ? 0 : 1;
}
