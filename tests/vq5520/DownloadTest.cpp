// VQ5520 download: flash erase, four-byte and single-byte writes, the full
// verify, the EEPROM path with its SFR toggles, and the ways a job ends early.
#include "Vq5520Fixture.h"

namespace vq5520test {
namespace {

TEST_P(Vq5520Test, FlashLengthZeroErasesSectorZeroAndSucceeds) {
    host.recordPauses = true;
    const BYTE none = 0;
    patch.Download(MEMTYPE_FLASH, 0, &none);
    EXPECT_EQ(Sent({HID_CMD_FLASH_SECTOR_ERASE}), Reports{Req("FB 00 00")});
    EXPECT_TRUE(Sent({HID_CMD_FLASH_WRITE4, HID_CMD_FLASH_WRITE1, HID_CMD_FLASH_READ8}).empty());
    EXPECT_EQ(host.statuses, (std::vector{kErasing, kDownloading, kVerifying, kSuccessful}));
    EXPECT_EQ(host.progress, (std::vector{0, 100}));
    EXPECT_EQ(host.pauses, (std::vector<DWORD>{200, 10}));
}

TEST_P(Vq5520Test, FlashLengthTenWritesFourFourOneOneAndVerifiesTwoReads) {
    // Bytes past the length differ from erased flash: the verify must not
    // look at them.
    std::vector<BYTE> data = RandomBytes(16, 10);
    std::fill(data.begin() + 10, data.end(), 0x00);
    patch.Download(MEMTYPE_FLASH, 10, data.data());

    const BYTE* d = data.data();
    EXPECT_EQ(Sent({HID_CMD_FLASH_WRITE4, HID_CMD_FLASH_WRITE1}),
              (Reports{Req({0x34, 0, 0, 0, d[0], d[1], d[2], d[3]}), Req({0x34, 0, 0, 4, d[4], d[5], d[6], d[7]}),
                       Req({0xF6, 0, 0, 8, d[8]}), Req({0xF6, 0, 0, 9, d[9]})}));
    EXPECT_EQ(Sent({HID_CMD_FLASH_READ8}), (Reports{Req("F5 00 00 00"), Req("F5 00 00 08")}));
    EXPECT_EQ(host.LastStatus(), kSuccessful);
    // Erase 0, writes at 0, 4, 8, 9, verify reads at 0, 8, end.
    EXPECT_EQ(host.progress, (std::vector{0, 10, 50, 90, 100, 10, 90, 100}));
    // Built at its full size: growing a ten-byte vector with resize() makes
    // GCC 12 at -O3 report a false -Warray-bounds in the move it inlines.
    std::vector<BYTE> expected(16, 0xFF);
    std::copy(data.begin(), data.begin() + 10, expected.begin());
    EXPECT_EQ(chip->Flash(0, 16), expected);
}

TEST_P(Vq5520Test, FullSectorImageErasesOneSectorMore) {
    const std::vector<BYTE> data = RandomBytes(4096, 4096);
    patch.Download(MEMTYPE_FLASH, 4096, data.data());
    EXPECT_EQ(Sent({HID_CMD_FLASH_SECTOR_ERASE}), (Reports{Req("FB 00 00"), Req("FB 00 01")}));
    EXPECT_EQ(std::vector(host.progress.begin(), host.progress.begin() + 2), (std::vector{0, 50}));
    EXPECT_EQ(host.clockMs.load(), 200u + 200u + 10u);
    EXPECT_EQ(host.LastStatus(), kSuccessful);
}

// Every sector an image touches is erased, up to the 256 that the one-byte
// sector index reaches; the flash starts written over (0x00), so a sector
// left unerased would fail the verify.
TEST_P(Vq5520Test, ErasesEverySectorTheImageNeeds) {
    struct Row {
        DWORD len;
        std::size_t sectors;
    };
    const Row rows[] = {{1, 1},           {4095, 1},          {4096, 2},          {8191, 2},
                        {1044479, 255},   {1044480, 256},     {1048575, 256},     {1048576, 256}};
    const std::vector<BYTE> image = RandomBytes(1048576, 1);
    const std::vector<BYTE> written(1048576 + 4096, 0x00);
    chip->SetLogging(false);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.len);
        chip->WriteFlash(0, written);
        host.Clear();
        const std::size_t before = chip->SectorEraseCount();
        patch.Download(MEMTYPE_FLASH, row.len, image.data());
        EXPECT_EQ(chip->SectorEraseCount() - before, row.sectors);
        EXPECT_EQ(host.LastStatus(), kSuccessful);
        EXPECT_TRUE(chip->Flash(0, row.len) == std::vector(image.begin(), image.begin() + row.len));
    }
}

