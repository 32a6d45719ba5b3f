// Resource ids: dialog templates, icons, strings and the main dialog's controls.
#pragma once

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_TESSADANE_DIALOG = 102;
inline constexpr int IDD_PAGE_VQ7140S = 136;
inline constexpr int IDD_PAGE_VQ7140XX = 137;
inline constexpr int IDD_PAGE_VQ7170 = 138;
inline constexpr int IDD_PAGE_VQ7340 = 139;
inline constexpr int IDD_PAGE_VQ5632 = 140;
inline constexpr int IDD_PAGE_VQ5520 = 141;
inline constexpr int IDD_PAGE_VQ7170S = 142;

// Icons.
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDI_CONNECTED = 134;
inline constexpr int IDI_DISCONNECTED = 135;

// Strings.
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDS_STATUS_READY = 102;
inline constexpr int IDS_STATUS_PROGRESS = 103;

// Command of the "About" menu entry.
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

// Standard control ids; IDOK and IDCANCEL are the buttons that end a dialog.
inline constexpr int IDC_STATIC = -1;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// About box.
inline constexpr int IDC_ABOUT_VERSION = 1089;

// Main dialog.
inline constexpr int IDC_CHIP_TYPE = 1000;
inline constexpr int IDC_CONNECT = 1001;
inline constexpr int IDC_CONNECT_ICON = 1004;
inline constexpr int IDC_OPEN_FILE = 1006;
inline constexpr int IDC_CODE_LENGTH = 1007;
inline constexpr int IDC_CHECKSUM = 1008;
inline constexpr int IDC_VERSION = 1009;
inline constexpr int IDC_HEX_VIEW = 1010;
inline constexpr int IDC_DOWNLOAD = 1011;
inline constexpr int IDC_READ = 1012;
inline constexpr int IDC_SAVE_TO_BIN = 1013;
inline constexpr int IDC_DEVICE_VERSION = 1014;
inline constexpr int IDC_OPTION_TAB = 1016;
inline constexpr int IDC_PROGRESS = 1018;
inline constexpr int IDC_RADIO_24C01 = 1028;
inline constexpr int IDC_RADIO_24C32 = 1029;
inline constexpr int IDC_RADIO_FLASH = 1030;
inline constexpr int IDC_READ_LENGTH = 1056;
inline constexpr int IDC_AUTO_DOWNLOAD = 1058;
inline constexpr int IDC_MODIFY_LENGTH = 1066;
inline constexpr int IDC_DEVICE = 1072;
