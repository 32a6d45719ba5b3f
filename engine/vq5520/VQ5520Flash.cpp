// Flash requests of the VQ5520: erased in 4 KB sectors by a one-byte sector
// index, written four bytes a report and read eight bytes a report.
#include "VQ5520Patch.h"

#include "ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD FLASH_SECTOR_SIZE = 4096;
// The erase request carries a one-byte sector index: sectors 0..255.
constexpr DWORD FLASH_ERASABLE_SECTORS = 256;
constexpr DWORD ERASE_PAUSE_MS = 200;

// Sectors erased before a flash download of len bytes: one more than the
// whole sectors the image covers, as many as the sector index reaches.
DWORD EraseSectorCount(DWORD len) { return std::min(len / FLASH_SECTOR_SIZE + 1, FLASH_ERASABLE_SECTORS); }

}  // namespace

bool CVQ5520Patch::ReadFlash8(DWORD addr, BYTE out[8]) {
    FEATURE_REPORT r;
    r[0] = ReportId();
    r[1] = HID_CMD_FLASH_READ8;
    WriteBE24(&r[2], addr);
    // A reply that did not come holds the request's own bytes: nothing to
    // copy, and the failure is noted for the jobs.
    if (!Send(r) || !Fetch(r, ReplyEnd(ReportId(), 1, 8))) {
        m_bReadFailed = true;
        return false;
    }
    std::memcpy(out, &r[ReportId() ? 0 : 1], 8);
    return true;
}

bool CVQ5520Patch::WriteFlash4(DWORD addr, const BYTE* four) {
    FEATURE_REPORT r;
    r[0] = ReportId();
    r[1] = HID_CMD_FLASH_WRITE4;
    WriteBE24(&r[2], addr);
    std::memcpy(&r[5], four, 4);
    return Send(r);
}

void CVQ5520Patch::WriteFlash1(DWORD addr, BYTE value) {
    FEATURE_REPORT r;
    r[0] = ReportId();
    r[1] = HID_CMD_FLASH_WRITE1;
    WriteBE24(&r[2], addr);
    r[5] = value;
    Send(r);
}

bool CVQ5520Patch::EraseFlashFor(DWORD len) {
    const DWORD sectors = EraseSectorCount(len);
    for (DWORD i = 0; i < sectors; ++i) {
        SetProgress(static_cast<int>(i * 100 / sectors));
        FEATURE_REPORT r;
        r[0] = ReportId();
        r[1] = HID_CMD_FLASH_SECTOR_ERASE;
        r[2] = 0;
        r[3] = static_cast<BYTE>(i);
        if (!Send(r)) return false;
        Sleep(ERASE_PAUSE_MS);
    }
    return true;
}
