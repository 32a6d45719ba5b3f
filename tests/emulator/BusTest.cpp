// The emulated bus: plugging, enumeration, change events, faults, the log,
// concurrent use and the QUILLMAR_EMULATE syntax.
#include "Emulator.h"
#include "HidReport.h"
#include "hid/Hid.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <stdlib.h>

#include <atomic>
#include <thread>

namespace {

using emu::Bytes;
using emu::ChipConfig;
using emu::ChipType;

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

bool SendXdataRead(HANDLE h, WORD addr, BYTE* out) {
    BYTE r[9] = {0, HID_CMD_XDATA_READ, static_cast<BYTE>(addr >> 8), static_cast<BYTE>(addr)};
    if (!hid::SetFeature(h, r, sizeof r)) return false;
    if (!hid::GetFeature(h, r, sizeof r)) return false;
    *out = r[4];
    return true;
}

class BusTest : public ::testing::Test {
protected:
    emu::ScopedBackend bus;
};

TEST_F(BusTest, EnumeratesInPlugOrderWithPathAndLocation) {
    auto a = bus->Plug({.type = ChipType::VQ7170});
    auto k = bus->Plug({.type = ChipType::Keyboard});
    auto b = bus->Plug({.type = ChipType::VQ5520, .location = "0000.0000.0000.002.00A.001.000.000.000"});
    const auto list = hid::EnumeratePresent();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].path, "emu:1");
    EXPECT_EQ(list[0].location, "0000.0000.0000.001.001.000.000.000.000");
    EXPECT_EQ(list[1].path, "emu:2");
    EXPECT_EQ(list[2].location, "0000.0000.0000.002.00A.001.000.000.000");
    EXPECT_EQ(hid::Open("emu:9", hid::Access::None), INVALID_HANDLE_VALUE);
}

TEST_F(BusTest, AttributesCarryTheIdsOfTheType) {
    struct {
        ChipType type;
        WORD vid, pid;
    } cases[] = {{ChipType::VQ7140S, 0x5156, 0x0021}, {ChipType::VQ7140XX, 0x5156, 0x0021},
                 {ChipType::VQ7170, 0x5156, 0x7170},  {ChipType::VQ7170S, 0x3B71, 0x7170},
                 {ChipType::VQ5520, 0x3B71, 0x5632},  {ChipType::VQ7340, 0x3B71, 0x7340},
                 {ChipType::VQ5632, 0x3B71, 0x5632}};
    for (const auto& c : cases) {
        auto chip = bus->Plug({.type = c.type});
        HANDLE h = hid::Open(chip->path(), hid::Access::None);
        hid::Attributes attr;
        ASSERT_TRUE(hid::GetAttributes(h, &attr));
        EXPECT_EQ(attr.vendorId, c.vid) << emu::TypeName(c.type);
        EXPECT_EQ(attr.productId, c.pid) << emu::TypeName(c.type);
        hid::Close(h);
    }
    auto kb = bus->Plug({.type = ChipType::Keyboard});
    HANDLE h = hid::Open(kb->path(), hid::Access::ReadWrite);
    hid::Attributes attr;
    ASSERT_TRUE(hid::GetAttributes(h, &attr));
    EXPECT_NE(attr.vendorId, 0x5156);
    EXPECT_NE(attr.vendorId, 0x3B71);
    hid::Close(h);
}

TEST_F(BusTest, AnAttributesOnlyHandleSendsNoReports) {
    auto chip = bus->Plug({.type = ChipType::VQ7170});
    HANDLE h = hid::Open(chip->path(), hid::Access::None);
    BYTE value;
    EXPECT_FALSE(SendXdataRead(h, 0xF800, &value));
    hid::Close(h);
}

TEST_F(BusTest, PlugAndUnplugRaiseChangesOnTheFd) {
    const int fd = hid::ChangeFd();
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(Readable(fd));
    auto chip = bus->Plug({.type = ChipType::VQ7340, .reportId = 1});
    EXPECT_TRUE(Readable(fd));
    EXPECT_EQ(hid::TakeChanges(), std::vector<hid::Change>{hid::Change::Arrival});
    EXPECT_FALSE(Readable(fd));
    bus->Unplug(chip);
    bus->Unplug(chip);  // already gone: no second change
    EXPECT_TRUE(Readable(fd));
    EXPECT_EQ(hid::TakeChanges(), std::vector<hid::Change>{hid::Change::Removal});
    EXPECT_FALSE(Readable(fd));
    EXPECT_TRUE(hid::EnumeratePresent().empty());
}

