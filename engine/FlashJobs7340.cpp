// Download, read-back and version of VQ7340/41 and VQ5632: flash through the
// flash commands (bulk reports or 9-byte steps), or the serial EEPROM for
// any memory type other than flash. CVQ5632Patch runs these same bodies.
#include "EepromBounds.h"
#include "ImageFormat.h"
#include "VQ7340Patch.h"
#include "hid/Hid.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr WORD GUARD_XDATA = 0xF051;
constexpr DWORD FLASH_STEP = 4096;               // bytes per flash transfer of a job
constexpr DWORD SECTOR_SIZE = 4096;
constexpr DWORD CHIP_ERASE_FROM = 0x80000;       // images this long are chip-erased
constexpr DWORD EXTRA_SECTOR = 0xF000;           // erased too when few sectors are
constexpr DWORD EXTRA_SECTOR_BELOW = 15;         // ... that is, fewer than this many
constexpr int ERASE_POLL_BUDGET = 2500;          // counter start: at most 2499 polls
constexpr DWORD ERASE_POLL_MS = 100;
constexpr DWORD EEPROM_WRITE_MS = 6;
constexpr DWORD BEFORE_VERIFY_MS = 10;
constexpr DWORD VERIFY_TAIL = 256;
constexpr DWORD STORED_SUMS = 4;                 // header sum + code sum behind the code
constexpr std::size_t READ_STEP_BYTES = 8;       // report-id-0 read step
constexpr std::size_t WRITE_STEP_BYTES = 6;      // report-id-0 write step

void PutBE32(BYTE* p, DWORD v) {
    p[0] = static_cast<BYTE>(v >> 24);
    WriteBE24(p + 1, v);
}

// Progress of one phase: base + (off + 1) * (span / total), in double
// precision, truncated, sent as the low byte.
class PhaseProgress {
public:
    PhaseProgress(double span, DWORD total, int base) : quotient_(total ? span / total : 0.0), base_(base) {}
    void At(DWORD off) const {
        const double pos = static_cast<double>(off + 1) * quotient_ + base_;
        SetProgress(static_cast<BYTE>(static_cast<int>(pos)));
    }

private:
    double quotient_;
    int base_;
};

}  // namespace

// The memory a job works on: flash in steps of up to 4096 bytes, or the
// EEPROM one byte at a time (16-bit addresses).
class FlashJobMemory {
public:
    FlashJobMemory(CVQ7340Patch& chip, BYTE memType)
        : chip_(chip), flash_(memType == MEMTYPE_FLASH), selector_(MemorySelector(memType)) {}

    bool IsFlash() const { return flash_; }
    DWORD StepAt(DWORD off, DWORD end) const { return flash_ ? std::min(FLASH_STEP, end - off) : 1; }

    // n is at most one flash step.
    bool Read(DWORD addr, DWORD n, BYTE* out) {
        if (flash_) return chip_.ReadFlash(addr, static_cast<WORD>(n), out) != FALSE;
        for (DWORD i = 0; i < n; ++i) chip_.ReadEeprom(selector_, static_cast<WORD>(addr + i), 1, out + i);
        return true;
    }
    bool Write(DWORD addr, DWORD n, const BYTE* data) {
        if (flash_) return chip_.WriteFlash(addr, static_cast<WORD>(n), data) != FALSE;
        for (DWORD i = 0; i < n; ++i) {
            chip_.WriteEeprom(selector_, static_cast<WORD>(addr + i), data[i]);
            Sleep(EEPROM_WRITE_MS);
        }
        return true;
    }

private:
    CVQ7340Patch& chip_;
    bool flash_;
    BYTE selector_;
};

// --- registers ---------------------------------------------------------------

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

// --- flash transfers -----------------------------------------------------------

