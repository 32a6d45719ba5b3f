// Chip identification, device opening, register access and memory types.
#include "ChipPatches.h"
#include "hid/Hid.h"

#include <functional>
#include <vector>

struct CVQPatch::IdentRule {
    WORD baseAddr;
    // Run before the identification reads of a device (report-id probe).
    std::function<void()> beforeReads;
    // One identification byte; *fetchFailed reports a failed fetch.
    std::function<BYTE(WORD addr, bool* fetchFailed)> readByte;
    // A failed fetch ends the whole walk (VQ7140S).
    bool stopOnFetchFailure;
    std::function<bool(BYTE, BYTE, BYTE)> matches;
    // Extra test after a match (VQ5520 write test); empty when none.
    std::function<bool()> extraTest;
    // Run after the last accepted device was opened again.
    std::function<void()> afterOpen;
};

BYTE CVQPatch::ScanWith(const IdentRule& rule) {
    m_bConnected = 0;
    EnumHidDevices();
    std::vector<std::string> paths, locations;
    for (int i = 0; i < MAX_DEVICE_LIST && !m_strDevicePath[i].empty(); ++i) {
        OpenPathIntoDevice(m_strDevicePath[i]);
        if (rule.beforeReads) rule.beforeReads();
        BYTE id[3];
        bool stop = false;
        for (int k = 0; k < 3; ++k) {
            bool fetchFailed = false;
            id[k] = rule.readByte(static_cast<WORD>(rule.baseAddr + k), &fetchFailed);
            if (fetchFailed && rule.stopOnFetchFailure) {
                stop = true;
                break;
            }
        }
        if (stop) break;
        if (!rule.matches(id[0], id[1], id[2])) continue;
        if (rule.extraTest && !rule.extraTest()) continue;
        paths.push_back(m_strDevicePath[i]);
        locations.push_back(m_strLocation[i]);
        m_bConnected = 1;
    }
    const std::size_t accepted = paths.size();
    for (std::size_t i = 0; i < accepted; ++i) {
        m_strDevicePath[i] = paths[i];
        m_strLocation[i] = locations[i];
    }
    if (accepted > 0) {
        OpenPathIntoDevice(m_strDevicePath[accepted - 1]);
        if (rule.afterOpen) rule.afterOpen();
    }
    return static_cast<BYTE>(accepted);
}

namespace {
auto TwoTryReader(CVQPatch* self) {
    return [self](WORD addr, bool* fetchFailed) {
        BYTE value = 0xFF;
        *fetchFailed = self->ReadXdataByte(addr, &value) != 0;
        return value;
    };
}
}  // namespace

// --- VQ7140S / VQ7140XX ----------------------------------------------------

BYTE CVQ7140SPatch::ScanDevices() {
    return ScanWith({0xF840, nullptr, TwoTryReader(this), true,
                     [](BYTE a, BYTE b, BYTE c) { return a == 0x00 && b == 0x00 && c == 0x00; }, nullptr, nullptr});
}

BYTE CVQ7140XXPatch::ScanDevices() {
    return ScanWith({0xF850, nullptr, TwoTryReader(this), false,
                     [](BYTE a, BYTE b, BYTE c) { return a == 0xA7 && b == 0x10 && c == 0x0A; }, nullptr, nullptr});
}

// --- VQ7170 / VQ7170S ------------------------------------------------------

BYTE CVQ7170Patch::ScanDevices() {
    return ScanWith({0xF800, nullptr, TwoTryReader(this), false,
                     [](BYTE a, BYTE b, BYTE c) { return a == 0xA7 && b == 0x10 && c == 0x9A; }, nullptr, nullptr});
}

BYTE CVQ7170SPatch::ScanDevices() {
    return ScanWith({0xF800, nullptr, TwoTryReader(this), false,
                     [](BYTE a, BYTE b, BYTE c) { return (a == 0xC7 || a == 0xD7) && b == 0x10 && c == 0x9A; },
                     nullptr, nullptr});
}

// --- VQ5520 ----------------------------------------------------------------

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

BYTE CVQ5520Patch::ReadXdata(WORD addr) {
    FEATURE_REPORT r = AddressRequest(ReportId(), HID_CMD_XDATA_READ, addr);
    if (!Send(r)) return 0;
    Fetch(r);
    return r[ReplyPos(ReportId(), 4)];
}

BYTE CVQ5520Patch::ReadRegister(WORD addr, bool xdata) {
    if (xdata) return ReadXdata(addr);
    FEATURE_REPORT r = RegisterRequest(ReportId(), HID_CMD_SFR_READ, static_cast<BYTE>(addr));
    if (!Send(r)) return 0;
    Fetch(r);
    return r[ReplyPos(ReportId(), 3)];
}

