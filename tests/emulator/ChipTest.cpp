// The chip models as the engine meets them through the HID layer.
#include "Emulator.h"
#include "HidReport.h"
#include "hid/Hid.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <optional>

namespace {

using emu::Bytes;
using emu::ChipConfig;
using emu::ChipType;

// An open handle on one emulated chip, with report helpers.
class Handle {
public:
    explicit Handle(const std::shared_ptr<emu::Chip>& chip, hid::Access access = hid::Access::ReadWrite)
        : h_(hid::Open(chip->path(), access)) {}
    ~Handle() { hid::Close(h_); }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

    bool Set(const std::vector<BYTE>& report) { return hid::SetFeature(h_, report.data(), report.size()); }
    // Fetches a 9-byte reply with the given id in byte 0; nullopt when it fails.
    std::optional<std::vector<BYTE>> Get(BYTE id, std::size_t len = FEATURE_REPORT_SIZE) {
        std::vector<BYTE> buf(len, 0);
        buf[0] = id;
        if (!hid::GetFeature(h_, buf.data(), buf.size())) return std::nullopt;
        return buf;
    }
    // Sends a command and fetches its reply on the same id.
    std::vector<BYTE> Ask(const std::vector<BYTE>& report) {
        EXPECT_TRUE(Set(report)) << emu::Hex(report);
        auto reply = Get(report[0]);
        EXPECT_TRUE(reply.has_value());
        return reply.value_or(std::vector<BYTE>(FEATURE_REPORT_SIZE, 0xEE));
    }
    HANDLE raw() const { return h_; }

private:
    HANDLE h_;
};

std::vector<BYTE> Cmd(BYTE id, BYTE cmd, std::initializer_list<BYTE> params = {}) {
    std::vector<BYTE> r(FEATURE_REPORT_SIZE, 0);
    r[0] = id;
    r[1] = cmd;
    std::size_t i = 2;
    for (BYTE b : params) r[i++] = b;
    return r;
}

std::vector<BYTE> BulkReport(const std::vector<BYTE>& data) {
    std::vector<BYTE> r(BULK_REPORT_SIZE, 0);
    r[0] = BULK_REPORT_ID;
    std::copy(data.begin(), data.end(), r.begin() + 1);
    return r;
}

std::vector<BYTE> Pattern(std::size_t n, unsigned seed = 7) {
    std::vector<BYTE> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<BYTE>((i * 31 + seed) ^ (i >> 8));
    return v;
}

std::vector<BYTE> Head(std::vector<BYTE> v, std::size_t n) {
    v.resize(n);
    return v;
}

class EmulatorTest : public ::testing::Test {
protected:
    emu::ScopedBackend bus;
};

// --- identification -------------------------------------------------------------

struct IdCase {
    ChipType type;
    int variant;
    WORD addr;
    std::vector<BYTE> id;
};

class IdentificationTest : public EmulatorTest, public ::testing::WithParamInterface<IdCase> {};

TEST_P(IdentificationTest, AnswersItsBytesWithEitherReportId) {
    const IdCase& c = GetParam();
    for (int reportId : {0, 1}) {
        auto chip = bus->Plug({.type = c.type, .reportId = reportId, .idVariant = c.variant});
        Handle dev(chip);
        const BYTE at = reportId ? 3 : 4;
        for (int k = 0; k < 3; ++k) {
            const WORD a = static_cast<WORD>(c.addr + k);
            auto reply = dev.Ask(Cmd(static_cast<BYTE>(reportId), HID_CMD_XDATA_READ,
                                     {static_cast<BYTE>(a >> 8), static_cast<BYTE>(a)}));
            EXPECT_EQ(reply[at], c.id[static_cast<std::size_t>(k)]) << "report id " << reportId << " byte " << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllTypes, IdentificationTest,
    ::testing::Values(IdCase{ChipType::VQ7140S, 0, 0xF840, {0x00, 0x00, 0x00}},
                      IdCase{ChipType::VQ7140XX, 0, 0xF850, {0xA7, 0x10, 0x0A}},
                      IdCase{ChipType::VQ7170, 0, 0xF800, {0xA7, 0x10, 0x9A}},
                      IdCase{ChipType::VQ7170S, 0, 0xF800, {0xC7, 0x10, 0x9A}},
                      IdCase{ChipType::VQ7170S, 1, 0xF800, {0xD7, 0x10, 0x9A}},
                      IdCase{ChipType::VQ7340, 0, 0xFF00, {0xA7, 0x13, 0x0A}},
                      IdCase{ChipType::VQ7340, 1, 0xFF00, {0xB7, 0x13, 0x0A}},
                      IdCase{ChipType::VQ5632, 1, 0xFF00, {0xB7, 0x13, 0x0A}},
                      IdCase{ChipType::VQ5520, 0, 0xF000, {0xA7, 0x16, 0x0A}},
                      IdCase{ChipType::VQ5520, 1, 0xF000, {0xB7, 0x16, 0x0A}}));

TEST_F(EmulatorTest, OnlyAVq7140sLooksLikeOneAtF840) {
    for (ChipType t : {ChipType::VQ7140XX, ChipType::VQ7170, ChipType::VQ7170S, ChipType::VQ5520,
                       ChipType::VQ7340, ChipType::VQ5632}) {
        auto chip = bus->Plug({.type = t});
        Handle dev(chip);
        EXPECT_NE(dev.Ask(Cmd(0, HID_CMD_XDATA_READ, {0xF8, 0x40}))[4], 0x00) << emu::TypeName(t);
    }
}

TEST_F(EmulatorTest, IdentificationIsReadOnlyButSettableByTests) {
    auto chip = bus->Plug({.type = ChipType::VQ7170});
    Handle dev(chip);
    EXPECT_TRUE(dev.Set(Cmd(0, HID_CMD_XDATA_WRITE, {0xF8, 0x00, 0x55})));
    EXPECT_EQ(chip->Xdata(0xF800), 0xA7);
    chip->SetIdentification(1, 2, 3);
    EXPECT_EQ(dev.Ask(Cmd(0, HID_CMD_XDATA_READ, {0xF8, 0x02}))[4], 3);
    chip->SetIdVariant(0);
    EXPECT_EQ((chip->Identification()), (std::array<BYTE, 3>{0xA7, 0x10, 0x9A}));
}

// --- report ids -------------------------------------------------------------------

struct IdRuleCase {
    ChipType type;
    int reportId;
    BYTE sentId;
    std::size_t len;
    bool accepted;
};

class ReportIdTest : public EmulatorTest, public ::testing::WithParamInterface<IdRuleCase> {};

TEST_P(ReportIdTest, AcceptsOnlyTheDeclaredReports) {
    const IdRuleCase& c = GetParam();
    auto chip = bus->Plug({.type = c.type, .reportId = c.reportId});
    Handle dev(chip);
    if (c.sentId == BULK_REPORT_ID) {  // a bulk transfer needs its set-up first
        dev.Set(Cmd(1, HID_CMD_FLASH_BULK, {0, 0, 0, 0, 0x10, 0x00}));
    }
    std::vector<BYTE> report(c.len, 0);
    report[0] = c.sentId;
    EXPECT_EQ(dev.Set(report), c.accepted);
    EXPECT_EQ(dev.Get(c.sentId, c.len).has_value(), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ReportIdTest,
    ::testing::Values(IdRuleCase{ChipType::VQ5520, 0, 0, 9, true},    // nine zero bytes pass: id 0
                      IdRuleCase{ChipType::VQ5520, 1, 0, 9, false},   // ... fail: id 1
                      IdRuleCase{ChipType::VQ5520, 0, 1, 9, false},
                      IdRuleCase{ChipType::VQ5520, 1, 1, 9, true},
                      IdRuleCase{ChipType::VQ7340, 1, 3, 4096, true},
                      IdRuleCase{ChipType::VQ7340, 0, 3, 4096, false},  // no bulk report without ids
                      IdRuleCase{ChipType::VQ7170, 1, 3, 4096, false},  // no bulk report without flash
                      IdRuleCase{ChipType::VQ7340, 1, 1, 8, false},     // wrong length
                      IdRuleCase{ChipType::VQ7170, 0, 0, 10, false},
                      IdRuleCase{ChipType::Keyboard, 0, 0, 9, false},
                      IdRuleCase{ChipType::Keyboard, 0, 1, 9, false}));

TEST_F(EmulatorTest, Vq7340ProbeAnswers13OnlyOnNumberedDevices) {
    const auto probe = Bytes("01 B5 FF 01 00 00 00 00 00");
    auto id1 = bus->Plug({.type = ChipType::VQ7340, .reportId = 1});
    Handle dev1(id1);
    EXPECT_EQ(dev1.Ask(probe)[3], 0x13);
    auto id0 = bus->Plug({.type = ChipType::VQ7340, .reportId = 0});
    Handle dev0(id0);
    EXPECT_FALSE(dev0.Set(probe));
}

struct ShiftCase {
    const char* what;
    std::vector<BYTE> request;  // with report id 0; the test also sends it with 1
    std::size_t at;             // reply position with report id 0
    std::vector<BYTE> expect;
};

class ReplyShiftTest : public EmulatorTest, public ::testing::WithParamInterface<ShiftCase> {};

TEST_P(ReplyShiftTest, Id1RepliesOneByteEarlier) {
    const ShiftCase& c = GetParam();
    for (int reportId : {0, 1}) {
        auto chip = bus->Plug({.type = ChipType::VQ5520, .reportId = reportId});
        chip->SetXdata(0x1234, 0x5C);
        chip->SetSfr(0x90, 0x3E);
        chip->WriteFlash(0x10, Pattern(16));
        chip->WriteEeprom(0, 0x20, Pattern(8));
        auto request = c.request;
        request[0] = static_cast<BYTE>(reportId);
        Handle dev(chip);
        auto reply = dev.Ask(request);
        const std::size_t at = c.at - static_cast<std::size_t>(reportId);
        EXPECT_EQ(std::vector<BYTE>(reply.begin() + at, reply.begin() + at + c.expect.size()), c.expect)
            << c.what << " with report id " << reportId;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ReplyShiftTest,
    ::testing::Values(ShiftCase{"xdata", Cmd(0, HID_CMD_XDATA_READ, {0x12, 0x34}), 4, {0x5C}},
                      ShiftCase{"sfr", Cmd(0, HID_CMD_SFR_READ, {0x90}), 3, {0x3E}},
                      ShiftCase{"read8", Cmd(0, HID_CMD_FLASH_READ8, {0, 0, 0x10}), 1,
                                Head(Pattern(16), 8)},
                      ShiftCase{"eeprom", Cmd(0, HID_CMD_EEPROM_READ, {0x00, 0x20, 0, 0, 0, 0, 0}), 4,
                                Head(Pattern(8), 5)}));

// --- EEPROM -------------------------------------------------------------------------

TEST_F(EmulatorTest, EepromIsErasedAndWrapsAtItsSize) {
    auto chip = bus->Plug({.type = ChipType::VQ7170});
    Handle dev(chip);
    EXPECT_EQ(chip->EepromSize(0), 2048u);
    EXPECT_EQ(chip->EepromSize(1), 8192u);
    struct {
        BYTE selector;
        WORD addr;
        std::size_t wrapsTo;
    } cases[] = {{0, 2048 + 5, 5}, {0, 0xFFFF, 2047}, {1, 8192 + 9, 9}, {1, 0x7FFE, 8190}};
    for (const auto& c : cases) {
        EXPECT_TRUE(dev.Set(Cmd(0, HID_CMD_EEPROM_WRITE,
                                {static_cast<BYTE>(c.addr >> 8), static_cast<BYTE>(c.addr), 0x42, 0, 0, 0, c.selector})));
        EXPECT_EQ(chip->Eeprom(c.selector, c.wrapsTo, 1)[0], 0x42) << c.addr;
    }
    // The other selector kept its erased state.
    EXPECT_EQ(chip->Eeprom(1, 5, 1)[0], 0xFF);
    // A read of five bytes across the end comes round to the start.
    chip->WriteEeprom(0, 0, Bytes("01 02 03"));
    auto reply = dev.Ask(Cmd(0, HID_CMD_EEPROM_READ, {0x07, 0xFE, 0, 0, 0, 0, 0}));
    EXPECT_EQ(std::vector<BYTE>(reply.begin() + 4, reply.end()), Bytes("FF 42 01 02 03"));
}

TEST_F(EmulatorTest, EepromSizesAreConfigurableAndAMissingOneReadsFF) {
    auto chip = bus->Plug({.type = ChipType::VQ7140XX, .eepromSize = {256, 0}});
    Handle dev(chip);
    dev.Set(Cmd(0, HID_CMD_EEPROM_WRITE, {0x01, 0x00, 0x11, 0, 0, 0, 0}));
    EXPECT_EQ(chip->Eeprom(0, 0, 1)[0], 0x11);
    dev.Set(Cmd(0, HID_CMD_EEPROM_WRITE, {0x00, 0x00, 0x22, 0, 0, 0, 1}));
    auto reply = dev.Ask(Cmd(0, HID_CMD_EEPROM_READ, {0x00, 0x00, 0, 0, 0, 0, 1}));
    EXPECT_EQ(std::vector<BYTE>(reply.begin() + 4, reply.end()), Bytes("FF FF FF FF FF"));
}

// --- flash ------------------------------------------------------------------------------

TEST_F(EmulatorTest, FlashWritesOnlyClearBitsUntilErased) {
    auto chip = bus->Plug({.type = ChipType::VQ5520});
    Handle dev(chip);
    dev.Set(Cmd(0, HID_CMD_FLASH_WRITE4, {0x00, 0x10, 0x00, 0xF0, 0x0F, 0x55, 0xFF}));
    dev.Set(Cmd(0, HID_CMD_FLASH_WRITE4, {0x00, 0x10, 0x00, 0x3C, 0x3C, 0xFF, 0x00}));
    dev.Set(Cmd(0, HID_CMD_FLASH_WRITE1, {0x00, 0x10, 0x04, 0xA5}));
    EXPECT_EQ(chip->Flash(0x1000, 6), Bytes("30 0C 55 00 A5 FF"));
    // Sector index 1 is the 4 KB at 0x1000: its bytes come back, sector 0's stay.
    chip->WriteFlash(0x0FFF, Bytes("00"));
    dev.Set(Cmd(0, HID_CMD_FLASH_SECTOR_ERASE, {0x00, 0x01}));
    EXPECT_EQ(chip->Flash(0x0FFF, 3), Bytes("00 FF FF"));
    EXPECT_EQ(chip->SectorEraseCount(), 1u);
    dev.Set(Cmd(0, HID_CMD_FLASH_WRITE1, {0x00, 0x10, 0x00, 0xA5}));
    EXPECT_EQ(chip->Flash(0x1000, 1), Bytes("A5"));
}

TEST_F(EmulatorTest, FlashAddressesWrapAtTheConfiguredSize) {
    auto chip = bus->Plug({.type = ChipType::VQ5520, .flashSize = 64 * 1024});
    EXPECT_EQ(chip->FlashSize(), 65536u);
    Handle dev(chip);
    dev.Set(Cmd(0, HID_CMD_FLASH_WRITE4, {0x01, 0xFF, 0xFE, 0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(chip->Flash(0xFFFE, 4), Bytes("11 22 33 44"));
    EXPECT_EQ(chip->Flash(0, 2), Bytes("33 44"));
    auto reply = dev.Ask(Cmd(0, HID_CMD_FLASH_READ8, {0x00, 0xFF, 0xFC}));
    EXPECT_EQ(Head({reply.begin() + 1, reply.end()}, 8), Bytes("FF FF 11 22 33 44 FF FF"));
}

TEST_F(EmulatorTest, Vq7340SectorEraseTakesAByteAddress) {
    auto chip = bus->Plug({.type = ChipType::VQ7340});
    chip->WriteFlash(0, std::vector<BYTE>(3 * 4096, 0x00));
    Handle dev(chip);
    dev.Set(Cmd(0, HID_CMD_FLASH_SECTOR_ERASE, {0x00, 0x10, 0x80}));  // inside the second sector
    EXPECT_EQ(chip->Flash(0x0FFF, 1), Bytes("00"));
    EXPECT_EQ(chip->Flash(0x1000, 1), Bytes("FF"));
    EXPECT_EQ(chip->Flash(0x1FFF, 1), Bytes("FF"));
    EXPECT_EQ(chip->Flash(0x2000, 1), Bytes("00"));
}

TEST_F(EmulatorTest, EepromOnlyTypesIgnoreFlashCommands) {
    auto chip = bus->Plug({.type = ChipType::VQ7170});
    Handle dev(chip);
    EXPECT_EQ(chip->FlashSize(), 0u);
    auto reply = dev.Ask(Cmd(0, HID_CMD_FLASH_READ8, {0, 0, 0}));
    EXPECT_EQ(reply, Cmd(0, HID_CMD_FLASH_READ8));  // the request comes back unanswered
}

TEST_F(EmulatorTest, ChipEraseStaysBusyForTheConfiguredPolls) {
    auto chip = bus->Plug({.type = ChipType::VQ7340, .reportId = 1, .eraseBusyPolls = 3});
    chip->WriteFlash(0x123456, Bytes("00 00"));
    Handle dev(chip);
    EXPECT_TRUE(dev.Set(Cmd(1, HID_CMD_FLASH_CHIP_ERASE, {0x00})));  // no confirm byte: nothing
    EXPECT_EQ(chip->ChipEraseCount(), 0u);
    EXPECT_TRUE(dev.Set(Cmd(1, HID_CMD_FLASH_CHIP_ERASE, {0xFF})));
    EXPECT_EQ(chip->Flash(0x123456, 2), Bytes("FF FF"));
    std::vector<BYTE> statuses;
    for (int i = 0; i < 5; ++i) statuses.push_back(dev.Ask(Cmd(1, HID_CMD_FLASH_STATUS, {0xFD}))[2]);
    EXPECT_NE(statuses[0], 0);
    EXPECT_NE(statuses[2], 0);
    EXPECT_EQ(statuses[3], 0);
    EXPECT_EQ(statuses[4], 0);
}

TEST_F(EmulatorTest, ChipEraseCanNeverFinish) {
    auto chip = bus->Plug({.type = ChipType::VQ5632, .reportId = 1, .eraseBusyPolls = -1});
    Handle dev(chip);
    dev.Set(Cmd(1, HID_CMD_FLASH_CHIP_ERASE, {0xFF}));
    for (int i = 0; i < 2600; ++i) ASSERT_NE(dev.Ask(Cmd(1, HID_CMD_FLASH_STATUS, {0xFD}))[2], 0) << i;
}

TEST_F(EmulatorTest, ChipEraseAndStatusNeedANumberedDevice) {
    auto chip = bus->Plug({.type = ChipType::VQ7340, .reportId = 0});
    chip->WriteFlash(0, Bytes("00"));
    Handle dev(chip);
    EXPECT_FALSE(dev.Set(Cmd(1, HID_CMD_FLASH_CHIP_ERASE, {0xFF})));
    EXPECT_FALSE(dev.Set(Cmd(1, HID_CMD_FLASH_STATUS, {0xFD})));
    EXPECT_EQ(chip->Flash(0, 1), Bytes("00"));
}

TEST_F(EmulatorTest, BulkReportsCarry4095BytesEachWay) {
    auto chip = bus->Plug({.type = ChipType::VQ7340, .reportId = 1});
    Handle dev(chip);
    const auto data = Pattern(4096);
    const auto setup = Cmd(1, HID_CMD_FLASH_BULK, {0x00, 0x00, 0x20, 0x00, 0x10, 0x00});  // 0x2000, 4096
    ASSERT_TRUE(dev.Set(setup));
    ASSERT_TRUE(dev.Set(BulkReport({data.begin(), data.begin() + 4095})));
    auto last = BulkReport({data.begin() + 4095, data.end()});
    last[2] = 0x00;  // filler beyond the transfer: must not reach the flash
    ASSERT_TRUE(dev.Set(last));
    EXPECT_FALSE(dev.Set(last));  // the transfer is over
    EXPECT_EQ(chip->Flash(0x2000, 4096), data);
    EXPECT_EQ(chip->Flash(0x3000, 1), Bytes("FF"));

    ASSERT_TRUE(dev.Set(setup));
    auto first = dev.Get(BULK_REPORT_ID, BULK_REPORT_SIZE);
    auto second = dev.Get(BULK_REPORT_ID, BULK_REPORT_SIZE);
    ASSERT_TRUE(first && second);
    EXPECT_EQ((*first)[0], BULK_REPORT_ID);
    EXPECT_TRUE(std::equal(first->begin() + 1, first->end(), data.begin()));
    EXPECT_EQ((*second)[1], data[4095]);
    EXPECT_EQ(std::accumulate(second->begin() + 2, second->end(), 0), 0);
    EXPECT_FALSE(dev.Get(BULK_REPORT_ID, BULK_REPORT_SIZE).has_value());
}

TEST_F(EmulatorTest, BulkSetupOnAnUnnumberedDeviceArmsNothing) {
    auto chip = bus->Plug({.type = ChipType::VQ7340, .reportId = 0});
    Handle dev(chip);
    EXPECT_TRUE(dev.Set(Cmd(0, HID_CMD_FLASH_BULK, {0, 0, 0, 0, 0x00, 0x30})));
    EXPECT_FALSE(dev.Set(BulkReport(Pattern(48))));
}

TEST_F(EmulatorTest, StreamedWriteAndReadNeedTheirStartReport) {
    auto chip = bus->Plug({.type = ChipType::VQ7340, .reportId = 0});
    Handle dev(chip);
    const auto data = Pattern(4096, 3);
    EXPECT_FALSE(dev.Set(Cmd(0, HID_CMD_FLASH_WRITE, {0, 1, 2, 3, 4, 5, 6})));  // no transfer open
    ASSERT_TRUE(dev.Set(Cmd(0, HID_CMD_FLASH_WRITE, {1, 0x01, 0x00, 0x00, 0x10, 0x00, 0})));
    int steps = 0;
    for (std::size_t off = 0; off < data.size(); off += 6, ++steps) {
        auto step = Cmd(0, HID_CMD_FLASH_WRITE, {0});
        for (std::size_t k = 0; k < 6; ++k) step[3 + k] = off + k < data.size() ? data[off + k] : 0x00;
        ASSERT_TRUE(dev.Set(step)) << off;
    }
    EXPECT_EQ(steps, 683);
    EXPECT_EQ(chip->Flash(0x10000, 4096), data);
    EXPECT_EQ(chip->Flash(0x11000, 1), Bytes("FF"));  // the filler of the last step stayed out

    EXPECT_FALSE(dev.Set(Cmd(0, HID_CMD_FLASH_READ, {0, 0x01, 0x00, 0x00, 0x00, 0x00})));
    ASSERT_TRUE(dev.Set(Cmd(0, HID_CMD_FLASH_READ, {1, 0x01, 0x00, 0x00, 0x00, 0x30, 0})));
    std::vector<BYTE> got;
    for (WORD off = 0; off < 0x30; off += 8) {
        auto reply = dev.Ask(Cmd(0, HID_CMD_FLASH_READ, {0, 0x01, 0x00, 0x00, static_cast<BYTE>(off >> 8),
                                                         static_cast<BYTE>(off)}));
        got.insert(got.end(), reply.begin() + 1, reply.end());
    }
    EXPECT_EQ(got, std::vector<BYTE>(data.begin(), data.begin() + 0x30));
    EXPECT_FALSE(dev.Set(Cmd(0, HID_CMD_FLASH_READ, {0, 0x01, 0x00, 0x00, 0x00, 0x30})));  // read is over
}

// --- the VQ5520 write test cell -----------------------------------------------------------

TEST_F(EmulatorTest, Vq5520C450KeepsWhatIsWrittenUnlessConfiguredNot) {
    for (bool keeps : {true, false}) {
        auto chip = bus->Plug({.type = ChipType::VQ5520, .keepsC450 = keeps});
        Handle dev(chip);
        dev.Set(Cmd(0, HID_CMD_XDATA_WRITE, {0xC4, 0x50, 0x55}));
        EXPECT_EQ(dev.Ask(Cmd(0, HID_CMD_XDATA_READ, {0xC4, 0x50}))[4] == 0x55, keeps);
    }
}

// --- bus gating -----------------------------------------------------------------------------

TEST_F(EmulatorTest, GatedVq5520FollowsTheMuxAndTheWriteToggles) {
    auto chip = bus->Plug({.type = ChipType::VQ5520, .gateBus = true});
    chip->WriteFlash(0, Bytes("12"));
    chip->WriteEeprom(0, 0, Bytes("34"));
    Handle dev(chip);
    const auto eepromRead = Cmd(0, HID_CMD_EEPROM_READ, {0, 0, 0, 0, 0, 0, 0});
    const auto flashRead = Cmd(0, HID_CMD_FLASH_READ8, {0, 0, 0});
    const auto eepromWrite = Cmd(0, HID_CMD_EEPROM_WRITE, {0, 1, 0x56, 0, 0, 0, 0});
    EXPECT_EQ(dev.Ask(flashRead)[1], 0x12);  // flash on the bus at reset
    EXPECT_EQ(dev.Ask(eepromRead)[4], 0xFF);
    dev.Set(Cmd(0, HID_CMD_XDATA_WRITE, {0xF0, 0x16, 0x04}));  // EEPROM mux
    EXPECT_EQ(dev.Ask(flashRead)[1], 0xFF);
    EXPECT_EQ(dev.Ask(eepromRead)[4], 0x34);
    dev.Set(eepromWrite);
    EXPECT_EQ(chip->Eeprom(0, 1, 1)[0], 0xFF);  // SFR 0xB0 bit 5 not set yet
    dev.Set(Cmd(0, HID_CMD_SFR_WRITE, {0xB0, 0x20}));
    dev.Set(eepromWrite);
    EXPECT_EQ(chip->Eeprom(0, 1, 1)[0], 0x56);
}

TEST_F(EmulatorTest, GatedVq7340FollowsTheAccessMode) {
    auto chip = bus->Plug({.type = ChipType::VQ7340, .gateBus = true});
    chip->WriteFlash(0, Bytes("12"));
    Handle dev(chip);
    const auto flashRead = Cmd(0, HID_CMD_FLASH_READ8, {0, 0, 0});
    EXPECT_EQ(dev.Ask(flashRead)[1], 0xFF);
    chip->SetSfr(0xA0, 0x04);  // write protect
    dev.Set(Cmd(0, HID_CMD_EEPROM_WRITE, {0, 0, 0x77, 0, 0, 0, 0}));
    EXPECT_EQ(chip->Eeprom(0, 0, 1)[0], 0xFF);
    dev.Set(Cmd(0, HID_CMD_XDATA_WRITE, {0xF0, 0x1F, 0x10}));  // flash on the bus
    EXPECT_EQ(dev.Ask(flashRead)[1], 0x12);
}

TEST_F(EmulatorTest, UngatedChipsRecordTheRegistersOnly) {
    auto chip = bus->Plug({.type = ChipType::VQ7340});
    chip->WriteFlash(0, Bytes("12"));
    Handle dev(chip);
    dev.Set(Cmd(0, HID_CMD_SFR_WRITE, {0xC7, 0xD1}));
    dev.Set(Cmd(0, HID_CMD_XDATA_WRITE, {0xF0, 0x51, 0x00}));
    EXPECT_EQ(chip->Sfr(0xC7), 0xD1);
    EXPECT_EQ(dev.Ask(Cmd(0, HID_CMD_FLASH_READ8, {0, 0, 0}))[1], 0x12);
}

// --- timing ---------------------------------------------------------------------

// Every report lasts at least the chip's latency from its start, whether the
// latency came with the plug or was set later; a report is never cut short.
TEST_F(EmulatorTest, EveryReportLastsAtLeastItsLatency) {
    using std::chrono::microseconds;
    struct Case {
        unsigned plugged;
        int later;  // < 0: unchanged
    };
    for (const Case c : {Case{1500, -1}, Case{0, 2500}, Case{4000, 1000}}) {
        auto chip = bus->Plug({.type = ChipType::VQ7340, .reportId = 1, .latencyMicros = c.plugged});
        if (c.later >= 0) chip->SetLatency(microseconds(c.later));
        const microseconds latency(c.later >= 0 ? static_cast<unsigned>(c.later) : c.plugged);
        Handle dev(chip);
        for (int get = 0; get < 2; ++get) {
            const auto start = std::chrono::steady_clock::now();
            if (get) EXPECT_TRUE(dev.Get(1).has_value());
            else EXPECT_TRUE(dev.Set(Cmd(1, HID_CMD_XDATA_READ, {0xF0, 0x00})));
            EXPECT_GE(std::chrono::steady_clock::now() - start, latency) << c.plugged << " " << c.later << " " << get;
        }
        bus->Unplug(chip);
    }
}

}  // namespace
