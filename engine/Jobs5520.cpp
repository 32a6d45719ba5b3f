// Flash and EEPROM jobs of VQ5520 (to be built).
#include "VQ5520Patch.h"

void CVQ5520Patch::Download(BYTE, DWORD, const BYTE*) {}
void CVQ5520Patch::ReadBack(BYTE, DWORD, BYTE*) {}
void CVQ5520Patch::ReadDeviceVersion(BYTE, BYTE out[4]) { (void)out; }
void CVQ5520Patch::SelectEepromMux() {}
void CVQ5520Patch::SelectFlashMux() {}
void CVQ5520Patch::ReadFlash8(DWORD, BYTE out[8]) { (void)out; }