bool CVQ7340Patch::StartFlashTransfer(BYTE idZeroCommand, DWORD addr, WORD len) {
    FEATURE_REPORT r;
    if (m_bUseReportId1) {
        r[0] = 1;
        r[1] = HID_CMD_FLASH_BULK;
        PutBE32(&r[2], addr);
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
            if (!hid::GetFeature(m_hDevice, bulk.data(), BULK_REPORT_SIZE)) return FALSE;
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
        if (!Send(r) || !Fetch(r)) return FALSE;
        std::memcpy(out + off, &r[1], std::min<std::size_t>(READ_STEP_BYTES, len - off));
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
            if (!hid::SetFeature(m_hDevice, bulk.data(), BULK_REPORT_SIZE)) return FALSE;
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
    FEATURE_REPORT erase;
    erase[0] = 1;  // erase and status go with report id 1 on every device
    erase[1] = HID_CMD_FLASH_CHIP_ERASE;
    erase[2] = 0xFF;
    Send(erase);

    int c = ERASE_POLL_BUDGET;
    bool ok = true;
    bool done = false;
    while (!done) {
        if (!ok) break;
        if (--c == 0) break;
        FEATURE_REPORT status;
        status[0] = 1;
        status[1] = HID_CMD_FLASH_STATUS;
        status[2] = 0xFD;
        if (Send(status) && Fetch(status)) done = status[2] == 0;
        else ok = false;
        SetProgress(c > 2000 ? (ERASE_POLL_BUDGET - c) / 50 : 10 + (2000 - c) / 200);
        Sleep(ERASE_POLL_MS);
    }
    return c != 0 && ok;
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

// --- jobs ----------------------------------------------------------------------

void CVQ7340Patch::Download(BYTE memType, DWORD len, const BYTE* data) {
    if (memType != MEMTYPE_FLASH && RefuseOversizedEepromDownload(len)) return;
    const BYTE guard = SaveGuard();
    SetProgress(0);
    FlashJobMemory memory(*this, memType);
    bool erased = true;
    if (!memory.IsFlash()) {
        SetAccessMode(ACCESS_EEPROM_WRITE);
    } else {
        SetStatusText("Flash Erasing......", STATUS_GREEN);
        SetAccessMode(ACCESS_FLASH);
        erased = EraseForDownload(len);
        if (erased) SetStatusText("Erase Done!", STATUS_GREEN);
        else SetStatusText("Erase error!", STATUS_RED);
    }

    SetStatusText("Upgrading......", STATUS_GREEN);
    bool written = true;
    const PhaseProgress writeBar(60.0, len, 10);
    for (DWORD off = 0; off < len;) {
        writeBar.At(off);
        const DWORD n = memory.StepAt(off, len);
        written = memory.Write(off, n, data + off) && written;
        off += n;
    }

    Sleep(BEFORE_VERIFY_MS);
    SetStatusText("Verifing......", STATUS_GREEN);
    // Normally only a tail is compared. After a failed erase or write the
    // tail proves nothing about the rest, so the whole image is compared.
    DWORD start = len > VERIFY_TAIL ? (len - VERIFY_TAIL) % 65536 : 0;
    if (!erased || !written) start = 0;
    BYTE readBack[FLASH_STEP] = {};
    const PhaseProgress verifyBar(30.0, len, 70);
    for (DWORD off = start; off < len;) {
        verifyBar.At(off);
        const DWORD n = memory.StepAt(off, len);
        // A read that fails leaves nothing to compare: it counts as a difference.
        if (!memory.Read(off, n, readBack) || std::memcmp(readBack, data + off, n) != 0) {
            SetProgress(100);
            SetStatusText("Verify error!", STATUS_RED);
            return;  // the guard stays 0
        }
        off += n;
    }
    SetProgress(100);
    SetStatusText("Upgrade Successful", STATUS_GREEN);
    RestoreGuard(guard);
}

void CVQ7340Patch::ReadBack(BYTE memType, DWORD len, BYTE* buffer) {
    const BYTE guard = SaveGuard();
    SetStatusText("Reading......", STATUS_GREEN);
    FlashJobMemory memory(*this, memType);
    SetAccessMode(memory.IsFlash() ? ACCESS_FLASH : ACCESS_EEPROM_READ);

    DWORD n = 0;
    if (Host().IsModifyLengthChecked()) {
        // The buffer is g_workBuf; a longer read can't be held.
        n = static_cast<DWORD>(std::min<std::size_t>(len, IMAGE_BUFFER_SIZE));
        if (!memory.IsFlash()) n = ClampReadToEeprom(n);
    } else {
        BYTE head[IMAGE_HEADER_SIZE + STORED_SUMS] = {};
        memory.Read(0, IMAGE_HEADER_SIZE, head);
        const WORD codeLen = ImageCodeLength(head);
        memory.Read(codeLen + IMAGE_HEADER_SIZE, STORED_SUMS, head + IMAGE_HEADER_SIZE);
        if (HeaderChecksum(head, ChecksumLayout::VQ7340) == ReadBE16(head + IMAGE_HEADER_SIZE)) {
            g_codeLen = codeLen;
            g_checksum = ReadBE16(head + IMAGE_HEADER_SIZE + 2);
            n = codeLen + IMAGE_HEADER_SIZE + STORED_SUMS;
        } else {
            g_codeLen = 0;
            g_checksum = 0xFFFF;
            n = IMAGE_HEADER_SIZE + STORED_SUMS;
        }
        g_readLen = n;
    }

    const PhaseProgress bar(100.0, n, 0);
    for (DWORD off = 0; off < n;) {
        bar.At(off);
        const DWORD step = memory.StepAt(off, n);
        memory.Read(off, step, buffer + off);
        off += step;
    }
    RestoreGuard(guard);
    SetProgress(100);
    SetStatusText("Reading completed!", STATUS_GREEN);
}

void CVQ7340Patch::ReadDeviceVersion(BYTE memType, BYTE out[4]) {
    const BYTE guard = SaveGuard();
    if (memType == MEMTYPE_FLASH) {
        SetAccessMode(ACCESS_FLASH);
        ReadFlash(12, 4, out);
    } else {
        SetAccessMode(ACCESS_EEPROM_READ);
        ReadEeprom(MemorySelector(memType), 12, 4, out);
    }
    RestoreGuard(guard);
}
