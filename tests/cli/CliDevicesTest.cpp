// The devices a download reaches: what --all does with a device that looks
// like a chip of the type but does not identify, what -q shows of several,
// which one a key directory takes by default, when a job counts as failed,
// and replies that come short.
#include "CliRun.h"

#include "ImageFormat.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>

namespace {

const std::string VQ7340_HEX = QUILLMAR_SOURCE_DIR "/examples/vq7340.hex";

// The device_result events by device: ok and text.
std::map<std::string, std::pair<bool, std::string>> DeviceResults(const CliResult& r) {
    std::map<std::string, std::pair<bool, std::string>> out;
    const std::regex end(R"re("event":"device_result","device":"([^"]*)".*"ok":(true|false),"text":"([^"]*)")re");
    for (const std::string& line : r.OutLines()) {
        std::smatch m;
        if (std::regex_search(line, m, end)) out[m[1]] = {m[2] == "true", m[3]};
    }
    return out;
}

// --all: chips with the type's USB ids that do not identify (stop=0: dead
// from the start) are named and counted; a device of other ids is no
// concern of the job.
TEST(CliAll, NamesAndCountsTheChipsThatDoNotIdentify) {
    const struct {
        const char* what;
        std::string emulate;
        int status;
        const char* summary;
        std::vector<std::string> dead;
    } cases[] = {
        {"two dead of eight", "vq7340:id1*3,vq7340:id1:stop=0,vq7340:id1*3,vq7340:id1:stop=0", 1, "2 of 8 devices failed",
         {"emu:4", "emu:8"}},
        {"all dead", "vq7340:id1:stop=0*2", 1, "2 of 2 devices failed", {"emu:1", "emu:2"}},
        {"other ids beside", "keyboard,vq7170,vq7340:id1*2", 0, "2 devices programmed and verified", {}},
        {"other ids only", "keyboard,vq7170", 3, "no device of this chip type is attached", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CliResult text = RunCli({"download", VQ7340_HEX, "--chip", "vq7340", "--all"}, c.emulate);
        EXPECT_EQ(text.status, c.status) << text.err;
        EXPECT_NE(text.err.find(c.summary), std::string::npos) << text.err;
        for (const std::string& path : c.dead) {
            EXPECT_TRUE(std::regex_search(text.err, std::regex(path + "  FAILED: not identified as a VQ7340/41 chip")))
                << path << "\n" << text.err;
            EXPECT_TRUE(std::regex_search(text.err, std::regex(path + " +FAILED +[0-9.]+ s +not identified")))
                << "in the summary: " << path;
        }
        const CliResult json = RunCli({"--json", "download", VQ7340_HEX, "--chip", "vq7340", "--all"}, c.emulate);
        const auto results = DeviceResults(json);
        for (const std::string& path : c.dead) {
            ASSERT_TRUE(results.count(path)) << path << "\n" << json.out;
            EXPECT_FALSE(results.at(path).first);
        }
        const auto failed = std::count_if(results.begin(), results.end(), [](const auto& r) { return !r.second.first; });
        EXPECT_EQ(static_cast<std::size_t>(failed), c.dead.size()) << json.out;
    }
}

// -q with several devices: a line for each device that failed, none for
// one that passed, and no summary.
TEST(CliAll, QuietShowsOnlyTheFailures) {
    const CliResult r =
        RunCli({"-q", "download", VQ7340_HEX, "--chip", "vq7340", "--all"}, "vq7340:id1*2,vq7340:id1:stop=0");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "0000.0000.0000.001.003.000.000.000.000  emu:3  FAILED: not identified as a VQ7340/41 chip  0.00 s\n"
              "quillmar-cli: 1 of 3 devices failed\n");
}

// A key directory without --all or --device: one device, the last chip
// found, as the window takes it.
TEST(CliAll, KeyDirectoryAloneTakesTheLastChipFound) {
    const std::string dir = TempDir();
    ASSERT_EQ(system(("mkdir -p " + dir + "/keys").c_str()), 0);
    for (int i = 0; i < 3; ++i) WriteFileBytes(dir + "/keys/key" + std::to_string(i) + ".bin", RandomBytes(285, 40 + i));
    WriteFileBytes(dir + "/image.bin", ImageFile(ChecksumLayout::VQ7340, 0x400, 12));
    const CliResult r = RunCli({"--json", "download", dir + "/image.bin", "--chip", "vq7340", "--hdcp-key-dir", dir + "/keys"},
                               "vq7340:id1*3");
    EXPECT_EQ(r.status, 0) << r.err;
    const auto results = DeviceResults(r);
    ASSERT_EQ(results.size(), 1u) << r.out;
    EXPECT_EQ(results.begin()->first, "emu:3");
    std::ifstream log(dir + "/keys/used.log");
    std::string line;
    ASSERT_TRUE(std::getline(log, line));
    EXPECT_EQ(line.substr(0, line.find('\t')), "key0.bin");
    EXPECT_FALSE(std::getline(log, line)) << "a second key used";
}

// With several devices, a job that showed a red text and then ended green
// failed all the same: emu:2's first erase status poll comes back short, so
// its chip erase ends in "Erase error!"; the image is written and verified
// after it.
TEST(CliAll, RedTextThenGreenEndCountsAsFailed) {
    const std::string dir = TempDir();
    // Long enough for a chip erase with status polls.
    std::vector<BYTE> image = RandomBytes(0x80000, 21);
    image[0] = 0x3C, image[1] = 0xC3, image[8] |= 0x80;
    WriteFileBytes(dir + "/image.bin", image);
    const CliResult r = RunCli({"--json", "download", dir + "/image.bin", "--chip", "vq7340", "--all"},
                               "vq7340:id1,vq7340:id1:short=1@13");
    EXPECT_EQ(r.status, 1) << r.err;
    std::vector<std::string> statuses;  // emu:2's
    for (const std::string& line : r.OutLines()) {
        std::smatch m;
        if (std::regex_search(line, m, std::regex(R"re("event":"status","device":"emu:2","text":"([^"]*)","colour":"([a-z]+)")re")))
            statuses.push_back(std::string(m[1]) + " " + std::string(m[2]));
    }
    ASSERT_FALSE(statuses.empty()) << r.out;
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Erase error! red"), statuses.end()) << r.out;
    EXPECT_EQ(statuses.back(), "Upgrade Successful green");
    const auto results = DeviceResults(r);
    ASSERT_EQ(results.size(), 2u) << r.out;
    EXPECT_TRUE(results.at("emu:1").first);
    EXPECT_FALSE(results.at("emu:2").first);
    EXPECT_EQ(results.at("emu:2").second, "Erase error! (short reply: 1 of 3 bytes)");
    EXPECT_NE(r.out.find(R"("text":"1 of 2 devices failed")"), std::string::npos) << r.out;
}

// Replies that come short but still hold every byte the job reads work as
// in the window; one byte fewer fails, and the HID layer's reason is shown.
// A VQ5520 with report id 1 needs 8 bytes of every reply.
TEST(CliShortReply, WorksWhileItHoldsEveryByteReadAndTellsWhyNot) {
    const struct {
        const char* emulate;
        int status;
        const char* text;
    } cases[] = {
        {"vq5520:id1:short=9@1+", 0, "Successful!\n"},
        {"vq5520:id1:short=8@1+", 0, "Successful!\n"},
        {"vq5520:id1:short=7@1+", 1, "quillmar-cli: Verify error! (short reply: 7 of 8 bytes)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.emulate);
        const CliResult r = RunCli({"download", QUILLMAR_SOURCE_DIR "/examples/vq5520.bin", "--chip", "vq5520"}, c.emulate);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.text), std::string::npos) << r.err;
    }
}

}  // namespace
