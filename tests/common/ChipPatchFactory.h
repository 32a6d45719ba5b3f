// A fresh chip programmer of each chip type, numbered as the chip-type rows
// and emu::ChipType: 0 VQ7140S, 1 VQ7140XX, 2 VQ7170, 3 VQ7170S, 4 VQ5520,
// 5 VQ7340, 6 VQ5632; nullptr for any other number.
#pragma once

#include "ChipPatches.h"

#include <memory>

inline std::unique_ptr<CVQPatch> MakeChipPatch(int row) {
    switch (row) {
    case 0: return std::make_unique<CVQ7140SPatch>();
    case 1: return std::make_unique<CVQ7140XXPatch>();
    case 2: return std::make_unique<CVQ7170Patch>();
    case 3: return std::make_unique<CVQ7170SPatch>();
    case 4: return std::make_unique<CVQ5520Patch>();
    case 5: return std::make_unique<CVQ7340Patch>();
    case 6: return std::make_unique<CVQ5632Patch>();
    default: return nullptr;
    }
}
