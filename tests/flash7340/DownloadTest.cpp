// Flash and EEPROM downloads of VQ7340/VQ5632 on emulated chips: erase,
// write, the verify window, status texts, progress and the guard register.
#include "FlashFixture.h"
#include "JobChecks.h"

#include <algorithm>

namespace flashtest {
namespace {

using emu::ChipType;
using emu::LoggedReport;

constexpr COLORREF G = STATUS_GREEN;
constexpr COLORREF R = STATUS_RED;
constexpr WORD GUARD = 0xF051;

const std::vector<RecordingHost::Status> kFlashSuccess = {{"Flash Erasing......", G},
                                                          {"Erase Done!", G},
                                                          {"Upgrading......", G},
                                                          {"Verifing......", G},
                                                          {"Upgrade Successful", G}};

class DownloadTest : public FlashFixture, public ::testing::TestWithParam<Target> {
protected:
    void SetUp() override { Connect(GetParam().type, GetParam().reportId); }

    // Downloads data to flash; the chip's guard register holds 0x5C before.
    JobResult Download(const std::vector<BYTE>& data, BYTE memType = MEMTYPE_FLASH) {
        chip->SetXdata(GUARD, 0x5C);
        return ::Download(*patch, data, memType);
    }

    // Flash transfers after the write phase: the verify reads.
    std::vector<Transfer> VerifyReads(DWORD len) const {
        std::vector<Transfer> reads;
        DWORD written = 0;
        for (const Transfer& t : Transfers()) {
            if (written < len && t.command != HID_CMD_FLASH_READ) written += t.len;
            else reads.push_back(t);
        }
        return reads;
    }
};

TEST_P(DownloadTest, Of4096BytesErasesTwoSectorsAndTheExtraOne) {
    const auto data = RandomBytes(4096, 7);
    host.recordPauses = true;
    EXPECT_TRUE(Download(data).ok);
    EXPECT_EQ(host.statuses, kFlashSuccess);
    EXPECT_EQ(SectorErases(), (std::vector<DWORD>{0, 0x1000, 0xF000}));
    EXPECT_EQ(chip->Flash(0, 4096), data);
    // Sectors 0, 1; one write step; verify from 3840.
    EXPECT_EQ(host.progress, (std::vector<int>{0, 0, 5, 10, 98, 100}));
    EXPECT_EQ(host.pauses, std::vector<DWORD>{10});
    EXPECT_EQ(VerifyReads(4096).front().addr, 3840u);
    EXPECT_EQ(chip->Xdata(GUARD), 0x5C);
    // Left behind: flash on the bus.
    EXPECT_EQ(chip->Xdata(0xF01F) & 0x10, 0x10);
}

TEST_P(DownloadTest, ProgressOfAThreeStepImage) {
    Download(RandomBytes(10000, 8));
    // Erase 10*i/3; write 60/len from 10; verify from 9744 at 30/len from 70.
    EXPECT_EQ(host.progress, (std::vector<int>{0, 0, 3, 6, 10, 34, 59, 99, 100}));
}

TEST_P(DownloadTest, EmptyImageErasesSectorZeroAndTheExtraOne) {
    chip->WriteFlash(0xF000, RandomBytes(16, 9));
    EXPECT_TRUE(Download({}).ok);
    EXPECT_EQ(host.statuses, kFlashSuccess);
    EXPECT_EQ(SectorErases(), (std::vector<DWORD>{0, 0xF000}));
    EXPECT_EQ(chip->Flash(0xF000, 1), std::vector<BYTE>{0xFF});
    EXPECT_TRUE(Sets(HID_CMD_FLASH_WRITE).empty());
    EXPECT_EQ(host.progress.back(), 100);
    EXPECT_EQ(chip->Xdata(GUARD), 0x5C);
}

TEST_P(DownloadTest, RoundTripOfOneMegabyte) {
    chip->SetLogging(false);
    const auto data = RandomBytes(1u << 20, 10);
    EXPECT_TRUE(Download(data).ok);
    EXPECT_EQ(host.LastStatus(), (RecordingHost::Status{"Upgrade Successful", G}));
    EXPECT_EQ(chip->Flash(0, data.size()), data);

    const JobResult r = ReadBack(*patch, MEMTYPE_FLASH, static_cast<DWORD>(data.size()), true);
    EXPECT_EQ(chiptest::ReadBytes(r), data);
    EXPECT_EQ(host.LastStatus(), (RecordingHost::Status{"Reading completed!", G}));
}

// A flash that was not erased can't take new bytes: the download must not
// pass for a success.
TEST_P(DownloadTest, UnerasedFlashFailsTheVerify) {
    chip->WriteFlash(0, std::vector<BYTE>(4096, 0x00));
    // The loop's first erase fails; the extra sector erase that follows works.
    Fail(FailNth([](bool set, const BYTE* r, std::size_t len) {
        return set && len == 9 && r[1] == HID_CMD_FLASH_SECTOR_ERASE;
    }));
    const auto data = RandomBytes(8192, 11);
    EXPECT_FALSE(Download(data).ok);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Flash Erasing......", "Erase error!", "Upgrading......",
                                                 "Verifing......", "Verify error!"}));
    EXPECT_EQ(host.statuses[1].colour, R);
    EXPECT_EQ(SectorErases(), std::vector<DWORD>{0xF000});
    // The tail alone (sector 1) would have matched; the whole image is compared.
    EXPECT_EQ(chip->Flash(4096, 4096), std::vector<BYTE>(data.begin() + 4096, data.end()));
    EXPECT_EQ(VerifyReads(8192).front().addr, 0u);
    EXPECT_EQ(host.progress.back(), 100);
    EXPECT_EQ(chip->Xdata(GUARD), 0x00);
}

