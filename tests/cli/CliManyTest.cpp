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

// A VQ7340 image long enough to carry a key at 0x310.
std::string KeyImage(const std::string& dir) {
    std::vector<BYTE> bytes = RandomBytes(IMAGE_HEADER_SIZE + 0x400 + 4, 11);
    bytes[0] = 0x3C, bytes[1] = 0xC3, bytes[2] = 0x04, bytes[3] = 0x00;
    bytes[8] |= 0x80;
    StoreChecksums(bytes.data(), ChecksumLayout::VQ7340);
    WriteFileBytes(dir + "/image.bin", bytes);
    return dir + "/image.bin";
}

// "key" of every device_result event, by device path; and which were ok.
struct Ends {
    std::map<std::string, std::string> key;
    std::map<std::string, bool> ok;
};
Ends DeviceEnds(const CliResult& r) {
    Ends ends;
    const auto field = [](const std::string& line, const std::string& name) {
        const std::string tag = "\"" + name + "\":";
        const std::size_t at = line.find(tag);
        if (at == std::string::npos) return std::string();
        std::size_t from = at + tag.size();
        if (line[from] != '"') return line.substr(from, line.find_first_of(",}", from) - from);
        return line.substr(from + 1, line.find('"', from + 1) - from - 1);
    };
    for (const std::string& line : r.OutLines()) {
        EXPECT_TRUE(IsJsonObject(line)) << line;
        if (line.find("\"event\":\"device_result\"") == std::string::npos) continue;
        const std::string device = field(line, "device");
        ends.key[device] = field(line, "key");
        ends.ok[device] = field(line, "ok") == "true";
    }
    return ends;
}

std::multiset<std::string> UsedKeys(const std::string& dir) {
    std::multiset<std::string> keys;
    std::ifstream log(dir + "/used.log");
    for (std::string line; std::getline(log, line);) keys.insert(line.substr(0, line.find('\t')));
    return keys;
}

TEST(CliMany, EveryKeyGoesIntoOneVerifiedChipOnlyAcrossRuns) {
    const std::string dir = TempDir();
    const std::string keys = dir + "/keys";
    ASSERT_EQ(system(("mkdir -p " + keys).c_str()), 0);
    for (int i = 0; i < 10; ++i) WriteFileBytes(keys + "/key" + std::to_string(i) + ".bin", RandomBytes(285, 100 + i));
    const std::string image = KeyImage(dir);
    const std::vector<std::string> download = {"--json", "download", image, "--chip", "vq7340", "--all",
                                               "--hdcp-key-dir", keys};

    // Run 1: emu:2 stops answering in the middle of its job.
    const CliResult first = RunCli(download, "vq7340:id1,vq7340:id1:stop=16,vq7340:id1*2");
    EXPECT_EQ(first.status, 1) << first.err;
    EXPECT_NE(first.err.find("1 of 4 devices failed"), std::string::npos) << first.err;
    const Ends one = DeviceEnds(first);
    ASSERT_EQ(one.ok.size(), 4u);
    EXPECT_FALSE(one.ok.at("emu:2"));
    const std::string failedKey = one.key.at("emu:2");
    EXPECT_FALSE(failedKey.empty());
    std::multiset<std::string> used = UsedKeys(keys);
    EXPECT_EQ(used.size(), 3u);
    EXPECT_EQ(used.count(failedKey), 0u) << "a failed device's key stays unused";

    // Run 2: four good chips take four keys none of which was used before.
    const CliResult second = RunCli(download, "vq7340:id1*4");
    EXPECT_EQ(second.status, 0) << second.err;
    used = UsedKeys(keys);
    EXPECT_EQ(used.size(), 7u);
    EXPECT_EQ(std::set<std::string>(used.begin(), used.end()).size(), used.size()) << "a key used twice";
    for (const auto& [device, key] : DeviceEnds(second).key) EXPECT_EQ(used.count(key), 1u) << device;
    EXPECT_EQ(second.out.find("\"key\":\"key9.bin\""), std::string::npos) << "keys go in name order";
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

TEST(CliMany, RefusedCombinations) {
    const std::string sample = QUILLMAR_SOURCE_DIR "/examples/vq7340.hex";
    const struct {
        std::vector<std::string> args;
        int status;
        const char* text;
    } cases[] = {
        {{"download", sample, "--chip", "vq7340", "--all", "--device", "emu:1"}, 2, "excludes"},
        {{"download", sample, "--chip", "vq7340", "--device", "emu:1", "--device", "emu:1"}, 2, "given twice"},
        {{"download", QUILLMAR_SOURCE_DIR "/examples/vq7170.hex", "--chip", "vq7170", "--all"}, 3, "no device"},
        {{"download", sample, "--chip", "vq7340", "--hdcp-key-dir", "/nonexistent"}, 2, "not a directory"},
    };
    for (const auto& c : cases) {
        const CliResult r = RunCli(c.args, "vq7340:id1*2");
        EXPECT_EQ(r.status, c.status) << c.text << "\n" << r.err;
        EXPECT_NE(r.err.find(c.text), std::string::npos) << r.err;
    }
}

}  // namespace
