// Identification and report id of the VQ5520.
#include "VQ5520Patch.h"

#include "DeviceScan.h"

void CVQ5520Patch::DetectReportId() {
    FEATURE_REPORT r;  // nine zero bytes
    m_bUseReportId1 = Send(r) ? 0 : 1;
}

BYTE CVQ5520Patch::ScanDevices() {
    return ScanWith({0xF000, [this] { DetectReportId(); }, TwoTryReader(this), false,
                     [](BYTE a, BYTE b, BYTE c) { return (a == 0xA7 || a == 0xB7) && b == 0x16 && c == 0x0A; },
                     [this] {
                         WriteXdata(0xC450, 0x55);
                         return ReadXdata(0xC450) == 0x55;
                     },
                     [this] { DetectReportId(); }});
}

void CVQ5520Patch::OpenDevice(BYTE index) {
    if (index >= MAX_DEVICE_LIST || m_strDevicePath[index].empty()) return;
    OpenPathIntoDevice(m_strDevicePath[index]);
    DetectReportId();
}

std::unique_ptr<CVQPatch> MakeVQ5520Patch() { return std::make_unique<CVQ5520Patch>(); }
