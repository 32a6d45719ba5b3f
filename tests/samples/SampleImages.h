// The sample images of examples/: one per chip type, each the default image
// that a freshly started tool writes for that chip type, plus a small code
// block. Patch chips and the VQ7340 take a HEX file at their HEX window, the
// others a binary image with its stored checksums.
#pragma once

#include "ChipTypes.h"
#include "ImageFormat.h"

#include <array>
#include <string>
#include <vector>

namespace samples {

struct SampleFormat {
    int row;
    const char* file;      // name in examples/
    bool hex;              // Intel HEX at the HEX window; else a binary image
    ChecksumLayout layout;
    unsigned codeBase;     // HEX address of the code (the header lies below it)
};

inline constexpr SampleFormat SAMPLE_FORMATS[] = {
    {CHIP_ROW_VQ7140S, "vq7140s.hex", true, ChecksumLayout::VQ7140S, 0xC400},
    {CHIP_ROW_VQ7140XX, "vq7140xx.hex", true, ChecksumLayout::VQ7140XX, 0xC800},
    {CHIP_ROW_VQ7170, "vq7170.hex", true, ChecksumLayout::VQ7170, 0xCC00},
    {CHIP_ROW_VQ7170S, "vq7170s.bin", false, ChecksumLayout::VQ7170, 0xCC00},
    {CHIP_ROW_VQ5520, "vq5520.bin", false, ChecksumLayout::VQ7170, 0xC830},
    {CHIP_ROW_VQ7340, "vq7340.hex", true, ChecksumLayout::VQ7340, 0xF000},
    {CHIP_ROW_VQ5632, "vq5632.bin", false, ChecksumLayout::VQ7340, 0xF000},
};
static_assert(OneRowPerChipType(SAMPLE_FORMATS, &SampleFormat::row), "one sample per chip type, in order");

// The code block of a row's sample: an endless loop ("SJMP $", 80 FE) and a
// text naming the chip type, 64 bytes (a VQ5520 binary image needs a code
// length of 52 or more).
std::vector<BYTE> SampleCode(int row);

// The bytes of row's sample file, built on `defaults`: the first 48 bytes of
// the image the row's option page writes (16 of them on the VQ7140S).
std::string SampleFileContents(int row, const std::vector<BYTE>& defaults);

// The first 48 bytes of g_image once a main dialog, started afresh with
// this row remembered, shows the row's option page. Needs the application
// (TestApplication) and the engine host the dialog uses.
std::vector<BYTE> DefaultImageHead(int row);

}  // namespace samples