TEST_F(BusTest, AnUnpluggedDeviceFailsEveryCallAndAReplugNeedsANewHandle) {
    auto chip = bus->Plug({.type = ChipType::VQ7170});
    chip->WriteEeprom(0, 0, Bytes("AB"));
    HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
    BYTE value = 0;
    ASSERT_TRUE(SendXdataRead(h, 0xF800, &value));
    bus->Unplug(chip);
    EXPECT_FALSE(chip->present());
    EXPECT_FALSE(SendXdataRead(h, 0xF800, &value));
    hid::Attributes attr;
    EXPECT_FALSE(hid::GetAttributes(h, &attr));
    EXPECT_EQ(hid::Open(chip->path(), hid::Access::ReadWrite), INVALID_HANDLE_VALUE);

    ASSERT_TRUE(bus->Replug(chip));
    EXPECT_FALSE(bus->Replug(chip));
    EXPECT_EQ(hid::TakeChanges(), (std::vector<hid::Change>{hid::Change::Arrival, hid::Change::Removal,
                                                            hid::Change::Arrival}));
    EXPECT_FALSE(SendXdataRead(h, 0xF800, &value));  // the old handle stays dead
    HANDLE h2 = hid::Open(chip->path(), hid::Access::ReadWrite);
    EXPECT_TRUE(SendXdataRead(h2, 0xF800, &value));
    EXPECT_EQ(chip->Eeprom(0, 0, 1), Bytes("AB"));
    hid::Close(h);
    hid::Close(h2);
}

TEST_F(BusTest, UnplugAfterNReportsVanishesMidJob) {
    auto chip = bus->Plug({.type = ChipType::VQ7170});
    hid::TakeChanges();
    HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
    chip->UnplugAfter(3);  // set, get, set: the fourth report finds nothing
    BYTE value;
    EXPECT_TRUE(SendXdataRead(h, 0xF800, &value));
    BYTE r[9] = {0, HID_CMD_XDATA_READ, 0xF8, 0x01};
    EXPECT_TRUE(hid::SetFeature(h, r, sizeof r));
    EXPECT_FALSE(hid::GetFeature(h, r, sizeof r));
    EXPECT_FALSE(chip->present());
    EXPECT_EQ(hid::TakeChanges(), std::vector<hid::Change>{hid::Change::Removal});
    EXPECT_TRUE(hid::EnumeratePresent().empty());
    hid::Close(h);
}

TEST_F(BusTest, FaultsStartAtTheNthCall) {
    for (bool onSet : {true, false}) {
        auto chip = bus->Plug({.type = ChipType::VQ7170});
        HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
        BYTE value;
        ASSERT_TRUE(SendXdataRead(h, 0xF800, &value));  // calls before arming don't count
        if (onSet) chip->FailSetFeatureFrom(3);
        else chip->FailGetFeatureFrom(3);
        std::vector<bool> results;
        for (int i = 0; i < 5; ++i) results.push_back(SendXdataRead(h, 0xF800, &value));
        EXPECT_EQ(results, (std::vector<bool>{true, true, false, false, false})) << onSet;
        chip->ClearFaults();
        EXPECT_TRUE(SendXdataRead(h, 0xF800, &value));
        hid::Close(h);
    }
}

// A rule fails only the reports it picks, before they reach the chip: the
// calls around them go on, and the chip neither logs nor counts them.
struct PickCase {
    const char* name;
    bool onSet;
    int nth;                         // 0: every XDATA read of 0xF801 fails
    std::vector<bool> results;       // of five reads: F800, F801, F800, F801, F801
    std::size_t setsSeen, getsSeen;  // by the chip
};

class ReportFaultTest : public BusTest, public ::testing::WithParamInterface<PickCase> {};

