// The transport primitives, discovery and opening against emulated chips,
// with the exact reports the chips see.
#include "ChipPatches.h"
#include "Emulator.h"
#include "RecordingHost.h"
#include "hid/Hid.h"

#include <gtest/gtest.h>

namespace {

using emu::Bytes;
using emu::ChipType;
using emu::LoggedReport;

LoggedReport Set(const char* hex, bool ok = true) { return {LoggedReport::Set, Bytes(hex), ok}; }

class TransportTest : public ::testing::Test {
protected:
    RecordingHost host;
    emu::ScopedBackend bus;
};

TEST_F(TransportTest, ReadDataDeliversAtMostFiveBytes) {
    auto chip = bus->Plug({.type = ChipType::VQ7170});
    const BYTE stored[] = {1, 2, 3, 4, 5, 6, 7, 8};
    chip->WriteEeprom(1, 0x0123, stored);
    CVQ7170Patch patch;
    ASSERT_EQ(patch.ScanDevices(), 1);
    chip->ClearLog();
    host.recordPauses = true;

    BYTE out[8] = {};
    EXPECT_EQ(patch.ReadData(1, 0x0123, 8, out), 1u);
    EXPECT_EQ(std::vector<BYTE>(out, out + 8), (std::vector<BYTE>{1, 2, 3, 4, 5, 0, 0, 0}));
    EXPECT_EQ(host.pauses, std::vector<DWORD>{1});  // between send and fetch

    BYTE one = 0;
    EXPECT_EQ(patch.ReadData(0, 0x0123, 1, &one), 0u);
    const auto log = chip->Log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], Set("00 E5 01 23 00 00 00 00 01"));
    EXPECT_EQ(log[2], Set("00 E5 01 23 00 00 00 00 00"));
}

TEST_F(TransportTest, WriteByteSendsOneReportWithSelector) {
    auto chip = bus->Plug({.type = ChipType::VQ7140XX});
    CVQ7140XXPatch patch;
    ASSERT_EQ(patch.ScanDevices(), 1);
    chip->ClearLog();
    EXPECT_EQ(patch.WriteByte(1, 0x1FFF, 0xAB), 0u);
    EXPECT_EQ(chip->Log(), std::vector<LoggedReport>{Set("00 E6 1F FF AB 00 00 00 01")});
    EXPECT_EQ(chip->Eeprom(1, 0x1FFF, 1), std::vector<BYTE>{0xAB});
}

TEST_F(TransportTest, XdataReadRetriesWithReportIdOne) {
    auto chip = bus->Plug({.type = ChipType::VQ7170, .reportId = 1});
    chip->SetXdata(0xF002, 0x5C);
    CVQ7170Patch patch;
    ASSERT_EQ(patch.ScanDevices(), 1);
    chip->ClearLog();
    BYTE value = 0;
    EXPECT_EQ(patch.ReadXdataByte(0xF002, &value), 0u);
    EXPECT_EQ(value, 0x5C);
    const auto log = chip->Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], Set("00 B5 F0 02 00 00 00 00 00", false));
    EXPECT_EQ(log[1], Set("01 B5 F0 02 00 00 00 00 00"));
    EXPECT_EQ(log[2].kind, LoggedReport::Get);
}

TEST_F(TransportTest, XdataReadOfDeadDeviceGivesFF) {
    auto chip = bus->Plug({.type = ChipType::VQ7170});
    CVQ7170Patch patch;
    ASSERT_EQ(patch.ScanDevices(), 1);
    bus->Unplug(chip);
    BYTE value = 0;
    patch.ReadXdataByte(0xF800, &value);
    EXPECT_EQ(value, 0xFF);
}

TEST_F(TransportTest, NoDeviceLeavesHandleAlone) {
    CVQ7170Patch patch;
    patch.m_hDevice = 12345;  // whatever it held
    EXPECT_EQ(patch.ScanDevices(), 0);
    EXPECT_EQ(patch.m_bConnected, 0);
    EXPECT_EQ(patch.m_hDevice, 12345);
    EXPECT_TRUE(patch.m_strDevicePath[0].empty());
    patch.m_hDevice = HANDLE_NONE;
}

