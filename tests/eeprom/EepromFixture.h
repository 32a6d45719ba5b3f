// The EEPROM job tests: the four EEPROM-only programmers, each connected to
// one emulated chip whose guard byte holds a known value.
#pragma once

#include "ChipFixture.h"
#include "ChipPatches.h"
#include "Emulator.h"
#include "ImageFormat.h"
#include "RecordingHost.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace eeprom_test {

using emu::Bytes;
using emu::ChipType;
using emu::LoggedReport;

inline constexpr WORD GUARD = 0xF002;
inline constexpr BYTE GUARD_VALUE = 0x5C;  // what the chip holds at 0xF002 before a job

struct ClassCase {
    const char* name;
    ChipType type;
    std::unique_ptr<CVQPatch> (*make)();
    BYTE maxMemType;  // 1: 24C01-16 only; 2: both EEPROM classes
};

template <typename T>
std::unique_ptr<CVQPatch> Make() {
    return std::make_unique<T>();
}

inline const ClassCase kClasses[] = {
    {"VQ7140S", ChipType::VQ7140S, Make<CVQ7140SPatch>, 1},
    {"VQ7140XX", ChipType::VQ7140XX, Make<CVQ7140XXPatch>, 2},
    {"VQ7170", ChipType::VQ7170, Make<CVQ7170Patch>, 2},
    {"VQ7170S", ChipType::VQ7170S, Make<CVQ7170SPatch>, 2},
};

inline std::string NameOf(const ::testing::TestParamInfo<ClassCase>& info) { return info.param.name; }
// Short parameter texts in test listings.
inline void PrintTo(const ClassCase& c, std::ostream* os) { *os << c.name; }

// Deterministic, non-repeating-looking bytes.
inline std::vector<BYTE> Pattern(std::size_t n, unsigned seed = 1) {
    std::vector<BYTE> out(n);
    unsigned x = seed * 2654435761u + 12345u;
    for (auto& b : out) {
        x = x * 1103515245u + 12345u;
        b = static_cast<BYTE>(x >> 16);
    }
    return out;
}

// A VQ7170 image (header, code, both sums) with the given code length.
inline std::vector<BYTE> Image7170(WORD codeLen, unsigned seed = 7) {
    std::vector<BYTE> image =
        chiptest::ImageWithChecksums(Pattern(IMAGE_HEADER_SIZE + codeLen + 4, seed), ChecksumLayout::VQ7170);
    image[0] = 0xA5;
    image[1] = 0x5A;
    return image;
}

inline LoggedReport Set(const char* hex, bool ok = true) { return {LoggedReport::Set, Bytes(hex), ok}; }

// The reports a chip saw that were sends, in order.
inline std::vector<std::vector<BYTE>> Sends(const std::vector<LoggedReport>& log) {
    return chiptest::SentReports(log);
}

inline std::size_t CountCommand(const std::vector<LoggedReport>& log, BYTE command) {
    return chiptest::SentReports(log, {command}).size();
}

class EepromFixture : public ::testing::Test, protected chiptest::ChipFixture {
protected:
    // Plugs one chip, connects the programmer to it and starts both logs afresh.
    std::shared_ptr<emu::Chip> Connect(CVQPatch& patch, emu::ChipConfig config) {
        auto chip = ConnectChip(patch, config);
        chip->SetXdata(GUARD, GUARD_VALUE);
        return chip;
    }
};

using namespace status;

}  // namespace eeprom_test
