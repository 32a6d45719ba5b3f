// Devices and jobs of the main dialog: connecting, the device list, device
// arrival and removal, the download and read jobs, opening and saving files
// and the read length.
//
// Threads: every handler runs on the user-interface thread. A Download or
// Read press starts one detached worker; g_bBusy is set before it starts
// and cleared by its last call onto the user-interface thread. The worker
// changes controls only through calls that run on the user-interface thread
// while it waits; the user-interface thread never waits for the worker.
// While a job runs, scans (and with them the closing of the worker's device
// handle) are put off until it ends, and the window paints once a frame.
//
// Bytes: a download works on the hex view's bytes as they were at the press,
// shared with the view (which copies them before its next change); at the end
// of a read the view takes the block the bytes were read into. Neither job
// copies the image, nor does a save.
#include "AppShell.h"
#include "DialogText.h"
#include "DeviceJobs.h"
#include "Globals.h"
#include "Jobs.h"
#include "PageRules.h"
#include "PortPath.h"
#include "QtEngineHost.h"
#include "ResourceIds.h"
#include "TessadaneDlg.h"
#include "UiThread.h"

#include <QTimer>

#include <algorithm>
#include <system_error>
#include <thread>
#include <utility>

namespace {

constexpr UINT_PTR TIMER_DISCONNECTED = 1;
constexpr UINT TIMER_DISCONNECTED_MS = 1000;
constexpr DWORD ARRIVAL_SETTLE_MS = 100;
constexpr UINT BEEP_BUSY = 0x32;

// What the running job works with, fixed on the user-interface thread before
// its worker starts (the start of a thread orders these writes before the
// worker's reads); not changed again until the job ends there.
struct JobParams {
    JobKind kind = JobKind::Download;
    CVQPatch* patch = nullptr;
    BYTE memType = 0;
    DWORD readLen = 0;
    // A read fetches exactly readLen bytes ("Modify  Length(H):" ticked),
    // else as many as the stored image says where the chip type can tell.
    bool lengthGiven = false;
    // A download's bytes: the hex view's bytes at the press, shared with the
    // view, which copies them before its next change while the job holds
    // them. Given back when the job ends, on the user-interface thread.
    ByteBlock source;
    DWORD count = 0;
};
JobParams g_job;

// Device changes that came during a job; user-interface thread only.
DeferredDeviceChanges g_deferred;

// The block the hex view let go of at the end of the last read: the next
// read reads into it, so that reads take no new memory.
ByteBlock g_spareReadBlock;

CVQPatch* CurrentPatch(const CTessadaneDlg& dlg) { return g_chipTable[dlg.m_nChipType].pPatch; }

void ShowStatus(const char* text, COLORREF colour) { g_statusBar.SetStatusText(QString::fromUtf8(text), colour); }

// The device version box: the version bytes of the open device. A chip that
// does not answer leaves them 0.
void ShowDeviceVersion(CTessadaneDlg& dlg) {
    BYTE version[4] = {0, 0, 0, 0};
    CurrentPatch(dlg)->ReadDeviceVersion(dlg.m_nMemoryType, version);
    dlg.SetDlgItemText(IDC_DEVICE_VERSION, VersionText(version));
}

void HandleDeferredDeviceChanges(CTessadaneDlg& dlg) {
    if (g_bBusy) return;  // another job started first; its end brings us back
    switch (g_deferred.Take()) {
    case DeferredDeviceChanges::Action::Arrival:
        dlg.OnDeviceChange(DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE);
        break;
    case DeferredDeviceChanges::Action::Rescan:
        dlg.OnDeviceChange(DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_DEVICEINTERFACE);
        break;
    case DeferredDeviceChanges::Action::None: break;
    }
}

// The end of every job, on the user-interface thread: progress back to 0,
// the controls enabled again, and the job no longer busy. Device changes
// that came meanwhile are handled next, from the event loop.
void EndJob(CTessadaneDlg& dlg, JobKind kind) {
    g_job.source = {};
    g_progress.SetPos(0);
    for (int id : ControlsEnabledAfterJob()) dlg.EnableDlgItem(id, true);
    if (kind == JobKind::Read) dlg.EnableDlgItem(IDC_READ_LENGTH, g_chkModifyLength.GetCheck() != 0);
    const BYTE mask = g_job.patch->GetSupportedMemoryTypes();
    dlg.EnableDlgItem(IDC_RADIO_24C01, mask & MEMTYPE_24C01_16);
    dlg.EnableDlgItem(IDC_RADIO_24C32, mask & MEMTYPE_24C32_64);
    dlg.EnableDlgItem(IDC_RADIO_FLASH, mask & MEMTYPE_FLASH);
    if (kind == JobKind::Download) dlg.SetDlgItemFocus(IDC_DOWNLOAD);
    dlg.EnableDlgItem(IDC_OPTION_TAB, true);
    g_bBusy = 0;
    dlg.m_jobPaints.Stop();
    if (g_deferred.Pending()) QTimer::singleShot(0, &dlg, [&dlg] { HandleDeferredDeviceChanges(dlg); });
}

void StartJob(CTessadaneDlg& dlg, JobKind kind) {
    if (g_bBusy) {
        MessageBeep(BEEP_BUSY);
        ShowAppMessageBox(&dlg, BusyText(kind));
        return;
    }
    CVQPatch* patch = CurrentPatch(dlg);
    if (!patch->m_bConnected) {
        ShowStatus("Please connect the device!", STATUS_RED);
        dlg.SetTimer(TIMER_DISCONNECTED, TIMER_DISCONNECTED_MS);
        return;
    }
    g_job = {kind, patch, dlg.m_nMemoryType, 0, false, {}, 0};
    if (kind == JobKind::Download) {
        g_job.source = dlg.m_hexEdit.ShareData();
        g_job.count = std::min<DWORD>(dlg.m_hexEdit.GetDataSize(), IMAGE_BUFFER_SIZE);
    }
    if (kind == JobKind::Read) {
        g_readLen = ReadLengthForJob(g_readLen);
        g_job.readLen = g_readLen;
        g_job.lengthGiven = g_chkModifyLength.GetCheck() != 0;
    }
    g_bBusy = 1;
    g_pWorkerDlg = &dlg;
    // The window shows the disabled controls with the job's first status text.
    dlg.m_jobPaints.Start();
    // The worker starts before the controls are disabled, so that the two go
    // on side by side; its first call onto this thread waits for this
    // handler to end anyway.
    try {
        std::thread(kind == JobKind::Download ? DownloadThreadProc : ReadThreadProc, &g_pWorkerDlg).detach();
    } catch (const std::system_error&) {
        // No worker: nothing was disabled, and no job runs.
        g_job.source = {};
        g_bBusy = 0;
        dlg.m_jobPaints.Stop();
        return;
    }
    for (int id : ControlsDisabledBy(kind)) dlg.EnableDlgItem(id, false);
    // The option page stays out of reach too: some pages send their own
    // requests over the job's device, and a read rewrites the image.
    dlg.EnableDlgItem(IDC_OPTION_TAB, false);
}

}  // namespace