TEST_P(DownloadTest, FailedWriteIsNotReportedAsSuccess) {
    // The first write step of the image fails; the verify tail lies beyond it.
    Fail(FailNth([](bool set, const BYTE* r, std::size_t len) {
        return set && (len == BULK_REPORT_SIZE || (r[1] == HID_CMD_FLASH_WRITE && r[2] == 0));
    }));
    EXPECT_FALSE(Download(RandomBytes(3 * 4096, 12)).ok);
    EXPECT_EQ(host.LastStatus(), (RecordingHost::Status{"Verify error!", R}));
    EXPECT_EQ(chip->Xdata(GUARD), 0x00);
}

TEST_P(DownloadTest, FailedVerifyReadIsADifference) {
    // All-zero bytes: a read that delivers nothing must not compare equal.
    Fail(FailNth([](bool set, const BYTE* r, std::size_t len) {
        return !set && (len == BULK_REPORT_SIZE || r[1] == HID_CMD_FLASH_READ);
    }));
    const std::vector<BYTE> zeros(1000, 0);
    EXPECT_FALSE(Download(zeros).ok);
    EXPECT_EQ(chip->Flash(0, zeros.size()), zeros);
    EXPECT_EQ(host.LastStatus(), (RecordingHost::Status{"Verify error!", R}));
}

TEST_P(DownloadTest, GuardThatCannotBeReadIsRestoredAs0xFF) {
    Fail(FailNth([](bool set, const BYTE* r, std::size_t) {
        return set && r[1] == HID_CMD_XDATA_READ && r[2] == 0xF0 && r[3] == 0x51;
    }));
    EXPECT_TRUE(Download(RandomBytes(100, 13)).ok);
    EXPECT_EQ(host.LastStatus().text, "Upgrade Successful");
    EXPECT_EQ(chip->Xdata(GUARD), 0xFF);
}

// EEPROM path: any memory type but flash, byte by byte with 6 ms pauses.
TEST_P(DownloadTest, EepromPathByMemoryType) {
    for (BYTE memType : {MEMTYPE_24C01_16, MEMTYPE_24C32_64, BYTE{3}}) {
        SCOPED_TRACE(static_cast<int>(memType));
        const int selector = memType == MEMTYPE_24C32_64 ? 1 : 0;
        chip->WriteEeprom(selector, 0, std::vector<BYTE>(300, 0xFF));
        chip->ClearLog();
        host.Clear();
        const auto data = RandomBytes(300, memType);
        EXPECT_TRUE(Download(data, memType).ok);
        EXPECT_EQ(Texts(), (std::vector<std::string>{"Upgrading......", "Verifing......", "Upgrade Successful"}));
        EXPECT_EQ(chip->Eeprom(selector, 0, 300), data);
        EXPECT_TRUE(SectorErases().empty());
        // 300 writes of 6 ms, 10 ms, then 256 verify reads of 1 ms from 44.
        EXPECT_EQ(host.clockMs.load(), 300u * 6 + 10 + 256);
        const auto reads = Sets(HID_CMD_EEPROM_READ);
        ASSERT_EQ(reads.size(), 256u);
        EXPECT_EQ(Be16(reads.front(), 2), 44u);
        EXPECT_EQ(reads.front()[8], selector);
        EXPECT_EQ(chip->Xdata(GUARD), 0x5C);
        EXPECT_EQ(chip->Xdata(0xF01F) & 0x10, 0);
    }
}

