// VQ5520 read-back (by the stored header, or the length asked for when
// "Modify Length" is ticked), the version stamp and round trips.
#include "JobChecks.h"
#include "Vq5520Fixture.h"

namespace vq5520test {
namespace {

using chiptest::Found;
using chiptest::FoundOf;
using chiptest::ReadBytes;

// Puts bytes at address 0 of the memory that memType selects.
void Store(emu::Chip& chip, BYTE memType, const std::vector<BYTE>& bytes) {
    if (memType == MEMTYPE_FLASH) chip.WriteFlash(0, bytes);
    else chip.WriteEeprom(MemorySelector(memType), 0, bytes);
}

TEST_P(Vq5520Test, BlankDeviceReadsFiftyTwoBytes) {
    for (BYTE memType : {MEMTYPE_FLASH, MEMTYPE_24C32_64}) {
        SCOPED_TRACE(memType);
        host.Clear();
        const JobResult r = ReadBack(patch, memType, 0x30, false);
        // The 52 bytes replace the start of the window's image, and no more.
        EXPECT_EQ(FoundOf(r.found), (Found{52, 0, 0, 52, true}));
        EXPECT_EQ(ReadBytes(r), std::vector<BYTE>(52, 0xFF));
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

        const JobResult r = ReadBack(patch, row.memType, 0x30, false);
        const WORD codeLen = row.corrupt ? 0 : 300;
        const WORD checksum = row.corrupt ? 0 : ReadBE16(image.data() + 350);
        EXPECT_EQ(FoundOf(r.found), (Found{352, codeLen, checksum, 352, true}));
        EXPECT_EQ(ReadBytes(r), image);
        EXPECT_EQ(host.LastStatus(), kReadingCompleted);
    }
}

TEST_P(Vq5520Test, FlashHeaderReadsEightBytesAtATime) {
    const std::vector<BYTE> image = MakeImage(4, 9);
    chip->WriteFlash(0, image);
    const JobResult r = ReadBack(patch, MEMTYPE_FLASH, 0x30, false);
    Reports expected;
    for (BYTE a = 0; a < 48; a += 8) expected.push_back(Req({0xF5, 0, 0, a}));
    expected.push_back(Req("F5 00 00 34"));  // the sums after 4 code bytes
    for (BYTE a = 0; a < 56; a += 8) expected.push_back(Req({0xF5, 0, 0, a}));
    EXPECT_EQ(Sent({HID_CMD_FLASH_READ8}), expected);
    EXPECT_EQ(r.found.readLen, 56u);
    EXPECT_EQ(r.found.codeLen, 4);
}

// Ticked: the given length, no header, no change to the image state; a
// flash read that can't be sent ends the read as failed, its bytes at 0xFF.
TEST_P(Vq5520Test, TickedReadBackReadsTheGivenLength) {
    const std::vector<BYTE> flash = RandomBytes(32, 6);
    chip->WriteFlash(0, flash);
    const std::vector<RecordingHost::Status> failedStatuses = {kReading, {"Reading failed!", STATUS_RED}};

    // The job: nothing of the read counts.
    JobResult r;
    RunFailingFrom(HID_CMD_FLASH_READ8, 3, [&] { r = ReadBack(patch, MEMTYPE_FLASH, 20, true); });
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.image);
    EXPECT_EQ(FoundOf(r.found), chiptest::FailedRead(20));
    EXPECT_EQ(host.statuses, failedStatuses);
    EXPECT_EQ(chiptest::Lines(r), failedStatuses);

    // The buffer it read into: what came before the failure, then 0xFF.
    chip->ClearFaults();
    std::vector<BYTE> buffer(21);
    ReadFindings found;
    RunFailingFrom(HID_CMD_FLASH_READ8, 3, [&] {
        buffer[20] = 0x77;
        found = {};
        found.readLen = 20;
        patch.ReadBack(MEMTYPE_FLASH, 20, true, buffer.data(), found);
    });
    EXPECT_TRUE(std::equal(flash.begin(), flash.begin() + 16, buffer.begin()));
    EXPECT_TRUE(std::all_of(buffer.begin() + 16, buffer.begin() + 20, [](BYTE b) { return b == 0xFF; }));
    EXPECT_EQ(buffer[20], 0x77);
    EXPECT_EQ(FoundOf(found), chiptest::FailedRead(20));
    EXPECT_EQ(host.statuses, failedStatuses);
}

// The read-length edit allows more than the work buffer holds.
TEST_P(Vq5520Test, TickedLengthBeyondTheBufferIsCut) {
    ReadBack(patch, MEMTYPE_FLASH, 8, true);
    const std::size_t firstRead = SendNumberOf(HID_CMD_FLASH_READ8, 1);
    chip->SetLogging(false);
    const std::size_t before = chip->SetFeatureCount();
    const JobResult r = ReadBack(patch, MEMTYPE_FLASH, 0x2000000, true);
    EXPECT_EQ(chip->SetFeatureCount() - before, firstRead - 1 + IMAGE_BUFFER_SIZE / 8);
    ASSERT_TRUE(r.image);
    EXPECT_EQ(r.found.readLen, IMAGE_BUFFER_SIZE);
    const BYTE* bytes = r.image->bytes.data();
    EXPECT_TRUE(std::all_of(bytes, bytes + IMAGE_BUFFER_SIZE, [](BYTE b) { return b == 0xFF; }));
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
    EXPECT_TRUE(Download(patch, data, MEMTYPE_FLASH).ok);
    ASSERT_EQ(host.LastStatus(), kSuccessful);

    const JobResult r = ReadBack(patch, MEMTYPE_FLASH, static_cast<DWORD>(data.size()), true);
    EXPECT_EQ(ReadBytes(r), data);
}

TEST_P(Vq5520Test, EepromRoundTripOf4KOn24C64) {
    const std::vector<BYTE> image = MakeImage(4096 - 52, 8);
    chip->SetLogging(false);
    EXPECT_TRUE(Download(patch, image, MEMTYPE_24C32_64).ok);
    ASSERT_EQ(host.LastStatus(), kSuccessful);
    EXPECT_EQ(chip->Eeprom(1, 0, 4096), image);

    const JobResult r = ReadBack(patch, MEMTYPE_24C32_64, 0x30, false);
    // Read by its header, and taken as the window's image.
    EXPECT_EQ(FoundOf(r.found), (Found{4096, 4096 - 52, ReadBE16(image.data() + 4094), 4096, true}));
    EXPECT_EQ(ReadBytes(r), image);
}

}  // namespace
}  // namespace vq5520test
