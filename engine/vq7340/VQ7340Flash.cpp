// Flash transfers and erases of the VQ7340/41 and the VQ5632: bulk reports
// on report-id-1 devices, 9-byte steps on report-id-0 devices.
#include "VQ7340Patch.h"

#include "ByteOrder.h"
#include "hid/Hid.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD SECTOR_SIZE = 4096;
constexpr DWORD CHIP_ERASE_FROM = 0x80000;       // images this long are chip-erased
constexpr DWORD EXTRA_SECTOR = 0xF000;           // erased too when few sectors are
constexpr DWORD EXTRA_SECTOR_BELOW = 15;         // ... that is, fewer than this many
constexpr int ERASE_POLL_BUDGET = 2500;          // counter start: at most 2499 polls
constexpr DWORD ERASE_POLL_MS = 100;
constexpr std::size_t READ_STEP_BYTES = 8;       // report-id-0 read step
constexpr std::size_t WRITE_STEP_BYTES = 6;      // report-id-0 write step

}  // namespace

bool CVQ7340Patch::StartFlashTransfer(BYTE idZeroCommand, DWORD addr, WORD len) {
    FEATURE_REPORT r;
    if (m_bUseReportId1) {
        r[0] = 1;
        r[1] = HID_CMD_FLASH_BULK;
        WriteBE32(&r[2], addr);
    } else {
        r[0] = 0;
        r[1] = idZeroCommand;
        r[2] = 1;
        WriteBE24(&r[3], addr);
    }
    WriteBE16(&r[6], len);
    return Send(r);
}

BOOL CVQ7340Patch::ReadFlash(DWORD addr, WORD len, BYTE* out) {
    if (!StartFlashTransfer(HID_CMD_FLASH_READ, addr, len)) return FALSE;
    if (m_bUseReportId1) {
        BULK_REPORT bulk;
        for (DWORD done = 0; done < len;) {
            const DWORD n = std::min<DWORD>(BULK_REPORT_DATA, len - done);
            bulk.bytes[0] = BULK_REPORT_ID;
            if (!hid::GetFeature(m_hDevice, bulk.data(), BULK_REPORT_SIZE, 1 + n)) {
                NoteHidFailure();
                return FALSE;
            }
            std::memcpy(out + done, bulk.bytes + 1, n);
            done += n;
        }
        return TRUE;
    }
    // One buffer for every step: the reply overwrites it, and the next step
    // rewrites bytes 0..7 only.
    FEATURE_REPORT r;
    for (DWORD off = 0; off < len; off += READ_STEP_BYTES) {
        r[0] = 0;
        r[1] = HID_CMD_FLASH_READ;
        r[2] = 0;
        WriteBE24(&r[3], addr);  // the start of the whole read; the offset tells the step
        WriteBE16(&r[6], static_cast<WORD>(off));
        const std::size_t n = std::min<std::size_t>(READ_STEP_BYTES, len - off);
        if (!Send(r) || !Fetch(r, 1 + n)) return FALSE;
        std::memcpy(out + off, &r[1], n);
    }
    return TRUE;
}

BOOL CVQ7340Patch::WriteFlash(DWORD addr, WORD len, const BYTE* data) {
    if (!StartFlashTransfer(HID_CMD_FLASH_WRITE, addr, len)) return FALSE;
    if (m_bUseReportId1) {
        // The tail of a short last report keeps the previous report's bytes.
        BULK_REPORT bulk;
        bulk.bytes[0] = BULK_REPORT_ID;
        for (DWORD done = 0; done < len;) {
            const DWORD n = std::min<DWORD>(BULK_REPORT_DATA, len - done);
            std::memcpy(bulk.bytes + 1, data + done, n);
            if (!hid::SetFeature(m_hDevice, bulk.data(), BULK_REPORT_SIZE)) {
                NoteHidFailure();
                return FALSE;
            }
            done += n;
        }
        return TRUE;
    }
    for (DWORD off = 0; off < len; off += WRITE_STEP_BYTES) {
        FEATURE_REPORT r;  // filler beyond len stays zero
        r[1] = HID_CMD_FLASH_WRITE;
        r[2] = 0;
        std::memcpy(&r[3], data + off, std::min<std::size_t>(WRITE_STEP_BYTES, len - off));
        if (!Send(r)) return FALSE;
    }
    return TRUE;
}

// --- erase -------------------------------------------------------------------

bool CVQ7340Patch::EraseForDownload(DWORD len) { return len >= CHIP_ERASE_FROM ? ChipErase() : EraseSectors(len); }

bool CVQ7340Patch::ChipErase() {
    // Erase and status go with the device's report id, as every request of
    // the job does; a report-id-0 device answers the status one byte later.
    const BYTE id = ReportId();
    FEATURE_REPORT erase;
    erase[0] = id;
    erase[1] = HID_CMD_FLASH_CHIP_ERASE;
    erase[2] = 0xFF;
    // A chip that never took the request has erased nothing, whatever its
    // status polls answer.
    const bool sent = Send(erase);

    int c = ERASE_POLL_BUDGET;
    bool ok = true;
    bool done = false;
    while (!done) {
        if (!ok) break;
        if (--c == 0) break;
        FEATURE_REPORT status;
        status[0] = id;
        status[1] = HID_CMD_FLASH_STATUS;
        status[2] = 0xFD;
        if (Send(status) && Fetch(status, ReplyEnd(id, 3))) done = status[ReplyPos(id, 3)] == 0;
        else ok = false;
        SetProgress(c > 2000 ? (ERASE_POLL_BUDGET - c) / 50 : 10 + (2000 - c) / 200);
        Sleep(ERASE_POLL_MS);
    }
    return sent && c != 0 && ok;
}

bool CVQ7340Patch::SendSectorErase(DWORD addr) {
    FEATURE_REPORT r;
    r[0] = ReportId();
    r[1] = HID_CMD_FLASH_SECTOR_ERASE;
    WriteBE24(&r[2], addr);
    return Send(r);
}

bool CVQ7340Patch::EraseSectors(DWORD len) {
    const DWORD n = len / SECTOR_SIZE + 1;
    bool ok = true;
    for (DWORD i = 0; i < n; ++i) {
        SetProgress(static_cast<int>(10 * i / n));
        if (!SendSectorErase(i * SECTOR_SIZE)) {
            ok = false;
            break;
        }
    }
    if (n >= EXTRA_SECTOR_BELOW) return ok;
    // Sent even after a failed loop, but it can't make up for one.
    const bool extraOk = SendSectorErase(EXTRA_SECTOR);
    return ok && extraOk;
}
