// Control ids of the option pages. Ids are per page: the same number can be
// a different control on another page, so the names say what a control is
// on the pages that share it.
#pragma once

// Check boxes of the eight Common Flag bits, bit 0 first (1019..1026).
inline constexpr int IDC_COMMON_FLAG0 = 1019;
inline constexpr int IDC_COMMON_FLAG1 = 1020;
inline constexpr int IDC_COMMON_FLAG2 = 1021;
inline constexpr int IDC_COMMON_FLAG3 = 1022;
inline constexpr int IDC_COMMON_FLAG4 = 1023;
inline constexpr int IDC_COMMON_FLAG5 = 1024;
inline constexpr int IDC_COMMON_FLAG6 = 1025;
inline constexpr int IDC_COMMON_FLAG7 = 1026;
inline constexpr int kCommonFlagIds[8] = {IDC_COMMON_FLAG0, IDC_COMMON_FLAG1, IDC_COMMON_FLAG2, IDC_COMMON_FLAG3,
                                         IDC_COMMON_FLAG4, IDC_COMMON_FLAG5, IDC_COMMON_FLAG6, IDC_COMMON_FLAG7};

// Check boxes of the eight HD Function Flag bits of the VQ7170 pages.
inline constexpr int IDC_HD_FLAG0 = 1027;
inline constexpr int IDC_HD_FLAG1 = 1028;
inline constexpr int IDC_HD_FLAG2 = 1029;
inline constexpr int IDC_HD_FLAG3 = 1032;
inline constexpr int IDC_HD_FLAG4 = 1033;
inline constexpr int IDC_HD_FLAG5 = 1034;
inline constexpr int IDC_HD_FLAG6 = 1035;
inline constexpr int IDC_HD_FLAG7 = 1036;
inline constexpr int kHdFlagIds[8] = {IDC_HD_FLAG0, IDC_HD_FLAG1, IDC_HD_FLAG2, IDC_HD_FLAG3,
                                     IDC_HD_FLAG4, IDC_HD_FLAG5, IDC_HD_FLAG6, IDC_HD_FLAG7};

// USB vendor and product id edits (hex).
inline constexpr int IDC_VID = 1030;
inline constexpr int IDC_PID = 1031;

// USB string fields: the box says whether the string is present, the edit
// holds its text.
inline constexpr int IDC_VIDEO_STRING_CHECK = 1045;
inline constexpr int IDC_AUDIO_STRING_CHECK = 1046;
inline constexpr int IDC_VIDEO_STRING = 1047;
inline constexpr int IDC_AUDIO_STRING = 1048;

// The key box of the VQ7340 page: the image offset of the HDCP key
// (read-only, hex), the button that loads a key file into the image there,
// and a button that stays hidden and disabled.
inline constexpr int IDC_KEY_OFFSET = 1049;
inline constexpr int IDC_LOAD_KEY = 1059;
inline constexpr int IDC_ENTER_UPG = 1060;
