// The seven chip types as the chip-type rows number them: the row's label,
// a short lower-case name (the one the emulate list uses too), and a fresh
// chip programmer of each type.
#pragma once

#include "VQPatch.h"

#include <array>
#include <memory>
#include <optional>
#include <string_view>

inline constexpr int CHIP_TYPE_ROWS = 7;

struct ChipTypeName {
    const char* label;  // "VQ7340/41"
    const char* shortName;  // "vq7340"
};

inline constexpr std::array<ChipTypeName, CHIP_TYPE_ROWS> CHIP_TYPE_NAMES = {{
    {"VQ7140S/40", "vq7140s"},
    {"VQ7150/40E/40SE", "vq7140xx"},
    {"VQ7160/70/70E", "vq7170"},
    {"VQ7170S", "vq7170s"},
    {"VQ5520/1/2/3/5", "vq5520"},
    {"VQ7340/41", "vq7340"},
    {"VQ5632", "vq5632"},
}};

// A fresh chip programmer of row 0..6; nullptr for any other number.
std::unique_ptr<CVQPatch> MakeChipPatch(int row);

// The row a text names: its label, its short name (neither case-sensitive)
// or its row number 0..6; nothing for anything else.
std::optional<int> FindChipRow(std::string_view text);
