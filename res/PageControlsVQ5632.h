// Control ids of the VQ5632 option page (template 140).
#pragma once

// "udisk enable": header byte 8 bit 6.
inline constexpr int IDC_UDISK_ENABLE = 1019;

// The register tool: the space to reach, the address and data edits (hex),
// Read and Write, and the fixed "udisk write enable" sequence.
inline constexpr int IDC_RADIO_SFR = 1061;
inline constexpr int IDC_RADIO_IDATA = 1062;
inline constexpr int IDC_RADIO_XDATA = 1063;
inline constexpr int IDC_REG_ADDR = 1067;
inline constexpr int IDC_REG_DATA = 1068;
inline constexpr int IDC_REG_READ = 1069;
inline constexpr int IDC_REG_WRITE = 1070;
inline constexpr int IDC_UDISK_WRITE_ENABLE = 1071;