// One EEPROM byte whose write request fails, in the verify tail (from 44) or
// before it: a write that failed is never an "Upgrade Successful".
TEST_P(DownloadTest, EepromWriteLostInTheTail) {
    for (const WORD lost : {WORD{299}, WORD{44}, WORD{43}, WORD{0}}) {
        SCOPED_TRACE(lost);
        chip->WriteEeprom(1, 0, std::vector<BYTE>(300, 0xFF));
        chip->ClearFaults();
        host.Clear();
        Fail(FailNth([lost](bool set, const BYTE* r, std::size_t len) {
            return set && len == 9 && r[1] == HID_CMD_EEPROM_WRITE && ReadBE16(r + 2) == lost;
        }));
        auto data = RandomBytes(300, 14);
        data[lost] = 0x00;
        EXPECT_FALSE(Download(data, MEMTYPE_24C32_64).ok);
        EXPECT_EQ(chip->Eeprom(1, lost, 1), std::vector<BYTE>{0xFF});
        EXPECT_EQ(host.LastStatus(), (RecordingHost::Status{"Verify error!", R}));
        EXPECT_EQ(chip->Xdata(GUARD), 0x00);
    }
}

// An EEPROM image beyond the 16-bit address space would wrap onto its own
// start: it is refused before anything is sent, and a read stops at its end.
TEST_P(DownloadTest, EepromJobsStayWithinTheAddressSpace) {
    chip->SetXdata(GUARD, 0x5C);
    const auto data = RandomBytes(65537, 5);
    EXPECT_FALSE(::Download(*patch, data, MEMTYPE_24C32_64).ok);
    EXPECT_EQ(host.statuses, (std::vector<RecordingHost::Status>{{"Length(0x10001) Overflow!!!", R}}));
    EXPECT_EQ(host.progress, std::vector<int>{0});
    EXPECT_TRUE(chip->Log().empty());
    EXPECT_EQ(chip->Xdata(GUARD), 0x5C);

    const JobResult r = ReadBack(*patch, MEMTYPE_24C32_64, 0x20000, true);
    EXPECT_EQ(Sets(HID_CMD_EEPROM_READ).size(), 65536u);
    EXPECT_EQ(r.found.readLen, 65536u);
}

INSTANTIATE_TEST_SUITE_P(Chips, DownloadTest, AllTargets(), [](const auto& info) { return TargetName(info.param); });

// --- erase plans ------------------------------------------------------------------

struct EraseCase {
    DWORD len;
    DWORD sectors;       // sectors 0..sectors-1 by the loop
    bool extraSector;    // then 0xF000
    bool chipErase;
};

void PrintTo(const EraseCase& c, std::ostream* os) { *os << "len " << c.len; }

class EraseTest : public FlashFixture, public ::testing::TestWithParam<EraseCase> {};