TEST_F(TransportTest, TwoChipsListedSecondOpenFirstOnRequest) {
    auto first = bus->Plug({.type = ChipType::VQ7170, .location = "0000.0000.0000.001.003.000.000.000.000"});
    bus->Plug({.type = ChipType::Keyboard});
    auto second = bus->Plug({.type = ChipType::VQ7170, .location = "0000.0000.0000.001.002.004.000.000.000"});
    const std::size_t handlesBefore = hid::OpenHandleCount();
    {
        CVQ7170Patch patch;
        ASSERT_EQ(patch.ScanDevices(), 2);
        EXPECT_EQ(patch.m_strDevicePath[0], first->path());
        EXPECT_EQ(patch.m_strDevicePath[1], second->path());
        EXPECT_EQ(patch.m_strLocation[0], "0000.0000.0000.001.003.000.000.000.000");
        EXPECT_EQ(patch.m_strLocation[1], "0000.0000.0000.001.002.004.000.000.000");
        // Entries behind the accepted ones keep what the enumeration left,
        // with an empty one behind the last enumerated device.
        EXPECT_EQ(patch.m_strDevicePath[2], second->path());
        EXPECT_TRUE(patch.m_strDevicePath[3].empty());
        EXPECT_EQ(hid::OpenHandleCount(), handlesBefore + 1);

        // The second chip stays open.
        first->ClearLog();
        second->ClearLog();
        BYTE v;
        patch.ReadXdataByte(0xF800, &v);
        EXPECT_TRUE(first->Log().empty());
        EXPECT_FALSE(second->Log().empty());

        patch.OpenDevice(0);
        EXPECT_EQ(hid::OpenHandleCount(), handlesBefore + 1);  // the old handle was closed
        second->ClearLog();
        patch.ReadXdataByte(0xF800, &v);
        EXPECT_FALSE(first->Log().empty());
        EXPECT_TRUE(second->Log().empty());

        patch.OpenDevice(5);  // an empty entry: nothing happens
        EXPECT_EQ(hid::OpenHandleCount(), handlesBefore + 1);
    }
    EXPECT_EQ(hid::OpenHandleCount(), handlesBefore);  // the destructor closed it
}

TEST_F(TransportTest, VQ7140SWalkStopsAtFailedFetch) {
    auto failing = bus->Plug({.type = ChipType::VQ7140S});
    bus->Plug({.type = ChipType::VQ7140S});
    failing->FailGetFeatureFrom(1);
    CVQ7140SPatch patch;
    EXPECT_EQ(patch.ScanDevices(), 0);
    EXPECT_EQ(patch.m_bConnected, 0);

    // Other classes read on after a failed fetch.
    auto a = bus->Plug({.type = ChipType::VQ7170});
    a->FailGetFeatureFrom(1);
    bus->Plug({.type = ChipType::VQ7170});
    CVQ7170Patch other;
    EXPECT_EQ(other.ScanDevices(), 1);
}

TEST_F(TransportTest, IdentificationVariants) {
    struct Row {
        BYTE first;
        bool vq7170, vq7170s;
    };
    for (const Row& row : {Row{0xA7, true, false}, Row{0xC7, false, true}, Row{0xD7, false, true},
                           Row{0xB7, false, false}}) {
        emu::ScopedBackend local;
        auto chip = local->Plug({.type = ChipType::VQ7170});
        chip->SetIdentification(row.first, 0x10, 0x9A);
        EXPECT_EQ(CVQ7170Patch().ScanDevices(), row.vq7170 ? 1 : 0) << std::hex << int(row.first);
        EXPECT_EQ(CVQ7170SPatch().ScanDevices(), row.vq7170s ? 1 : 0) << std::hex << int(row.first);
    }
}