// Past 1 MB no sector index is left: the image lands where the flash is
// blank, and the verify tells when it is not.
TEST_P(Vq5520Test, ImagePastErasableRangeIsJudgedByTheVerify) {
    const DWORD len = 1048576 + 8192;
    const std::vector<BYTE> image = RandomBytes(len, 2);
    chip->SetLogging(false);
    patch.Download(MEMTYPE_FLASH, len, image.data());
    EXPECT_EQ(chip->SectorEraseCount(), 256u);
    EXPECT_EQ(host.LastStatus(), kSuccessful);

    chip->WriteFlash(1048576, std::vector<BYTE>(4096, 0x00));
    patch.Download(MEMTYPE_FLASH, len, image.data());
    EXPECT_EQ(host.LastStatus(), kVerifyError);
    EXPECT_EQ(host.progress.back(), 100);
}

TEST_P(Vq5520Test, FailedEraseSendEndsWithLinkError) {
    const std::vector<BYTE> data = RandomBytes(4096, 3);
    RunFailingFrom(HID_CMD_FLASH_SECTOR_ERASE, 2, [&] { patch.Download(MEMTYPE_FLASH, 4096, data.data()); });
    EXPECT_EQ(host.statuses, (std::vector{kErasing, kLinkError}));
    EXPECT_EQ(host.progress, (std::vector{0, 50, 100}));
    ExpectEndsWithFailedSend(Req("FB 00 01"));  // nothing follows it
}

TEST_P(Vq5520Test, FailedFourByteWriteSendEndsWithLinkError) {
    const std::vector<BYTE> data = RandomBytes(16, 4);
    RunFailingFrom(HID_CMD_FLASH_WRITE4, 3, [&] { patch.Download(MEMTYPE_FLASH, 16, data.data()); });
    EXPECT_EQ(host.statuses, (std::vector{kErasing, kDownloading, kLinkError}));
    EXPECT_EQ(host.progress.back(), 100);
    const BYTE* d = data.data() + 8;
    ExpectEndsWithFailedSend(Req({0x34, 0, 0, 8, d[0], d[1], d[2], d[3]}));
}

// The second verify read fails to go out; the bytes it should have checked
// equal the first eight, so comparing the stale reply would pass.
TEST_P(Vq5520Test, VerifyReadThatCannotBeSentIsAMismatch) {
    std::vector<BYTE> data = RandomBytes(16, 5);
    std::copy(data.begin(), data.begin() + 8, data.begin() + 8);
    RunFailingFrom(HID_CMD_FLASH_READ8, 2, [&] { patch.Download(MEMTYPE_FLASH, 16, data.data()); });
    EXPECT_EQ(host.LastStatus(), kVerifyError);
    EXPECT_EQ(host.progress.back(), 100);
    ExpectEndsWithFailedSend(Req("F5 00 00 08"));
}

