// VQ5520 read-back (by the stored header, or the length asked for when
// "Modify Length" is ticked), the version stamp and round trips.
#include "Vq5520Fixture.h"

namespace vq5520test {
namespace {

// Puts bytes at address 0 of the memory that memType selects.
void Store(emu::Chip& chip, BYTE memType, const std::vector<BYTE>& bytes) {
    if (memType == MEMTYPE_FLASH) chip.WriteFlash(0, bytes);
    else chip.WriteEeprom(MemorySelector(memType), 0, bytes);
}

void SetGlobals(DWORD readLen, WORD codeLen, WORD checksum) {
    g_readLen = readLen;
    g_codeLen = codeLen;
    g_checksum = checksum;
}

TEST_P(Vq5520Test, BlankDeviceReadsFiftyTwoBytes) {
    for (BYTE memType : {MEMTYPE_FLASH, MEMTYPE_24C32_64}) {
        SCOPED_TRACE(memType);
        host.Clear();
        SetGlobals(0x30, 123, 456);
        g_image[52] = 0x5A;
        patch.ReadBack(memType, g_readLen, g_workBuf);
        EXPECT_EQ(g_readLen, 52u);
        EXPECT_EQ(g_codeLen, 0);
        EXPECT_EQ(g_checksum, 0);
        EXPECT_TRUE(std::all_of(g_image, g_image + 52, [](BYTE b) { return b == 0xFF; }));
        EXPECT_EQ(g_image[52], 0x5A);
        EXPECT_EQ(host.pageRefreshes, 1);
        EXPECT_EQ(host.statuses, (std::vector{kReading, kReadingCompleted}));
        EXPECT_EQ(host.progress.back(), 100);
    }
}

TEST_P(Vq5520Test, StoredImageIsReadByItsHeader) {
    struct Row {
        BYTE memType;
        bool corrupt;  // a code byte changed on the chip
    };
    for (const Row row : {Row{MEMTYPE_FLASH, false}, Row{MEMTYPE_FLASH, true}, Row{MEMTYPE_24C01_16, false},
                          Row{MEMTYPE_24C32_64, true}}) {
        SCOPED_TRACE(testing::Message() << int(row.memType) << (row.corrupt ? " corrupt" : ""));
        std::vector<BYTE> image = MakeImage(300, row.memType);
        if (row.corrupt) image[100] ^= 0x01;
        Store(*chip, row.memType, image);
        host.Clear();
        SetGlobals(0x30, 1, 2);

        patch.ReadBack(row.memType, g_readLen, g_workBuf);
        EXPECT_EQ(g_readLen, 352u);
        EXPECT_EQ(g_codeLen, row.corrupt ? 0 : 300);
        EXPECT_EQ(g_checksum, row.corrupt ? 0 : ReadBE16(image.data() + 350));
        EXPECT_TRUE(std::equal(image.begin(), image.end(), g_image));
        EXPECT_EQ(host.pageRefreshes, 1);
        EXPECT_EQ(host.LastStatus(), kReadingCompleted);
    }
}

TEST_P(Vq5520Test, FlashHeaderReadsEightBytesAtATime) {
    const std::vector<BYTE> image = MakeImage(4, 9);
    chip->WriteFlash(0, image);
    patch.ReadBack(MEMTYPE_FLASH, 0x30, g_workBuf);
    Reports expected;
    for (BYTE a = 0; a < 48; a += 8) expected.push_back(Req({0xF5, 0, 0, a}));
    expected.push_back(Req("F5 00 00 34"));  // the sums after 4 code bytes
    for (BYTE a = 0; a < 56; a += 8) expected.push_back(Req({0xF5, 0, 0, a}));
    EXPECT_EQ(Sent({HID_CMD_FLASH_READ8}), expected);
    EXPECT_EQ(g_readLen, 56u);
    EXPECT_EQ(g_codeLen, 4);
}

// Ticked: the given length, no header, no change to the image state; a
// flash read that can't be sent ends the read as failed, its bytes at 0xFF.
TEST_P(Vq5520Test, TickedReadBackReadsTheGivenLength) {
    const std::vector<BYTE> flash = RandomBytes(32, 6);
    chip->WriteFlash(0, flash);
    host.modifyLengthChecked = true;
    SetGlobals(0x20, 7, 8);
    const std::vector<BYTE> imageBefore(g_image, g_image + 64);
    RunFailingFrom(HID_CMD_FLASH_READ8, 3, [&] {
        g_workBuf[20] = 0x77;
        patch.ReadBack(MEMTYPE_FLASH, 20, g_workBuf);
    });

    EXPECT_TRUE(std::equal(flash.begin(), flash.begin() + 16, g_workBuf));
    EXPECT_TRUE(std::all_of(g_workBuf + 16, g_workBuf + 20, [](BYTE b) { return b == 0xFF; }));
    EXPECT_EQ(g_workBuf[20], 0x77);
    EXPECT_EQ(g_readLen, 0x20u);
    EXPECT_EQ(g_codeLen, 7);
    EXPECT_EQ(g_checksum, 8);
    EXPECT_TRUE(std::equal(imageBefore.begin(), imageBefore.end(), g_image));
    EXPECT_EQ(host.pageRefreshes, 0);
    EXPECT_EQ(host.statuses, (std::vector{kReading, RecordingHost::Status{"Reading failed!", STATUS_RED}}));
}

// The read-length edit allows more than the work buffer holds.
TEST_P(Vq5520Test, TickedLengthBeyondTheBufferIsCut) {
    host.modifyLengthChecked = true;
    patch.ReadBack(MEMTYPE_FLASH, 8, g_workBuf);
    const std::size_t firstRead = SendNumberOf(HID_CMD_FLASH_READ8, 1);
    chip->SetLogging(false);
    const std::size_t before = chip->SetFeatureCount();
    patch.ReadBack(MEMTYPE_FLASH, 0x2000000, g_workBuf);
    EXPECT_EQ(chip->SetFeatureCount() - before, firstRead - 1 + IMAGE_BUFFER_SIZE / 8);
    EXPECT_TRUE(std::all_of(g_workBuf, g_workBuf + IMAGE_BUFFER_SIZE, [](BYTE b) { return b == 0xFF; }));
    EXPECT_EQ(host.progress.back(), 100);
    EXPECT_EQ(host.LastStatus().text, "Reading completed!");
}

TEST_P(Vq5520Test, DeviceVersionFromEitherMemory) {
    chip->WriteFlash(0, RandomBytes(12, 1));
    chip->WriteFlash(12, std::vector<BYTE>{1, 2, 3, 4, 9});
    chip->WriteEeprom(0, 12, std::vector<BYTE>{5, 6, 7, 8, 9});
    chip->WriteEeprom(1, 12, std::vector<BYTE>{10, 11, 12, 13, 9});
    struct Row {
        BYTE memType;
        BYTE muxBefore;  // the opposite memory on the bus
        std::vector<BYTE> version;
    };
    for (const Row& row : {Row{MEMTYPE_FLASH, 0x04, {1, 2, 3, 4}}, Row{MEMTYPE_24C01_16, 0x00, {5, 6, 7, 8}},
                           Row{MEMTYPE_24C32_64, 0x00, {10, 11, 12, 13}}}) {
        SCOPED_TRACE(row.memType);
        chip->SetXdata(0xF016, row.muxBefore);
        BYTE out[5] = {0, 0, 0, 0, 0xEE};
        patch.ReadDeviceVersion(row.memType, out);
        EXPECT_EQ(std::vector<BYTE>(out, out + 4), row.version);
        EXPECT_EQ(out[4], 0xEE);
    }
    EXPECT_TRUE(host.statuses.empty());
    EXPECT_TRUE(host.progress.empty());
}

TEST_P(Vq5520Test, FlashRoundTripOf256K) {
    const std::vector<BYTE> data = RandomBytes(256 * 1024, 7);
    chip->SetLogging(false);
    std::copy(data.begin(), data.end(), g_workBuf);
    patch.Download(MEMTYPE_FLASH, static_cast<DWORD>(data.size()), g_workBuf);
    ASSERT_EQ(host.LastStatus(), kSuccessful);

    std::fill(g_workBuf, g_workBuf + data.size(), 0);
    host.modifyLengthChecked = true;
    patch.ReadBack(MEMTYPE_FLASH, static_cast<DWORD>(data.size()), g_workBuf);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), g_workBuf));
}

TEST_P(Vq5520Test, EepromRoundTripOf4KOn24C64) {
    const std::vector<BYTE> image = MakeImage(4096 - 52, 8);
    chip->SetLogging(false);
    std::copy(image.begin(), image.end(), g_workBuf);
    patch.Download(MEMTYPE_24C32_64, 4096, g_workBuf);
    ASSERT_EQ(host.LastStatus(), kSuccessful);
    EXPECT_EQ(chip->Eeprom(1, 0, 4096), image);

    std::fill(g_workBuf, g_workBuf + 4096, 0);
    SetGlobals(0x30, 0, 0);
    patch.ReadBack(MEMTYPE_24C32_64, g_readLen, g_workBuf);
    EXPECT_EQ(g_readLen, 4096u);
    EXPECT_EQ(g_codeLen, 4096 - 52);
    EXPECT_EQ(g_checksum, ReadBE16(image.data() + 4094));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), g_image));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), g_workBuf));
}

}  // namespace
}  // namespace vq5520test
