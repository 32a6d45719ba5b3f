// Identification, report id, image memory types and loading rules of the
// VQ7340/41 and the VQ5632.
#include "VQ7340Patch.h"

#include "DeviceScan.h"
#include "LoadFile.h"

namespace {
constexpr MemoryTypeMagic kMagic7340{{0x5A, 0xA5}, true, {0x69, 0x96}, true, {0x3C, 0xC3}};
constexpr LoadRules RULES_7340{FIRMWARE_TITLE, "VQ734x_FW (*.hex,*.bin)", ChecksumLayout::VQ7340, 0xF000, 0xFC00,
                               Stamp::None, 0x80, BinRule::Firmware16M, 0, true};
constexpr LoadRules RULES_5632{FIRMWARE_TITLE, "VQ5632_FW (*.hex,*.bin)", ChecksumLayout::VQ7340, 0xF000, 0xFC00,
                               Stamp::None, 0xC0, BinRule::Firmware16M, 0, true};
}  // namespace

BYTE CVQ7340Patch::ScanDevices() {
    auto probe = [this] {
        // XDATA 0xFF01 with report id 1: a chip that takes id 1 answers 0x13.
        FEATURE_REPORT r = AddressRequest(1, HID_CMD_XDATA_READ, 0xFF01);
        bool id1 = false;
        if (Send(r)) id1 = Fetch(r, ReplyEnd(1, 4)) && r[3] == 0x13;
        m_bUseReportId1 = id1 ? 1 : 0;
    };
    // A failed fetch rejects nothing here: the bytes it leaves are compared.
    auto read = [this](WORD addr, bool* fetchFailed) {
        *fetchFailed = false;
        BYTE value = 0xFF;
        ReadXdata(addr, &value);
        return value;
    };
    // The id ends as the probe result of the device left open (the last
    // accepted one), even when rejected devices were probed after it.
    int acceptedId = 0;
    return ScanWith({0xFF00, probe, read, false,
                     [](BYTE a, BYTE b, BYTE c) { return (a == 0xA7 || a == 0xB7) && b == 0x13 && c == 0x0A; },
                     [this, &acceptedId] {
                         acceptedId = m_bUseReportId1;
                         return true;
                     },
                     [this, &acceptedId] { m_bUseReportId1 = acceptedId; }});
}

BYTE CVQ7340Patch::GetImageMemoryType() { return MagicMemoryType(kMagic7340); }
void CVQ7340Patch::SetImageMemoryType(BYTE memType) { SetMagicMemoryType(kMagic7340, memType); }

bool CVQ7340Patch::LoadFile() { return LoadImageFile(RULES_7340); }
bool CVQ5632Patch::LoadFile() { return LoadImageFile(RULES_5632); }
