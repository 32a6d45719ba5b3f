// Jobs of the VQ5520: download with a full verify, read-back and the
// version stamp, on the flash or the serial EEPROM behind the memory bus.
#include "VQ5520Patch.h"

#include "EepromBounds.h"
#include "ImageFormat.h"
#include "JobProgress.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD EEPROM_BYTE_PAUSE_MS = 6;
constexpr DWORD VERIFY_PAUSE_MS = 10;

const char* const TEXT_ERASING = "Flash擦除中......";
const char* const TEXT_LINK_ERROR = "Flash 连接异常！";

}  // namespace

// --- download ---------------------------------------------------------------

bool CVQ5520Patch::WritePhase(BYTE memType, DWORD len, const BYTE* data) {
    const PassProgress progress(len);
    if (memType == MEMTYPE_FLASH) {
        DWORD off = 0;
        for (; len - off >= 4; off += 4) {
            progress.At(off);
            if (!WriteFlash4(off, data + off)) {
                EndJob(TEXT_LINK_ERROR, STATUS_RED);
                return false;
            }
        }
        // The last one to three bytes go one by one.
        for (; off < len; ++off) {
            progress.At(off);
            WriteFlash1(off, data[off]);
        }
        return true;
    }
    const BYTE selector = MemorySelector(memType);
    for (DWORD off = 0; off < len; ++off) {
        progress.At(off);
        ModifySfr(SFR_P2, 0xDF, 0x00);
        ModifySfr(SFR_P3, 0xFF, 0x20);
        WriteEeprom(selector, static_cast<WORD>(off), data[off]);
        Sleep(EEPROM_BYTE_PAUSE_MS);
    }
    return true;
}

bool CVQ5520Patch::VerifyPhase(BYTE memType, DWORD len, const BYTE* data) {
    const PassProgress progress(len);
    const bool flash = memType == MEMTYPE_FLASH;
    const BYTE selector = MemorySelector(memType);
    const DWORD step = flash ? 8 : 1;
    for (DWORD off = 0; off < len; off += step) {
        progress.At(off);
        BYTE got[8];
        // A read whose request failed proves nothing: it counts as a
        // difference rather than comparing stale bytes.
        bool same = false;
        if (flash) {
            same = ReadFlash8(off, got) && std::memcmp(got, data + off, std::min<DWORD>(8, len - off)) == 0;
        } else {
            m_bReadFailed = false;
            ReadEeprom(selector, static_cast<WORD>(off), 1, got);
            same = !m_bReadFailed && got[0] == data[off];
        }
        if (!same) {
            EndVerifyError();
            return false;
        }
    }
    return true;
}

void CVQ5520Patch::Download(BYTE memType, DWORD len, const BYTE* data) {
    m_bDownloadOk = false;
    if (memType != MEMTYPE_FLASH && RefuseOversizedEepromDownload(len)) return;
    if (memType == MEMTYPE_FLASH) {
        SetStatusText(TEXT_ERASING, STATUS_GREEN);
        SelectFlashMux();
        if (!EraseFlashFor(len)) {
            EndJob(TEXT_LINK_ERROR, STATUS_RED);
            return;
        }
    } else {
        SelectEepromMux();
    }
    SetStatusText("Downloading......", STATUS_GREEN);
    if (!WritePhase(memType, len, data)) return;
    ModifySfr(SFR_P3, 0xDF, 0x00);
    Sleep(VERIFY_PAUSE_MS);

    SetStatusText("Verifying......", STATUS_GREEN);
    if (len != 0 && !VerifyPhase(memType, len, data)) return;
    m_bDownloadOk = true;
    EndSuccessful();
}

// --- read-back --------------------------------------------------------------

DWORD CVQ5520Patch::ReadStoredLength(BYTE memType, ReadFindings& found) {
    const bool flash = memType == MEMTYPE_FLASH;
    const BYTE selector = MemorySelector(memType);
    BYTE hdr[IMAGE_HEADER_SIZE];
    BYTE sums[8];
    std::memset(hdr, 0xFF, sizeof hdr);
    std::memset(sums, 0xFF, sizeof sums);

    if (flash) {
        for (DWORD off = 0; off < IMAGE_HEADER_SIZE; off += 8) ReadFlash8(off, hdr + off);
    } else {
        for (DWORD i = 0; i < IMAGE_HEADER_SIZE; ++i) ReadEeprom(selector, static_cast<WORD>(i), 1, hdr + i);
    }
    const WORD codeLen = ImageCodeLength(hdr);
    const DWORD sumsAt = IMAGE_HEADER_SIZE + codeLen;
    if (flash) {
        ReadFlash8(sumsAt, sums);
    } else {
        for (DWORD i = 0; i < 4; ++i) ReadEeprom(selector, static_cast<WORD>(sumsAt + i), 1, sums + i);
    }

    return AdoptStoredLength(hdr, sums, ChecksumLayout::VQ7170, found);
}

// buf holds a whole image (at most 65,587 bytes) and every length up to its
// own size; longer requests are cut to that size.
void CVQ5520Patch::ReadBack(BYTE memType, DWORD len, bool lengthGiven, BYTE* buf, ReadFindings& found) {
    const ReadFindings before = BeginReadBack(found);
    len = ClampReadLength(memType, len, found);
    std::memset(buf, 0xFF, len);
    SetStatusText("Reading......", STATUS_GREEN);
    // A bus that was not switched reads as 0xFF: no read without it.
    if (!SelectMux(memType)) return FailReadBack(found, before);

    const DWORD n = lengthGiven ? len : ReadStoredLength(memType, found);
    if (m_bReadFailed) return FailReadBack(found, before);

    const bool flash = memType == MEMTYPE_FLASH;
    const BYTE selector = MemorySelector(memType);
    const PassProgress progress(n);
    for (DWORD off = 0; off < n; off += flash ? 8 : 1) {
        progress.At(off);
        if (flash) {
            BYTE got[8];
            if (ReadFlash8(off, got)) std::memcpy(buf + off, got, std::min<DWORD>(8, n - off));
        } else {
            ReadEeprom(selector, static_cast<WORD>(off), 1, buf + off);
        }
        // Nothing of a read with a failed request counts.
        if (m_bReadFailed) return FailReadBack(found, before);
    }

    if (!lengthGiven) {
        const WORD codeLen = found.codeLen.value_or(0);
        WORD codeSum = 0;
        const bool held = StoredChecksumsMatch(buf, codeLen, ChecksumLayout::VQ7170, &codeSum);
        found.sumsHeld = held && found.sumsHeld == true;
        if (held) {
            found.checksum = codeSum;
            found.readLen = codeLen + 52;
        } else {
            found.checksum = 0;
            found.codeLen = 0;
        }
        found.imageBytes = n;
    }

    SetProgress(100);
    found.refreshPage = true;
    SetStatusText("Reading completed!", STATUS_GREEN);
}

// --- version ----------------------------------------------------------------

void CVQ5520Patch::ReadDeviceVersion(BYTE memType, BYTE out[4]) {
    SelectMux(memType);
    if (memType == MEMTYPE_FLASH) {
        BYTE got[8];
        if (ReadFlash8(12, got)) std::memcpy(out, got, 4);
    } else {
        ReadEeprom(MemorySelector(memType), 12, 4, out);
    }
}
