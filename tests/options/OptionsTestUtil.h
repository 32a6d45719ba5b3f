// An image of its own for the field table, as the command line keeps one
// per device.
#pragma once

#include "ImageFields.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

struct TestImage {
    explicit TestImage(std::size_t size = 0x2000, BYTE fill = 0x00) : bytes(size, fill) {}
    std::vector<BYTE> bytes;
    DWORD length = 2;
    WORD codeLen = 0;
    WORD checksum = 0;
    ImageView View() { return {bytes.data(), bytes.size(), length, codeLen, checksum}; }
};

// "12 AB" -> {0x12, 0xAB}.
inline std::vector<BYTE> Hex(const std::string& text) {
    std::istringstream in(text);
    std::vector<BYTE> out;
    for (std::string b; in >> b;) out.push_back(static_cast<BYTE>(std::strtoul(b.c_str(), nullptr, 16)));
    return out;
}

// Parses NAME=VALUE for row and applies it; fails the test on an error.
inline void Set(int row, TestImage& image, const std::string& text) {
    const ParsedChange parsed = ParseFieldChange(row, text);
    ASSERT_TRUE(parsed.change) << text << ": " << parsed.error;
    EXPECT_EQ(ApplyFieldChange(row, image.View(), *parsed.change), "") << text;
}

inline std::string Read(TestImage& image, int row, const char* name) {
    return ReadField(image.View(), ChipField(row, name)).text;
}

inline std::string ParseError(int row, const std::string& text) { return ParseFieldChange(row, text).error; }
