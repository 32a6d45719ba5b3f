// Feature reports of the chips' command protocol.
#pragma once

#include "ByteOrder.h"
#include "WinTypes.h"

#include <cstddef>

inline constexpr std::size_t FEATURE_REPORT_SIZE = 9;
inline constexpr std::size_t BULK_REPORT_SIZE = 4096;
inline constexpr BYTE BULK_REPORT_ID = 3;
inline constexpr std::size_t BULK_REPORT_DATA = BULK_REPORT_SIZE - 1;  // 4095 data bytes a report

// [0] report id, [1] command, [2..8] parameters. A command that returns data
// fetches the reply into the same buffer; with report id 1 every reply byte
// arrives one position earlier than with report id 0.
struct FEATURE_REPORT {
    BYTE bytes[FEATURE_REPORT_SIZE] = {};
    BYTE& operator[](std::size_t i) { return bytes[i]; }
    BYTE operator[](std::size_t i) const { return bytes[i]; }
    BYTE* data() { return bytes; }
    const BYTE* data() const { return bytes; }
};

// [0] BULK_REPORT_ID, [1..4095] flash data.
struct BULK_REPORT {
    BYTE bytes[BULK_REPORT_SIZE] = {};
    BYTE* data() { return bytes; }
    const BYTE* data() const { return bytes; }
};

inline constexpr BYTE HID_CMD_EEPROM_READ = 0xE5;
inline constexpr BYTE HID_CMD_EEPROM_WRITE = 0xE6;
inline constexpr BYTE HID_CMD_XDATA_READ = 0xB5;
inline constexpr BYTE HID_CMD_XDATA_WRITE = 0xB6;
inline constexpr BYTE HID_CMD_SFR_READ = 0xC5;
inline constexpr BYTE HID_CMD_SFR_WRITE = 0xC6;
inline constexpr BYTE HID_CMD_FLASH_READ8 = 0xF5;
inline constexpr BYTE HID_CMD_FLASH_WRITE1 = 0xF6;
inline constexpr BYTE HID_CMD_FLASH_WRITE4 = 0x34;
inline constexpr BYTE HID_CMD_FLASH_READ = 0xF7;
inline constexpr BYTE HID_CMD_FLASH_WRITE = 0xF8;
inline constexpr BYTE HID_CMD_FLASH_BULK = 0xE7;
inline constexpr BYTE HID_CMD_FLASH_SECTOR_ERASE = 0xFB;
inline constexpr BYTE HID_CMD_FLASH_CHIP_ERASE = 0xFF;
inline constexpr BYTE HID_CMD_FLASH_STATUS = 0xFD;

// A request whose parameters start with a big-endian 16-bit address at [2..3]
// (EEPROM and XDATA commands).
inline FEATURE_REPORT AddressRequest(BYTE reportId, BYTE command, WORD addr) {
    FEATURE_REPORT r;
    r[0] = reportId;
    r[1] = command;
    WriteBE16(&r[2], addr);
    return r;
}

// A request with a one-byte register number at [2] and a value at [3] (SFR commands).
inline FEATURE_REPORT RegisterRequest(BYTE reportId, BYTE command, BYTE reg, BYTE value = 0) {
    FEATURE_REPORT r;
    r[0] = reportId;
    r[1] = command;
    r[2] = reg;
    r[3] = value;
    return r;
}

// Where a reply byte that a report-id-0 device puts at pos arrives: one
// position earlier with report id 1.
inline constexpr std::size_t ReplyPos(BYTE reportId, std::size_t pos) { return reportId ? pos - 1 : pos; }

// The bytes a reply must reach for a caller that reads count bytes from
// pos (the report-id-0 position): a shorter reply leaves some of them
// holding the request.
inline constexpr std::size_t ReplyEnd(BYTE reportId, std::size_t pos, std::size_t count = 1) {
    return ReplyPos(reportId, pos) + count;
}
