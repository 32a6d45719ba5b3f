// Identification, report id, image memory types and loading rules of the
// VQ5520.
#include "VQ5520Patch.h"

#include "DeviceScan.h"
#include "LoadFile.h"

namespace {
constexpr MemoryTypeMagic kMagic5520{{0xA5, 0x5A}, true, {0x96, 0x69}, true, {0xC3, 0x3C}};
constexpr LoadRules RULES_5520{PATCH_TITLE, PATCH_FILTER, ChecksumLayout::VQ7170, 0xC830, 0xE800,
                               Stamp::ZeroYearMonthDay, 0, BinRule::Verify16M, 0, true};
}  // namespace

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

BYTE CVQ5520Patch::GetImageMemoryType() { return MagicMemoryType(kMagic5520); }
void CVQ5520Patch::SetImageMemoryType(BYTE memType) { SetMagicMemoryType(kMagic5520, memType); }

bool CVQ5520Patch::LoadFile() { return LoadImageFile(RULES_5520); }