TEST_P(Vq5520Test, EepromDownloadTogglesSfrBitsAroundEveryByte) {
    for (BYTE memType : {MEMTYPE_24C01_16, MEMTYPE_24C32_64}) {
        SCOPED_TRACE(memType);
        const BYTE sel = MemorySelector(memType);
        chip->SetSfr(0xA0, 0xFF);
        chip->SetSfr(0xB0, 0x00);
        chip->SetXdata(0xF016, 0x00);
        chip->ClearLog();
        host.Clear();
        host.recordPauses = true;

        const BYTE data[3] = {0x11, 0x22, 0x33};
        patch.Download(memType, 3, data);

        Reports expected = {Req("C5 B0"), Req("C6 B0 DC"), Req("C5 A0"), Req("C6 A0 E7"),
                            Req("B5 F0 16"), Req("B6 F0 16 04")};
        for (BYTE i = 0; i < 3; ++i) {
            for (const char* r : {"C5 A0", "C6 A0 C7", "C5 B0", "C6 B0 FC"}) expected.push_back(Req(r));
            expected.push_back(Req({0xE6, 0, i, data[i], 0, 0, 0, sel}));
        }
        expected.push_back(Req("C5 B0"));
        expected.push_back(Req("C6 B0 DC"));
        for (BYTE i = 0; i < 3; ++i) expected.push_back(Req({0xE5, 0, i, 0, 0, 0, 0, sel}));
        EXPECT_EQ(Sent({HID_CMD_SFR_READ, HID_CMD_SFR_WRITE, HID_CMD_XDATA_READ, HID_CMD_XDATA_WRITE,
                        HID_CMD_EEPROM_WRITE, HID_CMD_EEPROM_READ}),
                  expected);
        EXPECT_EQ(host.statuses, (std::vector{kDownloading, kVerifying, kSuccessful}));
        EXPECT_EQ(host.pauses, (std::vector<DWORD>{6, 6, 6, 10, 1, 1, 1}));
        EXPECT_EQ(host.progress, (std::vector{33, 66, 100, 33, 66, 100, 100}));
        EXPECT_EQ(chip->Eeprom(sel, 0, 3), std::vector<BYTE>(data, data + 3));
        EXPECT_EQ(chip->Sfr(0xB0) & 0x20, 0);
    }
}

TEST_P(Vq5520Test, FlashMuxSequence) {
    chip->SetSfr(0xA0, 0x18);
    chip->SetSfr(0xB0, 0x01);
    chip->SetXdata(0xF016, 0xFF);
    patch.SelectFlashMux();
    EXPECT_EQ(Sent({HID_CMD_SFR_READ, HID_CMD_SFR_WRITE, HID_CMD_XDATA_READ, HID_CMD_XDATA_WRITE}),
              (Reports{Req("C5 B0"), Req("C6 B0 DD"), Req("C5 A0"), Req("C6 A0 00"), Req("C5 A0"), Req("C6 A0 04"),
                       Req("B5 F0 16"), Req("B6 F0 16 FB")}));
    EXPECT_EQ(chip->Log().size(), 12u);  // four of them reads with a fetch
}

INSTANTIATE_TEST_SUITE_P(ReportIds, Vq5520Test, ::testing::Values(0, 1),
                         [](const auto& info) { return "Id" + std::to_string(info.param); });

}  // namespace
}  // namespace vq5520test

namespace vq5520test {

// An EEPROM image beyond the 16-bit address space would wrap onto its own
// start: it is refused before anything is sent, and a read stops at its end.
TEST_P(Vq5520Test, EepromJobsStayWithinTheAddressSpace) {
    const auto data = RandomBytes(65537, 5);
    EXPECT_FALSE(Download(patch, data, MEMTYPE_24C32_64).ok);
    EXPECT_EQ(host.statuses, (std::vector<RecordingHost::Status>{{"Length(0x10001) Overflow!!!", STATUS_RED}}));
    EXPECT_EQ(host.progress, std::vector<int>{0});
    EXPECT_TRUE(chip->Log().empty());

    const JobResult r = ReadBack(patch, MEMTYPE_24C32_64, 0x20000, true);
    EXPECT_EQ(Sent({HID_CMD_EEPROM_READ}).size(), 65536u);
    EXPECT_EQ(r.found.readLen, 65536u);
}

}  // namespace vq5520test
