// The 16-bit EEPROM address space bounds every EEPROM job.
#pragma once

#include "VQPatch.h"

#include <algorithm>

// The length a read job fetches from an EEPROM. A longer request is cut to
// the address space, and the read's length found then tells what was read,
// so that no stale buffer bytes behind it are shown as read from the chip.
inline DWORD ClampReadToEeprom(DWORD len, ReadFindings& found) {
    if (len <= EEPROM_SPACE) return len;
    found.readLen = static_cast<DWORD>(EEPROM_SPACE);
    return static_cast<DWORD>(EEPROM_SPACE);
}

// The length a read job fetches: at most the read buffer, and from an
// EEPROM at most its address space (see above).
inline DWORD ClampReadLength(BYTE memType, DWORD len, ReadFindings& found) {
    len = std::min<DWORD>(len, static_cast<DWORD>(IMAGE_BUFFER_SIZE));
    return memType == MEMTYPE_FLASH ? len : ClampReadToEeprom(len, found);
}

// An image longer than the address space would wrap onto its own start:
// refuse it before anything reaches the chip (red text, bar at 0).
bool RefuseOversizedEepromDownload(DWORD len);
