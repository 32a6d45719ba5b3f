// Control ids of the VQ5520 option page (template 141). The VID and PID
// edits keep the ids of PageControls.h.
#pragma once

// Six flags of header byte 4, bits 2..7, shown only.
inline constexpr int IDC_FLAG_BEFORE_CHIP_INIT = 1019;
inline constexpr int IDC_FLAG_AFTER_CHIP_INIT = 1020;
inline constexpr int IDC_FLAG_IN_MAIN_LOOP = 1021;
inline constexpr int IDC_FLAG_FOR_USBTASK = 1022;
inline constexpr int IDC_FLAG_FOR_USBCMD = 1023;
inline constexpr int IDC_FLAG_FOR_TIMER = 1024;

inline constexpr int IDC_UDISK_ENABLE = 1029;

// USB strings: the box says whether the string is present.
inline constexpr int IDC_MANUFACTURER_CHECK = 1032;
inline constexpr int IDC_PRODUCT_CHECK = 1033;
inline constexpr int IDC_MANUFACTURER = 1047;
inline constexpr int IDC_PRODUCT = 1048;

// SDRAM type radios.
inline constexpr int IDC_SDRAM_2M = 1061;
inline constexpr int IDC_SDRAM_4M = 1062;
inline constexpr int IDC_SDRAM_8M = 1063;
inline constexpr int IDC_SDRAM_16M = 1073;
inline constexpr int IDC_SDRAM_NONE = 1074;
inline constexpr int IDC_SDRAM_DEFAULT = 1075;

// Pin multiplex of the memory bus, written straight to the chip.
inline constexpr int IDC_GPIO_EEPROM = 1076;
inline constexpr int IDC_GPIO_FLASH = 1077;

// Default video mode: TV standard, digital video output format (1080 + k),
// or left to the chip's pins.
inline constexpr int IDC_NTSC = 1078;
inline constexpr int IDC_PAL = 1079;
inline constexpr int IDC_DVO_FIRST = 1080;  // dvo_24bit_rgb888
inline constexpr int IDC_DVO_LAST = 1087;   // dvo_8bit_bt1120
inline constexpr int IDC_VIDEO_MODE_BY_GPIO = 1088;
