// The chip types: one descriptor per row of the chip-type list, in the order
// of the list. Everything else that has a row per chip type takes it from
// here or is checked against it when it is built.
#pragma once

#include "ImageFormat.h"
#include "LoadFile.h"
#include "WinTypes.h"

#include <cstddef>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>

class CVQPatch;

inline constexpr int CHIP_TYPE_ROWS = 7;

inline constexpr int CHIP_ROW_VQ7140S = 0;
inline constexpr int CHIP_ROW_VQ7140XX = 1;
inline constexpr int CHIP_ROW_VQ7170 = 2;
inline constexpr int CHIP_ROW_VQ7170S = 3;
inline constexpr int CHIP_ROW_VQ5520 = 4;
inline constexpr int CHIP_ROW_VQ7340 = 5;
inline constexpr int CHIP_ROW_VQ5632 = 6;

// The field table (options/) of a chip type's image; rows may share one.
enum class FieldSet { None, VQ7140XX, VQ7170, VQ5520, VQ7340, VQ5632, Count };

struct ChipDescriptor {
    int row;                // its index in CHIP_TYPES
    const char* label;      // entry of the chip-type list: "VQ7340/41"
    const char* shortName;  // lower case, for the command line and the emulate list: "vq7340"
    WORD vendorId;          // USB ids of its chips
    WORD productId;
    BYTE memoryTypes;       // supported memory types, a mask of MEMTYPE_...
    MemoryTypeMagic magic;  // image bytes 0..1 per memory type
    ChecksumLayout layout;  // what the image's checksums cover
    // A read's length when none is given. A chip type whose read follows the
    // stored header (readFollowsHeader) uses it only when a length is given.
    DWORD readLength;
    bool readFollowsHeader;
    FieldSet fields;
    LoadRules load;
    // A fresh chip programmer of the type.
    std::unique_ptr<CVQPatch> (*make)();
};

// The families' factories (defined with each family).
std::unique_ptr<CVQPatch> MakeVQ7140SPatch();
std::unique_ptr<CVQPatch> MakeVQ7140XXPatch();
std::unique_ptr<CVQPatch> MakeVQ7170Patch();
std::unique_ptr<CVQPatch> MakeVQ7170SPatch();
std::unique_ptr<CVQPatch> MakeVQ5520Patch();
std::unique_ptr<CVQPatch> MakeVQ7340Patch();
std::unique_ptr<CVQPatch> MakeVQ5632Patch();

inline constexpr DWORD START_READ_LENGTH = 0x30;