DWORD DownloadThreadProc(void* param) {
    CTessadaneDlg* dlg = *static_cast<CTessadaneDlg**>(param);
    // The bytes the view showed at the press, which its edits no longer reach.
    const BYTE* const source = g_job.source.Data();
    Download(*g_job.patch, std::span<const BYTE>(source, source != nullptr ? g_job.count : 0), g_job.memType);
    RunOnUiThread([dlg] { EndJob(*dlg, JobKind::Download); });
    return 0;
}

DWORD ReadThreadProc(void* param) {
    CTessadaneDlg* dlg = *static_cast<CTessadaneDlg**>(param);
    const JobParams job = g_job;
    JobResult result = ReadBack(*job.patch, job.memType, job.readLen, job.lengthGiven, std::move(g_spareReadBlock));
    // One trip onto the user-interface thread for the end of the read, so
    // nothing is painted between the image, the version and the bytes read.
    // A read whose requests failed brought nothing: the image, the version
    // edit and the hex view keep what they showed.
    RunOnUiThread([dlg, &result] {
        if (!result.found.failed && result.image) {
            CHexEditBase& view = dlg->m_hexEdit;
            view.HoldDataSets();
            ByteBlock bytesRead = result.image->bytes.Release();
            g_doc.TakeRead(result.found, bytesRead.Data());
            if (result.found.refreshPage && g_pCurPage) g_pCurPage->LoadFromImage();
            // Runs the version edit's handler, which writes the version into
            // the image and shows the image; the bytes read replace it at
            // once, so that image is not copied into the view at all.
            dlg->SetDlgItemText(IDC_VERSION, VersionText(&bytesRead.Data()[12]));
            // The read may have found another length than it was asked for.
            g_spareReadBlock = view.ExchangeData(std::move(bytesRead), ReadLengthForJob(g_readLen));
            view.ReleaseDataSets();
        }
        EndJob(*dlg, JobKind::Read);
    });
    return 0;
}

