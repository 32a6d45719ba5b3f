// Identification, image memory types and loading rules of the EEPROM-only
// chips (VQ7140S, VQ7140XX, VQ7170, VQ7170S).
#include "EepromPatch.h"

#include "DeviceScan.h"
#include "LoadFile.h"

namespace {
constexpr MemoryTypeMagic kMagic7140XX{{0x08, 0x16}, true, {0x32, 0x64}, false, {0, 0}};
constexpr MemoryTypeMagic kMagic7170{{0xA5, 0x5A}, true, {0x96, 0x69}, false, {0, 0}};
constexpr MemoryTypeMagic kMagic7170S{{0x5A, 0xA5}, true, {0x69, 0x96}, false, {0, 0}};

constexpr LoadRules RULES_7140S{PATCH_TITLE, PATCH_FILTER, ChecksumLayout::VQ7140S, 0xC400, 0xD000,
                                Stamp::YearMonthDayHour, 0, BinRule::SizeLimited, 0xC10, false};
constexpr LoadRules RULES_7140XX{PATCH_TITLE, PATCH_FILTER, ChecksumLayout::VQ7140XX, 0xC800, 0xD400,
                                 Stamp::YearMonthDayHour, 0, BinRule::SizeLimited, 0xC30, true};
constexpr LoadRules RULES_7170{PATCH_TITLE, PATCH_FILTER, ChecksumLayout::VQ7170, 0xCC00, 0xE000,
                               Stamp::YearMonthDayHour, 0, BinRule::SizeLimited, 0x1430, true};
constexpr LoadRules RULES_7170S{PATCH_TITLE, PATCH_FILTER, ChecksumLayout::VQ7170, 0xCC00, 0xE000,
                                Stamp::YearMonthDayHour, 0, BinRule::Verify, 0, true};
}  // namespace

// --- VQ7140S / VQ7140XX ----------------------------------------------------

BYTE CVQ7140SPatch::ScanDevices() {
    return ScanWith({0xF840, nullptr, TwoTryReader(this), true,
                     [](BYTE a, BYTE b, BYTE c) { return a == 0x00 && b == 0x00 && c == 0x00; }, nullptr, nullptr});
}

BYTE CVQ7140XXPatch::ScanDevices() {
    return ScanWith({0xF850, nullptr, TwoTryReader(this), false,
                     [](BYTE a, BYTE b, BYTE c) { return a == 0xA7 && b == 0x10 && c == 0x0A; }, nullptr, nullptr});
}

// --- VQ7170 / VQ7170S ------------------------------------------------------

BYTE CVQ7170Patch::ScanDevices() {
    return ScanWith({0xF800, nullptr, TwoTryReader(this), false,
                     [](BYTE a, BYTE b, BYTE c) { return a == 0xA7 && b == 0x10 && c == 0x9A; }, nullptr, nullptr});
}

BYTE CVQ7170SPatch::ScanDevices() {
    return ScanWith({0xF800, nullptr, TwoTryReader(this), false,
                     [](BYTE a, BYTE b, BYTE c) { return (a == 0xC7 || a == 0xD7) && b == 0x10 && c == 0x9A; },
                     nullptr, nullptr});
}

// --- memory types and loading --------------------------------------------

void CVQ7140SPatch::SetImageMemoryType(BYTE) {
    g_image[0] = 0x5A;
    g_image[1] = 0xA5;
}

BYTE CVQ7140XXPatch::GetImageMemoryType() { return MagicMemoryType(kMagic7140XX); }
void CVQ7140XXPatch::SetImageMemoryType(BYTE memType) { SetMagicMemoryType(kMagic7140XX, memType); }
BYTE CVQ7170Patch::GetImageMemoryType() { return MagicMemoryType(kMagic7170); }
void CVQ7170Patch::SetImageMemoryType(BYTE memType) { SetMagicMemoryType(kMagic7170, memType); }
BYTE CVQ7170SPatch::GetImageMemoryType() { return MagicMemoryType(kMagic7170S); }
void CVQ7170SPatch::SetImageMemoryType(BYTE memType) { SetMagicMemoryType(kMagic7170S, memType); }

bool CVQ7140SPatch::LoadFile() { return LoadImageFile(RULES_7140S); }
bool CVQ7140XXPatch::LoadFile() { return LoadImageFile(RULES_7140XX); }
bool CVQ7170Patch::LoadFile() { return LoadImageFile(RULES_7170); }
bool CVQ7170SPatch::LoadFile() { return LoadImageFile(RULES_7170S); }
