// Loading .hex and .bin image files: each chip type's loading rules, and the
// load itself, which gives an image or a refusal.
#pragma once

#include "Image.h"
#include "ImageFormat.h"
#include "WinTypes.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

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
    const char* title;              // of the open dialog
    const char* filterDescription;  // of the open dialog's filter
    DWORD codeBase;  // HEX address of the code; the header lies directly below
    DWORD maxEnd;    // highest accepted HEX end address
    Stamp stamp;
    BYTE builtByte8;  // nonzero: HEX firmware from address 0 is accepted, with this byte 8
    BinRule bin;
    DWORD binLimit;  // SizeLimited only
    // The chip type's option page shows the loaded image's fields.
    bool refreshPage;
};

inline constexpr const char* PATCH_TITLE = "Open Patch file!";
inline constexpr const char* PATCH_FILTER = "Patch (*.hex,*.bin)";
inline constexpr const char* FIRMWARE_TITLE = "Open Firmware file!";

// What a load gives.
struct LoadResult {
    // The loaded image, or nothing when the file was refused.
    std::optional<Image> image;
    // The message-box texts of the load, in the order the window shows
    // them, each as shown (most end in a line feed). An image may come with
    // one too: the notice that a file over 16 MB was cut.
    std::vector<std::string> messages;
    // Why a file was refused: its path and the cause, for example
    // "examples/x.hex: no such file". Empty for a loaded image.
    std::string reason;
    // The chip type's option page shows the new image's fields.
    bool refreshPage = false;

    explicit operator bool() const { return image.has_value(); }
};

// Loads the .hex or .bin file at path by the loading rules of chip-type row
// 0..6. A load writes only part of an image (a HEX file's header and code, a
// binary file's bytes); every other byte keeps what the image before it held:
// base, the first bytes of that image (the tool's start image when empty).
// The version stamp, where the rules ask for one, is the host's local time.
LoadResult LoadImage(const std::string& path, int row, std::span<const BYTE> base = {});