void CTessadaneDlg::OnBnClickedConnect() {
    if (g_bBusy) {
        g_deferred.Note(false);  // the job's device stays open; rescan when it ends
        return;
    }
    CVQPatch* patch = CurrentPatch(*this);
    const BYTE count = patch->ScanDevices();
    g_nDeviceCount = count;
    if (count != 0) {
        ShowStatus("Connected!", STATUS_GREEN);
        if (g_hIconConnected) SetDlgItemIcon(IDC_CONNECT_ICON, *g_hIconConnected);
        if (!GetDlgItem(IDC_DEVICE)) return;
        ComboResetContent(IDC_DEVICE);
        for (int i = 0; i < count; ++i) {
            const QString location = QString::fromStdString(patch->m_strLocation[static_cast<size_t>(i)]);
            ComboAddString(IDC_DEVICE, DeviceListEntry(i + 1, FormatPortPath(location)));
        }
        ComboSetCurSel(IDC_DEVICE, count - 1);  // the device the scan left open
        ShowDeviceVersion(*this);
    } else {
        ShowStatus("Disconnected!", STATUS_RED);
        ComboResetContent(IDC_DEVICE);
        ComboSetCurSel(IDC_DEVICE, 0);
        if (g_hIconDisconnected) SetDlgItemIcon(IDC_CONNECT_ICON, *g_hIconDisconnected);
        SetDlgItemText(IDC_DEVICE_VERSION, QString());
    }
}

void CTessadaneDlg::OnCbnSelchangeDevice() {
    if (!GetDlgItem(IDC_DEVICE) || g_bBusy) return;
    const int index = ComboGetCurSel(IDC_DEVICE);
    if (index < 0) return;
    CurrentPatch(*this)->OpenDevice(static_cast<BYTE>(index));
    ShowDeviceVersion(*this);
}

BOOL CTessadaneDlg::OnDeviceChange(UINT nEventType, DWORD dwDeviceType) {
    const bool arrival = nEventType == DBT_DEVICEARRIVAL;
    if (!arrival && nEventType != DBT_DEVICEREMOVECOMPLETE) return FALSE;
    if (dwDeviceType != DBT_DEVTYP_DEVICEINTERFACE) return TRUE;
    if (g_bBusy) {
        g_deferred.Note(arrival);
        return TRUE;
    }
    OnBnClickedConnect();
    if (arrival) {
        Sleep(ARRIVAL_SETTLE_MS);
        if (CurrentPatch(*this)->m_bConnected && IsDlgButtonChecked(IDC_AUTO_DOWNLOAD)) OnBnClickedDownload();
    }
    return TRUE;
}

void CTessadaneDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != TIMER_DISCONNECTED) return;
    KillTimer(TIMER_DISCONNECTED);
    if (!CurrentPatch(*this)->m_bConnected) ShowStatus("Disconnected!", STATUS_RED);
}

