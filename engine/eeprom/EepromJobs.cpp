// Download, verify, read-back and version of the EEPROM-only chips
// (VQ7140S, VQ7140XX, VQ7170, VQ7170S).
//
// Byte i of an image is EEPROM address i; the addresses are 16 bits wide,
// so nothing here ever reaches beyond the 65,536-byte EEPROM space.
#include "EepromPatch.h"

#include "EepromBounds.h"
#include "ImageFormat.h"
#include "JobProgress.h"

#include <cstring>
#include <vector>

namespace {

// XDATA byte that must be 0 while the host talks to the EEPROM.
constexpr WORD GUARD_ADDR = 0xF002;
// EEPROM reads of the multi-byte chips go in pieces of this size.
constexpr DWORD PIECE = 5;
// Image bytes behind the code: header sum and code sum.
constexpr DWORD CHECKSUM_BYTES = 4;
// Longest code a stored VQ7170 header may announce for a header-led read.
constexpr DWORD MAX_HEADER_CODE_LEN = 8191;

// Reads len bytes (at most EEPROM_SPACE) from EEPROM address 0 into out in
// five-byte pieces, then the short rest. The bar moves after each full piece
// over `span` positions from `base`. Stops at the first piece whose request
// fails and returns false then.
bool ReadInPieces(CVQPatch& chip, BYTE sel, DWORD len, BYTE* out, double span, int base) {
    const DWORD full = len / PIECE;
    for (DWORD k = 0; k < full; ++k) {
        const DWORD o = k * PIECE;
        chip.ReadData(sel, static_cast<WORD>(o), PIECE, out + o);
        if (chip.m_bReadFailed) return false;
        SetProgress(ProgressOf(o + PIECE, span, len, base));
    }
    const DWORD rest = len % PIECE;
    if (rest != 0) chip.ReadData(sel, static_cast<WORD>(full * PIECE), static_cast<BYTE>(rest), out + full * PIECE);
    return !chip.m_bReadFailed;
}

// Write pass shared by all four chips: one WriteByte per byte, the bar over
// 0..50, with an optional pause after each byte.
void WritePass(CVQPatch& chip, BYTE sel, DWORD len, const BYTE* data, DWORD pauseMs) {
    for (DWORD i = 0; i < len; ++i) {
        chip.WriteByte(sel, static_cast<WORD>(i), data[i]);
        if (pauseMs != 0) Sleep(pauseMs);
        SetProgress(ProgressOf(i + 1, 50, len));
    }
}

// Download of VQ7140XX (keepGuard false: the guard byte stays 0) and of
// VQ7170/VQ7170S (keepGuard true: restored after a good verify).
void DownloadWithVerifyCopy(CVQPatch& chip, BYTE memType, DWORD len, const BYTE* data, bool keepGuard) {
    chip.m_bDownloadOk = false;
    if (RefuseOversizedEepromDownload(len)) return;
    const BYTE sel = MemorySelector(memType);

    BYTE saved = 0xFF;
    if (keepGuard) chip.ReadXdataByte(GUARD_ADDR, &saved);
    chip.WriteXdataByteTwoTry(GUARD_ADDR, 0);

    SetStatusText("Downloading......", STATUS_GREEN);
    WritePass(chip, sel, len, data, 0);

    SetStatusText("Verifying......", STATUS_GREEN);
    std::vector<BYTE> copy(EEPROM_SPACE);
    // A piece whose request failed was not read: it counts as a difference.
    chip.m_bReadFailed = false;
    const bool read = ReadInPieces(chip, sel, len, copy.data(), 50, 50);
    if (!read || (len != 0 && std::memcmp(data, copy.data(), len) != 0)) {
        EndVerifyError();
        return;
    }

    if (keepGuard) chip.WriteXdataByteTwoTry(GUARD_ADDR, saved);
    chip.m_bDownloadOk = true;
    EndSuccessful();
}

// The version read shared by VQ7140XX, VQ7170 and VQ7170S: image offsets
// 12..15 in one request.
void ReadEepromDeviceVersion(CVQPatch& chip, BYTE memType, BYTE out[4]) {
    chip.ReadData(MemorySelector(memType), 12, 4, out);
}

}  // namespace

// --- VQ7140S ---------------------------------------------------------------

void CVQ7140SPatch::Download(BYTE memType, DWORD len, const BYTE* data) {
    m_bDownloadOk = false;
    if (RefuseOversizedEepromDownload(len)) return;
    const BYTE sel = MemorySelector(memType);

    SetStatusText("Downloading......", STATUS_GREEN);
    // The chip needs 6 ms to store each byte.
    WritePass(*this, sel, len, data, 6);

    SetStatusText("Verifying......", STATUS_GREEN);
    m_bReadFailed = false;
    for (DWORD i = 0; i < len; ++i) {
        BYTE b = 0;
        ReadData(sel, static_cast<WORD>(i), 1, &b);
        SetProgress(ProgressOf(i + 1, 50, len, 50));
        // A byte whose request failed was not read: it counts as a difference.
        if (m_bReadFailed || b != data[i]) {
            EndVerifyError();
            return;
        }
    }
    m_bDownloadOk = true;
    EndSuccessful();
}

