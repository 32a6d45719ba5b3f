// Download, read-back and version of the EEPROM-only chips (to be built).
#include "VQ7140Patch.h"
#include "VQ7170Patch.h"

void CVQ7140SPatch::Download(BYTE, DWORD, const BYTE*) {}
void CVQ7140SPatch::ReadBack(BYTE, DWORD, BYTE*) {}
void CVQ7140SPatch::ReadDeviceVersion(BYTE, BYTE out[4]) { (void)out; }
void CVQ7140XXPatch::Download(BYTE, DWORD, const BYTE*) {}
void CVQ7140XXPatch::ReadBack(BYTE, DWORD, BYTE*) {}
void CVQ7140XXPatch::ReadDeviceVersion(BYTE memType, BYTE out[4]) { ReadEepromDeviceVersion(*this, memType, out); }
void CVQ7170Patch::Download(BYTE, DWORD, const BYTE*) {}
void CVQ7170Patch::ReadBack(BYTE, DWORD, BYTE*) {}
void CVQ7170Patch::ReadDeviceVersion(BYTE memType, BYTE out[4]) { ReadEepromDeviceVersion(*this, memType, out); }
void ReadEepromDeviceVersion(CVQPatch&, BYTE, BYTE out[4]) { (void)out; }
