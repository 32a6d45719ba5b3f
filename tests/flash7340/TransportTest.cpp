// Flash transfers, access modes and the guard register of VQ7340/VQ5632, as
// the emulated chip receives them.
#include "FlashFixture.h"

#include <algorithm>
#include <cstring>

namespace flashtest {
namespace {

using emu::Bytes;
using emu::ChipType;
using emu::LoggedReport;

class TransportTest : public FlashFixture, public ::testing::Test {};

TEST_F(TransportTest, BulkReadOf4096IsOneSetupAndTwoReports) {
    Connect(ChipType::VQ5632, 1);
    const auto data = RandomBytes(4096, 1);
    PrepareFlash(0x3000, data);

    std::vector<BYTE> out(4100, 0xEE);
    EXPECT_EQ(patch->ReadFlash(0x3000, 4096, out.data()), TRUE);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
    EXPECT_EQ(out[4096], 0xEE);
    const auto log = chip->Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], (LoggedReport{LoggedReport::Set, Bytes("01 E7 00 00 30 00 10 00 00"), true}));
    EXPECT_EQ(log[1].bytes.size(), 4096u);
    EXPECT_EQ(log[2].kind, LoggedReport::Get);
    EXPECT_EQ(log[2].bytes[1], data[4095]);  // the second report brings one byte
}

TEST_F(TransportTest, BulkReadOf48IsOneReport) {
    Connect(ChipType::VQ5632, 1);
    const auto data = RandomBytes(48, 2);
    PrepareFlash(0, data);

    std::vector<BYTE> out(64, 0xEE);
    EXPECT_EQ(patch->ReadFlash(0, 48, out.data()), TRUE);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
    EXPECT_EQ(out[48], 0xEE);
    EXPECT_EQ(chip->Log().size(), 2u);
}

TEST_F(TransportTest, StreamedReadStepsCarryTheStartAddress) {
    Connect(ChipType::VQ7340, 0);
    const auto data = RandomBytes(20, 3);
    PrepareFlash(0x012345, data);

    std::vector<BYTE> out(24, 0xEE);
    EXPECT_EQ(patch->ReadFlash(0x012345, 20, out.data()), TRUE);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
    EXPECT_EQ(out[20], 0xEE);
    const auto starts = Sets(HID_CMD_FLASH_READ);
    ASSERT_EQ(starts.size(), 4u);
    EXPECT_EQ(starts[0], Bytes("00 F7 01 01 23 45 00 14 00"));
    for (int k = 1; k <= 3; ++k) {
        const auto& b = starts[static_cast<std::size_t>(k)];
        EXPECT_EQ(std::vector<BYTE>(b.begin(), b.begin() + 8),
                  Join(Bytes("00 F7 00 01 23 45 00"), {static_cast<BYTE>(8 * (k - 1))}));
    }
}

TEST_F(TransportTest, StreamedWriteOf4096IsOneStartAnd683Steps) {
    Connect(ChipType::VQ7340, 0);
    PrepareFlash();
    const auto data = RandomBytes(4096, 4);

    EXPECT_EQ(patch->WriteFlash(0x20000, 4096, data.data()), TRUE);
    const auto reports = Sets(HID_CMD_FLASH_WRITE);
    ASSERT_EQ(reports.size(), 684u);
    EXPECT_EQ(reports[0], Bytes("00 F8 01 02 00 00 10 00 00"));
    // The last step carries bytes 4092..4095 and zero filler.
    EXPECT_EQ(reports.back(), Join(Bytes("00 F8 00"), {data[4092], data[4093], data[4094], data[4095], 0, 0}));
    EXPECT_EQ(chip->Flash(0x20000, 4096), data);
}

TEST_F(TransportTest, ShortLastBulkReportKeepsThePreviousBytes) {
    Connect(ChipType::VQ7340, 1);
    PrepareFlash();
    const auto data = RandomBytes(4096, 5);

    EXPECT_EQ(patch->WriteFlash(0, 4096, data.data()), TRUE);
    const auto log = chip->Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].bytes, Bytes("01 E7 00 00 00 00 10 00 00"));
    const auto& last = log[2].bytes;
    ASSERT_EQ(last.size(), 4096u);
    EXPECT_EQ(last[0], BULK_REPORT_ID);
    EXPECT_EQ(last[1], data[4095]);
    EXPECT_TRUE(std::equal(last.begin() + 2, last.end(), data.begin() + 1));
    EXPECT_EQ(chip->Flash(0, 4096), data);
}

// Which request fails, and the BOOL that the transfer returns.
struct FailCase {
    const char* label;
    int reportId;
    bool write;
    WORD len;
    FaultRule rule;  // empty: nothing fails
    BOOL result;
    std::size_t reportsReachingChip;
};

