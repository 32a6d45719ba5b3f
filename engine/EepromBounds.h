// The 16-bit EEPROM address space bounds every EEPROM job.
#pragma once

#include "VQPatch.h"

// Read lengths beyond the address space would only read its start again.
inline DWORD ClampToEeprom(DWORD len) { return len > EEPROM_SPACE ? static_cast<DWORD>(EEPROM_SPACE) : len; }

// An image longer than the address space would wrap onto its own start:
// refuse it before anything reaches the chip (red text, bar at 0).
bool RefuseOversizedEepromDownload(DWORD len);
