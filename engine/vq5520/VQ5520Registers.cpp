// Register access and the memory bus multiplexer of the VQ5520.
//
// The chip shares one memory bus between its serial EEPROM and its flash;
// every job switches the multiplexer for its own transfer first and leaves
// it that way.
#include "VQ5520Patch.h"

// A read whose request or reply fails gives 0, never a byte of the request
// left in the buffer.
BYTE CVQ5520Patch::ReadXdata(WORD addr) {
    FEATURE_REPORT r = AddressRequest(ReportId(), HID_CMD_XDATA_READ, addr);
    if (!Send(r) || !Fetch(r)) return 0;
    return r[ReplyPos(ReportId(), 4)];
}

BYTE CVQ5520Patch::ReadRegister(WORD addr, bool xdata) {
    if (xdata) return ReadXdata(addr);
    FEATURE_REPORT r = RegisterRequest(ReportId(), HID_CMD_SFR_READ, static_cast<BYTE>(addr));
    if (!Send(r) || !Fetch(r)) return 0;
    return r[ReplyPos(ReportId(), 3)];
}

namespace {
constexpr WORD XDATA_PIN_MUX = 0xF016;
}  // namespace

void CVQ5520Patch::ModifySfr(BYTE sfr, BYTE andMask, BYTE orMask) {
    const BYTE value = ReadRegister(sfr, false);
    WriteSfr(sfr, static_cast<BYTE>((value & andMask) | orMask));
}

void CVQ5520Patch::SelectEepromMux() {
    ModifySfr(SFR_P3, 0xFF, 0xDC);
    ModifySfr(SFR_P2, 0xE7, 0x00);
    WriteXdata(XDATA_PIN_MUX, static_cast<BYTE>(ReadXdata(XDATA_PIN_MUX) | 0x04));
}

void CVQ5520Patch::SelectFlashMux() {
    ModifySfr(SFR_P3, 0xFF, 0xDC);
    ModifySfr(SFR_P2, 0xE7, 0x00);
    ModifySfr(SFR_P2, 0xFF, 0x04);
    WriteXdata(XDATA_PIN_MUX, static_cast<BYTE>(ReadXdata(XDATA_PIN_MUX) & 0xFB));
}

void CVQ5520Patch::SelectMux(BYTE memType) {
    if (memType == MEMTYPE_FLASH) SelectFlashMux();
    else SelectEepromMux();
}
