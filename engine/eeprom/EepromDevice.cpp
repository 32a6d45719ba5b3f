// Identification of the EEPROM-only chips (VQ7140S, VQ7140XX, VQ7170,
// VQ7170S); their memory types and loading rules are in their descriptors.
#include "EepromPatch.h"

#include "DeviceScan.h"

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

std::unique_ptr<CVQPatch> MakeVQ7140SPatch() { return std::make_unique<CVQ7140SPatch>(); }
std::unique_ptr<CVQPatch> MakeVQ7140XXPatch() { return std::make_unique<CVQ7140XXPatch>(); }
std::unique_ptr<CVQPatch> MakeVQ7170Patch() { return std::make_unique<CVQ7170Patch>(); }
std::unique_ptr<CVQPatch> MakeVQ7170SPatch() { return std::make_unique<CVQ7170SPatch>(); }