TEST_P(EraseTest, ErasesByLength) {
    const EraseCase& c = GetParam();
    Connect(ChipType::VQ7340, 1);
    chip->SetLogging(false);
    // Zeros wherever an erase should reach: a sector left out shows.
    chip->WriteFlash(0, std::vector<BYTE>(std::max<DWORD>(c.len + 4096, 0x10000), 0x00));
    const auto data = RandomBytes(c.len, c.len);
    EXPECT_TRUE(::Download(*patch, data, MEMTYPE_FLASH).ok);
    EXPECT_EQ(host.statuses, kFlashSuccess);
    EXPECT_EQ(chip->SectorEraseCount(), c.sectors + (c.extraSector ? 1 : 0));
    EXPECT_EQ(chip->ChipEraseCount(), c.chipErase ? 1u : 0u);
    EXPECT_EQ(chip->Flash(0, c.len), data);
    const bool extraErased = chip->Flash(0xF000, 4096) == std::vector<BYTE>(4096, 0xFF);
    if (c.len <= 0xF000) {
        EXPECT_EQ(extraErased, c.extraSector || c.sectors > 15);
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, EraseTest,
                         ::testing::Values(EraseCase{57343, 14, true, false}, EraseCase{57344, 15, false, false},
                                           EraseCase{61439, 15, false, false}, EraseCase{61440, 16, false, false},
                                           EraseCase{0x7FFFF, 128, false, false}, EraseCase{0x80000, 0, false, true}),
                         [](const auto& info) { return "Len" + std::to_string(info.param.len); });

// --- verify window ----------------------------------------------------------------

struct WindowCase {
    DWORD len;
    DWORD start;
};

void PrintTo(const WindowCase& c, std::ostream* os) { *os << "len " << c.len; }

class VerifyWindowTest : public FlashFixture, public ::testing::TestWithParam<WindowCase> {};

TEST_P(VerifyWindowTest, StartsWhereTheRuleSays) {
    const auto [len, start] = GetParam();
    Connect(ChipType::VQ5632, 0);
    const auto data = RandomBytes(len, len);
    EXPECT_TRUE(::Download(*patch, data, MEMTYPE_FLASH).ok);
    EXPECT_EQ(host.LastStatus().text, "Upgrade Successful");
    std::vector<Transfer> reads;
    for (const Transfer& t : Transfers()) {
        if (t.command == HID_CMD_FLASH_READ) reads.push_back(t);
    }
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.front().addr, start);
    DWORD covered = 0;
    for (const Transfer& t : reads) covered += t.len;
    EXPECT_EQ(covered, len - start);
}

INSTANTIATE_TEST_SUITE_P(Lengths, VerifyWindowTest,
                         ::testing::Values(WindowCase{256, 0}, WindowCase{257, 1}, WindowCase{65791, 65535},
                                           WindowCase{65792, 0}, WindowCase{70000, 4208}),
                         [](const auto& info) { return "Len" + std::to_string(info.param.len); });

// --- chip erase polling -----------------------------------------------------------

class ChipEraseTest : public FlashFixture, public ::testing::Test {
protected:
    std::vector<int> pollProgress;

    JobResult Run(int busyPolls) {
        Connect(ChipType::VQ7340, 1, busyPolls);
        chip->SetLogging(false);
        host.recordPauses = true;
        const auto data = RandomBytes(0x80000, 15);
        JobResult result = ::Download(*patch, data, MEMTYPE_FLASH);
        EXPECT_EQ(chip->Flash(0, data.size()), data);
        return result;
    }
    std::size_t Polls() const {
        return static_cast<std::size_t>(std::count(host.pauses.begin(), host.pauses.end(), 100u));
    }
};

TEST_F(ChipEraseTest, CompletionAtTheFirstPoll) {
    EXPECT_TRUE(Run(0).ok);
    EXPECT_EQ(Polls(), 1u);
    EXPECT_EQ(host.statuses, kFlashSuccess);
    EXPECT_EQ(std::vector<int>(host.progress.begin(), host.progress.begin() + 3), (std::vector<int>{0, 0, 10}));
}

TEST_F(ChipEraseTest, NeverCompletingChipGives2499PollsThenWrites) {
    // Written and verified, but the erase failed: not a success.
    const JobResult r = Run(-1);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.reason, "Erase error!");
    EXPECT_EQ(Polls(), 2499u);
    EXPECT_EQ(host.statuses[1], (RecordingHost::Status{"Erase error!", R}));
    EXPECT_EQ(host.statuses.back(), (RecordingHost::Status{"Upgrade Successful", G}));
    // Two slopes: 0..9 over polls 1..499, 10..19 from poll 500.
    const std::vector<int> polls(host.progress.begin() + 1, host.progress.begin() + 1 + 2499);
    EXPECT_EQ(polls[0], 0);
    EXPECT_EQ(polls[49], 1);
    EXPECT_EQ(polls[498], 9);
    EXPECT_EQ(polls[499], 10);
    EXPECT_EQ(polls[699], 11);
    EXPECT_EQ(polls[2498], 19);
    EXPECT_EQ(host.progress[2500], 10);  // the write phase
}

