// Register access and the memory bus multiplexer of the VQ5520.
//
// The chip shares one memory bus between its serial EEPROM and its flash;
// every job switches the multiplexer for its own transfer first and leaves
// it that way.
#include "VQ5520Patch.h"

// A read whose request or reply fails gives 0, never a byte of the request
// left in the buffer, and is noted in m_bReadFailed.
BYTE CVQ5520Patch::ReadXdata(WORD addr) {
    FEATURE_REPORT r = AddressRequest(ReportId(), HID_CMD_XDATA_READ, addr);
    return ReadReply(r, ReplyPos(ReportId(), 4));
}

BYTE CVQ5520Patch::ReadReply(FEATURE_REPORT& r, std::size_t pos) {
    if (Send(r) && Fetch(r, pos + 1)) return r[pos];
    m_bReadFailed = true;
    return 0;
}

BYTE CVQ5520Patch::ReadRegister(WORD addr, bool xdata) {
    if (xdata) return ReadXdata(addr);
    FEATURE_REPORT r = RegisterRequest(ReportId(), HID_CMD_SFR_READ, static_cast<BYTE>(addr));
    return ReadReply(r, ReplyPos(ReportId(), 3));
}

namespace {
constexpr WORD XDATA_PIN_MUX = 0xF016;
}  // namespace

// A failed read counts as 0 and is written back changed all the same.
bool CVQ5520Patch::ModifyRegister(WORD addr, bool xdata, BYTE andMask, BYTE orMask) {
    const bool failedBefore = m_bReadFailed;
    m_bReadFailed = false;
    const BYTE value = ReadRegister(addr, xdata);
    const bool read = !m_bReadFailed;
    m_bReadFailed = failedBefore || !read;
    const BYTE changed = static_cast<BYTE>((value & andMask) | orMask);
    const bool written = xdata ? WriteXdata(addr, changed) : WriteSfr(static_cast<BYTE>(addr), changed);
    return read && written;
}

bool CVQ5520Patch::SelectEepromMux() {
    bool ok = ModifySfr(SFR_P3, 0xFF, 0xDC);
    ok = ModifySfr(SFR_P2, 0xE7, 0x00) && ok;
    return ModifyRegister(XDATA_PIN_MUX, true, 0xFF, 0x04) && ok;
}

bool CVQ5520Patch::SelectFlashMux() {
    bool ok = ModifySfr(SFR_P3, 0xFF, 0xDC);
    ok = ModifySfr(SFR_P2, 0xE7, 0x00) && ok;
    ok = ModifySfr(SFR_P2, 0xFF, 0x04) && ok;
    return ModifyRegister(XDATA_PIN_MUX, true, 0xFB, 0x00) && ok;
}

bool CVQ5520Patch::SelectMux(BYTE memType) {
    return memType == MEMTYPE_FLASH ? SelectFlashMux() : SelectEepromMux();
}
