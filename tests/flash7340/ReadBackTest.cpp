// Read-back by the stored header or by the given length, and the device
// version, of VQ7340/VQ5632 on emulated chips.
#include "FlashFixture.h"
#include "JobChecks.h"

#include <algorithm>
#include <cstring>

namespace flashtest {
namespace {

using emu::ChipType;

constexpr WORD GUARD = 0xF051;
using chiptest::Found;
using chiptest::FoundOf;
using chiptest::ReadBlock;
using chiptest::ReadBytes;

class ReadBackTest : public FlashFixture, public ::testing::TestWithParam<Target> {
protected:
    void SetUp() override {
        Connect(GetParam().type, GetParam().reportId);
        chip->SetXdata(GUARD, 0xA6);
    }
    // The read brought back these bytes and wrote nothing behind them.
    static bool ReadHolds(const JobResult& r, const std::vector<BYTE>& bytes) {
        auto block = bytes;
        block.push_back(0);
        return ReadBytes(r) == bytes && ReadBlock(r, bytes.size() + 1) == block;
    }
};

TEST_P(ReadBackTest, HeaderPathReadsTheStoredImage) {
    auto image = StoredImage(0x0100, 20);
    WriteBE16(image.data() + 306, 0x1234);  // the stored code sum is taken as it is
    chip->WriteFlash(0, image);

    const JobResult r = ReadBack(*patch, MEMTYPE_FLASH, 0x30, false);
    // The window's image and option page stay as they are.
    EXPECT_EQ(FoundOf(r.found), (Found{308, 256, 0x1234, 0, false}));
    EXPECT_TRUE(ReadHolds(r, image));
    // Header, the four sums at 48 + 256, then one step of 308.
    const BYTE cmd = Transfers().at(0).command;
    EXPECT_EQ(Transfers(), (std::vector<Transfer>{{cmd, 0, 48}, {cmd, 304, 4}, {cmd, 0, 308}}));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Reading......", "Reading completed!"}));
    EXPECT_EQ(host.progress, (std::vector<int>{0, 100}));
    EXPECT_EQ(chip->Xdata(GUARD), 0xA6);
    EXPECT_TRUE(r.ok);
}

TEST_P(ReadBackTest, BlankFlashFailsTheHeaderSum) {
    const JobResult r = ReadBack(*patch, MEMTYPE_FLASH, 0x30, false);
    EXPECT_EQ(FoundOf(r.found), (Found{52, 0, 0xFFFF, 0, false}));
    EXPECT_TRUE(ReadHolds(r, std::vector<BYTE>(52, 0xFF)));
    const BYTE cmd = Transfers().at(0).command;
    EXPECT_EQ(Transfers(), (std::vector<Transfer>{{cmd, 0, 48}, {cmd, 65583, 4}, {cmd, 0, 52}}));
    EXPECT_EQ(host.LastStatus().text, "Reading completed!");
}

TEST_P(ReadBackTest, TickedReadsTheGivenLength) {
    const auto data = RandomBytes(10000, 21);
    chip->WriteFlash(0, data);
    const JobResult r = ReadBack(*patch, MEMTYPE_FLASH, 10000, true);
    EXPECT_TRUE(ReadHolds(r, data));
    EXPECT_EQ(host.progress, (std::vector<int>{0, 40, 81, 100}));
    // The length is the user's, code length and checksum the header's business only.
    EXPECT_EQ(FoundOf(r.found), (Found{10000, std::nullopt, std::nullopt, 0, false}));
    EXPECT_EQ(chip->Xdata(GUARD), 0xA6);
}

TEST_P(ReadBackTest, TickedLengthZeroReadsNothing) {
    const JobResult r = ReadBack(*patch, MEMTYPE_FLASH, 0, true);
    EXPECT_TRUE(ReadBytes(r).empty());
    EXPECT_TRUE(Transfers().empty());
    EXPECT_EQ(host.progress, std::vector<int>{100});
    EXPECT_EQ(host.LastStatus(), (RecordingHost::Status{"Reading completed!", STATUS_GREEN}));
}

TEST_P(ReadBackTest, EepromHeaderPath) {
    const auto image = StoredImage(16, 22);
    chip->WriteEeprom(1, 0, image);
    const JobResult r = ReadBack(*patch, MEMTYPE_24C32_64, 0x30, false);
    EXPECT_EQ(FoundOf(r.found), (Found{68, 16, ReadBE16(image.data() + 66), 0, false}));
    EXPECT_TRUE(ReadHolds(r, image));
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
    const std::size_t before = chip->GetFeatureCount();
    const JobResult r = ReadBack(*patch, MEMTYPE_FLASH, 0x8000000, true);
    ASSERT_TRUE(r.image);
    EXPECT_EQ(r.found.readLen, IMAGE_BUFFER_SIZE);
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), r.image->bytes.data() + IMAGE_BUFFER_SIZE - 4096));
    // Four register reads (guard, two SFRs, 0xF01F), then 4096 steps of two bulk reports.
    EXPECT_EQ(chip->GetFeatureCount() - before, 4 + 2u * 4096);
    EXPECT_EQ(host.LastStatus().text, "Reading completed!");
}

}  // namespace
}  // namespace flashtest
