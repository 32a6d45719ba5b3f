// Control ids of the VQ7140S and VQ7140XX option pages beside those of
// PageControls.h (Common Flag boxes, VID, PID and the string fields of the
// VQ7140XX page keep their ids there).
#pragma once

// The VQ7140S page's only control: an edit that shows nothing.
inline constexpr int IDC_BLANK_EDIT = 1030;

// "Function Flag 1": the two input ports.
inline constexpr int IDC_AV_PORT = 1027;
inline constexpr int IDC_SV_PORT = 1028;

// "Function Flag 2": audio, stereo and whether the BCSH block is saved.
inline constexpr int IDC_AUDIO_ENABLE = 1037;
inline constexpr int IDC_STEREO_ENABLE = 1038;
inline constexpr int IDC_SAVE_BCSH = 1039;

// Brightness, contrast, saturation and hue (signed decimal edits).
inline constexpr int IDC_BRIGHTNESS = 1049;
inline constexpr int IDC_CONTRAST = 1050;
inline constexpr int IDC_SATURATION = 1051;
inline constexpr int IDC_HUE = 1052;

// Drop-down lists: mute pattern, default input port, default TV mode.
inline constexpr int IDC_MUTE_PATTERN = 1053;
inline constexpr int IDC_DEFAULT_INPUT = 1054;
inline constexpr int IDC_DEFAULT_TV_MODE = 1055;
