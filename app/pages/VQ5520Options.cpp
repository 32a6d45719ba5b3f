#include "VQ5520Options.h"

#include "PageRules.h"

namespace {

constexpr BYTE SDRAM_DEFAULT = 0xFF;
constexpr ComboField DVO{1, 0x07 << 1};

}  // namespace

BYTE SdramTypeValue(int index) {
    return index == SDRAM_TYPE_COUNT - 1 ? SDRAM_DEFAULT : static_cast<BYTE>(index);
}

int SdramTypeIndex(BYTE value) { return value < SDRAM_TYPE_COUNT - 1 ? value : SDRAM_TYPE_COUNT - 1; }

bool IsPal(BYTE mode) { return (mode & VIDEO_MODE_PAL) != 0; }

int DvoFormat(BYTE mode) { return ComboIndexOf(mode, DVO); }

bool IsVideoModeByGpio(BYTE mode) { return (mode & VIDEO_MODE_BY_GPIO) != 0; }

BYTE WithTvStandard(BYTE mode, bool pal) {
    return static_cast<BYTE>((mode & ~VIDEO_MODE_PAL) | (pal ? VIDEO_MODE_PAL : 0));
}

BYTE WithDvoFormat(BYTE mode, int format) {
    return static_cast<BYTE>((mode & ~DVO.mask) | ComboBitsOf(format, DVO));
}

BYTE VideoModeFromMarks(BYTE mode, bool ntscMarked, int dvoFormat) {
    mode = WithTvStandard(static_cast<BYTE>(mode & ~VIDEO_MODE_BY_GPIO), !ntscMarked);
    return dvoFormat < 0 ? mode : WithDvoFormat(mode, dvoFormat);
}
