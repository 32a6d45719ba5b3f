// Devices and jobs of the main dialog: connecting, the device list, device
// arrival and removal, the download and read jobs, opening and saving files
// and the read length.
#include "Globals.h"
#include "TessadaneDlg.h"

void CTessadaneDlg::OnBnClickedConnect() {}

void CTessadaneDlg::OnCbnSelchangeDevice() {}

BOOL CTessadaneDlg::OnDeviceChange(UINT nEventType, DWORD) {
    return nEventType == DBT_DEVICEARRIVAL || nEventType == DBT_DEVICEREMOVECOMPLETE;
}

void CTessadaneDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == 1) KillTimer(1);
}

void CTessadaneDlg::OnBnClickedDownload() {}

void CTessadaneDlg::OnBnClickedRead() {}

void CTessadaneDlg::OnBnClickedOpenFile() {}

void CTessadaneDlg::OnBnClickedSaveToBin() {}

void CTessadaneDlg::OnEnChangeModifyLength() {}

void CTessadaneDlg::OnBnClickedModifyLength() {}

bool CTessadaneDlg::CanEndDialog() { return true; }
