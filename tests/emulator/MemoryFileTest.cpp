// Emulated chips that keep their memories in a file (file=PATH): the path
// as written, and files that don't fit the chip refused without being
// replaced. (The memories across runs: the command-line round trips.)
#include "Emulator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string TempPath(const char* name) {
    std::string dir = "/tmp/memfile.XXXXXX";
    return std::string(mkdtemp(dir.data())) + "/" + name;
}

TEST(MemoryFileTest, OptionKeepsThePathAsWritten) {
    std::vector<emu::ChipConfig> configs;
    std::string error;
    ASSERT_TRUE(emu::ParseEmulateList("VQ7170:File=/tmp/A Chip.mem:ID1, vq7340", &configs, &error)) << error;
    EXPECT_EQ(configs[0].memoryFile, "/tmp/A Chip.mem");
    EXPECT_EQ(configs[0].reportId, 1);
    EXPECT_EQ(configs[1].memoryFile, "");
    for (const char* bad : {"vq7170:file=", "keyboard:file=/tmp/k"}) {
        EXPECT_FALSE(emu::ParseEmulateList(bad, &configs, &error)) << bad;
    }
    EXPECT_EQ(emu::InstallEmulateList("vq7170:file=/tmp/x*2", &error), nullptr);
    EXPECT_NE(error.find("share the memory file"), std::string::npos) << error;
}

TEST(MemoryFileTest, AFileOfAnotherChipIsRefusedAndKept) {
    const std::string path = TempPath("chip.mem");
    emu::Chip vq7170({.type = emu::ChipType::VQ7170});
    std::string error;
    ASSERT_TRUE(emu::SaveMemoryFile(vq7170, path, &error)) << error;
    std::ifstream before(path, std::ios::binary);
    const std::string kept((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());

    for (const std::string& list : {"vq7340:file=" + path, "vq7170:ee1=4k:file=" + path}) {
        EXPECT_EQ(emu::InstallEmulateList(list, &error), nullptr) << list;
        EXPECT_NE(error.find("holds a 'vq7170 ee0=2048 ee1=8192 flash=0'"), std::string::npos) << error;
    }
    std::ofstream(path + "2") << "not a memory file\n";
    EXPECT_EQ(emu::InstallEmulateList("vq7170:file=" + path + "2", &error), nullptr);
    EXPECT_NE(error.find("not a memory file"), std::string::npos) << error;

    std::ifstream after(path, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), kept);
}

}  // namespace
