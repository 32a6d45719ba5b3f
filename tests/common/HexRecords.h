// Intel HEX records as an assembler writes them: upper-case digits, correct
// record checksums, at most 16 data bytes a record.
#pragma once

#include "WinTypes.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace hexrecords {

// One Intel HEX record with a correct checksum, upper-case digits.
inline std::string Record(unsigned address, const std::vector<BYTE>& data, BYTE type = 0) {
    char text[16];
    std::string out = ":";
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    std::snprintf(text, sizeof text, "%02X%04X%02X", static_cast<unsigned>(data.size()), address & 0xFFFF, type);
    out += text;
    for (BYTE b : data) {
        std::snprintf(text, sizeof text, "%02X", b);
        out += text;
        sum += b;
    }
    std::snprintf(text, sizeof text, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return out + text;
}

inline const std::string END_RECORD = ":00000001FF";

// Records of at most 16 bytes for data placed at address, then the end record.
inline std::string HexOf(unsigned address, const std::vector<BYTE>& data, bool endRecord = true) {
    std::string out;
    for (std::size_t i = 0; i < data.size(); i += 16) {
        const std::size_t n = std::min<std::size_t>(16, data.size() - i);
        out += Record(address + static_cast<unsigned>(i), std::vector<BYTE>(data.begin() + i, data.begin() + i + n)) +
               "\n";
    }
    if (endRecord) out += END_RECORD + "\n";
    return out;
}

}  // namespace hexrecords
