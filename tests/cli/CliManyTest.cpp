// Several chips in one run of quillmar-cli: every device its own job, the
// failures named and counted, and each HDCP key of a directory in one chip
// only, across runs.
#include "CliRun.h"

#include "ImageFormat.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

// "key" of every device_result event, by device path, and whether it was ok.
std::map<std::string, std::pair<std::string, bool>> DeviceEnds(const CliResult& r) {
    std::map<std::string, std::pair<std::string, bool>> ends;
    const std::regex end(R"re("event":"device_result".*"device":"([^"]*)".*"ok":(true|false).*"key":"([^"]*)")re");
    for (const std::string& line : r.OutLines()) {
        EXPECT_TRUE(IsJsonObject(line)) << line;
        std::smatch m;
        if (std::regex_search(line, m, end)) ends[m[1]] = {m[3], m[2] == "true"};
    }
    return ends;
}

std::multiset<std::string> UsedKeys(const std::string& dir) {
    std::multiset<std::string> keys;
    std::ifstream log(dir + "/used.log");
    for (std::string line; std::getline(log, line);) keys.insert(line.substr(0, line.find('\t')));
    return keys;
}

// Run 1 of two: emu:2 stops answering in the middle of its job; three
// keys are used, and the failed device's key stays unused for a later run.
TEST(CliMany, EveryKeyGoesIntoOneVerifiedChipOnly) {
    const std::string dir = TempDir();
    const std::string keys = dir + "/keys";
    ASSERT_EQ(system(("mkdir -p " + keys).c_str()), 0);
    for (int i = 0; i < 10; ++i) WriteFileBytes(keys + "/key" + std::to_string(i) + ".bin", RandomBytes(285, 100 + i));
    WriteFileBytes(dir + "/image.bin", ImageFile(ChecksumLayout::VQ7340, 0x400, 11));
    const CliResult r = RunCli({"--json", "download", dir + "/image.bin", "--chip", "vq7340", "--all", "--hdcp-key-dir", keys},
                               "vq7340:id1,vq7340:id1:stop=16,vq7340:id1*2");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("1 of 4 devices failed"), std::string::npos) << r.err;
    const auto ends = DeviceEnds(r);
    ASSERT_EQ(ends.size(), 4u) << r.out;
    const std::multiset<std::string> used = UsedKeys(keys);
    EXPECT_EQ(used.size(), 3u);
    EXPECT_EQ(std::set<std::string>(used.begin(), used.end()).size(), used.size()) << "a key used twice";
    for (const auto& [device, end] : ends) {
        EXPECT_FALSE(end.first.empty()) << device;
        EXPECT_EQ(used.count(end.first), end.second ? 1u : 0u) << device;
        EXPECT_EQ(end.second, device != "emu:2") << device;
    }
}

// Eight chips of a family at once, emu:7 dead and emu:8 answering its
// reads with random bytes: the six others hold the image, the two failures
// are named and counted.
TEST(CliMany, SixOfEightSucceedAndTheTwoFailuresAreNamed) {
    const struct {
        const char* type;
        const char* chip;
        const char* sample;
        const char* readMemory;
    } families[] = {
        {"vq7170", "vq7170", "vq7170.hex", "24c01"},
        {"vq5520:id1", "vq5520", "vq5520.bin", "flash"},
        {"vq7340:id1", "vq7340", "vq7340.hex", "flash"},
    };
    for (const auto& f : families) {
        SCOPED_TRACE(f.chip);
        const std::string dir = TempDir();
        std::string emulate;
        for (int i = 1; i <= 6; ++i) emulate += std::string(f.type) + ":file=" + dir + "/" + std::to_string(i) + ".mem,";
        emulate += std::string(f.type) + ":stop=0," + f.type + ":random=8+";
        std::vector<std::string> args = {"download", std::string(QUILLMAR_SOURCE_DIR "/examples/") + f.sample, "--chip",
                                         f.chip};
        for (int i = 1; i <= 8; ++i) args.insert(args.end(), {"--device", "emu:" + std::to_string(i)});
        const CliResult r = RunCli(args, emulate);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("2 of 8 devices failed"), std::string::npos) << r.err;
        EXPECT_TRUE(std::regex_search(r.err, std::regex("emu:7 +FAILED .*Disconnected!"))) << r.err;
        EXPECT_TRUE(std::regex_search(r.err, std::regex("emu:8 +FAILED .*Verify error!"))) << r.err;

        // What the six hold, read back in another run: the sample's bytes.
        std::vector<BYTE> first;
        for (int i = 1; i <= 6; ++i) {
            const std::string back = dir + "/back" + std::to_string(i) + ".bin";
            const CliResult read = RunCli({"read", "--chip", f.chip, "--memory", f.readMemory, "--device",
                                           "emu:" + std::to_string(i), "-o", back},
                                          emulate);
            ASSERT_EQ(read.status, 0) << read.err;
            const std::vector<BYTE> bytes = ReadFileBytes(back);
            EXPECT_EQ(bytes.size(), 116u);
            if (i == 1) first = bytes;
            else EXPECT_EQ(bytes, first) << "emu:" << i;
        }
        const CliResult held = RunCli({"info", dir + "/back1.bin", "--chip", f.chip}, "");
        EXPECT_NE(held.out.find("checksums: hold"), std::string::npos) << held.out;
    }
}

}  // namespace