void PrintTo(const FailCase& c, std::ostream* os) { *os << c.label; }

class TransferResultTest : public FlashFixture, public ::testing::TestWithParam<FailCase> {};

TEST_P(TransferResultTest, ReturnsFalseAtTheFirstFailedRequest) {
    const FailCase& c = GetParam();
    Connect(ChipType::VQ7340, c.reportId);
    PrepareFlash();
    Fail(c.rule);
    std::vector<BYTE> buf(5000, 0x11);
    const BOOL got = c.write ? patch->WriteFlash(0, c.len, buf.data()) : patch->ReadFlash(0, c.len, buf.data());
    EXPECT_EQ(got, c.result);
    EXPECT_EQ(chip->Log().size(), c.reportsReachingChip);
}

const auto kFirstSet = [](bool set, const BYTE*, std::size_t) { return set; };
const auto kFirstGet = [](bool set, const BYTE*, std::size_t) { return !set; };
const auto kAnyBulk = [](bool, const BYTE*, std::size_t len) { return IsBulk(len); };
const auto kStep = [](bool set, const BYTE* r, std::size_t len) { return set && len == 9 && r[2] == 0; };

INSTANTIATE_TEST_SUITE_P(
    Cases, TransferResultTest,
    ::testing::Values(
        FailCase{"Id0ReadLen0", 0, false, 0, nullptr, TRUE, 1},
        FailCase{"Id0WriteLen0", 0, true, 0, nullptr, TRUE, 1},
        FailCase{"Id1ReadLen0", 1, false, 0, nullptr, TRUE, 1},
        FailCase{"Id1WriteLen0", 1, true, 0, nullptr, TRUE, 1},
        FailCase{"Id0ReadStart", 0, false, 16, FailNth(kFirstSet), FALSE, 0},
        FailCase{"Id1WriteSetup", 1, true, 16, FailNth(kFirstSet), FALSE, 0},
        FailCase{"Id0ReadFetch", 0, false, 16, FailNth(kFirstGet), FALSE, 2},
        FailCase{"Id0ReadSecondStep", 0, false, 16, FailNth(kStep, 2), FALSE, 3},
        FailCase{"Id0WriteThirdStep", 0, true, 30, FailNth(kStep, 3), FALSE, 3},
        FailCase{"Id1ReadFirstBulk", 1, false, 5000, FailNth(kAnyBulk), FALSE, 1},
        FailCase{"Id1WriteLastBulk", 1, true, 5000, FailNth(kAnyBulk, 2), FALSE, 2},
        FailCase{"Id1WriteAllGood", 1, true, 5000, nullptr, TRUE, 3}),
    [](const auto& info) { return std::string(info.param.label); });

// Mode -> the register writes, in order, from known register values.
struct ModeCase {
    int mode;
    std::vector<std::string> writes;
};

void PrintTo(const ModeCase& c, std::ostream* os) { *os << "mode " << c.mode; }

class AccessModeTest : public FlashFixture, public ::testing::TestWithParam<ModeCase> {};

TEST_P(AccessModeTest, WritesTheRegistersInOrder) {
    Connect(ChipType::VQ5632, 0);
    chip->SetSfr(0xB0, 0xFF);
    chip->SetSfr(0xA0, 0x6A);
    chip->SetXdata(0xF01F, 0xFF);
    patch->SetAccessMode(GetParam().mode);
    std::vector<std::string> writes;
    for (auto& r : chip->Log()) {
        if (r.kind == LoggedReport::Set && (r.bytes[1] == HID_CMD_SFR_WRITE || r.bytes[1] == HID_CMD_XDATA_WRITE))
            writes.push_back(emu::Hex(std::span(r.bytes).first(r.bytes[1] == HID_CMD_SFR_WRITE ? 4 : 5)));
    }
    EXPECT_EQ(writes, GetParam().writes);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, AccessModeTest,
    ::testing::Values(ModeCase{ACCESS_EEPROM_READ, {"00 C6 B0 FB", "00 C6 A0 6E", "00 B6 F0 1F EF"}},
                      ModeCase{ACCESS_EEPROM_WRITE, {"00 C6 B0 FB", "00 C6 A0 6A", "00 B6 F0 1F EF"}},
                      ModeCase{ACCESS_FLASH,
                               {"00 C6 B0 FB", "00 C6 A0 6E", "00 C6 C7 D1", "00 C6 C8 C0", "00 C6 CA 00",
                                "00 B6 F0 1F 7F"}},
                      ModeCase{0, {}}, ModeCase{4, {}}),
    [](const auto& info) { return "Mode" + std::to_string(info.param.mode); });

}  // namespace
}  // namespace flashtest