TEST_P(ReportFaultTest, FailsOnlyThePickedReports) {
    const PickCase& c = GetParam();
    auto chip = bus->Plug({.type = ChipType::VQ7170});
    HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
    emu::ReportRule pick = [onSet = c.onSet](bool set, const BYTE* r, std::size_t len) {
        return set == onSet && len == FEATURE_REPORT_SIZE && r[1] == HID_CMD_XDATA_READ && r[3] == 0x01;
    };
    chip->FailReports(c.nth == 0 ? pick : emu::NthReport(pick, c.nth));
    std::vector<bool> results;
    BYTE value;
    for (WORD addr : {0xF800, 0xF801, 0xF800, 0xF801, 0xF801}) results.push_back(SendXdataRead(h, addr, &value));
    EXPECT_EQ(results, c.results);
    EXPECT_EQ(chip->SetFeatureCount(), c.setsSeen);
    EXPECT_EQ(chip->GetFeatureCount(), c.getsSeen);
    EXPECT_EQ(chip->Log().size(), c.setsSeen + c.getsSeen);
    chip->ClearFaults();
    EXPECT_TRUE(SendXdataRead(h, 0xF801, &value));
    hid::Close(h);
}

INSTANTIATE_TEST_SUITE_P(Picks, ReportFaultTest,
                         ::testing::Values(PickCase{"EverySet", true, 0, {true, false, true, false, false}, 2, 2},
                                           PickCase{"SecondSet", true, 2, {true, true, true, false, true}, 4, 4},
                                           PickCase{"EveryGet", false, 0, {true, false, true, false, false}, 5, 2},
                                           PickCase{"FirstGet", false, 1, {true, false, true, true, true}, 5, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BusTest, TheLogHoldsEveryReportAsSentOrReturned) {
    auto chip = bus->Plug({.type = ChipType::VQ5520, .reportId = 1});
    HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
    BYTE zeros[9] = {};
    EXPECT_FALSE(hid::SetFeature(h, zeros, sizeof zeros));
    BYTE r[9] = {1, HID_CMD_XDATA_READ, 0xF0, 0x01};
    hid::SetFeature(h, r, sizeof r);
    hid::GetFeature(h, r, sizeof r);
    const std::vector<emu::LoggedReport> expected = {
        {emu::LoggedReport::Set, Bytes("00 00 00 00 00 00 00 00 00"), false},
        {emu::LoggedReport::Set, Bytes("01 B5 F0 01 00 00 00 00 00"), true},
        {emu::LoggedReport::Get, Bytes("B5 F0 01 16 00 00 00 00 00"), true},
    };
    EXPECT_EQ(chip->Log(), expected);
    EXPECT_EQ(emu::ToString(expected[0]), "set 00 00 00 00 00 00 00 00 00 (failed)");
    chip->ClearLog();
    chip->SetLogging(false);
    hid::SetFeature(h, r, sizeof r);
    EXPECT_TRUE(chip->Log().empty());
    EXPECT_EQ(chip->SetFeatureCount(), 3u);
    EXPECT_EQ(chip->GetFeatureCount(), 1u);
    hid::Close(h);
}

TEST_F(BusTest, ChipsOutliveTheirBackend) {
    std::shared_ptr<emu::Chip> chip;
    {
        auto other = emu::MakeBackend();
        chip = other->Plug({.type = ChipType::VQ7340});
    }
    EXPECT_FALSE(chip->present());
    chip->UnplugAfter(0);
    EXPECT_EQ(chip->Xdata(0xFF01), 0x13);
}

// Two threads share one chip through one handle, as a job's worker and the
// user-interface thread may; each writes its own XDATA cells while both read.
TEST_F(BusTest, TwoThreadsHammeringOneChip) {
    auto chip = bus->Plug({.type = ChipType::VQ7340, .reportId = 1});
    HANDLE h = hid::Open(chip->path(), hid::Access::ReadWrite);
    std::atomic<int> failures{0};
    auto work = [&](BYTE base) {
        for (int i = 0; i < 20000; ++i) {
            const BYTE value = static_cast<BYTE>(i);
            BYTE w[9] = {1, HID_CMD_XDATA_WRITE, 0x10, base, value};
            if (!hid::SetFeature(h, w, sizeof w)) ++failures;
            BYTE r[9] = {1, HID_CMD_SFR_READ, base};
            if (!hid::SetFeature(h, r, sizeof r) || !hid::GetFeature(h, r, sizeof r)) ++failures;
            if (i % 1000 == 0 && chip->Log().size() > 100000) ++failures;
            if (i % 5000 == 0) chip->ClearLog();
        }
    };
    std::thread t1(work, 0x01), t2(work, 0x02);
    t1.join();
    t2.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(chip->Xdata(0x1001), static_cast<BYTE>(19999));
    EXPECT_EQ(chip->Xdata(0x1002), static_cast<BYTE>(19999));
    EXPECT_EQ(chip->SetFeatureCount(), 80000u);
    hid::Close(h);
}

// --- QUILLMAR_EMULATE -----------------------------------------------------------------------

TEST(EmulateSpec, ParsesTypesOptionsAndCounts) {
    std::vector<ChipConfig> configs;
    std::string error;
    ASSERT_TRUE(emu::ParseEmulateList(" VQ7170 , vq7340:id1*2, vq5520:id1:b7:nokeep, keyboard,"
                               "vq5632:flash=512k:busy=-1:latency=50:ee0=0:ee1=0x1000:gate, vq7170s:d7",
                               &configs, &error))
        << error;
    ASSERT_EQ(configs.size(), 7u);
    EXPECT_EQ(configs[0].type, ChipType::VQ7170);
    EXPECT_EQ(configs[0].reportId, 0);
    EXPECT_EQ(configs[1].type, ChipType::VQ7340);
    EXPECT_EQ(configs[2].reportId, 1);
    EXPECT_EQ(configs[3].type, ChipType::VQ5520);
    EXPECT_EQ(configs[3].idVariant, 1);
    EXPECT_FALSE(configs[3].keepsC450);
    EXPECT_EQ(configs[4].type, ChipType::Keyboard);
    EXPECT_EQ(configs[5].flashSize, 512u * 1024);
    EXPECT_EQ(configs[5].eraseBusyPolls, -1);
    EXPECT_EQ(configs[5].latencyMicros, 50u);
    EXPECT_EQ(configs[5].eepromSize[0], 0u);
    EXPECT_EQ(configs[5].eepromSize[1], 4096u);
    EXPECT_TRUE(configs[5].gateBus);
    EXPECT_EQ(configs[6].idVariant, 1);
    ASSERT_TRUE(emu::ParseEmulateList("  ", &configs, &error));
    EXPECT_TRUE(configs.empty());
}

TEST(EmulateSpec, RejectsBadSyntaxWithAMessage) {
    const char* bad[] = {"vq9999",         "vq7170,,vq7340", "vq7170*0",       "vq7170*65",
                         "vq7170:b7",      "vq7170:flash=1m", "vq7340:flash=5000", "vq7340:flash=2g",
                         "vq7170:nokeep",  "keyboard:id1",   "vq7340:wibble",  "vq7340:busy=x",
                         "vq7170:ee0=65537", "vq7340:id1*",   "vq7340:version=2601151",
                         "vq7340:version=2601151x", "vq7340:version=", "keyboard:version=none"};
    for (const char* spec : bad) {
        std::vector<ChipConfig> configs;
        std::string error;
        EXPECT_FALSE(emu::ParseEmulateList(spec, &configs, &error)) << spec;
        EXPECT_FALSE(error.empty()) << spec;
    }
}

TEST(EmulateSpec, InstallsABackendWithTheChips) {
    std::string error;
    EXPECT_EQ(emu::InstallEmulateList("vq7170:oops", &error), nullptr);
    EXPECT_NE(error.find("oops"), std::string::npos);
    auto backend = emu::InstallEmulateList("vq7170,vq5520:id1", &error);
    ASSERT_NE(backend, nullptr);
    EXPECT_EQ(hid::CurrentBackend(), backend);
    EXPECT_EQ(hid::EnumeratePresent().size(), 2u);
    EXPECT_TRUE(hid::TakeChanges().empty());  // present from the start

    setenv("QUILLMAR_EMULATE", "", 1);
    EXPECT_EQ(emu::InstallFromEnvironment(&error), nullptr);
    EXPECT_TRUE(error.empty());
    setenv("QUILLMAR_EMULATE", "vq7340*3", 1);
    auto env = emu::InstallFromEnvironment(&error);
    ASSERT_NE(env, nullptr);
    EXPECT_EQ(env->Chips().size(), 3u);
    unsetenv("QUILLMAR_EMULATE");
    hid::SetBackend(emu::MakeBackend());
}

}  // namespace
