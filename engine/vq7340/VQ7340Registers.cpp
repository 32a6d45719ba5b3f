// Register access of the VQ7340/41 and the VQ5632: SFR and XDATA reads, the
// access mode that puts the EEPROM or the flash on the memory bus, and the
// guard byte saved around every job.
#include "VQ7340Patch.h"

namespace {
constexpr WORD GUARD_XDATA = 0xF051;
}  // namespace

DWORD CVQ7340Patch::ReadSfr(BYTE sfr, BYTE* out) {
    FEATURE_REPORT r = RegisterRequest(ReportId(), HID_CMD_SFR_READ, sfr);
    const bool sent = Send(r);
    const bool fetched = Fetch(r);
    *out = r[ReplyPos(ReportId(), 3)];
    return sent && fetched ? 0 : 1;
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

void CVQ7340Patch::SetAccessMode(int mode) {
    if (mode != ACCESS_EEPROM_READ && mode != ACCESS_EEPROM_WRITE && mode != ACCESS_FLASH) return;
    BYTE v = 0;
    ReadSfr(0xB0, &v);
    WriteSfr(0xB0, static_cast<BYTE>(v & 0xFB));
    ReadSfr(0xA0, &v);
    WriteSfr(0xA0, static_cast<BYTE>(mode == ACCESS_EEPROM_WRITE ? (v & 0xFB) : (v | 0x04)));
    if (mode == ACCESS_FLASH) {
        WriteSfr(0xC7, 0xD1);
        WriteSfr(0xC8, 0xC0);
        WriteSfr(0xCA, 0x00);
    }
    ReadXdata(0xF01F, &v);
    WriteXdata(0xF01F, static_cast<BYTE>(mode == ACCESS_FLASH ? ((v & 0x6F) | 0x10) : (v & 0xEF)));
}

BYTE CVQ7340Patch::SaveGuard() {
    BYTE saved = 0xFF;
    ReadXdata(GUARD_XDATA, &saved);
    WriteXdata(GUARD_XDATA, 0x00);
    return saved;
}

void CVQ7340Patch::RestoreGuard(BYTE saved) { WriteXdata(GUARD_XDATA, saved); }
