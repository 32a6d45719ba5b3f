#include "EepromBounds.h"

#include <cstdio>

bool RefuseOversizedEepromDownload(DWORD len) {
    if (len <= EEPROM_SPACE) return false;
    char text[64];
    std::snprintf(text, sizeof text, "Length(0x%X) Overflow!!!", static_cast<unsigned>(len));
    SetProgress(0);
    SetStatusText(text, STATUS_RED);
    return true;
}
