// Jobs of the VQ7340/41 and the VQ5632: download, read-back and version, on
// the flash (in steps of up to 4096 bytes) or, for any memory type other
// than flash, the serial EEPROM. CVQ5632Patch runs these same bodies.
#include "VQ7340Patch.h"

#include "EepromBounds.h"
#include "ImageFormat.h"
#include "JobProgress.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD FLASH_STEP = 4096;               // bytes per flash transfer of a job
constexpr DWORD EEPROM_WRITE_MS = 6;
constexpr DWORD BEFORE_VERIFY_MS = 10;
constexpr DWORD VERIFY_TAIL = 256;
constexpr DWORD STORED_SUMS = 4;                 // header sum + code sum behind the code

}  // namespace

// The memory a job works on: flash in steps of up to 4096 bytes, or the
// EEPROM one byte at a time (16-bit addresses).
class FlashJobMemory {
public:
    FlashJobMemory(CVQ7340Patch& chip, BYTE memType)
        : chip_(chip), flash_(memType == MEMTYPE_FLASH), selector_(MemorySelector(memType)) {}

    bool IsFlash() const { return flash_; }
    DWORD StepAt(DWORD off, DWORD end) const { return flash_ ? std::min(FLASH_STEP, end - off) : 1; }

    // n is at most one flash step. False when a request failed (the EEPROM
    // path stops at the first byte whose request failed).
    bool Read(DWORD addr, DWORD n, BYTE* out) {
        if (flash_) return chip_.ReadFlash(addr, static_cast<WORD>(n), out) != FALSE;
        chip_.m_bReadFailed = false;
        for (DWORD i = 0; i < n && !chip_.m_bReadFailed; ++i)
            chip_.ReadEeprom(selector_, static_cast<WORD>(addr + i), 1, out + i);
        return !chip_.m_bReadFailed;
    }
    bool Write(DWORD addr, DWORD n, const BYTE* data) {
        if (flash_) return chip_.WriteFlash(addr, static_cast<WORD>(n), data) != FALSE;
        // False when a byte's request could not be sent, as for the flash.
        bool sent = true;
        for (DWORD i = 0; i < n; ++i) {
            sent = chip_.WriteEeprom(selector_, static_cast<WORD>(addr + i), data[i]) && sent;
            Sleep(EEPROM_WRITE_MS);
        }
        return sent;
    }

private:
    CVQ7340Patch& chip_;
    bool flash_;
    BYTE selector_;
};

// --- jobs ----------------------------------------------------------------------

void CVQ7340Patch::Download(BYTE memType, DWORD len, const BYTE* data) {
    m_bDownloadOk = false;
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
            EndVerifyError();
            return;  // the guard stays 0
        }
        off += n;
    }
    m_bDownloadOk = true;
    EndJob("Upgrade Successful", STATUS_GREEN);
    RestoreGuard(guard);
}

void CVQ7340Patch::ReadBack(BYTE memType, DWORD len, bool lengthGiven, BYTE* buffer, ReadFindings& found) {
    const ReadFindings before = BeginReadBack(found);
    const BYTE guard = SaveGuard();
    SetStatusText("Reading......", STATUS_GREEN);
    FlashJobMemory memory(*this, memType);

    // The end of a read whose requests failed: nothing of it counts.
    const auto fail = [&] {
        RestoreGuard(guard);
        FailReadBack(found, before);
    };
    // A bus left unconnected reads as 0xFF: no read without the access mode.
    if (!SetAccessMode(memory.IsFlash() ? ACCESS_FLASH : ACCESS_EEPROM_READ)) return fail();
    DWORD n = 0;
    if (lengthGiven) {
        n = ClampReadLength(memType, len, found);
    } else {
        BYTE head[IMAGE_HEADER_SIZE + STORED_SUMS] = {};
        if (!memory.Read(0, IMAGE_HEADER_SIZE, head)) return fail();
        const WORD codeLen = ImageCodeLength(head);
        if (!memory.Read(codeLen + IMAGE_HEADER_SIZE, STORED_SUMS, head + IMAGE_HEADER_SIZE)) return fail();
        n = AdoptStoredLength(head, head + IMAGE_HEADER_SIZE, ChecksumLayout::VQ7340, found);
    }

    const PhaseProgress bar(100.0, n, 0);
    for (DWORD off = 0; off < n;) {
        bar.At(off);
        const DWORD step = memory.StepAt(off, n);
        if (!memory.Read(off, step, buffer + off)) return fail();
        off += step;
    }
    if (!lengthGiven) {
        found.sumsHeld = found.sumsHeld == true &&
                         StoredChecksumsMatch(buffer, found.codeLen.value_or(0), ChecksumLayout::VQ7340, nullptr);
    }
    RestoreGuard(guard);
    EndReadingCompleted();
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