void CVQ7140SPatch::ReadBack(BYTE memType, DWORD len, bool, BYTE* buffer, ReadFindings& found) {
    const ReadFindings before = BeginReadBack(found);
    const BYTE sel = MemorySelector(memType);
    len = ClampReadToEeprom(len, found);
    SetStatusText("Reading......", STATUS_GREEN);
    for (DWORD i = 0; i < len; ++i) {
        ReadData(sel, static_cast<WORD>(i), 1, buffer + i);
        if (m_bReadFailed) return FailReadBack(found, before);
        SetProgress(ProgressOf(i + 1, 100, len));
    }
    EndReadingCompleted();
}

void CVQ7140SPatch::ReadDeviceVersion(BYTE memType, BYTE out[4]) {
    const BYTE sel = MemorySelector(memType);
    for (WORD k = 0; k < 4; ++k) ReadData(sel, static_cast<WORD>(12 + k), 1, out + k);
}

// --- VQ7140XX --------------------------------------------------------------

void CVQ7140XXPatch::Download(BYTE memType, DWORD len, const BYTE* data) {
    DownloadWithVerifyCopy(*this, memType, len, data, false);
}

void CVQ7140XXPatch::ReadBack(BYTE memType, DWORD len, bool, BYTE* buffer, ReadFindings& found) {
    const ReadFindings before = BeginReadBack(found);
    SetStatusText("Reading......", STATUS_GREEN);
    if (!ReadInPieces(*this, MemorySelector(memType), ClampReadToEeprom(len, found), buffer, 100, 0))
        return FailReadBack(found, before);
    EndReadingCompleted();
}

void CVQ7140XXPatch::ReadDeviceVersion(BYTE memType, BYTE out[4]) { ReadEepromDeviceVersion(*this, memType, out); }

// --- VQ7170 / VQ7170S ------------------------------------------------------

void CVQ7170Patch::Download(BYTE memType, DWORD len, const BYTE* data) {
    DownloadWithVerifyCopy(*this, memType, len, data, true);
}

void CVQ7170Patch::ReadBack(BYTE memType, DWORD len, bool lengthGiven, BYTE* buffer, ReadFindings& found) {
    const ReadFindings before = BeginReadBack(found);
    const BYTE sel = MemorySelector(memType);

    BYTE saved = 0xFF;
    ReadXdataByte(GUARD_ADDR, &saved);
    WriteXdataByteTwoTry(GUARD_ADDR, 0);

    SetStatusText("Reading......", STATUS_GREEN);

    DWORD codeLen = 0;
    bool read = true;
    if (lengthGiven) {
        // Exactly the bytes asked for, whatever the stored header says.
        len = ClampReadToEeprom(len, found);
        read = ReadInPieces(*this, sel, len, buffer, 100, 0);
        if (read) SetProgress(100);
        if (len > IMAGE_HEADER_SIZE + CHECKSUM_BYTES)
            codeLen = static_cast<WORD>(len - (IMAGE_HEADER_SIZE + CHECKSUM_BYTES));
    } else if ((read = ReadInPieces(*this, sel, IMAGE_HEADER_SIZE, buffer, 100, 0))) {
        SetProgress(100);
        codeLen = ImageCodeLength(buffer);
        if (codeLen == 0 || codeLen > MAX_HEADER_CODE_LEN) {
            found.readLen = IMAGE_HEADER_SIZE;
            found.codeLen = 0;
            found.sumsHeld = false;
            SetStatusText("...", STATUS_GREEN);
        } else {
            read = ReadInPieces(*this, sel, codeLen + IMAGE_HEADER_SIZE + CHECKSUM_BYTES, buffer, 100, 0);
            if (read) SetProgress(100);
        }
    }
    if (!read) {
        // Nothing of a read with failed requests counts: the image state
        // stays as it was and the page is not reloaded.
        WriteXdataByteTwoTry(GUARD_ADDR, saved);
        return FailReadBack(found, before);
    }

    // The stored image counts only when both of its sums hold. An image that
    // would reach beyond the EEPROM space can't have come from the chip.
    const DWORD imageLen = codeLen + IMAGE_HEADER_SIZE + CHECKSUM_BYTES;
    WORD codeSum = 0;
    const bool held = imageLen <= EEPROM_SPACE &&
                      StoredChecksumsMatch(buffer, static_cast<WORD>(codeLen), ChecksumLayout::VQ7170, &codeSum);
    // A header that gave no code length has already said that no image was found.
    if (!lengthGiven && !found.sumsHeld.has_value()) found.sumsHeld = held;
    if (held) {
        found.readLen = imageLen;
        found.imageBytes = imageLen;
        found.codeLen = static_cast<WORD>(codeLen);
        found.checksum = codeSum;
    } else {
        found.codeLen = 0;
        found.checksum = 0;
    }

    WriteXdataByteTwoTry(GUARD_ADDR, saved);
    found.refreshPage = true;
    SetStatusText("Reading completed!", STATUS_GREEN);
}

void CVQ7170Patch::ReadDeviceVersion(BYTE memType, BYTE out[4]) { ReadEepromDeviceVersion(*this, memType, out); }