bool CVQ5520Patch::WriteXdata(WORD addr, BYTE value) {
    FEATURE_REPORT r = AddressRequest(ReportId(), HID_CMD_XDATA_WRITE, addr);
    r[4] = value;
    return Send(r);
}

bool CVQ5520Patch::WriteSfr(BYTE sfr, BYTE value) {
    FEATURE_REPORT r = RegisterRequest(ReportId(), HID_CMD_SFR_WRITE, sfr, value);
    return Send(r);
}

// --- VQ7340 / VQ5632 -------------------------------------------------------

BYTE CVQ7340Patch::ScanDevices() {
    auto probe = [this] {
        // XDATA 0xFF01 with report id 1: a chip that takes id 1 answers 0x13.
        FEATURE_REPORT r = AddressRequest(1, HID_CMD_XDATA_READ, 0xFF01);
        bool id1 = false;
        if (Send(r)) {
            Fetch(r);
            id1 = r[3] == 0x13;
        }
        m_bUseReportId1 = id1 ? 1 : 0;
    };
    auto read = [this](WORD addr, bool* fetchFailed) {
        *fetchFailed = false;
        FEATURE_REPORT r = AddressRequest(ReportId(), HID_CMD_XDATA_READ, addr);
        if (!Send(r)) return BYTE{0xFF};
        Fetch(r);
        return r[ReplyPos(ReportId(), 4)];
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

DWORD CVQ7340Patch::ReadSfr(BYTE sfr, BYTE* out) {
    FEATURE_REPORT r = RegisterRequest(ReportId(), HID_CMD_SFR_READ, sfr);
    Send(r);
    Fetch(r);
    *out = r[ReplyPos(ReportId(), 3)];
    return 0;
}

DWORD CVQ7340Patch::ReadXdata(WORD addr, BYTE* out) {
    FEATURE_REPORT r = AddressRequest(ReportId(), HID_CMD_XDATA_READ, addr);
    if (!Send(r)) {
        *out = 0xFF;
        return 0;
    }
    const bool fetched = Fetch(r);
    *out = r[ReplyPos(ReportId(), 4)];
    return fetched ? 0 : 1;
}

bool CVQ7340Patch::WriteSfr(BYTE sfr, BYTE value) {
    FEATURE_REPORT r = RegisterRequest(ReportId(), HID_CMD_SFR_WRITE, sfr, value);
    return Send(r);
}

bool CVQ7340Patch::WriteXdata(WORD addr, BYTE value) {
    FEATURE_REPORT r = AddressRequest(ReportId(), HID_CMD_XDATA_WRITE, addr);
    r[4] = value;
    return Send(r);
}

// --- memory types ----------------------------------------------------------

namespace {
constexpr MemoryTypeMagic kMagic7140XX{{0x08, 0x16}, true, {0x32, 0x64}, false, {0, 0}};
constexpr MemoryTypeMagic kMagic7170{{0xA5, 0x5A}, true, {0x96, 0x69}, false, {0, 0}};
constexpr MemoryTypeMagic kMagic7170S{{0x5A, 0xA5}, true, {0x69, 0x96}, false, {0, 0}};
constexpr MemoryTypeMagic kMagic5520{{0xA5, 0x5A}, true, {0x96, 0x69}, true, {0xC3, 0x3C}};
constexpr MemoryTypeMagic kMagic7340{{0x5A, 0xA5}, true, {0x69, 0x96}, true, {0x3C, 0xC3}};
}  // namespace

void CVQ7140SPatch::SetImageMemoryType(BYTE) {
    g_image[0] = 0x5A;
    g_image[1] = 0xA5;
}

BYTE CVQ7140XXPatch::GetImageMemoryType() { return MagicMemoryType(kMagic7140XX); }
void CVQ7140XXPatch::SetImageMemoryType(BYTE memType) { SetMagicMemoryType(kMagic7140XX, memType); }
BYTE CVQ7170Patch::GetImageMemoryType() { return MagicMemoryType(kMagic7170); }
void CVQ7170Patch::SetImageMemoryType(BYTE memType) { SetMagicMemoryType(kMagic7170, memType); }
BYTE CVQ7170SPatch::GetImageMemoryType() { return MagicMemoryType(kMagic7170S); }
void CVQ7170SPatch::SetImageMemoryType(BYTE memType) { SetMagicMemoryType(kMagic7170S, memType); }
BYTE CVQ5520Patch::GetImageMemoryType() { return MagicMemoryType(kMagic5520); }
void CVQ5520Patch::SetImageMemoryType(BYTE memType) { SetMagicMemoryType(kMagic5520, memType); }
BYTE CVQ7340Patch::GetImageMemoryType() { return MagicMemoryType(kMagic7340); }
void CVQ7340Patch::SetImageMemoryType(BYTE memType) { SetMagicMemoryType(kMagic7340, memType); }
