// Read-back by the stored header or by the given length, and the device
// version, of VQ7340/VQ5632 on emulated chips.
#include "FlashFixture.h"

#include <algorithm>
#include <cstring>

namespace flashtest {
namespace {

using emu::ChipType;

constexpr WORD GUARD = 0xF051;

class ReadBackTest : public FlashFixture, public ::testing::TestWithParam<Target> {
protected:
    void SetUp() override {
        Connect(GetParam().type, GetParam().reportId);
        chip->SetXdata(GUARD, 0xA6);
        g_readLen = 0x30;
        g_codeLen = 7;
        g_checksum = 7;
        std::memset(g_workBuf, 0xEE, 70000);
    }
    void TearDown() override {
        // The globals are shared with every other test.
        g_readLen = 0x30;
        g_codeLen = 0;
        g_checksum = 0;
    }
    bool WorkBufHolds(const std::vector<BYTE>& bytes) const {
        return std::equal(bytes.begin(), bytes.end(), g_workBuf) && g_workBuf[bytes.size()] == 0xEE;
    }
};

TEST_P(ReadBackTest, HeaderPathReadsTheStoredImage) {
    auto image = StoredImage(0x0100, 20);
    WriteBE16(image.data() + 306, 0x1234);  // the stored code sum is taken as it is
    chip->WriteFlash(0, image);
    const BYTE imageStart[2] = {g_image[0], g_image[1]};
    const DWORD imageLen = g_imageLen;

    patch->ReadBack(MEMTYPE_FLASH, 0x30, g_workBuf);
    EXPECT_EQ(g_readLen, 308u);
    EXPECT_EQ(g_codeLen, 256);
    EXPECT_EQ(g_checksum, 0x1234);
    EXPECT_TRUE(WorkBufHolds(image));
    // Header, the four sums at 48 + 256, then one step of 308.
    const BYTE cmd = Transfers().at(0).command;
    EXPECT_EQ(Transfers(), (std::vector<Transfer>{{cmd, 0, 48}, {cmd, 304, 4}, {cmd, 0, 308}}));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Reading......", "Reading completed!"}));
    EXPECT_EQ(host.progress, (std::vector<int>{0, 100}));
    EXPECT_EQ(chip->Xdata(GUARD), 0xA6);
    EXPECT_EQ(host.pageRefreshes.load(), 0);
    EXPECT_EQ(g_image[0], imageStart[0]);
    EXPECT_EQ(g_image[1], imageStart[1]);
    EXPECT_EQ(g_imageLen, imageLen);
}

TEST_P(ReadBackTest, BlankFlashFailsTheHeaderSum) {
    patch->ReadBack(MEMTYPE_FLASH, 0x30, g_workBuf);
    EXPECT_EQ(g_readLen, 52u);
    EXPECT_EQ(g_codeLen, 0);
    EXPECT_EQ(g_checksum, 0xFFFF);
    EXPECT_TRUE(WorkBufHolds(std::vector<BYTE>(52, 0xFF)));
    const BYTE cmd = Transfers().at(0).command;
    EXPECT_EQ(Transfers(), (std::vector<Transfer>{{cmd, 0, 48}, {cmd, 65583, 4}, {cmd, 0, 52}}));
    EXPECT_EQ(host.LastStatus().text, "Reading completed!");
}

TEST_P(ReadBackTest, TickedReadsTheGivenLength) {
    host.modifyLengthChecked = true;
    const auto data = RandomBytes(10000, 21);
    chip->WriteFlash(0, data);
    patch->ReadBack(MEMTYPE_FLASH, 10000, g_workBuf);
    EXPECT_TRUE(WorkBufHolds(data));
    EXPECT_EQ(host.progress, (std::vector<int>{0, 40, 81, 100}));
    // The counters are the user's and the header's business only.
    EXPECT_EQ(g_readLen, 0x30u);
    EXPECT_EQ(g_codeLen, 7);
    EXPECT_EQ(g_checksum, 7);
    EXPECT_EQ(chip->Xdata(GUARD), 0xA6);
}

TEST_P(ReadBackTest, TickedLengthZeroReadsNothing) {
    host.modifyLengthChecked = true;
    patch->ReadBack(MEMTYPE_FLASH, 0, g_workBuf);
    EXPECT_TRUE(Transfers().empty());
    EXPECT_EQ(host.progress, std::vector<int>{100});
    EXPECT_EQ(host.LastStatus(), (RecordingHost::Status{"Reading completed!", STATUS_GREEN}));
}

TEST_P(ReadBackTest, EepromHeaderPath) {
    const auto image = StoredImage(16, 22);
    chip->WriteEeprom(1, 0, image);
    patch->ReadBack(MEMTYPE_24C32_64, 0x30, g_workBuf);
    EXPECT_EQ(g_readLen, 68u);
    EXPECT_EQ(g_codeLen, 16);
    EXPECT_EQ(g_checksum, ReadBE16(image.data() + 66));
    EXPECT_TRUE(WorkBufHolds(image));
    // 48 + 4 + 68 single-byte reads, all behind memory selector 1.
    const auto reads = Sets(HID_CMD_EEPROM_READ);
    ASSERT_EQ(reads.size(), 120u);
    EXPECT_TRUE(std::all_of(reads.begin(), reads.end(), [](auto& r) { return r[8] == 1; }));
    EXPECT_EQ(Be16(reads[48], 2), 64u);
    EXPECT_TRUE(Transfers().empty());
    EXPECT_EQ(chip->Xdata(GUARD), 0xA6);
}

TEST_P(ReadBackTest, VersionFromFlashAndEeprom) {
    chip->WriteFlash(12, std::vector<BYTE>{1, 2, 3, 4});
    chip->WriteEeprom(0, 12, std::vector<BYTE>{5, 6, 7, 8});
    BYTE out[6] = {0, 0, 0, 0, 0xEE, 0xEE};
    patch->ReadDeviceVersion(MEMTYPE_FLASH, out);
    EXPECT_EQ(std::vector<BYTE>(out, out + 6), (std::vector<BYTE>{1, 2, 3, 4, 0xEE, 0xEE}));
    EXPECT_EQ(Transfers().size(), 1u);
    EXPECT_EQ(chip->Xdata(GUARD), 0xA6);

    chip->ClearLog();
    patch->ReadDeviceVersion(MEMTYPE_24C01_16, out);
    EXPECT_EQ(std::vector<BYTE>(out, out + 6), (std::vector<BYTE>{5, 6, 7, 8, 0xEE, 0xEE}));
    EXPECT_EQ(Sets(HID_CMD_EEPROM_READ).size(), 1u);
    EXPECT_TRUE(host.statuses.empty());
    EXPECT_TRUE(host.progress.empty());
    EXPECT_EQ(chip->Xdata(GUARD), 0xA6);
}

INSTANTIATE_TEST_SUITE_P(Chips, ReadBackTest, AllTargets(), [](const auto& info) { return TargetName(info.param); });

class ReadBackLimitTest : public FlashFixture, public ::testing::Test {};

// The read-length edit allows up to 0x8000000; the buffer holds 16 MB.
TEST_F(ReadBackLimitTest, TickedLengthIsClampedToTheBuffer) {
    Connect(ChipType::VQ7340, 1);
    chip->SetLogging(false);
    const auto tail = RandomBytes(4096, 23);
    chip->WriteFlash(IMAGE_BUFFER_SIZE - 4096, tail);
    host.modifyLengthChecked = true;
    const std::size_t before = chip->GetFeatureCount();
    patch->ReadBack(MEMTYPE_FLASH, 0x8000000, g_workBuf);
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), g_workBuf + IMAGE_BUFFER_SIZE - 4096));
    // Four register reads (guard, two SFRs, 0xF01F), then 4096 steps of two bulk reports.
    EXPECT_EQ(chip->GetFeatureCount() - before, 4 + 2u * 4096);
    EXPECT_EQ(host.LastStatus().text, "Reading completed!");
}

}  // namespace
}  // namespace flashtest
