// Identification and report id of the VQ7340/41 and the VQ5632.
#include "VQ7340Patch.h"

#include "DeviceScan.h"

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

std::unique_ptr<CVQPatch> MakeVQ7340Patch() { return std::make_unique<CVQ7340Patch>(); }
std::unique_ptr<CVQPatch> MakeVQ5632Patch() { return std::make_unique<CVQ5632Patch>(); }
