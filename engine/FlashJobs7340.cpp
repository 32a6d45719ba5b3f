// Flash and EEPROM jobs of VQ7340 and VQ5632 (to be built).
#include "VQ7340Patch.h"

void CVQ7340Patch::Download(BYTE, DWORD, const BYTE*) {}
void CVQ7340Patch::ReadBack(BYTE, DWORD, BYTE*) {}
void CVQ7340Patch::ReadDeviceVersion(BYTE, BYTE out[4]) { (void)out; }
void CVQ7340Patch::SetAccessMode(int) {}
BOOL CVQ7340Patch::ReadFlash(DWORD, WORD, BYTE*) { return FALSE; }
BOOL CVQ7340Patch::WriteFlash(DWORD, WORD, const BYTE*) { return FALSE; }
