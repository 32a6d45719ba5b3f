// The option bytes of a VQ5520 image that its page edits, as pure functions.
#pragma once

#include "WinTypes.h"

#include <cstddef>

// Header bytes.
inline constexpr std::size_t VQ5520_FLAGS = 4;       // bits 2..7 shown
inline constexpr std::size_t VQ5520_UDISK = 5;       // bit 0
inline constexpr std::size_t VQ5520_VID = 6;         // big-endian pair
inline constexpr std::size_t VQ5520_PID = 8;         // big-endian pair
inline constexpr std::size_t VQ5520_SDRAM = 0x0A;
inline constexpr std::size_t VQ5520_VIDEO_MODE = 0x0B;
inline constexpr std::size_t VQ5520_MANUFACTURER = 0x10;
inline constexpr std::size_t VQ5520_PRODUCT = 0x20;

// SDRAM type: radios 0..5 ("2M", "4M", "8M", "16M", "None", "Default")
// write 0, 1, 2, 3, 4 and 0xFF; "Default" stands for every value from 5 on.
inline constexpr int SDRAM_TYPE_COUNT = 6;
BYTE SdramTypeValue(int index);
int SdramTypeIndex(BYTE value);

// Video mode byte: bit 0 TV standard (1 = PAL), bits 1..3 the digital video
// output format, bit 4 the mode left to the chip's pins, bits 5..7 kept.
inline constexpr BYTE VIDEO_MODE_PAL = 0x01;
inline constexpr BYTE VIDEO_MODE_BY_GPIO = 0x10;
inline constexpr int DVO_FORMAT_COUNT = 8;
inline constexpr BYTE VIDEO_MODE_ALL_BY_GPIO = 0xFF;  // what ticking the box writes

bool IsPal(BYTE mode);
int DvoFormat(BYTE mode);
bool IsVideoModeByGpio(BYTE mode);
BYTE WithTvStandard(BYTE mode, bool pal);
BYTE WithDvoFormat(BYTE mode, int format);
// The mode after "Detemined by gpio" is unticked: bit 4 cleared, bits 0..3
// from the radios' marks (dvoFormat < 0: no dvo radio marked, bits 1..3
// kept), bits 5..7 kept.
BYTE VideoModeFromMarks(BYTE mode, bool ntscMarked, int dvoFormat);
