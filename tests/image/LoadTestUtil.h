// What the file load tests share: the seven chip types by name, the
// byte g_image holds before a load, and the image state a refused load
// leaves as it was.
#pragma once

#include "ChipPatches.h"
#include "ChipTypes.h"
#include "VQPatch.h"

#include <cstddef>
#include <vector>

namespace imagetest {

enum Chip { VQ7140S, VQ7140XX, VQ7170, VQ7170S, VQ5520, VQ7340, VQ5632, CHIP_COUNT };

inline constexpr BYTE FILL = 0xEE;  // what g_image holds before a load

// The image globals and the first `watched` bytes of g_image.
struct ImageState {
    std::vector<BYTE> image;
    DWORD imageLen;
    WORD codeLen, checksum;
    bool operator==(const ImageState&) const = default;
    static ImageState Now(std::size_t watched) {
        return {std::vector<BYTE>(g_image, g_image + watched), g_imageLen, g_codeLen, g_checksum};
    }
};

}  // namespace imagetest