void CTessadaneDlg::OnBnClickedDownload() { StartJob(*this, JobKind::Download); }

void CTessadaneDlg::OnBnClickedRead() { StartJob(*this, JobKind::Read); }

bool CTessadaneDlg::OpenImageFile(const std::string& path) {
    const LoadResult loaded = CurrentPatch(*this)->LoadFile(path, g_doc.Buffer());
    for (const std::string& message : loaded.messages) Shell().MessageBox(message);
    if (!loaded) return false;
    g_doc.TakeLoaded(*loaded.image);
    if (loaded.refreshPage && g_pCurPage) g_pCurPage->LoadFromImage();
    return true;
}

void CTessadaneDlg::OnBnClickedOpenFile() {
    const LoadRules& rules = DescriptorOf(m_nChipType).load;
    FileDialogSpec spec;
    spec.title = rules.title;
    spec.filter = std::string(rules.filterDescription) + "|*.hex;*.bin|";
    OpenFileFromPath(Shell().OpenFileDialog(spec));
}

void CTessadaneDlg::OpenFileFromPath(const std::string& path) {
    if (path.empty() || !OpenImageFile(path)) {
        ShowStatus("Open file failed!", STATUS_RED);
        return;
    }
    UpdateImageInfo();
    SetDlgItemText(IDC_VERSION, VersionText(&g_image[12]));
    ShowStatus("Opened file successfully!", STATUS_GREEN);
}

void CTessadaneDlg::RefuseDroppedFiles() {
    // The texts of a file of another type given to Open File.
    Shell().MessageBox("Open file failed!\n");
    ShowStatus("Open file failed!", STATUS_RED);
}

void CTessadaneDlg::OnBnClickedSaveToBin() {
    if (g_bBusy) return;  // the button is disabled during every job
    // The view's bytes as they are now; the view copies them before a change
    // while the file is written.
    const ByteBlock bytes = m_hexEdit.ShareData();
    const DWORD count = bytes.Data() ? std::min<DWORD>(m_hexEdit.GetDataSize(), IMAGE_BUFFER_SIZE) : 0;
    FileDialogSpec spec;
    spec.filter = "Bin File(*.bin)|*.bin|";
    // A name typed without extension becomes a .bin file.
    spec.defaultExt = "bin";
    spec.initialName = DefaultBinFileName(Host().LocalTime());
    const std::string path = Shell().SaveFileDialog(spec);
    if (path.empty()) return;
    if (!CurrentPatch(*this)->SaveToBin(path, count, bytes.Data())) Shell().MessageBox("Create Bin File fail!");
}

void CTessadaneDlg::OnEnChangeModifyLength() {
    const ReadLengthVerdict verdict = CheckReadLength(GetDlgItemText(IDC_READ_LENGTH));
    switch (verdict.kind) {
    case ReadLengthVerdict::Store: g_readLen = verdict.value; break;
    case ReadLengthVerdict::Invalid:
        ShowAppMessageBox(this, QStringLiteral("Invalid parameters"));
        SetDlgItemText(IDC_READ_LENGTH, verdict.text);
        break;
    case ReadLengthVerdict::Replace: SetDlgItemText(IDC_READ_LENGTH, verdict.text); break;
    }
}

void CTessadaneDlg::OnBnClickedModifyLength() {
    if (IsDlgButtonChecked(IDC_MODIFY_LENGTH)) {
        EnableDlgItem(IDC_READ_LENGTH, true);
        g_readLen = static_cast<DWORD>(ScanHex32(GetDlgItemText(IDC_READ_LENGTH)));
    } else {
        EnableDlgItem(IDC_READ_LENGTH, false);
    }
}

bool CTessadaneDlg::CanEndDialog() { return !RefusedWhileBusy(); }

bool CTessadaneDlg::RefusedWhileBusy() {
    if (!g_bBusy) return false;
    MessageBeep(BEEP_BUSY);
    ShowAppMessageBox(this, BusyText(g_job.kind));
    return true;
}
