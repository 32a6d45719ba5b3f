// Big-endian reads and writes of 16-, 24- and 32-bit values, as images and
// chip requests carry them (high byte first).
#pragma once

#include "WinTypes.h"

inline WORD ReadBE16(const BYTE* p) { return static_cast<WORD>((p[0] << 8) | p[1]); }
inline DWORD ReadBE24(const BYTE* p) { return static_cast<DWORD>(p[0]) << 16 | ReadBE16(p + 1); }
inline DWORD ReadBE32(const BYTE* p) { return static_cast<DWORD>(p[0]) << 24 | ReadBE24(p + 1); }

inline void WriteBE16(BYTE* p, WORD v) {
    p[0] = static_cast<BYTE>(v >> 8);
    p[1] = static_cast<BYTE>(v);
}

inline void WriteBE24(BYTE* p, DWORD v) {
    p[0] = static_cast<BYTE>(v >> 16);
    WriteBE16(p + 1, static_cast<WORD>(v));
}

inline void WriteBE32(BYTE* p, DWORD v) {
    p[0] = static_cast<BYTE>(v >> 24);
    WriteBE24(p + 1, v);
}