TEST_F(TransportTest, VQ5520NeedsTheWriteTest) {
    auto chip = bus->Plug({.type = ChipType::VQ5520, .keepsC450 = false});
    CVQ5520Patch patch;
    EXPECT_EQ(patch.ScanDevices(), 0);

    auto good = bus->Plug({.type = ChipType::VQ5520});
    good->ClearLog();
    EXPECT_EQ(patch.ScanDevices(), 1);
    const auto log = good->Log();
    // Report-id test, three identification reads, write test, then the
    // report-id test again on the device left open.
    ASSERT_GE(log.size(), 11u);
    EXPECT_EQ(log[0], Set("00 00 00 00 00 00 00 00 00"));
    EXPECT_EQ(log[1], Set("00 B5 F0 00 00 00 00 00 00"));
    EXPECT_EQ(log[7], Set("00 B6 C4 50 55 00 00 00 00"));
    EXPECT_EQ(log[8], Set("00 B5 C4 50 00 00 00 00 00"));
    EXPECT_EQ(log.back(), Set("00 00 00 00 00 00 00 00 00"));
    EXPECT_EQ(patch.m_bUseReportId1, 0);
}

TEST_F(TransportTest, VQ5520ReportIdFollowsOpenedDevice) {
    bus->Plug({.type = ChipType::VQ5520, .reportId = 1});
    bus->Plug({.type = ChipType::VQ5520, .reportId = 0});
    CVQ5520Patch patch;
    ASSERT_EQ(patch.ScanDevices(), 2);
    EXPECT_EQ(patch.m_bUseReportId1, 0);
    patch.OpenDevice(0);
    EXPECT_EQ(patch.m_bUseReportId1, 1);
}

TEST_F(TransportTest, VQ7340ProbeChoosesReportId) {
    auto id1 = bus->Plug({.type = ChipType::VQ7340, .reportId = 1});
    CVQ7340Patch patch;
    ASSERT_EQ(patch.ScanDevices(), 1);
    EXPECT_EQ(patch.m_bUseReportId1, 1);
    auto log = id1->Log();
    EXPECT_EQ(log[0], Set("01 B5 FF 01 00 00 00 00 00"));
    EXPECT_EQ(log[2], Set("01 B5 FF 00 00 00 00 00 00"));  // identification with id 1

    emu::ScopedBackend local;
    auto id0 = local->Plug({.type = ChipType::VQ7340, .reportId = 0});
    ASSERT_EQ(patch.ScanDevices(), 1);
    EXPECT_EQ(patch.m_bUseReportId1, 0);
    log = id0->Log();
    EXPECT_EQ(log[0], Set("01 B5 FF 01 00 00 00 00 00", false));  // probe refused, no fetch
    EXPECT_EQ(log[1], Set("00 B5 FF 00 00 00 00 00 00"));
}

TEST_F(TransportTest, VQ7340KeepsReportIdOfTheDeviceLeftOpen) {
    // A rejected device probed after the accepted one must not change the
    // report id used with the device that stays open.
    auto chip = bus->Plug({.type = ChipType::VQ7340, .reportId = 1});
    bus->Plug({.type = ChipType::Keyboard});
    CVQ7340Patch patch;
    ASSERT_EQ(patch.ScanDevices(), 1);
    EXPECT_EQ(patch.m_bUseReportId1, 1);
    chip->SetXdata(0x1234, 0x42);
    BYTE v = 0;
    patch.ReadXdata(0x1234, &v);
    EXPECT_EQ(v, 0x42);
}

TEST(HidLayer, NoneAndInvalidHandlesAreIgnored) {
    EXPECT_FALSE(hid::Close(HANDLE_NONE));
    EXPECT_FALSE(hid::Close(INVALID_HANDLE_VALUE));
    BYTE r[9] = {};
    EXPECT_FALSE(hid::SetFeature(HANDLE_NONE, r, 9));
    EXPECT_FALSE(hid::GetFeature(INVALID_HANDLE_VALUE, r, 9));
}

TEST(HidLayer, StaleHandleNeverReachesAnotherDevice) {
    emu::ScopedBackend bus;
    auto a = bus->Plug({.type = ChipType::VQ7170});
    auto b = bus->Plug({.type = ChipType::VQ7170});
    const HANDLE h = hid::Open(a->path(), hid::Access::ReadWrite);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(hid::Close(h));
    const HANDLE h2 = hid::Open(b->path(), hid::Access::ReadWrite);
    EXPECT_NE(h2, h);
    BYTE r[9] = {0, 0xB5, 0xF8, 0x00};
    EXPECT_FALSE(hid::SetFeature(h, r, 9));
    hid::Close(h2);
}

}  // namespace