// One row per chip type, in list order.
inline constexpr ChipDescriptor CHIP_TYPES[] = {
    {CHIP_ROW_VQ7140S, "VQ7140S/40", "vq7140s", 0x5156, 0x0021, MEMTYPE_24C01_16,
     {{0x5A, 0xA5}, false, {0, 0}, false, {0, 0}, true}, ChecksumLayout::VQ7140S, START_READ_LENGTH, false,
     FieldSet::None,
     {PATCH_TITLE, PATCH_FILTER, 0xC400, 0xD000, Stamp::YearMonthDayHour, 0, BinRule::SizeLimited, 0xC10, false},
     MakeVQ7140SPatch},
    {CHIP_ROW_VQ7140XX, "VQ7150/40E/40SE", "vq7140xx", 0x5156, 0x0021, MEMTYPE_24C01_16 | MEMTYPE_24C32_64,
     {{0x08, 0x16}, true, {0x32, 0x64}, false, {0, 0}}, ChecksumLayout::VQ7140XX, START_READ_LENGTH, false,
     FieldSet::VQ7140XX,
     {PATCH_TITLE, PATCH_FILTER, 0xC800, 0xD400, Stamp::YearMonthDayHour, 0, BinRule::SizeLimited, 0xC30, true},
     MakeVQ7140XXPatch},
    {CHIP_ROW_VQ7170, "VQ7160/70/70E", "vq7170", 0x5156, 0x7170, MEMTYPE_24C01_16 | MEMTYPE_24C32_64,
     {{0xA5, 0x5A}, true, {0x96, 0x69}, false, {0, 0}}, ChecksumLayout::VQ7170, START_READ_LENGTH, true,
     FieldSet::VQ7170,
     {PATCH_TITLE, PATCH_FILTER, 0xCC00, 0xE000, Stamp::YearMonthDayHour, 0, BinRule::SizeLimited, 0x1430, true},
     MakeVQ7170Patch},
    {CHIP_ROW_VQ7170S, "VQ7170S", "vq7170s", 0x3B71, 0x7170, MEMTYPE_24C01_16 | MEMTYPE_24C32_64,
     {{0x5A, 0xA5}, true, {0x69, 0x96}, false, {0, 0}}, ChecksumLayout::VQ7170, START_READ_LENGTH, true,
     FieldSet::VQ7170,
     {PATCH_TITLE, PATCH_FILTER, 0xCC00, 0xE000, Stamp::YearMonthDayHour, 0, BinRule::Verify, 0, true},
     MakeVQ7170SPatch},
    {CHIP_ROW_VQ5520, "VQ5520/1/2/3/5", "vq5520", 0x3B71, 0x5632,
     MEMTYPE_24C01_16 | MEMTYPE_24C32_64 | MEMTYPE_FLASH, {{0xA5, 0x5A}, true, {0x96, 0x69}, true, {0xC3, 0x3C}},
     ChecksumLayout::VQ7170, START_READ_LENGTH, true, FieldSet::VQ5520,
     {PATCH_TITLE, PATCH_FILTER, 0xC830, 0xE800, Stamp::ZeroYearMonthDay, 0, BinRule::Verify16M, 0, true},
     MakeVQ5520Patch},
    {CHIP_ROW_VQ7340, "VQ7340/41", "vq7340", 0x3B71, 0x7340, MEMTYPE_FLASH,
     {{0x5A, 0xA5}, true, {0x69, 0x96}, true, {0x3C, 0xC3}}, ChecksumLayout::VQ7340, START_READ_LENGTH, true,
     FieldSet::VQ7340,
     {FIRMWARE_TITLE, "VQ734x_FW (*.hex,*.bin)", 0xF000, 0xFC00, Stamp::None, 0x80, BinRule::Firmware16M, 0, true},
     MakeVQ7340Patch},
    {CHIP_ROW_VQ5632, "VQ5632", "vq5632", 0x3B71, 0x5632, MEMTYPE_FLASH,
     {{0x5A, 0xA5}, true, {0x69, 0x96}, true, {0x3C, 0xC3}}, ChecksumLayout::VQ7340, START_READ_LENGTH, true,
     FieldSet::VQ5632,
     {FIRMWARE_TITLE, "VQ5632_FW (*.hex,*.bin)", 0xF000, 0xFC00, Stamp::None, 0xC0, BinRule::Firmware16M, 0, true},
     MakeVQ5632Patch},
};

// A table with a row per chip type has one for each, in list order.
template <typename Row, std::size_t N>
constexpr bool OneRowPerChipType(const Row (&rows)[N], int Row::*rowOf) {
    if (N != static_cast<std::size_t>(CHIP_TYPE_ROWS)) return false;
    for (std::size_t i = 0; i < N; ++i)
        if (rows[i].*rowOf != static_cast<int>(i)) return false;
    return true;
}
static_assert(OneRowPerChipType(CHIP_TYPES, &ChipDescriptor::row), "CHIP_TYPES needs one row per chip type, in order");

// The descriptor of row 0..6; nullptr for any other number.
inline const ChipDescriptor* FindChipType(int row) {
    return row >= 0 && row < CHIP_TYPE_ROWS ? &CHIP_TYPES[row] : nullptr;
}
// The descriptor of a row known to be valid.
inline const ChipDescriptor& DescriptorOf(int row) { return CHIP_TYPES[row]; }

// A fresh chip programmer of row 0..6; nullptr for any other number.
std::unique_ptr<CVQPatch> MakeChipPatch(int row);

// The row a text names: its label, its short name (neither case-sensitive)
// or its row number 0..6; nothing for anything else.
std::optional<int> FindChipRow(std::string_view text);
