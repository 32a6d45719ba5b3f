// Fixed-width names the engine uses for device and image data.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using BOOL = int;
using COLORREF = std::uint32_t;  // 0x00BBGGRR

// A device handle of the HID layer. 0 means "none" (never opened),
// INVALID_HANDLE_VALUE a failed open or a closed handle. Neither is ever a
// real descriptor.
using HANDLE = std::intptr_t;
inline constexpr HANDLE HANDLE_NONE = 0;
inline constexpr HANDLE INVALID_HANDLE_VALUE = -1;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
