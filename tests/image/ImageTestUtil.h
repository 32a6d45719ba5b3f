// Builders for HEX and binary files written by the image tests.
#pragma once

#include "HexRecords.h"
#include "WinTypes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace imagetest {

using hexrecords::END_RECORD;
using hexrecords::HexOf;
using hexrecords::Record;

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
