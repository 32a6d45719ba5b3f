// Builders for HEX and binary files written by the image tests.
#pragma once

#include "WinTypes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace imagetest {

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

inline std::vector<BYTE> Bytes(std::size_t n, BYTE seed) {
    std::vector<BYTE> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<BYTE>(seed + i * 7 + (i >> 8));
    return v;
}

// A temporary directory that lives as long as the object.
class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("quillmar_image_") + (info ? info->test_suite_name() : "x") + "_" +
                           (info ? info->name() : "x");
        for (char& c : name)
            if (c == '/') c = '_';
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Write(const std::string& name, const std::string& text) const {
        const auto p = path_ / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    std::string Write(const std::string& name, const std::vector<BYTE>& bytes) const {
        return Write(name, std::string(bytes.begin(), bytes.end()));
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace imagetest
