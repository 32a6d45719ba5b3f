// What the file load tests share: the seven chip types by name, the image
// a load starts from (every byte a marker) and a loaded image's bytes as
// the window holds them.
#pragma once

#include "ChipPatches.h"
#include "ChipTypes.h"
#include "Image.h"
#include "LoadFile.h"
#include "VQPatch.h"

#include <cstddef>
#include <span>
#include <vector>

namespace imagetest {

enum Chip { VQ7140S, VQ7140XX, VQ7170, VQ7170S, VQ5520, VQ7340, VQ5632, CHIP_COUNT };
static_assert(VQ7140S == CHIP_ROW_VQ7140S && VQ7140XX == CHIP_ROW_VQ7140XX && VQ7170 == CHIP_ROW_VQ7170 &&
              VQ7170S == CHIP_ROW_VQ7170S && VQ5520 == CHIP_ROW_VQ5520 && VQ7340 == CHIP_ROW_VQ7340 &&
              VQ5632 == CHIP_ROW_VQ5632 && CHIP_COUNT == CHIP_TYPE_ROWS);

inline constexpr BYTE FILL = 0xEE;  // every byte of the image before a load

// The image before a load: n bytes of FILL.
inline std::vector<BYTE> FilledImage(std::size_t n) { return std::vector<BYTE>(n, FILL); }

// Byte i of a loaded image as the window holds it: the image's own byte, or
// past them what the image before the load (base) held there; past base as
// well, the 0 of an image the tool starts with.
inline BYTE HeldByte(const Image& image, std::span<const BYTE> base, std::size_t i) {
    if (i < image.bytes.size()) return image.bytes[i];
    if (base.empty()) base = START_MAGIC;
    return i < base.size() ? base[i] : 0;
}

// Bytes from..from+n of a loaded image as the window holds them.
inline std::vector<BYTE> HeldBytes(const Image& image, std::span<const BYTE> base, std::size_t from, std::size_t n) {
    std::vector<BYTE> out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = HeldByte(image, base, from + i);
    return out;
}

}  // namespace imagetest
