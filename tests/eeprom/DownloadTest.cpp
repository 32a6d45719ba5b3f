// Download with verify of the EEPROM-only chips against emulated chips:
// progress arithmetic, the exact reports, the guard byte and oversized images.
#include "EepromFixture.h"

namespace eeprom_test {
namespace {

using DownloadTest = EepromFixture;

TEST_F(DownloadTest, VQ7140SSixteenBytesPausesAndMovesTheBarByByte) {
    CVQ7140SPatch patch;
    auto chip = Connect(patch, {.type = ChipType::VQ7140S});
    host.recordPauses = true;
    const auto data = Pattern(16);

    EXPECT_TRUE(Download(patch, data, MEMTYPE_24C01_16).ok);

    const std::vector<int> expected = {3,  6,  9,  12, 15, 18, 21, 25, 28, 31, 34, 37, 40, 43, 46, 50, 53,
                                       56, 59, 62, 65, 68, 71, 75, 78, 81, 84, 87, 90, 93, 96, 100, 100};
    EXPECT_EQ(host.progress, expected);
    EXPECT_EQ(host.statuses, (std::vector<RecordingHost::Status>{kDownloading, kVerifying, kSuccessful}));
    // 6 ms after every write, 1 ms inside every one-byte read.
    std::vector<DWORD> pauses(16, 6);
    pauses.insert(pauses.end(), 16, 1);
    EXPECT_EQ(host.pauses, pauses);
    EXPECT_EQ(chip->Eeprom(0, 0, 16), data);

    // Byte by byte, and never a word to XDATA.
    const auto log = chip->Log();
    EXPECT_EQ(CountCommand(log, HID_CMD_EEPROM_WRITE), 16u);
    EXPECT_EQ(CountCommand(log, HID_CMD_EEPROM_READ), 16u);
    EXPECT_EQ(CountCommand(log, HID_CMD_XDATA_WRITE) + CountCommand(log, HID_CMD_XDATA_READ), 0u);
    EXPECT_EQ(chip->Xdata(GUARD), GUARD_VALUE);
}

// Writes then reads in five-byte pieces with a short last piece.
struct PieceCase {
    DWORD len;
    std::vector<int> progress;
    std::vector<WORD> readOffsets;
};

void PrintTo(const PieceCase& c, std::ostream* os) { *os << c.len << " bytes"; }

class PieceTest : public EepromFixture, public ::testing::WithParamInterface<PieceCase> {};

TEST_P(PieceTest, VQ7140XXVerifiesInFiveBytePieces) {
    const PieceCase& c = GetParam();
    CVQ7140XXPatch patch;
    auto chip = Connect(patch, {.type = ChipType::VQ7140XX});
    const auto data = Pattern(c.len, 3);

    EXPECT_TRUE(Download(patch, data, MEMTYPE_24C32_64).ok);

    EXPECT_EQ(host.progress, c.progress);
    EXPECT_EQ(host.statuses, (std::vector<RecordingHost::Status>{kDownloading, kVerifying, kSuccessful}));
    EXPECT_EQ(chip->Eeprom(1, 0, c.len), data);
    std::vector<WORD> offsets;
    for (const auto& s : Sends(chip->Log()))
        if (s[1] == HID_CMD_EEPROM_READ) offsets.push_back(static_cast<WORD>(s[2] << 8 | s[3]));
    EXPECT_EQ(offsets, c.readOffsets);
    // Zeroed before the writes and left so.
    EXPECT_EQ(chip->Xdata(GUARD), 0);
}

INSTANTIATE_TEST_SUITE_P(Lengths, PieceTest,
                         ::testing::Values(PieceCase{3, {16, 33, 50, 100}, {0}},
                                           PieceCase{12, {4, 8, 12, 16, 20, 25, 29, 33, 37, 41, 45, 50, 70, 91, 100},
                                                     {0, 5, 10}},
                                           PieceCase{10, {5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 75, 100, 100}, {0, 5}},
                                           PieceCase{0, {100}, {}}));

TEST_F(DownloadTest, VQ7170ShortDownloadSendsExactlyTheseReports) {
    CVQ7170Patch patch;
    auto chip = Connect(patch, {.type = ChipType::VQ7170});
    const BYTE data[] = {0x11, 0x22, 0x33};

    EXPECT_TRUE(Download(patch, data, MEMTYPE_24C32_64).ok);

    const auto log = chip->Log();
    const std::vector<LoggedReport> expected = {
        Set("00 B5 F0 02 00 00 00 00 00"),
        {LoggedReport::Get, Bytes("00 B5 F0 02 5C 00 00 00 00"), true},
        Set("00 B6 F0 02 00 00 00 00 00"),
        Set("00 E6 00 00 11 00 00 00 01"),
        Set("00 E6 00 01 22 00 00 00 01"),
        Set("00 E6 00 02 33 00 00 00 01"),
        Set("00 E5 00 00 00 00 00 00 01"),
        {LoggedReport::Get, Bytes("00 E5 00 00 11 22 33 FF FF"), true},
        Set("00 B6 F0 02 5C 00 00 00 00"),
    };
    EXPECT_EQ(log, expected);
    EXPECT_EQ(host.statuses, (std::vector<RecordingHost::Status>{kDownloading, kVerifying, kSuccessful}));
    EXPECT_EQ(chip->Xdata(GUARD), GUARD_VALUE);
}

// An image bigger than the chip wraps onto its start, so the verify sees a
// difference. VQ7140S compares each byte as it reads it; the others after the
// whole pass.
TEST_F(DownloadTest, VerifyDifferenceOnVQ7170LeavesTheGuardAtZero) {
    CVQ7170Patch patch;
    auto chip = Connect(patch, {.type = ChipType::VQ7170, .eepromSize = {16, 16}});
    const auto data = Pattern(20, 5);

    EXPECT_FALSE(Download(patch, data, MEMTYPE_24C01_16).ok);

    EXPECT_EQ(host.statuses, (std::vector<RecordingHost::Status>{kDownloading, kVerifying, kVerifyError}));
    ASSERT_FALSE(host.progress.empty());
    EXPECT_EQ(host.progress.back(), 100);
    EXPECT_EQ(chip->Xdata(GUARD), 0);
    // The whole range was read before the comparison.
    EXPECT_EQ(CountCommand(chip->Log(), HID_CMD_EEPROM_READ), 4u);
    EXPECT_EQ(Sends(chip->Log()).back(), Bytes("00 E5 00 0F 00 00 00 00 00"));
}

TEST_F(DownloadTest, VQ7140SStopsAtTheFirstDifference) {
    CVQ7140SPatch patch;
    auto chip = Connect(patch, {.type = ChipType::VQ7140S, .eepromSize = {16, 16}});
    const auto data = Pattern(20, 5);

    EXPECT_FALSE(Download(patch, data, MEMTYPE_24C01_16).ok);

    EXPECT_EQ(host.statuses.back(), kVerifyError);
    EXPECT_EQ(CountCommand(chip->Log(), HID_CMD_EEPROM_READ), 1u);
    // Write pass 1..20 of 50, then the first verify step (52), then 100.
    ASSERT_EQ(host.progress.size(), 22u);
    EXPECT_EQ(host.progress[20], 52);
    EXPECT_EQ(host.progress[21], 100);
    EXPECT_EQ(chip->Xdata(GUARD), GUARD_VALUE);
}

class OversizeTest : public EepromFixture, public ::testing::WithParamInterface<ClassCase> {};

TEST_P(OversizeTest, ImageBeyondTheEepromSpaceIsRefusedUntouched) {
    auto patch = GetParam().make();
    auto chip = Connect(*patch, {.type = GetParam().type, .eepromSize = {65536, 65536}});
    const auto data = Pattern(65537, 9);

    EXPECT_FALSE(Download(*patch, data, MEMTYPE_24C01_16).ok);

    EXPECT_EQ(host.statuses, (std::vector<RecordingHost::Status>{{"Length(0x10001) Overflow!!!", STATUS_RED}}));
    EXPECT_EQ(host.progress, std::vector<int>{0});
    EXPECT_TRUE(chip->Log().empty());
    EXPECT_EQ(chip->Xdata(GUARD), GUARD_VALUE);
}

INSTANTIATE_TEST_SUITE_P(Classes, OversizeTest, ::testing::ValuesIn(kClasses), NameOf);

// The full EEPROM space still goes through, offsets up to 0xFFFF included.
TEST_F(DownloadTest, FullSixtyFourKilobytesGoThrough) {
    CVQ7170SPatch patch;
    auto chip = Connect(patch, {.type = ChipType::VQ7170S, .eepromSize = {2048, 65536}});
    const auto data = Pattern(65536, 11);

    EXPECT_TRUE(Download(patch, data, MEMTYPE_24C32_64).ok);

    EXPECT_EQ(host.LastStatus(), kSuccessful);
    EXPECT_EQ(chip->Eeprom(1, 0, 65536), data);
    const auto sends = Sends(chip->Log());
    // 13,107 full pieces, the last at 0xFFFA, and a one-byte rest at 0xFFFF.
    EXPECT_EQ(CountCommand(chip->Log(), HID_CMD_EEPROM_READ), 13108u);
    EXPECT_EQ(sends[sends.size() - 2], Bytes("00 E5 FF FF 00 00 00 00 01"));
    EXPECT_EQ(host.progress.back(), 100);
    for (int p : host.progress) EXPECT_LE(p, 100);
}

}  // namespace
}  // namespace eeprom_test
