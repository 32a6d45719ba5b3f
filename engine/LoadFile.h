// The image loader shared by all chip families: a file dialog, then a .hex
// or .bin file into g_image, following the loading rules of a chip type.
#pragma once

#include "ImageFormat.h"
#include "WinTypes.h"

enum class Stamp {
    None,
    YearMonthDayHour,  // year % 100, month, day, hour
    ZeroYearMonthDay,  // 0, year % 100, month, day
};

// What a binary file's size and stored checksums mean to a chip type.
enum class BinRule {
    SizeLimited,  // refused above binLimit; len from the size; checksums recomputed
    Verify,       // refused above 64 KB; len from bytes 2..3; stored checksums verified
    Verify16M,    // first 16 MB; len from bytes 2..3, below 52 refused; stored checksums verified
    Firmware16M,  // first 16 MB through a temporary buffer; len limit by byte 8 bit 7; recomputed
};

struct LoadRules {
    const char* title;
    const char* filterDescription;
    ChecksumLayout layout;
    DWORD codeBase;  // HEX address of the code; the header lies directly below
    DWORD maxEnd;    // highest accepted HEX end address
    Stamp stamp;
    BYTE builtByte8;  // nonzero: HEX firmware from address 0 is accepted, with this byte 8
    BinRule bin;
    DWORD binLimit;  // SizeLimited only
    bool refreshPage;
};

inline constexpr const char* PATCH_TITLE = "Open Patch file!";
inline constexpr const char* PATCH_FILTER = "Patch (*.hex,*.bin)";
inline constexpr const char* FIRMWARE_TITLE = "Open Firmware file!";

// Asks for a file and loads it by the rules; false when nothing was loaded.
bool LoadImageFile(const LoadRules& rules);
