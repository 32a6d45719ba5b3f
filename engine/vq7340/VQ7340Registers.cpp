// Register access of the VQ7340/41 and the VQ5632: SFR and XDATA reads, the
// access mode that puts the EEPROM or the flash on the memory bus, and the
// guard byte saved around every job.
#include "VQ7340Patch.h"

namespace {
constexpr WORD GUARD_XDATA = 0xF051;
}  // namespace

DWORD CVQ7340Patch::ReadSfr(BYTE sfr, BYTE* out) {
    FEATURE_REPORT r = RegisterRequest(ReportId(), HID_CMD_SFR_READ, sfr);
    // A request that failed leaves no reply: the byte reads 0xFF.
    const bool read = Send(r) && Fetch(r, ReplyEnd(ReportId(), 3));
    *out = read ? r[ReplyPos(ReportId(), 3)] : 0xFF;
    return read ? 0 : 1;
}

int CVQ7340Patch::ReadXdataRequest(WORD addr, BYTE* out) {
    FEATURE_REPORT r = AddressRequest(ReportId(), HID_CMD_XDATA_READ, addr);
    *out = 0xFF;
    if (!Send(r)) return 1;
    if (!Fetch(r, ReplyEnd(ReportId(), 4))) return 2;
    *out = r[ReplyPos(ReportId(), 4)];
    return 0;
}

DWORD CVQ7340Patch::ReadXdata(WORD addr, BYTE* out) { return ReadXdataRequest(addr, out) == 2 ? 1 : 0; }

bool CVQ7340Patch::SetAccessMode(int mode) {
    if (mode != ACCESS_EEPROM_READ && mode != ACCESS_EEPROM_WRITE && mode != ACCESS_FLASH) return false;
    BYTE v = 0;
    bool ok = ReadSfr(0xB0, &v) == 0;
    ok = WriteSfr(0xB0, static_cast<BYTE>(v & 0xFB)) && ok;
    ok = ReadSfr(0xA0, &v) == 0 && ok;
    ok = WriteSfr(0xA0, static_cast<BYTE>(mode == ACCESS_EEPROM_WRITE ? (v & 0xFB) : (v | 0x04))) && ok;
    if (mode == ACCESS_FLASH) {
        ok = WriteSfr(0xC7, 0xD1) && ok;
        ok = WriteSfr(0xC8, 0xC0) && ok;
        ok = WriteSfr(0xCA, 0x00) && ok;
    }
    ok = ReadXdataRequest(0xF01F, &v) == 0 && ok;
    ok = WriteXdata(0xF01F, static_cast<BYTE>(mode == ACCESS_FLASH ? ((v & 0x6F) | 0x10) : (v & 0xEF))) && ok;
    return ok;
}

BYTE CVQ7340Patch::SaveGuard() {
    BYTE saved = 0xFF;
    ReadXdata(GUARD_XDATA, &saved);
    WriteXdata(GUARD_XDATA, 0x00);
    return saved;
}

void CVQ7340Patch::RestoreGuard(BYTE saved) { WriteXdata(GUARD_XDATA, saved); }