TEST_F(ChipEraseTest, FailedPollEndsTheErase) {
    Connect(ChipType::VQ7340, 1, -1);
    Fail(FailNth([](bool set, const BYTE* r, std::size_t len) {
        return !set && len == 9 && r[0] == 1 && r[1] == HID_CMD_FLASH_STATUS;
    }, 3));
    host.recordPauses = true;
    const auto data = RandomBytes(0x80000, 16);
    EXPECT_FALSE(::Download(*patch, data, MEMTYPE_FLASH).ok);
    EXPECT_EQ(Polls(), 3u);
    EXPECT_EQ(host.statuses[1], (RecordingHost::Status{"Erase error!", R}));
    EXPECT_EQ(host.LastStatus().text, "Upgrade Successful");
}

// A chip erase request that does not go out erased nothing: the polls run as
// before, but the erase is an error and the verify covers the whole image,
// whose first sector was never erased.
TEST_F(ChipEraseTest, FailedEraseRequestIsAnEraseError) {
    for (const int reportId : {0, 1}) {
        SCOPED_TRACE(reportId);
        if (chip) bus->Unplug(chip);
        Connect(ChipType::VQ7340, reportId, 0);
        chip->SetLogging(false);
        chip->WriteFlash(0, std::vector<BYTE>(4096, 0x00));
        Fail(FailNth([](bool set, const BYTE* r, std::size_t len) {
            return set && len == 9 && r[1] == HID_CMD_FLASH_CHIP_ERASE;
        }));
        host.recordPauses = true;
        const auto data = RandomBytes(0x80000, 19);
        EXPECT_FALSE(::Download(*patch, data, MEMTYPE_FLASH).ok);
        EXPECT_EQ(chip->ChipEraseCount(), 0u);
        EXPECT_EQ(Polls(), 1u);
        EXPECT_EQ(host.statuses[1], (RecordingHost::Status{"Erase error!", R}));
        EXPECT_EQ(host.LastStatus(), (RecordingHost::Status{"Verify error!", R}));
    }
}

// Chip erase and its status go with the device's report id: a report-id-0
// chip takes them (its status byte arrives one position later), and an
// image over the previous one is written and verified.
TEST_F(ChipEraseTest, ReportIdZeroDeviceTakesTheChipErase) {
    Connect(ChipType::VQ5632, 0, 2);
    const auto data = RandomBytes(0x80000, 17);
    EXPECT_TRUE(::Download(*patch, data, MEMTYPE_FLASH).ok);
    EXPECT_EQ(chip->ChipEraseCount(), 1u);
    EXPECT_EQ(host.statuses[1], (RecordingHost::Status{"Erase Done!", G}));
    EXPECT_EQ(host.LastStatus().text, "Upgrade Successful");
    const auto log = chip->Log();
    ASSERT_FALSE(log.empty());
    std::size_t polls = 0;
    for (const auto& r : log) {
        if (r.kind != emu::LoggedReport::Set || r.bytes.size() != 9) continue;
        if (r.bytes[1] == HID_CMD_FLASH_CHIP_ERASE) {
            EXPECT_EQ(r.bytes, emu::Bytes("00 FF FF 00 00 00 00 00 00"));
        }
        if (r.bytes[1] == HID_CMD_FLASH_STATUS) {
            EXPECT_EQ(r.bytes, emu::Bytes("00 FD FD 00 00 00 00 00 00"));
            ++polls;
        }
    }
    EXPECT_EQ(polls, 3u);  // two busy answers, then done

    // A second image goes over the first.
    host.Clear();
    chip->SetLogging(false);
    const auto next = RandomBytes(0x80000, 18);
    EXPECT_TRUE(::Download(*patch, next, MEMTYPE_FLASH).ok);
    EXPECT_EQ(host.LastStatus(), (RecordingHost::Status{"Upgrade Successful", G}));
    EXPECT_EQ(chip->Flash(0, next.size()), next);
}

}  // namespace flashtest

}  // namespace
